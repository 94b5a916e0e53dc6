// Loading and saving the note of the calendar's day through a real editor, wired the way the
// main window wires it: the editor's change event saves only while NoteReady is true.

#include "notes/DateKey.h"
#include "TestSupport.h"
#include "notes/uDM.h"

#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextEdit>

namespace tavemo::notes {
namespace {

using test::execSql;
using test::queryText;
using test::storedNote;

constexpr double k20110629 = 40723.0;
constexpr double k20110630 = 40724.0;

class DayNote : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.createDatabase();
        const OpenResult opened = dm.DataModuleCreate(app.path());
        ASSERT_TRUE(opened.ok) << opened.detail.toStdString();
        // The window's change handler: edit-time saves only while a note is ready.
        QObject::connect(&editor, &QTextEdit::textChanged, [this] {
            changesSeen.push_back(dm.NoteReady());
            if (dm.NoteReady())
                dm.SaveDayNote(editor);
        });
    }

    void TearDown() override { QObject::disconnect(&editor, nullptr, nullptr, nullptr); }

    int rowCount() const { return queryText(app.databasePath(), QStringLiteral("SELECT count(*) FROM UserCon")).toInt(); }
    void type(const QString &text)
    {
        QTextCursor cursor = editor.textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text);
    }

    test::TempAppDir app;
    double calendarDate = k20110629;
    TDM dm{[this] { return calendarDate; }};
    QTextEdit editor;
    std::vector<bool> changesSeen; // NoteReady as each change event saw it
};

TEST(DataModule, OpenFailureGivesTheStartUpMessage)
{
    test::TempAppDir app; // no database delivered
    TDM dm([] { return k20110629; });
    const OpenResult opened = dm.DataModuleCreate(app.path());
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.message, QStringLiteral("配置文件加载失败，请重试！"));
    EXPECT_FALSE(opened.detail.isEmpty());
    EXPECT_EQ(dm.store(), nullptr);
    // Nothing can be loaded or saved, and nothing crashes trying.
    QTextEdit editor;
    EXPECT_FALSE(dm.LoadDayNote(editor).ok);
    EXPECT_FALSE(dm.SaveDayNote(editor));
    EXPECT_TRUE(dm.NoteReady());
}

TEST_F(DayNote, LoadingADayWithoutNoteEmptiesTheEditorAndWritesNothing)
{
    editor.setPlainText(QStringLiteral("another day's text"));
    changesSeen.clear();
    const LoadResult loaded = dm.LoadDayNote(editor);
    ASSERT_TRUE(loaded.ok) << loaded.detail.toStdString();
    EXPECT_TRUE(dm.NoteReady());
    EXPECT_TRUE(editor.toPlainText().isEmpty());
    ASSERT_FALSE(changesSeen.empty());
    EXPECT_EQ(std::count(changesSeen.begin(), changesSeen.end(), true), 0);
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(DayNote, EditsAreSavedUnderTheDayAndLoadedBackWithoutBeingWrittenBack)
{
    calendarDate = k20110629 + 23.0 / 24 + 59.0 / 1440; // 23:59
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    type(QStringLiteral("晚上写的"));
    EXPECT_EQ(rowCount(), 1);

    calendarDate = k20110630;
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_TRUE(editor.toPlainText().isEmpty());
    type(QStringLiteral("next day"));
    EXPECT_EQ(rowCount(), 2);

    calendarDate = k20110629 + 1.0 / 1440; // 00:01 of the first day: the same row
    const QByteArray stored = *storedNote(app.databasePath(), QStringLiteral("20110629"));
    changesSeen.clear();
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("晚上写的"));
    EXPECT_FALSE(editor.document()->isUndoAvailable()); // undo cannot bring back the other day's note
    EXPECT_EQ(std::count(changesSeen.begin(), changesSeen.end(), true), 0);
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110629")), stored);

    type(QStringLiteral("，又添一句"));
    EXPECT_EQ(rowCount(), 2);
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("晚上写的，又添一句"));
}

TEST_F(DayNote, LeavingAnUntouchedEmptyDayStoresAnEmptyDocument)
{
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_TRUE(dm.SaveDayNote(editor));
    EXPECT_EQ(rowCount(), 1);
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_TRUE(editor.toPlainText().isEmpty());
}

TEST_F(DayNote, PlainTextInTheDatabaseLoadsAsText)
{
    execSql(app.databasePath(),
            QStringLiteral("INSERT INTO UserCon VALUES('20110629', CAST('第一行\n second line' AS BLOB))"));
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("第一行\n second line"));
}

TEST_F(DayNote, DatabaseErrorDuringSaveKeepsTheStoredNoteAndReadiesTheEditor)
{
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    type(QStringLiteral("kept"));
    const std::optional<QByteArray> before = storedNote(app.databasePath(), QStringLiteral("20110629"));
    ASSERT_TRUE(before);
    execSql(app.databasePath(),
            QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON UserCon BEGIN SELECT RAISE(ABORT, 'disk says no'); END"));

    type(QStringLiteral(" and lost"));
    const SaveResult failed = dm.SaveDayNote(editor);
    EXPECT_FALSE(failed.ok);
    // What the window shows after "记事未能保存：": the reason in Chinese, then the database's words.
    EXPECT_EQ(failed.detail, QStringLiteral("数据库拒绝了这次写入（disk says no）"));
    EXPECT_TRUE(dm.NoteReady());
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110629")), before);

    // The store carries on once the database takes writes again.
    execSql(app.databasePath(), QStringLiteral("DROP TRIGGER refuse"));
    EXPECT_TRUE(dm.SaveDayNote(editor));
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("kept and lost"));
}

TEST_F(DayNote, FailedLoadStopsEditTimeSavesAndNeverOverwritesTheUnreadDay)
{
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    type(QStringLiteral("June 29"));

    // The database fails while the next day is read.
    execSql(app.databasePath(),
            QStringLiteral("DROP TABLE UserCon"));
    calendarDate = k20110630;
    const LoadResult failed = dm.LoadDayNote(editor);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, QStringLiteral("加载记事内容失败！"));
    EXPECT_FALSE(dm.NoteReady());
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("June 29")); // what the failed step left

    // The database comes back with the day's note; the editor still shows the other day.
    execSql(app.databasePath(), QStringLiteral("CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);"
                                               "INSERT INTO UserCon VALUES('20110630', CAST('June 30' AS BLOB));"));
    changesSeen.clear();
    type(QStringLiteral("!"));
    EXPECT_EQ(changesSeen, std::vector<bool>{false}); // no edit-time save after a failed load
    EXPECT_FALSE(dm.SaveDayNote(editor));             // the leave-save stores nothing over the unread note
    EXPECT_TRUE(dm.NoteReady());
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110630")), QByteArray("June 30"));

    // Once the day loads, saving works as before.
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("June 30"));
    type(QStringLiteral(" edited"));
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("June 30 edited"));
}

// A note the reader cannot read (nested deeper than it follows) is a failed load, never an empty or
// plain-text one that the next keystroke would save over the stored RTF.
TEST_F(DayNote, UnreadableNoteFailsToLoadAndIsNeverSavedOver)
{
    const QByteArray deep = "{\\rtf1 " + QByteArray(300, '{') + "deep" + QByteArray(300, '}') + "}";
    execSql(app.databasePath(), QStringLiteral("INSERT INTO UserCon VALUES('20110630', CAST('%1' AS BLOB))")
                                    .arg(QString::fromLatin1(deep)));
    const QByteArray stored = *storedNote(app.databasePath(), QStringLiteral("20110630"));
    ASSERT_TRUE(stored.startsWith("{\\rtf1 {{{"));
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    type(QStringLiteral("June 29"));

    calendarDate = k20110630;
    changesSeen.clear();
    const LoadResult failed = dm.LoadDayNote(editor);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.message, QStringLiteral("加载记事内容失败！"));
    EXPECT_TRUE(failed.detail.contains(QStringLiteral("256"))) << failed.detail.toStdString();
    EXPECT_FALSE(dm.NoteReady());
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("June 29")); // the reader left the editor alone

    type(QStringLiteral("!"));
    EXPECT_EQ(std::count(changesSeen.begin(), changesSeen.end(), true), 0);
    EXPECT_FALSE(dm.SaveDayNote(editor).ok);
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110630")), stored);
}

TEST_F(DayNote, SaveClearsTheProtectedAttributeOfTheSelectionOnly)
{
    ASSERT_TRUE(dm.LoadDayNote(editor).ok);
    editor.setPlainText(QStringLiteral("abcdef"));
    QTextCharFormat protectedFormat;
    protectedFormat.setProperty(ProtectedCharProperty, true);
    QTextCursor all(editor.document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(protectedFormat);

    QTextCursor selection(editor.document());
    selection.setPosition(1);
    selection.setPosition(3, QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);
    dm.SaveDayNote(editor);

    const auto isProtected = [&](int position) {
        QTextCursor probe(editor.document());
        probe.setPosition(position + 1); // the format of the character before the cursor
        return probe.charFormat().hasProperty(ProtectedCharProperty);
    };
    EXPECT_TRUE(isProtected(0));
    EXPECT_FALSE(isProtected(1));
    EXPECT_FALSE(isProtected(2));
    EXPECT_TRUE(isProtected(3));
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("abcdef"));
}

} // namespace
} // namespace tavemo::notes
