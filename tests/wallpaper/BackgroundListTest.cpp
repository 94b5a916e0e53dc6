// The list file and LoadBackgroundList; the conversions that turn added pictures into bitmaps.

#include "WallpaperTestSupport.h"
#include "wallpaper/PictureCodecs.h"
#include "wallpaper/uGlobal.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tavemo::wallpaper {
namespace {

using test::AppDir;
using test::readFile;
using test::writeFile;

std::vector<TPicBGList> entries(std::initializer_list<const char*> names)
{
    std::vector<TPicBGList> out;
    for (const char* name : names)
        out.push_back({std::int32_t(out.size()), QString::fromUtf8(name)});
    return out;
}

TEST(LoadBackgroundList, FirstStartWritesTheDefaultListAndPointsAtEntryZero)
{
    AppDir app;
    BackgroundListState state;
    const Result<bool> result = LoadBackgroundList(state, app.path(), false);
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(result.value);
    EXPECT_EQ(readFile(app.file(QStringLiteral("Data/BGPicList.ini"))), "A1.bmp\r\nA1.bmp\r\n");
    EXPECT_EQ(state.currentBackgroundName, QStringLiteral("A1.bmp"));
    EXPECT_EQ(state.list, entries({"A1.bmp", "A1.bmp"}));
    EXPECT_EQ(state.backgroundIndex, 0);

    // The second start reads what the first wrote: the last entry is next.
    BackgroundListState again;
    EXPECT_FALSE(LoadBackgroundList(again, app.path(), false).value);
    EXPECT_EQ(again.list, entries({"A1.bmp", "A1.bmp"}));
    EXPECT_EQ(again.backgroundIndex, 1);
}

TEST(LoadBackgroundList, IndexRulesOfBothSelectCurrentValues)
{
    struct Case {
        const char* name;
        QStringList lines;
        int selectCurrentFalse; // the index after LoadBackgroundList(false)
        int selectCurrentTrue;  // … and after LoadBackgroundList(true)
    };
    const Case cases[] = {
        {"current listed once", {"b.bmp", "a.bmp", "b.bmp", "c.bmp"}, 3, 2},
        {"current listed twice: the last position wins", {"b.bmp", "b.bmp", "a.bmp", "b.bmp", "c.bmp"}, 4, 3},
        {"current not listed: only entry 0 matches", {"z.bmp", "a.bmp", "b.bmp"}, 2, 0},
        {"names compare with their case", {"A.bmp", "a.bmp", "A.BMP"}, 2, 0},
        {"no entries beside the current name", {"a.bmp"}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool selectCurrent : {false, true}) {
            BackgroundListState state;
            state.backgroundIndex = 77;
            applyBackgroundListLines(state, c.lines, selectCurrent);
            EXPECT_EQ(state.backgroundIndex, selectCurrent ? c.selectCurrentTrue : c.selectCurrentFalse);
            EXPECT_EQ(state.currentBackgroundName, c.lines.first());
            ASSERT_EQ(state.list.size(), std::size_t(c.lines.size()));
            for (std::size_t i = 0; i < state.list.size(); ++i)
                EXPECT_EQ(state.list[i], (TPicBGList{std::int32_t(i), c.lines[qsizetype(i)]}));
            EXPECT_EQ(state.entryCount, c.lines.size());
        }
    }
}

TEST(LoadBackgroundList, AnEmptyFileLeavesTheStateAsItWas)
{
    AppDir app;
    writeFile(app.file(QStringLiteral("Data/BGPicList.ini")), "x.bmp\r\ny.bmp\r\n");
    BackgroundListState state;
    ASSERT_TRUE(LoadBackgroundList(state, app.path(), false).ok());
    writeFile(app.file(QStringLiteral("Data/BGPicList.ini")), "");
    ASSERT_TRUE(LoadBackgroundList(state, app.path(), true).ok());
    EXPECT_EQ(state.currentBackgroundName, QStringLiteral("x.bmp"));
    EXPECT_EQ(state.list, entries({"x.bmp", "y.bmp"}));
    EXPECT_EQ(state.backgroundIndex, 1);
    EXPECT_EQ(state.entryCount, 0);
    EXPECT_EQ(readFile(app.file(QStringLiteral("Data/BGPicList.ini"))), ""); // not rewritten

    // At start-up an empty file gives an empty list and name.
    BackgroundListState fresh;
    ASSERT_TRUE(LoadBackgroundList(fresh, app.path(), false).ok());
    EXPECT_TRUE(fresh.list.empty());
    EXPECT_TRUE(fresh.currentBackgroundName.isEmpty());
}

TEST(LoadBackgroundList, AFileThatCannotBeReadIsReportedAndChangesNothing)
{
    AppDir app;
    QDir(app.path()).mkpath(QStringLiteral("Data/BGPicList.ini")); // a folder where the file should be
    BackgroundListState state;
    state.currentBackgroundName = QStringLiteral("keep.bmp");
    const Result<bool> result = LoadBackgroundList(state, app.path(), false);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.outcome.text().contains(QStringLiteral("背景图片列表")));
    EXPECT_EQ(state.currentBackgroundName, QStringLiteral("keep.bmp"));
}

TEST(ListFile, WritesGb18030WithCrLfAndReadsItBack)
{
    AppDir app;
    const QString spring = QStringLiteral("春天.bmp");
    ASSERT_TRUE(writeBackgroundListFile(app.path(), spring, {QStringLiteral("A1.bmp"), spring}).ok());
    // 春 is B4 BA and 天 is CC EC in GBK, and so in GB18030.
    EXPECT_EQ(readFile(app.file(QStringLiteral("Data/BGPicList.ini"))),
              QByteArray("\xB4\xBA\xCC\xEC.bmp\r\nA1.bmp\r\n\xB4\xBA\xCC\xEC.bmp\r\n"));
    // The reading of such bytes is the line codec's (files/LineFile.h, tests/files).
    EXPECT_EQ(readBackgroundListFile(app.path()).value, QStringList({spring, "A1.bmp", spring}));
}

// --- conversions ---------------------------------------------------------------------------

QByteArray pictureFile(const char* format, QRgb colour)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(test::filled(9, 7, colour).save(&buffer, format));
    return out;
}

TEST(PictureToBmp, ConvertsByExtensionOfAnyCaseAndWritesTheBitmapBeside)
{
    AppDir app;
    const QString folder = app.wallpaperFolder();
    const QByteArray jpeg = encodeJpeg(test::filled(9, 7, qRgb(0, 0, 200)), 90).value;
    struct Case {
        const char* file;
        QByteArray bytes;
        const char* bitmap; // the bitmap's name, or nullptr for none
    };
    const Case cases[] = {
        {"photo.JPG", jpeg, "photo.bmp"},
        {"sky.jpeg", jpeg, "sky.bmp"},
        {"cat.Gif", test::makeGif(9, 7, {qRgb(0, 0, 200)}, {{0, 0, 9, 7, false, std::vector<int>(63, 0), {}, -1}}),
         "cat.bmp"},
        {"leaf.PNG", pictureFile("PNG", qRgb(0, 0, 200)), "leaf.bmp"},
        {"misnamed.jpg", pictureFile("PNG", qRgb(0, 0, 200)), "misnamed.bmp"}, // decoded by its content
        {"icon.ico", pictureFile("PNG", qRgb(0, 0, 200)), nullptr},
        {"no-extension", jpeg, nullptr},
        {"broken.jpg", jpeg.left(60), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = folder + u'/' + QString::fromUtf8(c.file);
        writeFile(path, c.bytes);
        const Result<QString> result = PictureToBmp(path);
        if (!c.bitmap) {
            EXPECT_FALSE(result.ok());
            EXPECT_FALSE(result.outcome.text().isEmpty());
            continue;
        }
        ASSERT_TRUE(result.ok()) << result.outcome.text().toStdString();
        EXPECT_EQ(result.value, folder + u'/' + QString::fromUtf8(c.bitmap));
        EXPECT_TRUE(QFileInfo::exists(path)) << "the original stays";
        const QByteArray bitmap = readFile(result.value);
        EXPECT_EQ(test::bmpBitsPerPixel(bitmap), 24);
        const Result<QImage> back = decodeBmp(bitmap);
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.value.size(), QSize(9, 7));
        EXPECT_NEAR(qBlue(back.value.pixel(4, 3)), 200, 3);
    }
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/broken.bmp"))) << "no half a bitmap";

    // A bitmap is its own bitmap, untouched.
    const QString bmp = folder + QStringLiteral("/plain.Bmp");
    writeFile(bmp, "not even read");
    EXPECT_EQ(PictureToBmp(bmp).value, bmp);

    // An existing bitmap of the same name in another case is the one replaced: one file, not two.
    writeFile(folder + QStringLiteral("/Photo2.BMP"), "old");
    writeFile(folder + QStringLiteral("/Photo2.jpg"), jpeg);
    EXPECT_EQ(PictureToBmp(folder + QStringLiteral("/Photo2.jpg")).value, folder + QStringLiteral("/Photo2.BMP"));
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("photo2.*")}).size(), 2);
}

} // namespace
} // namespace tavemo::wallpaper
