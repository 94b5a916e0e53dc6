// Loading and saving the note of a day into a document, wired the way the main window wires its
// editor: the document's change event saves only while NoteReady is true. And what happens when
// another program writes the same day: nothing unchanged is written back, a save never overwrites
// the other text, and a poll reloads the day when the document holds nothing unsaved.

#include "TestSupport.h"
#include "notes/DateKey.h"
#include "notes/uDM.h"
#include "richtext/RtfCodec.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace tavemo::notes {
namespace {

using test::execSql;
using test::queryText;
using test::storedNote;

constexpr double k20110629 = 40723.0;
constexpr double k20110630 = 40724.0;
const QString kKey = QStringLiteral("20110629");

class DayNote : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.createDatabase();
        const OpenResult opened = dm.DataModuleCreate(app.path());
        ASSERT_TRUE(opened.ok()) << opened.detail.toStdString();
        // The window's change handler: edit-time saves only while a note is ready.
        QObject::connect(&document, &QTextDocument::contentsChanged, [this] {
            changesSeen.push_back(dm.NoteReady());
            if (saveOnChange && dm.NoteReady())
                lastSave = dm.SaveDayNote(calendarDate, document);
        });
    }

    void TearDown() override { QObject::disconnect(&document, nullptr, nullptr, nullptr); }

    int rowCount() const
    {
        return queryText(app.databasePath(), QStringLiteral("SELECT count(*) FROM UserCon")).toInt();
    }
    qint64 revision(const QString& key = kKey) const
    {
        return queryText(app.databasePath(),
                         QStringLiteral("SELECT revision FROM NoteMeta WHERE conIndex = '%1'").arg(key))
            .toLongLong();
    }
    void type(const QString& text)
    {
        QTextCursor cursor(&document);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text);
    }
    // What another program stores on the day while the document shows it.
    void writeElsewhere(const QByteArray& note, const QString& origin = QStringLiteral("tavemo-notes@xyz"))
    {
        auto other = test::openStore(app.databasePath());
        ASSERT_NE(other, nullptr);
        qint64 current = 0;
        ASSERT_TRUE(other->revision(kKey, &current).ok());
        ASSERT_TRUE(other->save(kKey, note, current, origin, nullptr).ok());
    }
    QString storedText(const QString& key = kKey) const
    {
        QTextDocument stored;
        EXPECT_TRUE(richtext::readRtf(storedNote(app.databasePath(), key).value_or(QByteArray()), stored).ok());
        return stored.toPlainText();
    }

    test::TempAppDir app;
    double calendarDate = k20110629;
    TDM dm;
    QTextDocument document;
    bool saveOnChange = true;
    Outcome lastSave;
    std::vector<bool> changesSeen; // NoteReady as each change event saw it
};

TEST(DataModule, OpenFailureGivesTheStartUpMessage)
{
    test::TempAppDir app; // no database delivered
    TDM dm;
    const OpenResult opened = dm.DataModuleCreate(app.path());
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.message, QStringLiteral("配置文件加载失败，请重试！"));
    EXPECT_EQ(opened.detail, QStringLiteral("找不到记事数据库：%1").arg(app.databasePath()));
    EXPECT_EQ(dm.store(), nullptr);
    // Nothing can be loaded or saved, and nothing crashes trying.
    QTextDocument document;
    EXPECT_FALSE(dm.LoadDayNote(k20110629, document).ok());
    EXPECT_FALSE(dm.SaveDayNote(k20110629, document).ok());
    EXPECT_TRUE(dm.NoteReady());
    bool reloaded = true;
    EXPECT_TRUE(dm.ReloadIfChangedElsewhere(k20110629, document, &reloaded).ok());
    EXPECT_FALSE(reloaded);
}

TEST_F(DayNote, LoadingADayWithoutNoteEmptiesTheDocumentAndWritesNothing)
{
    document.setPlainText(QStringLiteral("another day's text"));
    changesSeen.clear();
    const LoadResult loaded = dm.LoadDayNote(calendarDate, document);
    ASSERT_TRUE(loaded.ok()) << loaded.detail.toStdString();
    EXPECT_TRUE(dm.NoteReady());
    EXPECT_TRUE(document.toPlainText().isEmpty());
    ASSERT_FALSE(changesSeen.empty());
    EXPECT_EQ(std::count(changesSeen.begin(), changesSeen.end(), true), 0);
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(DayNote, EditsAreSavedUnderTheDayAndLoadedBackWithoutBeingWrittenBack)
{
    calendarDate = k20110629 + 23.0 / 24 + 59.0 / 1440; // 23:59
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    type(QStringLiteral("晚上写的"));
    EXPECT_EQ(rowCount(), 1);
    // The window's saves name it.
    EXPECT_EQ(queryText(app.databasePath(), QStringLiteral("SELECT origin FROM NoteMeta")), TDM::origin());
    EXPECT_TRUE(TDM::origin().startsWith(QStringLiteral("tavemo-calendar@")));

    calendarDate = k20110630;
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    EXPECT_TRUE(document.toPlainText().isEmpty());
    type(QStringLiteral("next day"));
    EXPECT_EQ(rowCount(), 2);

    calendarDate = k20110629 + 1.0 / 1440; // 00:01 of the first day: the same row
    const QByteArray stored = *storedNote(app.databasePath(), kKey);
    changesSeen.clear();
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("晚上写的"));
    EXPECT_FALSE(document.isUndoAvailable()); // undo cannot bring back the other day's note
    EXPECT_EQ(std::count(changesSeen.begin(), changesSeen.end(), true), 0);
    EXPECT_EQ(storedNote(app.databasePath(), kKey), stored);

    type(QStringLiteral("，又添一句"));
    EXPECT_EQ(rowCount(), 2);
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("晚上写的，又添一句"));
}

// Leaving a day the user did not change (the editor's leave-save, the close picture) stores
// nothing: writing back what was loaded would overwrite whatever another program stored since,
// and turn a note that is not the editor's RTF (plain text, an older program's RTF) into it.
TEST_F(DayNote, AnUnchangedDocumentIsNeverStored)
{
    QTextDocument windowNote;
    windowNote.setPlainText(QStringLiteral("窗口存的记事"));
    const struct {
        const char* name;
        std::optional<QByteArray> stored; // nothing: the day has no note
        bool typeAndUndo;
    } cases[] = {
        {"an empty day left untouched", std::nullopt, false},
        {"a plain-text note left untouched", QStringLiteral("纯文本的记事").toUtf8(), false},
        {"an older program's RTF left untouched", QByteArray("{\\rtf1 older {\\b RTF}}"), false},
        // Told apart by the RTF the window writes: a note the window stored.
        {"a note typed in and undone", richtext::writeRtf(windowNote), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        execSql(app.databasePath(), QStringLiteral("DELETE FROM UserCon"));
        if (c.stored) {
            ASSERT_TRUE(test::openStore(app.databasePath())->save(kKey, *c.stored).ok());
        }
        const qint64 before = revision();
        ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
        if (c.typeAndUndo) {
            saveOnChange = false;
            type(QStringLiteral("x"));
            document.undo();
            saveOnChange = true;
        }
        const SaveResult saved = dm.SaveDayNote(calendarDate, document);
        EXPECT_TRUE(saved.ok()) << saved.detail.toStdString();
        EXPECT_TRUE(saved.message.isEmpty());
        EXPECT_TRUE(dm.NoteReady());
        EXPECT_EQ(revision(), before);
        EXPECT_EQ(storedNote(app.databasePath(), kKey), c.stored);
    }
}

TEST_F(DayNote, PlainTextInTheDatabaseLoadsAsText)
{
    execSql(app.databasePath(),
            QStringLiteral("INSERT INTO UserCon VALUES('20110629', CAST('第一行\n second line' AS BLOB))"));
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("第一行\n second line"));
}

TEST_F(DayNote, DatabaseErrorDuringSaveKeepsTheStoredNoteAndReadiesTheDocument)
{
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    type(QStringLiteral("kept"));
    const std::optional<QByteArray> before = storedNote(app.databasePath(), kKey);
    ASSERT_TRUE(before);
    execSql(app.databasePath(),
            QStringLiteral(
                "CREATE TRIGGER refuse BEFORE UPDATE ON UserCon BEGIN SELECT RAISE(ABORT, 'disk says no'); END"));

    type(QStringLiteral(" and lost"));
    const SaveResult failed = dm.SaveDayNote(calendarDate, document);
    EXPECT_FALSE(failed.ok());
    // What the window shows after "记事未能保存：": the reason in Chinese, then the database's words.
    EXPECT_EQ(failed.detail, QStringLiteral("数据库拒绝了这次写入（disk says no）"));
    EXPECT_TRUE(dm.NoteReady());
    EXPECT_EQ(storedNote(app.databasePath(), kKey), before);

    // The store carries on once the database takes writes again.
    execSql(app.databasePath(), QStringLiteral("DROP TRIGGER refuse"));
    EXPECT_TRUE(dm.SaveDayNote(calendarDate, document).ok());
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("kept and lost"));
}

TEST_F(DayNote, FailedLoadStopsEditTimeSavesAndNeverOverwritesTheUnreadDay)
{
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    type(QStringLiteral("June 29"));

    // The database fails while the next day is read.
    execSql(app.databasePath(), QStringLiteral("DROP TABLE UserCon"));
    calendarDate = k20110630;
    const LoadResult failed = dm.LoadDayNote(calendarDate, document);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.message, QStringLiteral("加载记事内容失败！"));
    EXPECT_FALSE(dm.NoteReady());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("June 29")); // what the failed step left

    // The database comes back with the day's note; the document still shows the other day.
    execSql(app.databasePath(), QStringLiteral("CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);"
                                               "INSERT INTO UserCon VALUES('20110630', CAST('June 30' AS BLOB));"));
    changesSeen.clear();
    type(QStringLiteral("!"));
    EXPECT_EQ(changesSeen, std::vector<bool>{false});          // no edit-time save after a failed load
    EXPECT_FALSE(dm.SaveDayNote(calendarDate, document).ok()); // the leave-save stores nothing over the unread note
    EXPECT_TRUE(dm.NoteReady());
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110630")), QByteArray("June 30"));

    // Once the day loads, saving works as before.
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("June 30"));
    type(QStringLiteral(" edited"));
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("June 30 edited"));
}

// A note the reader cannot read (nested deeper than it follows) is a failed load, never an empty or
// plain-text one that the next keystroke would save over the stored RTF.
TEST_F(DayNote, UnreadableNoteFailsToLoadAndIsNeverSavedOver)
{
    const QByteArray deep = "{\\rtf1 " + QByteArray(300, '{') + "deep" + QByteArray(300, '}') + "}";
    execSql(
        app.databasePath(),
        QStringLiteral("INSERT INTO UserCon VALUES('20110630', CAST('%1' AS BLOB))").arg(QString::fromLatin1(deep)));
    const QByteArray stored = *storedNote(app.databasePath(), QStringLiteral("20110630"));
    ASSERT_TRUE(stored.startsWith("{\\rtf1 {{{"));
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    type(QStringLiteral("June 29"));

    calendarDate = k20110630;
    changesSeen.clear();
    const LoadResult failed = dm.LoadDayNote(calendarDate, document);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.message, QStringLiteral("加载记事内容失败！"));
    EXPECT_TRUE(failed.detail.contains(QStringLiteral("256"))) << failed.detail.toStdString();
    EXPECT_FALSE(dm.NoteReady());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("June 29")); // the reader left the document alone

    type(QStringLiteral("!"));
    EXPECT_EQ(std::count(changesSeen.begin(), changesSeen.end(), true), 0);
    EXPECT_FALSE(dm.SaveDayNote(calendarDate, document).ok());
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110630")), stored);
}

// Another program stores the day while the window shows it; the user types on. Nothing is lost:
// the user's text first, a divider naming the other writer and the time, the other text with its
// formatting; the window's notice says so. Typing on stores over the merged note without a second
// divider.
TEST_F(DayNote, SaveAfterAnotherWriterKeepsBothTextsBelowADivider)
{
    const struct {
        const char* name;
        QString origin; // empty: a bare sqlite3 UPDATE, which names none
        QString writer; // how the divider names it
    } cases[] = {
        {"tavemo-notes put", QStringLiteral("tavemo-notes@xyz"), QStringLiteral("由 tavemo-notes（主机 xyz）写入")},
        {"a raw writer", {}, QStringLiteral("由其他程序写入")},
        {"an origin with a line break", QStringLiteral("sync\nengine"), QStringLiteral("由 sync?engine 写入")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        execSql(app.databasePath(), QStringLiteral("DELETE FROM UserCon"));
        execSql(app.databasePath(), QStringLiteral("INSERT INTO UserCon VALUES('%1', CAST('mine' AS BLOB))").arg(kKey));
        ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());

        const QByteArray theirs = "{\\rtf1 {\\b theirs} plain}";
        if (c.origin.isEmpty())
            execSql(app.databasePath(),
                    QStringLiteral("UPDATE UserCon SET data = CAST('%1' AS BLOB)").arg(QString::fromLatin1(theirs)));
        else
            writeElsewhere(theirs, c.origin);
        const qint64 modifiedMs =
            queryText(app.databasePath(),
                      QStringLiteral("SELECT modified FROM NoteMeta WHERE conIndex = '%1'").arg(kKey))
                .toLongLong();
        const QString when = QDateTime::fromMSecsSinceEpoch(modifiedMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));

        type(QStringLiteral(" typed"));
        EXPECT_TRUE(lastSave.ok()) << lastSave.detail.toStdString();
        EXPECT_EQ(lastSave.message, bothNotesKeptText());
        EXPECT_TRUE(dm.NoteReady());
        const QString divider = QStringLiteral("———— 另一份记事：%1 %2 ————").arg(when, c.writer);
        const QString merged = QStringLiteral("mine typed\n") + divider + QStringLiteral("\ntheirs plain");
        EXPECT_EQ(document.toPlainText().toStdString(), merged.toStdString());
        EXPECT_EQ(storedText(), merged);
        // The other text keeps its formatting.
        const QTextBlock last = document.lastBlock();
        EXPECT_TRUE(last.begin().fragment().charFormat().fontWeight() >= QFont::Bold) << last.text().toStdString();

        type(QStringLiteral("!"));
        EXPECT_TRUE(lastSave.ok());
        EXPECT_TRUE(lastSave.message.isEmpty());
        EXPECT_EQ(storedText(), merged + u'!');
    }
}

// A day deleted elsewhere, or written elsewhere with what the document holds, needs no divider.
TEST_F(DayNote, SaveAfterADeletionElsewhereStoresTheDocument)
{
    ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
    type(QStringLiteral("mine"));
    execSql(app.databasePath(), QStringLiteral("DELETE FROM UserCon"));
    type(QStringLiteral(" again"));
    EXPECT_TRUE(lastSave.ok()) << lastSave.detail.toStdString();
    EXPECT_TRUE(lastSave.message.isEmpty());
    EXPECT_EQ(storedText(), QStringLiteral("mine again"));
}

// The window's poll: the day is loaded again when it changed elsewhere and the document holds
// nothing unsaved; unsaved typing is left alone, and the next save keeps both texts.
TEST_F(DayNote, ReloadIfChangedElsewhereOnlyWhenNothingIsUnsaved)
{
    const struct {
        const char* name;
        bool changedElsewhere;
        bool unsaved;
        bool reloaded;
        QString shown; // what the document holds afterwards
    } cases[] = {
        {"nothing changed", false, false, false, QStringLiteral("mine")},
        {"nothing changed, typing unsaved", false, true, false, QStringLiteral("mine+")},
        {"changed elsewhere", true, false, true, QStringLiteral("theirs")},
        {"changed elsewhere, typing unsaved", true, true, false, QStringLiteral("mine+")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        execSql(app.databasePath(), QStringLiteral("DELETE FROM UserCon"));
        execSql(app.databasePath(), QStringLiteral("INSERT INTO UserCon VALUES('%1', CAST('mine' AS BLOB))").arg(kKey));
        ASSERT_TRUE(dm.LoadDayNote(calendarDate, document).ok());
        if (c.unsaved) {
            saveOnChange = false;
            type(QStringLiteral("+"));
            saveOnChange = true;
        }
        if (c.changedElsewhere)
            writeElsewhere("theirs");

        changesSeen.clear();
        bool reloaded = !c.reloaded;
        const ReloadResult polled = dm.ReloadIfChangedElsewhere(calendarDate, document, &reloaded);
        EXPECT_TRUE(polled.ok()) << polled.detail.toStdString();
        EXPECT_EQ(reloaded, c.reloaded);
        EXPECT_EQ(document.toPlainText(), c.shown);
        EXPECT_TRUE(dm.NoteReady());
        EXPECT_EQ(std::count(changesSeen.begin(), changesSeen.end(), true), 0); // a reload is never saved back
        // A poll right after finds nothing new.
        EXPECT_TRUE(dm.ReloadIfChangedElsewhere(calendarDate, document, &reloaded).ok());
        EXPECT_FALSE(reloaded);

        const SaveResult saved = dm.SaveDayNote(calendarDate, document);
        EXPECT_TRUE(saved.ok()) << saved.detail.toStdString();
        EXPECT_EQ(saved.message.isEmpty(), !(c.changedElsewhere && c.unsaved));
    }
    // A poll for a day the document was not loaded from does nothing.
    bool reloaded = true;
    EXPECT_TRUE(dm.ReloadIfChangedElsewhere(k20110630, document, &reloaded).ok());
    EXPECT_FALSE(reloaded);
}

} // namespace
} // namespace tavemo::notes
