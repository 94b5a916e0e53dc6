// The program tavemo-wallpaper as a script starts it: no display, its exit status, its output and
// the composite it writes.

#include "AppTestSupport.h"

#include "TavemoVersion.h"
#include "wallpaper/PictureCodecs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

namespace tavemo::app::test {
namespace {

const QString kFolder = QStringLiteral("source\\DeskTopBG\\");
constexpr QRgb kGrey = qRgb(120, 120, 120);

struct CommandRun {
    int status = -1;
    QString out, err;
};

// Runs the program without a display or a known desktop.
CommandRun runCommand(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TAVEMO_APP_DIR "/tavemo-wallpaper"), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// An application directory with a plain grey background as the only picture of the list.
void prepare(const AppDir& dir)
{
    QImage grey(1024, 768, QImage::Format_RGB32);
    grey.fill(kGrey);
    dir.write(kFolder + "A1.bmp", wallpaper::encodeBmp24(grey));
}

// Pixels of the composite's note area (10 pixels from the right, 30 from the top, the content
// picture's size) that are clearly darker than the background: the note's letters.
int inkInNoteArea(const QImage& composite, QSize content)
{
    int ink = 0;
    const int x0 = composite.width() - 10 - content.width();
    for (int y = 30; y < 30 + content.height(); ++y)
        for (int x = x0; x < x0 + content.width(); ++x)
            if (qGray(composite.pixel(x, y)) < qGray(kGrey) - 30)
                ++ink;
    return ink;
}

TEST(WallpaperCommand, BadArgumentsEndWithStatusTwoAndWriteNothing)
{
    AppDir dir;
    prepare(dir);
    const QStringList cases[] = {
        {"--bogus"},
        {"extra"},
        {"--date"},
        {"--date", "2024-02-30"},
        {"--date=2024-02-30"},
        {"--date="},
        {"--no-install=yes"},
        {"--date", "2101-01-01"},
        {"--date", "10.02.2024"},
        {"--date", "2024-02-10", "--date", "2024-02-11"},
        {"--output", ""},
        {"--dir", "/nonexistent/tavemo"},
        {"--no-install", "--no-install"},
    };
    for (const QStringList& c : cases) {
        const CommandRun run = runCommand(QStringList{"--dir", dir.path()} << c);
        EXPECT_EQ(run.status, 2) << c.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << c.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("tavemo-wallpaper: ")) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("用法见"))) << run.err.toStdString();
    }
    EXPECT_FALSE(dir.exists(kFolder + "Content.bmp"));
    EXPECT_FALSE(dir.exists(kFolder + "Mix.bmp"));

    const CommandRun help = runCommand({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("用法：tavemo-wallpaper")));
    const CommandRun version = runCommand({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("tavemo-wallpaper %1\n").arg(QLatin1String(tavemo::kVersion)));
}

TEST(WallpaperCommand, ComposesTheDaysNoteAtTheWindowsEditorSize)
{
    AppDir dir;
    prepare(dir);
    dir.putNote("20240210", QStringLiteral("春节\n给爸妈拜年\n买年货：饺子皮、春联、福字\n记得晚上八点看春晚！"));
    dir.write("data\\FormSize.ini", "1\r\n800\r\n600\r\n0\r\n0\r\n");
    const QString output = dir.file("out/note.png");
    QDir().mkpath(QFileInfo(output).absolutePath());

    const CommandRun run =
        runCommand({"--dir", dir.path(), "--date", "2024-02-10", "--output", output, "--no-install"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << "no Qt warnings: " << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("桌面：未设置（--no-install）\n壁纸：%1\n输出：%2\n")
                           .arg(dir.file(kFolder + "Mix.bmp"), output));

    // The editor had the size the window's editor has at 800 x 600.
    const Result<QImage> content = wallpaper::readPicture(dir.file(kFolder + "Content.bmp"));
    ASSERT_TRUE(content.ok());
    EXPECT_EQ(content.value.size(), QSize(477, 511)) << "415 + 800 - 734 - 4 by 377 + 600 - 462 - 4";
    const Result<QImage> composite = wallpaper::readPicture(output);
    ASSERT_TRUE(composite.ok()) << composite.outcome.text().toStdString();
    EXPECT_EQ(composite.value.size(), QSize(1024, 768));
    const int ink = inkInNoteArea(composite.value, content.value.size());
    EXPECT_GT(ink, 300) << "the note's letters show";
    EXPECT_NEAR(qGray(composite.value.pixel(5, 760)), qGray(kGrey), 3) << "the background elsewhere";

    // The same day written YYYYMMDD, with the values joined to their options.
    const CommandRun joined =
        runCommand({"--dir=" + dir.path(), "--date=20240210", "--output=" + output, "--no-install"});
    ASSERT_EQ(joined.status, 0) << joined.err.toStdString();
    EXPECT_EQ(joined.out, run.out);

    // A day without a note leaves the note area as the background.
    const CommandRun empty =
        runCommand({"--dir", dir.path(), "--date", "2024-02-11", "--output", output, "--no-install"});
    ASSERT_EQ(empty.status, 0) << empty.err.toStdString();
    const Result<QImage> plain = wallpaper::readPicture(output);
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(inkInNoteArea(plain.value, content.value.size()), 0);
}

TEST(WallpaperCommand, WhatCannotBeDoneEndsWithStatusOne)
{
    AppDir dir;
    prepare(dir);
    // No desktop this program knows: the composite is there, named, for setting it by hand.
    const CommandRun unknownDesktop = runCommand({"--dir", dir.path()});
    EXPECT_EQ(unknownDesktop.status, 1);
    EXPECT_TRUE(unknownDesktop.err.contains(dir.file(kFolder + "Mix.bmp"))) << unknownDesktop.err.toStdString();
    EXPECT_TRUE(dir.exists(kFolder + "Mix.bmp"));

    // The list's background is gone.
    dir.write("Data\\BGPicList.ini", "gone.bmp\r\ngone.bmp\r\n");
    const CommandRun missing = runCommand({"--dir", dir.path(), "--no-install"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("gone.bmp")) << missing.err.toStdString();

    // No note database.
    QFile::remove(dir.file("Data\\UserData.db"));
    const CommandRun noDatabase = runCommand({"--dir", dir.path(), "--no-install"});
    EXPECT_EQ(noDatabase.status, 1);
    EXPECT_EQ(noDatabase.err.count('\n'), 1) << noDatabase.err.toStdString();
}

} // namespace
} // namespace tavemo::app::test
