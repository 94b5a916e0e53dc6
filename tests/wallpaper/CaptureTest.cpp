// The pictures laid on the background: the note editor's content, the month picture file; and the
// default background the build delivers.

#include "WallpaperTestSupport.h"
#include "wallpaper/CaptureNotePicture.h"
#include "wallpaper/DefaultBackground.h"
#include "wallpaper/MonthPicture.h"
#include "wallpaper/PictureCodecs.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace tavemo::wallpaper {
namespace {

using test::AppDir;

// How many pixels of the picture are not white.
int inkedPixels(const QImage& picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += (picture.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

TEST(CaptureNotePicture, WritesWhatTheEditorShowsAtItsCurrentSize)
{
    AppDir app;
    QTextEdit editor;
    editor.resize(411, 373);
    QString text;
    for (int line = 1; line <= 80; ++line)
        text += QStringLiteral("第 %1 行\n").arg(line);
    editor.setPlainText(text);
    editor.show();

    ASSERT_TRUE(CaptureNotePicture(editor, app.wallpaperFolder()).ok());
    const QString path = app.wallpaperFolder() + QStringLiteral("/Content.bmp");
    const QByteArray file = test::readFile(path);
    EXPECT_EQ(test::bmpBitsPerPixel(file), 24);
    const QImage first = decodeBmp(file).value;
    EXPECT_EQ(first.size(), editor.viewport()->size());
    EXPECT_GT(inkedPixels(first), 100) << "the text is in the picture";
    EXPECT_EQ(first, grabNotePicture(editor).convertToFormat(QImage::Format_RGB32));

    // Scrolled to the end, the picture shows other lines; a larger editor gives a larger picture.
    editor.verticalScrollBar()->setValue(editor.verticalScrollBar()->maximum());
    editor.resize(600, 500);
    ASSERT_TRUE(CaptureNotePicture(editor, app.wallpaperFolder()).ok());
    const QImage second = readPicture(path).value;
    EXPECT_EQ(second.size(), editor.viewport()->size());
    EXPECT_NE(second.copy(0, 0, 200, 100), first.copy(0, 0, 200, 100));
    EXPECT_EQ(QDir(app.wallpaperFolder()).entryList(QDir::Files), QStringList{"Content.bmp"}) << "one content picture";

    // Without the wallpaper folder the capture says so and creates nothing.
    const Outcome missing = CaptureNotePicture(editor, app.file(QStringLiteral("nowhere")));
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(QFileInfo::exists(app.file(QStringLiteral("nowhere"))));
}

TEST(MonthPicture, FileOfTheMonthBelowTheApplicationDirectory)
{
    AppDir app;
    EXPECT_EQ(monthPicturePath(app.path(), QDate(2024, 2, 10)), app.file(QStringLiteral("source/Month/202402.bmp")));
    EXPECT_EQ(monthPicturePath(app.path(), QDate(987, 12, 5)), app.file(QStringLiteral("source/Month/098712.bmp")));
}

TEST(DefaultBackground, IsCalmAndLightWhereTheNoteGoes)
{
    const QImage picture = drawDefaultBackground();
    ASSERT_EQ(picture.size(), QSize(1920, 1080));
    EXPECT_EQ(picture, drawDefaultBackground()) << "the same picture every build";
    // The corner under the note and the month: light and nearly even.
    int darkest = 255, lightest = 0;
    for (int y = 30; y < 403; y += 7)
        for (int x = 1100; x < 1910; x += 7) {
            const int gray = qGray(picture.pixel(x, y));
            darkest = std::min(darkest, gray);
            lightest = std::max(lightest, gray);
        }
    EXPECT_GT(darkest, 180);
    EXPECT_LT(lightest - darkest, 40);
}

TEST(DefaultBackground, TheBuildStepWritesItOnceAndNeverReplacesAPictureThere)
{
    AppDir app;
    QDir(app.path()).rmpath(QStringLiteral("source/DeskTopBG"));
    QProcess step;
    step.start(QStringLiteral(TAVEMO_MAKE_DEFAULT_BACKGROUND), {app.path()});
    ASSERT_TRUE(step.waitForFinished(60000));
    ASSERT_EQ(step.exitCode(), 0) << step.readAllStandardError().toStdString();
    const QString a1 = app.file(QStringLiteral("source/DeskTopBG/A1.bmp"));
    const QByteArray made = test::readFile(a1);
    EXPECT_EQ(test::bmpBitsPerPixel(made), 24);
    EXPECT_EQ(decodeBmp(made).value.size(), QSize(1920, 1080));
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("source/Month"))).isDir());

    test::writeFile(a1, "the user's own picture");
    step.start(QStringLiteral(TAVEMO_MAKE_DEFAULT_BACKGROUND), {app.path()});
    ASSERT_TRUE(step.waitForFinished(60000));
    EXPECT_EQ(step.exitCode(), 0);
    EXPECT_EQ(test::readFile(a1), "the user's own picture");
}

} // namespace
} // namespace tavemo::wallpaper
