// The day's note in the window: which day it belongs to, when it is stored, and the editing tools.

#include "AppTestSupport.h"

#include "calendar_view/CaptionLabel.h"
#include "calendar_view/ChnCalendarPicker.h"
#include "calendar_view/DayGrid.h"
#include "notes/uDM.h"
#include "widgets/PictureBox.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

namespace tavemo::app::test {
namespace {

const QString kFormSize = QStringLiteral("data\\FormSize.ini");

class Note : public ::testing::Test {
protected:
    Note() { env.now = dateTime(2011, 6, 29, 10, 0); }
    void TearDown() override { closePopups(); }
    // Starts the window with page 0 (only the leave-save and the endings store) or page 1.
    std::unique_ptr<Program> start(int page) { return start(page, dir); }
    std::unique_ptr<Program> start(int page, const AppDir& where)
    {
        where.write(kFormSize, QByteArray::number(page) + "\r\n750\r\n500\r\n137\r\n119\r\n");
        auto program = std::make_unique<Program>(where, env);
        program->focusEditor();
        return program;
    }
    // Selects the characters [from, to) of the note.
    static void select(QTextEdit& editor, int from, int to)
    {
        QTextCursor c = editor.textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        editor.setTextCursor(c);
    }
    static QColor colorAt(QTextEdit& editor, int position)
    {
        QTextCursor c(editor.document());
        c.setPosition(position + 1);
        return c.charFormat().foreground().color();
    }
    QAction* action(TMainFrm& w, const char* name)
    {
        return find<QMenu>(w, "pmDeskTopMonCal")->findChild<QAction*>(name);
    }

    AppDir dir;
    Recorder env;
};

TEST_F(Note, DateChangeLoadsThatDaysNote)
{
    dir.putNote("20110629", QStringLiteral("六月二十九"));
    dir.putNote("20110701", QStringLiteral("七月一日"));
    auto program = start(1);
    EXPECT_EQ(program->editor().toPlainText(), QStringLiteral("六月二十九"));
    program->selectDate(dateTime(2011, 7, 1));
    EXPECT_EQ(program->editor().toPlainText(), QStringLiteral("七月一日"));
    program->selectDate(dateTime(2011, 6, 30));
    EXPECT_TRUE(program->editor().toPlainText().isEmpty());
    EXPECT_FALSE(dir.noteText("20110630"));                            // loading creates no row
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("六月二十九")); // nor writes a load back
}

TEST_F(Note, TypingStoresEveryChangeWhileThePageIsNotZero)
{
    auto program = start(1);
    program->type("a");
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("a"));
    program->type(QStringLiteral("b"));
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("ab"));
}

TEST_F(Note, PageZeroStoresOnlyWhenTheEditorLosesTheFocus)
{
    auto program = start(0);
    program->type("abc");
    EXPECT_FALSE(dir.noteText("20110629"));
    find<calendar_view::TChnCalendar>(program->window(), "chnCalendar")->setFocus();
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("abc"));
}

TEST_F(Note, ClickOnTheCalendarStoresTheNoteUnderTheDayBeingLeft)
{
    struct Case {
        const char* name;
        std::function<void(calendar_view::TChnCalendar&)> click;
    };
    const Case cases[] = {
        {"a day of the grid",
         [](calendar_view::TChnCalendar& c) {
             int k = 1;
             while (!(c.DateInf(k).Valid && c.DateInf(k).Day == 15))
                 ++k;
             const QRect cell = c.grid()->cellRect((k - 1) % 7 + 1, (k - 1) / 7 + 1);
             QTest::mouseClick(c.grid(), Qt::LeftButton, {}, cell.center());
         }},
        // The today link takes no focus of its own: the window moves it away from the editor.
        {"the today link",
         [](calendar_view::TChnCalendar& c) { QTest::mouseClick(c.todayLink(), Qt::LeftButton, {}, QPoint(3, 3)); }},
    };
    for (const Case& c : cases) {
        AppDir fresh;
        auto program = start(0, fresh); // only the leave-save stores
        fresh.putNote("20110615", QStringLiteral("十五日"));
        program->type(QStringLiteral("旧的一天"));
        c.click(*find<calendar_view::TChnCalendar>(program->window(), "chnCalendar"));
        EXPECT_NE(program->window().notePanel().selectedDay(), dateTime(2011, 6, 29, 10, 0)) << c.name;
        EXPECT_FALSE(program->editor().hasFocus()) << c.name;
        EXPECT_EQ(fresh.noteText("20110629"), QStringLiteral("旧的一天")) << c.name;
        EXPECT_NE(program->editor().toPlainText(), QStringLiteral("旧的一天")) << c.name;
        EXPECT_EQ(fresh.noteText("20110615"), QStringLiteral("十五日")) << c.name; // untouched
    }
}

TEST_F(Note, NothingIsStoredForADayWhoseNoteFailedToLoad)
{
    dir.putNote("20110630", QStringLiteral("三十日的记事"));
    auto program = start(1);
    dir.sql("ALTER TABLE UserCon RENAME TO Elsewhere");
    program->selectDate(dateTime(2011, 6, 30));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].startsWith(QStringLiteral("加载记事内容失败！"))) << env.messages[0].toStdString();
    EXPECT_FALSE(program->dm.NoteReady());
    dir.sql("ALTER TABLE Elsewhere RENAME TO UserCon");

    program->type("x"); // no edit-time save after a failed load
    EXPECT_EQ(dir.noteText("20110630"), QStringLiteral("三十日的记事"));
    find<calendar_view::TChnCalendar>(program->window(), "chnCalendar")
        ->setFocus(); // the leave-save refuses to overwrite it
    EXPECT_EQ(dir.noteText("20110630"), QStringLiteral("三十日的记事"));
    EXPECT_FALSE(find<QLabel>(program->window(), "saveNotice")->isHidden());

    program->selectDate(dateTime(2011, 7, 1)); // a good load, then a stored change: the notice goes
    program->focusEditor();
    program->type("y");
    EXPECT_EQ(dir.noteText("20110701"), QStringLiteral("y"));
    EXPECT_TRUE(find<QLabel>(program->window(), "saveNotice")->isHidden());
}

TEST_F(Note, FailedSavesShowANoticeUntilASaveSucceeds)
{
    dir.putNote("20110629", QStringLiteral("stored"));
    auto program = start(1);
    TMainFrm& w = program->window();
    const QSize editorSize = find<QTextEdit>(w, "rdtAbc")->size();
    ASSERT_EQ(sqlite3_exec(program->dm.store()->handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr),
              SQLITE_OK);
    program->type("1");
    program->type("2");
    EXPECT_FALSE(find<QLabel>(w, "saveNotice")->isHidden());
    EXPECT_TRUE(find<QLabel>(w, "saveNotice")->text().startsWith(QStringLiteral("记事未能保存：")));
    EXPECT_GT(find<QLabel>(w, "saveNotice")->text().size(), QStringLiteral("记事未能保存：").size()); // with the reason
    EXPECT_TRUE(find<QTextEdit>(w, "rdtAbc")->hasFocus());                                            // typing goes on
    EXPECT_TRUE(env.messages.isEmpty());                                                              // no box
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("stored"));
    EXPECT_LT(find<QTextEdit>(w, "rdtAbc")->height(), editorSize.height());

    ASSERT_EQ(sqlite3_exec(program->dm.store()->handle(), "PRAGMA query_only = 0", nullptr, nullptr, nullptr),
              SQLITE_OK);
    program->type("3");
    EXPECT_TRUE(find<QLabel>(w, "saveNotice")->isHidden());
    EXPECT_EQ(find<QTextEdit>(w, "rdtAbc")->size(), editorSize);
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("stored123"));
}

TEST_F(Note, SaveClearsTheProtectedAttributeOfTheSelectionOnly)
{
    auto program = start(0); // only the leave-save stores
    QTextEdit& editor = program->editor();
    program->type(QStringLiteral("abcdef"));
    QTextCharFormat protectedFormat;
    protectedFormat.setProperty(notes::ProtectedCharProperty, true);
    QTextCursor all(editor.document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(protectedFormat);
    select(editor, 1, 3);

    find<calendar_view::TChnCalendar>(program->window(), "chnCalendar")->setFocus();
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("abcdef"));
    const auto isProtected = [&](int position) {
        QTextCursor probe(editor.document());
        probe.setPosition(position + 1); // the format of the character before the cursor
        return probe.charFormat().hasProperty(notes::ProtectedCharProperty);
    };
    EXPECT_TRUE(isProtected(0));
    EXPECT_FALSE(isProtected(1));
    EXPECT_FALSE(isProtected(2));
    EXPECT_TRUE(isProtected(3));
}

TEST_F(Note, TimeStampIsTheClocksHourAndMinute)
{
    struct Case {
        int hour, minute;
        const char* text;
    };
    const Case cases[] = {{9, 5, " 09:05 "}, {23, 7, " 23:07 "}, {0, 0, " 00:00 "}};
    auto program = start(1);
    for (const Case& c : cases) {
        program->editor().clear();
        env.now = dateTime(2011, 6, 29, c.hour, c.minute);
        QTest::mouseClick(find<widgets::PictureBox>(program->window(), "imgDate"), Qt::LeftButton);
        EXPECT_EQ(program->editor().toPlainText(), QString::fromLatin1(c.text));
        EXPECT_EQ(program->editor().textCursor().position(), 7); // the caret after the stamp
    }
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral(" 00:00 "));
    EXPECT_EQ(find<widgets::PictureBox>(program->window(), "imgDate")->toolTip(), QStringLiteral("插入时间"));
}

TEST_F(Note, MarksReplaceTheSelection)
{
    auto program = start(1);
    TMainFrm& w = program->window();
    QTextEdit& e = program->editor();
    const std::pair<std::function<void()>, QString> marks[] = {
        {[&] { QTest::mouseClick(find<QToolButton>(w, "btnGou"), Qt::LeftButton); }, QStringLiteral("√")},
        {[&] { QTest::mouseClick(find<QToolButton>(w, "btnX"), Qt::LeftButton); }, QStringLiteral("×")},
        {[&] { action(w, "V1")->trigger(); }, QStringLiteral("√")},
        {[&] { action(w, "X1")->trigger(); }, QStringLiteral("×")},
    };
    for (const auto& [mark, text] : marks) {
        e.setPlainText("abcd");
        select(e, 1, 3);
        mark();
        EXPECT_EQ(e.toPlainText(), "a" + text + "d");
        EXPECT_TRUE(e.hasFocus()); // the tools never take the focus
    }
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("a×d"));
}

TEST_F(Note, TagsAreOneColouredBlock)
{
    auto program = start(1);
    TMainFrm& w = program->window();
    QTextEdit& e = program->editor();
    const std::pair<const char*, QColor> tags[] = {
        {"N_RedTag", QColor(255, 0, 0)}, {"N_BlueTag", QColor(0, 0, 255)}, {"N_FRedTag", QColor(255, 0, 255)}};
    for (const auto& [name, color] : tags) {
        e.setPlainText("xyz!");
        select(e, 0, 3);
        action(w, name)->trigger();
        EXPECT_EQ(e.toPlainText(), QStringLiteral("█!")) << name;
        EXPECT_EQ(colorAt(e, 0), color) << name;
        EXPECT_NE(colorAt(e, 1), color) << name;
    }
    // With nothing selected the block is inserted at the caret.
    e.setPlainText("ab");
    select(e, 1, 1);
    action(w, "N_BlueTag")->trigger();
    EXPECT_EQ(e.toPlainText(), QStringLiteral("a█b"));
    EXPECT_EQ(colorAt(e, 1), QColor(0, 0, 255));
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("a█b"));
}

TEST_F(Note, ColourDialogOnlyWhileTheEditorHasTheFocus)
{
    auto program = start(1);
    TMainFrm& w = program->window();
    QTextEdit& e = program->editor();
    e.setPlainText("colour");
    select(e, 0, 3);
    env.colorAnswer = QColor(0, 128, 0);
    QTest::mouseClick(find<widgets::PictureBox>(w, "imgRedColor"), Qt::LeftButton);
    ASSERT_EQ(env.colorDialogStarts.size(), 1);
    EXPECT_EQ(env.colorDialogStarts[0], QColor(Qt::black)); // black at first
    EXPECT_EQ(colorAt(e, 1), QColor(0, 128, 0));
    EXPECT_NE(colorAt(e, 4), QColor(0, 128, 0));
    EXPECT_TRUE(e.hasFocus());

    env.colorAnswer.reset(); // cancelled: nothing changes, the next dialog starts on the last colour
    select(e, 3, 6);
    QTest::mouseClick(find<widgets::PictureBox>(w, "imgRedColor"), Qt::LeftButton);
    ASSERT_EQ(env.colorDialogStarts.size(), 2);
    EXPECT_EQ(env.colorDialogStarts[1], QColor(0, 128, 0));
    EXPECT_NE(colorAt(e, 4), QColor(0, 128, 0));

    // After a click on the calendar the editor has lost the focus: the picture does nothing.
    QTest::mouseClick(find<calendar_view::TChnCalendar>(w, "chnCalendar")->todayLink(), Qt::LeftButton, {},
                      QPoint(3, 3));
    env.colorAnswer = QColor(0, 0, 255);
    QTest::mouseClick(find<widgets::PictureBox>(w, "imgRedColor"), Qt::LeftButton);
    EXPECT_EQ(env.colorDialogStarts.size(), 2);
    EXPECT_EQ(find<widgets::PictureBox>(w, "imgRedColor")->toolTip(), QStringLiteral("字体颜色"));
}

TEST_F(Note, FontDialogSetsTheSelectionsFontAndStartsOnTheLastOne)
{
    auto program = start(1);
    TMainFrm& w = program->window();
    QTextEdit& e = program->editor();
    e.setPlainText("font text");
    select(e, 0, 4);
    QFont chosen(QStringLiteral("DejaVu Sans"));
    chosen.setPointSize(20);
    chosen.setBold(true);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    env.fontAnswer = ChosenFont{chosen, QColor(128, 0, 0)};
    find<calendar_view::TChnCalendar>(w, "chnCalendar")->setFocus(); // the font picture asks no focus
    QTest::mouseClick(find<widgets::PictureBox>(w, "imgFont"), Qt::LeftButton);

    ASSERT_EQ(env.fontDialogStarts.size(), 1);
    const ChosenFont first = env.fontDialogStarts[0];
    EXPECT_EQ(first.font.family(), QStringLiteral("宋体"));
    EXPECT_DOUBLE_EQ(first.font.pointSizeF(), 12.0); // 16 pixels at 96 dpi
    EXPECT_EQ(first.color, QColor(Qt::black));
    EXPECT_FALSE(first.font.bold() || first.font.italic() || first.font.underline() || first.font.strikeOut());

    QTextCursor c(e.document());
    c.setPosition(2);
    const QTextCharFormat f = c.charFormat();
    EXPECT_EQ(f.fontFamilies().toStringList().value(0), QStringLiteral("DejaVu Sans"));
    EXPECT_DOUBLE_EQ(f.fontPointSize(), 20.0);
    EXPECT_EQ(f.fontWeight(), QFont::Bold);
    EXPECT_TRUE(f.fontItalic() && f.fontUnderline() && f.fontStrikeOut());
    EXPECT_EQ(f.foreground().color(), QColor(128, 0, 0));
    c.setPosition(6);
    EXPECT_NE(c.charFormat().fontFamilies().toStringList().value(0), QStringLiteral("DejaVu Sans"));

    env.fontAnswer.reset();
    QTest::mouseClick(find<widgets::PictureBox>(w, "imgFont"), Qt::LeftButton);
    ASSERT_EQ(env.fontDialogStarts.size(), 2);
    EXPECT_EQ(env.fontDialogStarts[1].font.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(find<widgets::PictureBox>(w, "imgFont")->toolTip(), QStringLiteral("字体大小设置"));
}

TEST_F(Note, PopupMenuItemsAndTheirCommands)
{
    auto program = start(1);
    TMainFrm& w = program->window();
    QTextEdit& e = program->editor();
    QStringList items;
    for (QAction* a : find<QMenu>(w, "pmDeskTopMonCal")->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text()) + '/' + a->objectName();
    EXPECT_EQ(items, QStringList({"复制/N1", "粘贴/N2", "删除/N9", "剪切/N3", "-/N6", "打V/V1", "打X/X1", "-/N5",
                                  "撤销(Ctrl+Z)/CtrlZ1", "添加标注/N7"}));
    QStringList tags;
    for (QAction* a : find<QMenu>(w, "pmDeskTopMonCal")->findChild<QMenu*>("N7")->actions())
        tags << a->text() + '/' + a->objectName();
    EXPECT_EQ(tags, QStringList({"红/N_RedTag", "蓝/N_BlueTag", "粉红/N_FRedTag"}));
    EXPECT_TRUE(action(w, "CtrlZ1")->shortcut().isEmpty());

    struct Step {
        const char* item;
        int from, to; // the selection before the command
        const char* text;
    };
    e.setPlainText("hello world");
    const Step steps[] = {
        {"N1", 0, 5, "hello world"},  // copy "hello"
        {"N2", 6, 11, "hello hello"}, // paste over "world"
        {"N3", 0, 6, "hello"},        // cut "hello "
        {"N9", 0, 2, "llo"},          // delete "he"
        {"CtrlZ1", 0, 0, "hello"},    // undo the delete
    };
    for (const Step& s : steps) {
        select(e, s.from, s.to);
        action(w, s.item)->trigger();
        EXPECT_EQ(e.toPlainText(), QString::fromLatin1(s.text)) << s.item;
    }
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("hello "));
    EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("hello"));
}

} // namespace
} // namespace tavemo::app::test
