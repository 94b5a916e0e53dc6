// 选择壁纸 and 添加到桌面 clicked on the window: the background list, the dialogs, and the road to a
// stand-in desktop, over a throw-away application directory.

#include "AppTestSupport.h"

#include "app/WallpaperFlow.h"
#include "dialogs/uInfoFrm.h"
#include "dialogs/uPicSel.h"
#include "paths/AppPath.h"
#include "wallpaper/PictureCodecs.h"
#include "widgets/PictureBox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

namespace tavemo::app::test {
namespace {

const QString kList = QStringLiteral("Data\\BGPicList.ini");
const QString kFolder = QStringLiteral("source\\DeskTopBG\\");

void putBackground(const AppDir& dir, const QString& name, QRgb colour)
{
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(colour);
    dir.write(kFolder + name, wallpaper::encodeBmp24(picture));
}

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

// Clicks 添加到桌面 and waits for the road to end (it pauses after the dialog).
void applyToDesktop(TMainFrm& w)
{
    click(find<widgets::PictureBox>(w, "imgAppToDesk"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !find<WallpaperFlow>(w, "wallpaperFlow")->isApplying(); }, 5000));
}

// The colour the desktop was given at its bottom left corner, far from the note and the month.
QRgb cornerOf(const QString& installed)
{
    const Result<QImage> shown = wallpaper::readPicture(installed);
    EXPECT_TRUE(shown.ok()) << shown.outcome.text().toStdString();
    return shown.ok() ? shown.value.pixel(3, shown.value.height() - 4) : 0;
}

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3 &&
           std::abs(qBlue(a) - qBlue(b)) <= 3;
}

TEST(WallpaperButtons, FirstStartWritesTheDefaultList)
{
    AppDir dir;
    Recorder env;
    env.now = dateTime(2024, 2, 10, 9, 0);
    Program program(dir, env);
    EXPECT_EQ(dir.read(kList), QByteArray("A1.bmp\r\nA1.bmp\r\n"));
    EXPECT_EQ(find<WallpaperFlow>(program.window(), "wallpaperFlow")->backgrounds().currentBackgroundName,
              QStringLiteral("A1.bmp"));
    EXPECT_EQ(find<WallpaperFlow>(program.window(), "wallpaperFlow")->backgrounds().backgroundIndex, 0);
    ASSERT_NE(find<dialogs::TPicSelFrm>(program.window(), "PicSelFrm"), nullptr);
    ASSERT_NE(find<dialogs::TInforFrm>(program.window(), "InforFrm"), nullptr);
    EXPECT_FALSE(find<dialogs::TPicSelFrm>(program.window(), "PicSelFrm")->isVisible());
    EXPECT_FALSE(find<dialogs::TInforFrm>(program.window(), "InforFrm")->isVisible());
}

TEST(WallpaperButtons, EachApplicationTakesTheNextBackgroundDownTheList)
{
    AppDir dir;
    dir.write("data\\configSetBg.ini", "0\r\n"); // no question
    const QRgb colours[] = {qRgb(10, 10, 10), qRgb(0, 0, 160), qRgb(0, 160, 0), qRgb(160, 0, 0)};
    putBackground(dir, "A1.bmp", colours[0]);
    putBackground(dir, "b1.bmp", colours[1]);
    putBackground(dir, "b2.bmp", colours[2]);
    putBackground(dir, "b3.bmp", colours[3]);
    dir.write(kList, "b1.bmp\r\nb1.bmp\r\nb2.bmp\r\nb3.bmp\r\n");
    Recorder env;
    env.now = dateTime(2024, 2, 10, 9, 0);
    Program program(dir, env);
    TMainFrm& w = program.window();
    program.focusEditor();
    program.type(QStringLiteral("买菜"));
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().backgroundIndex, 3)
        << "a fresh start takes the last entry";

    const int expected[] = {3, 2, 1, 3};
    for (int n = 0; n < 4; ++n) {
        applyToDesktop(w);
        ASSERT_EQ(env.installed.size(), n + 1) << env.messages.join('|').toStdString();
        EXPECT_TRUE(near(cornerOf(env.installed.back()), colours[expected[n]])) << "application " << n;
        EXPECT_TRUE(QFileInfo::exists(env.installed.back()));
    }
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().backgroundIndex, 2);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
    EXPECT_EQ(QSet<QString>(env.installed.begin(), env.installed.end()).size(), 4) << "a fresh name each time";
    for (const char* name : {"Content.bmp", "Mix.bmp", "Mix.Jpg"})
        EXPECT_TRUE(dir.exists(kFolder + name)) << name;
    // The content picture is the editor's viewport at its size.
    const Result<QImage> content = wallpaper::readPicture(dir.file(kFolder + "Content.bmp"));
    ASSERT_TRUE(content.ok());
    EXPECT_EQ(content.value.size(), program.editor().viewport()->size());
}

TEST(WallpaperButtons, DeclineTouchesNoFileAndTheTickSwitchesTheQuestionOff)
{
    AppDir dir;
    putBackground(dir, "A1.bmp", qRgb(0, 0, 160));
    Recorder env;
    env.now = dateTime(2024, 2, 10, 9, 0);
    Program program(dir, env);
    TMainFrm& w = program.window();
    ASSERT_TRUE(find<WallpaperFlow>(w, "wallpaperFlow")->prompt());
    const QStringList before = QDir(dir.file(kFolder)).entryList(QDir::Files);

    onNextModal([](QWidget* dialog) { click(static_cast<dialogs::TInforFrm*>(dialog)->btncancel()); });
    applyToDesktop(w);
    EXPECT_EQ(QDir(dir.file(kFolder)).entryList(QDir::Files), before) << "not even Content.bmp";
    EXPECT_TRUE(env.installed.isEmpty());
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->confirmResult(), 0);

    onNextModal([](QWidget* dialog) {
        auto* info = static_cast<dialogs::TInforFrm*>(dialog);
        QTest::mouseClick(info->chkSetBgInfo(), Qt::LeftButton, {}, QPoint(6, 8));
        click(info->btnok());
    });
    applyToDesktop(w);
    EXPECT_EQ(env.installed.size(), 1);
    EXPECT_FALSE(find<WallpaperFlow>(w, "wallpaperFlow")->prompt());
    EXPECT_EQ(dir.read("data\\configSetBg.ini"), QByteArray("0\r\n"));

    // From now on no question: a dialog would stop this click until it is answered.
    applyToDesktop(w);
    EXPECT_EQ(env.installed.size(), 2);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
}

TEST(WallpaperButtons, ADesktopThatCannotBeSetIsSaidAndTheIndexStays)
{
    AppDir dir;
    dir.write("data\\configSetBg.ini", "0\r\n");
    putBackground(dir, "A1.bmp", qRgb(0, 0, 160));
    putBackground(dir, "b1.bmp", qRgb(0, 160, 0));
    dir.write(kList, "A1.bmp\r\nA1.bmp\r\nb1.bmp\r\n");
    Recorder env;
    env.now = dateTime(2024, 2, 10, 9, 0);
    env.hasDesktop = false;
    Program program(dir, env);
    TMainFrm& w = program.window();
    applyToDesktop(w);
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages.first().contains(QStringLiteral("Mix.bmp"))) << env.messages.first().toStdString();
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().backgroundIndex, 2);
    EXPECT_TRUE(dir.exists(kFolder + "Mix.bmp"));
}

TEST(WallpaperButtons, ChoosingABackgroundInTheDialogMakesItTheNextOne)
{
    AppDir dir;
    dir.write("data\\configSetBg.ini", "0\r\n");
    putBackground(dir, "A1.bmp", qRgb(10, 10, 10));
    putBackground(dir, "b1.bmp", qRgb(0, 0, 160));
    putBackground(dir, "b2.bmp", qRgb(0, 160, 0));
    dir.write(kList, "A1.bmp\r\nA1.bmp\r\nb1.bmp\r\nb2.bmp\r\n");
    Recorder env;
    env.now = dateTime(2024, 2, 10, 9, 0);
    Program program(dir, env);
    TMainFrm& w = program.window();

    // Closed without a change: the list is read again and the last entry is next.
    find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().backgroundIndex = 1;
    onNextModal([](QWidget* dialog) { click(static_cast<dialogs::TPicSelFrm*>(dialog)->btnOk()); });
    click(find<widgets::PictureBox>(w, "imgAddToDesk"));
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().backgroundIndex, 3);
    EXPECT_EQ(dir.read(kList), QByteArray("A1.bmp\r\nA1.bmp\r\nb1.bmp\r\nb2.bmp\r\n"));

    // b1.bmp chosen: line 1 names it, and the next application uses it.
    onNextModal([](QWidget* dialog) {
        auto* picSel = static_cast<dialogs::TPicSelFrm*>(dialog);
        picSel->LVpic()->topLevelItem(1)->setSelected(true);
        click(picSel->btnOk());
    });
    click(find<widgets::PictureBox>(w, "imgAddToDesk"));
    EXPECT_EQ(dir.read(kList), QByteArray("b1.bmp\r\nA1.bmp\r\nb1.bmp\r\nb2.bmp\r\n"));
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().currentBackgroundName, QStringLiteral("b1.bmp"));
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().backgroundIndex, 2);
    applyToDesktop(w);
    ASSERT_EQ(env.installed.size(), 1);
    EXPECT_TRUE(near(cornerOf(env.installed.back()), qRgb(0, 0, 160)));

    // Adding through the dialog's file dialog lists the bitmap of the picture.
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(qRgb(200, 100, 0));
    QTemporaryDir outside;
    ASSERT_TRUE(wallpaper::saveJpeg(photo, outside.filePath("holiday.jpg"), 90).ok());
    env.pictureAnswers = {{outside.filePath("holiday.jpg")}};
    onNextModal([](QWidget* dialog) {
        auto* picSel = static_cast<dialogs::TPicSelFrm*>(dialog);
        click(picSel->btnAdd());
        click(picSel->btnOk());
    });
    click(find<widgets::PictureBox>(w, "imgAddToDesk"));
    EXPECT_EQ(env.pictureDialogs, 1);
    EXPECT_EQ(dir.read(kList), QByteArray("b1.bmp\r\nA1.bmp\r\nb1.bmp\r\nb2.bmp\r\nholiday.bmp\r\n"));
    EXPECT_TRUE(dir.exists(kFolder + "holiday.jpg"));
    EXPECT_TRUE(dir.exists(kFolder + "holiday.bmp"));
    EXPECT_EQ(find<WallpaperFlow>(w, "wallpaperFlow")->backgrounds().list.size(), 5u);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
}

} // namespace
} // namespace tavemo::app::test
