// Start-up and ending as a user meets them: the working files, the window's size and position,
// today's label and month picture, and which way of ending writes what.

#include "AppTestSupport.h"

#include "app/WallpaperFlow.h"
#include "app/WebPanel.h"
#include "calendar_view/ChnCalendarPicker.h"
#include "notes/NoteStore.h"
#include "paths/AppPath.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTextEdit>

namespace tavemo::app::test {
namespace {

const QString kFormSize = QStringLiteral("data\\FormSize.ini");
const QString kConfigSetBg = QStringLiteral("data\\configSetBg.ini");

TEST(StartUp, FirstStartWritesBothFilesAndOpensCentredOnTheScreen)
{
    AppDir dir;
    dir.write("web\\rs\\Tavemo3.htm", "<p>tip</p>");
    Recorder env;
    env.now = dateTime(2011, 6, 29, 10, 30);
    Program program(dir, env);
    TMainFrm& w = program.window();

    EXPECT_EQ(dir.read(kConfigSetBg), QByteArray("1\r\n"));
    EXPECT_EQ(dir.read(kFormSize), QByteArray("1\r\n750\r\n500\r\n137\r\n119\r\n"));
    EXPECT_EQ(w.geometry(), QRect(137, 119, 750, 500));
    EXPECT_EQ(w.CurrentPage(), 1);
    EXPECT_TRUE(find<WallpaperFlow>(w, "wallpaperFlow")->prompt());
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->confirmResult(), 0);
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->flagFilePath(),
              dir.path() + "/Data/configSetBg.ini"); // "data" and "Data" are one folder
    EXPECT_EQ(w.windowTitle(), QStringLiteral("桌面日历"));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.minimumSize(), QSize(650, 500));
    EXPECT_EQ(find<QLabel>(w, "lblDateTime")->text(), QStringLiteral("今天是 2011年6月29日(三)"));
    EXPECT_EQ(w.MonthPicturePath(), dir.path() + "/source/Month/201106.bmp");
    EXPECT_DOUBLE_EQ(find<calendar_view::TChnCalendar>(w, "chnCalendar")->DateTime(), env.now);
    EXPECT_TRUE(program.dm.NoteReady());
    EXPECT_TRUE(program.editor().toPlainText().isEmpty());
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
    EXPECT_EQ(find<WebPanel>(w, "webLink")->source(), QUrl::fromLocalFile(dir.path() + "/web/rs/Tavemo3.htm"));
    // Nothing of the notes was written by starting.
    EXPECT_FALSE(dir.noteText("20110629"));
}

TEST(StartUp, WallpaperPromptFile)
{
    struct Case {
        const char* name;
        QByteArray content;
        bool prompt;
        QByteArray after;
    };
    const Case cases[] = {
        {"0: no prompt, file kept", "0\r\n", false, "0\r\n"},
        {"negative: no prompt", "-1\r\n", false, "-1\r\n"},
        {"positive, LF only", "5\n", true, "5\n"},
        {"empty: as missing", "", true, "1\r\n"},
        {"not a number: as missing", "abc\r\n", true, "1\r\n"},
    };
    for (const Case& c : cases) {
        AppDir dir;
        dir.write(kConfigSetBg, c.content);
        Recorder env;
        env.now = dateTime(2024, 2, 10, 8, 0);
        Program program(dir, env, false);
        EXPECT_EQ(find<WallpaperFlow>(program.window(), "wallpaperFlow")->prompt(), c.prompt) << c.name;
        EXPECT_EQ(dir.read(kConfigSetBg), c.after) << c.name;
    }
}

TEST(StartUp, LabelAndMonthPictureFollowTheClockNotTheCalendar)
{
    AppDir dir;
    Recorder env;
    env.now = dateTime(2012, 1, 1, 9, 0); // a Sunday
    Program program(dir, env, false);
    TMainFrm& w = program.window();
    EXPECT_EQ(find<QLabel>(w, "lblDateTime")->text(), QStringLiteral("今天是 2012年1月1日(日)"));
    EXPECT_TRUE(w.MonthPicturePath().endsWith("/source/Month/201201.bmp")) << w.MonthPicturePath().toStdString();

    program.selectDate(dateTime(2011, 6, 29));
    EXPECT_TRUE(w.MonthPicturePath().endsWith("/source/Month/201201.bmp"));
    EXPECT_EQ(find<QLabel>(w, "lblDateTime")->text(), QStringLiteral("今天是 2012年1月1日(日)")); // written once
}

TEST(StartUp, SavedWindowSizeAndPosition)
{
    const QRect primary(0, 0, 1024, 768);
    const QRect right(1024, 0, 1280, 1024);
    struct Case {
        const char* name;
        QByteArray content;
        QList<QRect> screens;
        QRect geometry;
        int page;
        QByteArray after; // empty: unchanged
    };
    const QByteArray defaults = "1\r\n750\r\n500\r\n137\r\n119\r\n";
    const Case cases[] = {
        {"too small: raised to the minimum", "1\r\n300\r\n200\r\n10\r\n20\r\n", {primary}, {10, 20, 650, 500}, 1, {}},
        {"page 0, LF", "0\n800\n600\n40\n30\n", {primary}, {40, 30, 800, 600}, 0, {}},
        {"lines after the fifth ignored", "2\r\n700\r\n520\r\n5\r\n6\r\nx\r\n", {primary}, {5, 6, 700, 520}, 2, {}},
        {"four lines: as missing", "1\r\n750\r\n500\r\n3\r\n", {primary}, {137, 119, 750, 500}, 1, defaults},
        {"not numeric: as missing", "1\r\nwide\r\n500\r\n3\r\n4\r\n", {primary}, {137, 119, 750, 500}, 1, defaults},
        {"empty: as missing", "", {primary}, {137, 119, 750, 500}, 1, defaults},
        {"on a screen that is gone: centred",
         "1\r\n750\r\n500\r\n3000\r\n100\r\n",
         {primary},
         {137, 119, 750, 500},
         1,
         {}},
        {"above every screen: centred", "1\r\n700\r\n500\r\n100\r\n-400\r\n", {primary}, {162, 119, 700, 500}, 1, {}},
        {"on the second screen", "1\r\n750\r\n500\r\n1500\r\n100\r\n", {primary, right}, {1500, 100, 750, 500}, 1, {}},
    };
    for (const Case& c : cases) {
        AppDir dir;
        dir.write(kFormSize, c.content);
        Recorder env;
        env.now = dateTime(2024, 2, 10, 8, 0);
        env.screens = c.screens;
        Program program(dir, env);
        EXPECT_EQ(program.window().geometry(), c.geometry) << c.name;
        EXPECT_EQ(program.window().CurrentPage(), c.page) << c.name;
        EXPECT_EQ(dir.read(kFormSize), c.after.isEmpty() ? c.content : c.after) << c.name;
    }
}

// Hover, press and release on the close picture.
void clickClosePicture(TMainFrm& w)
{
    QTest::mouseMove(find<widgets::CaptionButton>(w, "img_close"), QPoint(20, 10));
    QTest::mousePress(find<widgets::CaptionButton>(w, "img_close"), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(find<widgets::CaptionButton>(w, "img_close"), Qt::LeftButton, {}, QPoint(20, 10));
}

TEST(Ending, ClosePictureStoresTheNoteAndWritesTheGeometry)
{
    AppDir dir;
    dir.write(kFormSize, "0\r\n300\r\n200\r\n10\r\n20\r\n"); // page 0: typing alone stores nothing
    Recorder env;
    env.now = dateTime(2011, 6, 29, 10, 0);
    Program program(dir, env);
    program.focusEditor();
    program.type("abc");
    EXPECT_FALSE(dir.noteText("20110629"));

    clickClosePicture(program.window());
    EXPECT_EQ(env.quits, 1);
    EXPECT_EQ(dir.read(kFormSize), QByteArray("0\r\n650\r\n500\r\n10\r\n20\r\n"));
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("abc"));
}

TEST(Ending, ExitCommandAndWindowCloseStoreTheNoteButNotTheGeometry)
{
    for (const bool viaMenu : {true, false}) {
        AppDir dir;
        dir.write(kFormSize, "0\r\n700\r\n520\r\n10\r\n20\r\n");
        Recorder env;
        env.now = dateTime(2011, 6, 29, 10, 0);
        Program program(dir, env);
        program.focusEditor();
        program.type(QStringLiteral("记事"));
        // Formatting after the last change of text is stored too.
        program.editor().selectAll();
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        program.editor().mergeCurrentCharFormat(bold);
        program.window().move(300, 200);

        if (viaMenu)
            find<QMenu>(program.window(), "popSysset")->findChild<QAction*>("N_ExitPrj")->trigger();
        else
            program.window().close(); // as the window manager's close (Alt+F4) does
        EXPECT_EQ(env.quits, 1);
        EXPECT_EQ(dir.read(kFormSize), QByteArray("0\r\n700\r\n520\r\n10\r\n20\r\n"));
        EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("记事"));
        std::unique_ptr<notes::NoteStore> store;
        EXPECT_TRUE(
            notes::NoteStore::open(paths::noteDatabasePath(dir.path()), notes::NoteStore::Access::ReadWrite, &store)
                .ok());
    }
}

TEST(StartUp, UnwritableSettingsFolderIsReportedOnceAndDefaultsApply)
{
    AppDir dir;
    // Directories where the two files belong: neither can be read nor replaced (also for root).
    ASSERT_TRUE(QDir().mkpath(dir.file(kFormSize)));
    ASSERT_TRUE(QDir().mkpath(dir.file(kConfigSetBg)));
    Recorder env;
    env.now = dateTime(2011, 6, 29, 10, 0);
    Program program(dir, env);
    QTest::qWait(20); // the report waits for the window to be up
    EXPECT_EQ(program.window().geometry(), QRect(137, 119, 750, 500));
    EXPECT_TRUE(find<WallpaperFlow>(program.window(), "wallpaperFlow")->prompt());
    ASSERT_EQ(env.messages.size(), 1) << env.messages.join('|').toStdString();
    EXPECT_TRUE(env.messages[0].startsWith(QStringLiteral("无法写入文件夹 %1").arg(dir.path() + "/Data")))
        << env.messages[0].toStdString();

    // The close picture cannot write either: still one message.
    clickClosePicture(program.window());
    EXPECT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.quits, 1);
}

} // namespace
} // namespace tavemo::app::test
