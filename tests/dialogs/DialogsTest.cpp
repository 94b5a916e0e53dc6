// The selection dialog and the confirmation dialog, clicked as a user clicks them, over a
// throw-away application directory with real picture files.

#include "WallpaperTestSupport.h"
#include "dialogs/uInfoFrm.h"
#include "dialogs/uPicSel.h"
#include "wallpaper/PictureCodecs.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace tavemo::dialogs {
namespace {

using namespace wallpaper;

using test::AppDir;
using test::readFile;
using test::writeFile;

const QString kList = QStringLiteral("Data/BGPicList.ini");

// A dialog over the directory whose file dialog answers `chosen` and whose messages are kept.
struct PicSel {
    explicit PicSel(const AppDir& app) : frm(app.path(), services())
    {
        frm.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&frm));
        frm.FormShow();
    }
    TPicSelFrm::Services services()
    {
        TPicSelFrm::Services s;
        s.choosePictures = [this](QWidget*) {
            ++dialogs;
            return chosen;
        };
        s.showMessage = [this](QWidget*, const QString& text, const QString&) { messages << text; };
        return s;
    }
    void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void select(std::initializer_list<int> rows)
    {
        frm.LVpic()->clearSelection();
        for (int row : rows)
            frm.LVpic()->topLevelItem(row)->setSelected(true);
    }
    QList<bool> checks() const
    {
        QList<bool> out;
        for (int i = 0; i < frm.LVpic()->topLevelItemCount(); ++i)
            out << frm.isChecked(i);
        return out;
    }

    QStringList chosen;
    int dialogs = 0;
    QStringList messages;
    TPicSelFrm frm;
};

QByteArray pictureBytes(const char* format, QRgb colour)
{
    QImage image = test::filled(40, 30, colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

QStringList folderFiles(const AppDir& app) { return QDir(app.wallpaperFolder()).entryList(QDir::Files, QDir::Name); }

TEST(PicSelFrm, ComponentsStandWhereTheDialogPutsThem)
{
    AppDir app;
    PicSel d(app);
    EXPECT_EQ(d.frm.size(), QSize(524, 286));
    EXPECT_TRUE(d.frm.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(d.frm.windowTitle(), QStringLiteral("背景图片选择"));
    EXPECT_EQ(d.frm.img_close()->geometry(), QRect(484, 0, 39, 20));
    EXPECT_EQ(d.frm.imgLogo()->geometry(), QRect(5, 1, 200, 57));
    EXPECT_EQ(d.frm.Shape1()->geometry(), QRect(8, 55, 321, 162));
    EXPECT_EQ(d.frm.LVpic()->geometry(), QRect(9, 56, 319, 160));
    EXPECT_TRUE(d.frm.LVpic()->isHeaderHidden());
    EXPECT_EQ(d.frm.LVpic()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(d.frm.lblTishi()->geometry(), QRect(352, 64, 161, 153));
    EXPECT_FALSE(d.frm.imgSel()->isVisible());
    EXPECT_EQ(d.frm.btnRemove()->text(), QStringLiteral("移  除"));
    EXPECT_EQ(d.frm.btnAdd()->text(), QStringLiteral("添  加"));
    EXPECT_EQ(d.frm.btnOk()->text(), QStringLiteral("确  定"));
    EXPECT_EQ(d.frm.btnRemove()->pos(), QPoint(12, 240));
    EXPECT_EQ(d.frm.btnAdd()->pos(), QPoint(108, 240));
    EXPECT_EQ(d.frm.btnOk()->pos(), QPoint(209, 240));
}

TEST(PicSelFrm, ShowFillsTheEntriesFromTheFileAndChecksTheCurrentName)
{
    AppDir app;
    writeFile(app.file(kList), "b.bmp\r\nA1.bmp\r\nb.bmp\r\nc.bmp\r\n");
    PicSel d(app);
    EXPECT_EQ(d.frm.CurrentName, QStringLiteral("b.bmp"));
    EXPECT_EQ(d.frm.captions(), (QStringList{"A1.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(d.checks(), (QList<bool>{false, true, false}));

    // A missing file is written with the default list; the entries stay as they were.
    QFile::remove(app.file(kList));
    d.frm.FormShow();
    EXPECT_EQ(readFile(app.file(kList)), "A1.bmp\r\nA1.bmp\r\n");
    EXPECT_EQ(d.frm.CurrentName, QStringLiteral("A1.bmp"));
    EXPECT_EQ(d.frm.captions(), (QStringList{"A1.bmp", "b.bmp", "c.bmp"}));
}

TEST(PicSelFrm, AddConvertsEachUsablePictureAndNamesTheOthersInOneMessage)
{
    AppDir app;
    writeFile(app.file(kList), "A1.bmp\r\nA1.bmp\r\n");
    QTemporaryDir outside;
    struct Case {
        QString file;       // chosen from outside the wallpaper folder
        QByteArray bytes;   // empty: the file does not exist
        QString caption;    // the entry it makes; empty: none, and named in the message
        QStringList leaves; // what it leaves in the wallpaper folder
    };
    const Case cases[] = {
        {"photo.jpg", pictureBytes("JPEG", qRgb(200, 40, 40)), "photo.bmp", {"photo.jpg", "photo.bmp"}},
        {"moving.gif",
         test::makeGif(4, 4, {qRgb(40, 200, 40), qRgb(0, 0, 0)},
                       {{0, 0, 4, 4, false, std::vector<int>(16, 0), {}, -1}}),
         "moving.bmp",
         {"moving.gif", "moving.bmp"}},
        {"leaf.png", pictureBytes("PNG", qRgb(40, 40, 200)), "leaf.bmp", {"leaf.png", "leaf.bmp"}},
        {"SHOUT.JPEG", pictureBytes("JPEG", qRgb(90, 90, 90)), "SHOUT.bmp", {"SHOUT.JPEG", "SHOUT.bmp"}},
        {"plain.bmp", encodeBmp24(test::filled(8, 8, qRgb(1, 2, 3))), "plain.bmp", {"plain.bmp"}},
        {"icon.ico", QByteArray("\0\0\1\0", 4), "", {"icon.ico"}},
        {"broken.jpg", QByteArray("\xFF\xD8\xFF\xE0 not a picture"), "", {"broken.jpg"}},
        {"gone.jpg", QByteArray(), "", {}},
    };
    for (const Case& c : cases)
        if (!c.bytes.isEmpty())
            writeFile(outside.filePath(c.file), c.bytes);
    PicSel d(app);
    for (const Case& c : cases)
        d.chosen << outside.filePath(c.file);
    d.click(d.frm.btnAdd());

    EXPECT_EQ(d.dialogs, 1);
    QStringList captions{"A1.bmp"};
    QStringList leaves;
    for (const Case& c : cases) {
        if (!c.caption.isEmpty())
            captions << c.caption;
        leaves << c.leaves;
        const bool named = !d.messages.isEmpty() && d.messages.first().contains(c.file);
        EXPECT_EQ(named, c.caption.isEmpty()) << c.file.toStdString();
    }
    EXPECT_EQ(d.frm.captions(), captions);
    QList<bool> checks(captions.size(), false);
    checks[0] = true; // A1.bmp is current; added entries come without the mark
    EXPECT_EQ(d.checks(), checks);
    ASSERT_EQ(d.messages.size(), 1) << "one message for all refused files";
    leaves.sort();
    EXPECT_EQ(folderFiles(app), leaves);
    EXPECT_EQ(test::bmpBitsPerPixel(readFile(app.wallpaperFolder() + "/photo.bmp")), 24);
    EXPECT_EQ(readFile(app.file(kList)), (QStringList{"A1.bmp"} + captions).join("\r\n").toUtf8() + "\r\n");

    // Cancelling the file dialog changes nothing and says nothing.
    d.chosen.clear();
    d.click(d.frm.btnAdd());
    EXPECT_EQ(d.frm.captions(), captions);
    EXPECT_EQ(d.messages.size(), 1);
}

TEST(PicSelFrm, AddingAPictureOfTheWallpaperFolderKeepsIt)
{
    AppDir app;
    writeFile(app.file(kList), "A1.bmp\r\nA1.bmp\r\n");
    const QByteArray bytes = encodeBmp24(test::filled(8, 8, qRgb(9, 8, 7)));
    writeFile(app.wallpaperFolder() + "/here.bmp", bytes);
    PicSel d(app);
    d.chosen = {app.wallpaperFolder() + "/here.bmp"};
    d.click(d.frm.btnAdd());
    EXPECT_EQ(d.frm.captions(), (QStringList{"A1.bmp", "here.bmp"}));
    EXPECT_EQ(readFile(app.wallpaperFolder() + "/here.bmp"), bytes);
    EXPECT_TRUE(d.messages.isEmpty()) << d.messages.join('|').toStdString();
}

TEST(PicSelFrm, RemoveRules)
{
    struct Case {
        const char* name;
        std::initializer_list<int> selected;
        QStringList captions; // afterwards
        QString current;      // afterwards
        bool written;
    };
    // Entries: A1.bmp, b.bmp (current), c.bmp, d.bmp
    const Case cases[] = {
        {"nothing selected", {}, {"A1.bmp", "b.bmp", "c.bmp", "d.bmp"}, "b.bmp", false},
        {"another entry", {2}, {"A1.bmp", "b.bmp", "d.bmp"}, "b.bmp", true},
        {"the current entry: A1.bmp becomes current", {1}, {"A1.bmp", "c.bmp", "d.bmp"}, "A1.bmp", true},
        {"A1.bmp first: nothing goes", {0, 2}, {"A1.bmp", "b.bmp", "c.bmp", "d.bmp"}, "b.bmp", true},
        {"the first decides, all selected go", {1, 3}, {"A1.bmp", "c.bmp"}, "A1.bmp", true},
        {"list order, not selection order: A1.bmp first", {2, 0}, {"A1.bmp", "b.bmp", "c.bmp", "d.bmp"}, "b.bmp", true},
    };
    for (const Case& c : cases) {
        AppDir app;
        // LF endings: a rewrite shows as CR LF.
        writeFile(app.file(kList), "b.bmp\nA1.bmp\nb.bmp\nc.bmp\nd.bmp\n");
        PicSel d(app);
        d.select(c.selected);
        d.click(d.frm.btnRemove());
        EXPECT_EQ(d.frm.captions(), c.captions) << c.name;
        EXPECT_EQ(d.frm.CurrentName, c.current) << c.name;
        const QByteArray expected = c.written ? (QStringList{c.current} + c.captions).join("\r\n").toUtf8() + "\r\n"
                                              : QByteArray("b.bmp\nA1.bmp\nb.bmp\nc.bmp\nd.bmp\n");
        EXPECT_EQ(readFile(app.file(kList)), expected) << c.name;
        EXPECT_EQ(d.checks().indexOf(true), c.captions.indexOf(c.current)) << c.name;
    }
}

TEST(PicSelFrm, OkRulesAndTheClosePicture)
{
    struct Case {
        const char* name;
        std::initializer_list<int> selected;
        bool useClosePicture;
        QString current; // afterwards
        bool written;
    };
    const Case cases[] = {
        {"nothing selected", {}, false, "b.bmp", false},
        {"the current entry", {1}, false, "b.bmp", false},
        {"list order, not selection order: the current entry first", {2, 1}, false, "b.bmp", false},
        {"another entry becomes current", {2}, false, "c.bmp", true},
        {"the close picture writes nothing", {2}, true, "b.bmp", false},
    };
    for (const Case& c : cases) {
        AppDir app;
        writeFile(app.file(kList), "b.bmp\nA1.bmp\nb.bmp\nc.bmp\n");
        PicSel d(app);
        d.select(c.selected);
        if (c.useClosePicture) {
            // Over the face the close picture is normal; over it, lit; pressed, down; released, closed.
            widgets::CaptionButton* close = d.frm.img_close();
            QTest::mouseMove(d.frm.imgBG(), QPoint(300, 150));
            EXPECT_EQ(close->state(), widgets::CaptionButton::State::Normal);
            QTest::mouseMove(close, QPoint(20, 10));
            EXPECT_EQ(close->state(), widgets::CaptionButton::State::Highlight) << c.name;
            QTest::mousePress(close, Qt::LeftButton, {}, QPoint(20, 10));
            EXPECT_EQ(close->state(), widgets::CaptionButton::State::Down) << c.name;
            QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(20, 10));
            EXPECT_EQ(close->state(), widgets::CaptionButton::State::Normal) << c.name;
            EXPECT_EQ(d.frm.result(), QDialog::Rejected);
        } else {
            d.click(d.frm.btnOk());
            EXPECT_EQ(d.frm.result(), QDialog::Accepted);
        }
        EXPECT_FALSE(d.frm.isVisible()) << c.name;
        EXPECT_EQ(d.frm.CurrentName, c.current) << c.name;
        EXPECT_EQ(readFile(app.file(kList)), c.written ? QByteArray("c.bmp\r\nA1.bmp\r\nb.bmp\r\nc.bmp\r\n")
                                                       : QByteArray("b.bmp\nA1.bmp\nb.bmp\nc.bmp\n"))
            << c.name;
        EXPECT_EQ(d.checks().indexOf(true), d.frm.captions().indexOf(c.current)) << c.name;
    }
}

TEST(PicSelFrm, AListFileThatCannotBeWrittenIsSaid)
{
    AppDir app;
    writeFile(app.file(kList), "b.bmp\r\nA1.bmp\r\nb.bmp\r\nc.bmp\r\n");
    PicSel d(app);
    // The list file's place is taken by a folder: the rename over it fails.
    QFile::remove(app.file(kList));
    QDir().mkpath(app.file(kList) + "/blocked");
    d.select({2});
    d.click(d.frm.btnOk());
    ASSERT_EQ(d.messages.size(), 1);
    EXPECT_TRUE(d.messages.first().contains(QStringLiteral("背景图片列表没能保存")));
}

// Answers the confirmation by clicking `pick` once the dialog shows.
int answer(TInforFrm& frm, bool tick, std::function<QWidget*(TInforFrm&)> pick, bool& prompt, std::int32_t& result,
           const QString& flagFile)
{
    QTimer::singleShot(0, &frm, [&frm, tick, pick] {
        if (tick && !frm.chkSetBgInfo()->isChecked())
            QTest::mouseClick(frm.chkSetBgInfo(), Qt::LeftButton, {}, QPoint(6, 8));
        if (QWidget* target = pick(frm))
            QTest::mouseClick(target, Qt::LeftButton);
        else
            QTest::keyClick(&frm, Qt::Key_Escape);
    });
    return frm.ask(prompt, result, flagFile);
}

TEST(InforFrm, AnswersAndTheFlagFile)
{
    struct Case {
        const char* name;
        bool tick;
        std::function<QWidget*(TInforFrm&)> pick; // null: Escape
        int result;
        bool promptAfter;
        QByteArray flagFile; // afterwards
    };
    const Case cases[] = {
        {"确定", false, [](TInforFrm& f) { return f.btnok(); }, 1, true, "1\r\n"},
        {"确定 with 下次不再提示", true, [](TInforFrm& f) { return f.btnok(); }, 1, false, "0\r\n"},
        {"取消 with the tick", true, [](TInforFrm& f) { return f.btncancel(); }, 0, true, "1\r\n"},
        {"X", false, [](TInforFrm& f) { return f.btnClose(); }, 0, true, "1\r\n"},
        {"Escape", false, nullptr, 0, true, "1\r\n"},
    };
    for (const Case& c : cases) {
        AppDir app;
        const QString flagFile = app.file(QStringLiteral("Data/configSetBg.ini"));
        writeFile(flagFile, "1\r\n");
        QStringList messages;
        TInforFrm frm([&](QWidget*, const QString& text, const QString&) { messages << text; });
        bool prompt = true;
        std::int32_t result = 1; // the last answer was yes
        const auto pick = c.pick ? c.pick : [](TInforFrm&) -> QWidget* { return nullptr; };
        EXPECT_EQ(answer(frm, c.tick, pick, prompt, result, flagFile), c.result) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(prompt, c.promptAfter) << c.name;
        EXPECT_EQ(readFile(flagFile), c.flagFile) << c.name;
        EXPECT_TRUE(messages.isEmpty()) << c.name;
        EXPECT_FALSE(frm.isVisible()) << c.name;
    }
}

TEST(InforFrm, ComponentsAndTheTickKeptBetweenDisplays)
{
    AppDir app;
    TInforFrm frm;
    EXPECT_EQ(frm.size(), QSize(344, 156));
    EXPECT_EQ(frm.imgques()->geometry(), QRect(32, 24, 45, 46));
    EXPECT_EQ(frm.lblInfo()->text(), QStringLiteral("您确定要更换壁纸？"));
    EXPECT_EQ(frm.lblInfo()->pos(), QPoint(112, 40));
    EXPECT_EQ(frm.chkSetBgInfo()->geometry(), QRect(120, 88, 97, 17));
    EXPECT_FALSE(frm.chkSetBgInfo()->isChecked());
    EXPECT_EQ(frm.btnok()->pos(), QPoint(176, 120));
    EXPECT_EQ(frm.btncancel()->pos(), QPoint(256, 120));
    EXPECT_EQ(frm.btnClose()->geometry(), QRect(321, 1, 20, 18));

    bool prompt = true;
    std::int32_t result = 0;
    const QString flagFile = app.file(QStringLiteral("Data/configSetBg.ini"));
    answer(
        frm, true, [](TInforFrm& f) { return f.btncancel(); }, prompt, result, flagFile);
    EXPECT_TRUE(frm.chkSetBgInfo()->isChecked());
    EXPECT_FALSE(QFileInfo::exists(flagFile));
}

} // namespace
} // namespace tavemo::dialogs
