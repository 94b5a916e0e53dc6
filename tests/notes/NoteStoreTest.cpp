// The note database: what opening accepts and refuses, the single row per day, the durable
// settings, and delivering an empty database without ever replacing one.

#include "NoteStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sqlite3.h>

namespace tavemo::notes {
namespace {

using test::execSql;
using test::queryText;
using test::readFile;
using test::TempAppDir;
using test::writeFile;

QString pragma(NoteStore &store, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(store.handle(), sql, -1, &statement, nullptr), SQLITE_OK);
    QString value;
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

struct RefusedFile {
    const char *name;
    QByteArray bytes;   // written as the file, when set
    const char *sql;    // else a database made with this SQL
};

TEST(NoteStoreOpen, RefusesWhatIsNotANoteDatabaseAndLeavesItUntouched)
{
    QByteArray noise(8192, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919) >> 3);
    const RefusedFile cases[] = {
        {"text file", "Provider=Microsoft.Jet.oledb.4.0\r\n", nullptr},
        {"random bytes", noise, nullptr},
        {"empty file", QByteArray(), nullptr},
        {"no UserCon table", {}, "CREATE TABLE Other(a TEXT)"},
        {"UserCon without its key", {}, "CREATE TABLE UserCon(conIndex TEXT, data BLOB)"},
        {"UserCon without data", {}, "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY)"},
        {"newer schema", {}, "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB); PRAGMA user_version = 2"},
    };
    for (const RefusedFile &c : cases) {
        SCOPED_TRACE(c.name);
        TempAppDir app;
        QDir(app.path()).mkpath(QStringLiteral("Data"));
        if (c.sql) {
            sqlite3 *db = nullptr;
            ASSERT_EQ(sqlite3_open(QFile::encodeName(app.databasePath()).constData(), &db), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(db, c.sql, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        } else {
            writeFile(app.databasePath(), c.bytes);
        }
        const QByteArray before = readFile(app.databasePath());

        QString error;
        EXPECT_EQ(NoteStore::open(app.databasePath(), &error), nullptr);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(readFile(app.databasePath()), before);
    }
}

TEST(NoteStoreOpen, MissingFileIsRefusedAndNotCreated)
{
    TempAppDir app;
    QString error;
    EXPECT_EQ(NoteStore::open(app.databasePath(), &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("no such file"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(app.databasePath()));
}

TEST(NoteStoreOpen, OlderDatabaseIsBroughtToTheCurrentSchemaWithDurableSettings)
{
    // A database converted by hand: no schema version, notes stored as text and as NULL.
    TempAppDir app;
    QDir(app.path()).mkpath(QStringLiteral("Data"));
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(app.databasePath()).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data TEXT);"
                           "INSERT INTO UserCon VALUES('20110629', 'plain text note'), ('20110630', NULL);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    QString error;
    auto store = NoteStore::open(app.databasePath(), &error);
    ASSERT_NE(store, nullptr) << error.toStdString();
    EXPECT_EQ(pragma(*store, "PRAGMA user_version"), QStringLiteral("1"));
    EXPECT_EQ(pragma(*store, "PRAGMA journal_mode"), QStringLiteral("wal"));
    EXPECT_EQ(pragma(*store, "PRAGMA synchronous"), QStringLiteral("2")); // FULL

    std::optional<QByteArray> note;
    ASSERT_TRUE(store->load(QStringLiteral("20110629"), &note));
    EXPECT_EQ(note, QByteArray("plain text note"));
    ASSERT_TRUE(store->load(QStringLiteral("20110630"), &note));
    EXPECT_EQ(note, QByteArray());
    ASSERT_TRUE(store->load(QStringLiteral("20110701"), &note));
    EXPECT_FALSE(note.has_value());
}

TEST(NoteStoreSave, OneRowPerDayWhateverTheKeyHolds)
{
    TempAppDir app;
    app.createDatabase();
    auto store = NoteStore::open(app.databasePath());
    ASSERT_NE(store, nullptr);

    const QString quoteKey = QStringLiteral("2011'); DROP TABLE UserCon; --");
    ASSERT_TRUE(store->save(QStringLiteral("20110629"), "first"));
    ASSERT_TRUE(store->save(QStringLiteral("20110629"), "second"));
    ASSERT_TRUE(store->save(QStringLiteral("20110630"), QByteArray())); // an empty note still makes its row
    ASSERT_TRUE(store->save(quoteKey, "kept literally"));

    EXPECT_EQ(queryText(app.databasePath(), QStringLiteral("SELECT count(*) FROM UserCon")), QStringLiteral("3"));
    std::optional<QByteArray> note;
    ASSERT_TRUE(store->load(QStringLiteral("20110629"), &note));
    EXPECT_EQ(note, QByteArray("second"));
    ASSERT_TRUE(store->load(QStringLiteral("20110630"), &note));
    EXPECT_EQ(note, QByteArray());
    EXPECT_EQ(queryText(app.databasePath(), QStringLiteral("SELECT typeof(data) FROM UserCon WHERE conIndex='20110630'")),
              QStringLiteral("blob"));
    ASSERT_TRUE(store->load(quoteKey, &note));
    EXPECT_EQ(note, QByteArray("kept literally"));

    std::vector<NoteStore::Entry> entries;
    ASSERT_TRUE(store->list(&entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].key, QStringLiteral("2011'); DROP TABLE UserCon; --"));
    EXPECT_EQ(entries[1].key, QStringLiteral("20110629"));
    EXPECT_EQ(entries[1].size, 6);
    EXPECT_EQ(entries[2].size, 0);
}

TEST(NoteStoreSave, BinaryNoteKeepsEveryByte)
{
    TempAppDir app;
    app.createDatabase();
    auto store = NoteStore::open(app.databasePath());
    ASSERT_NE(store, nullptr);
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i) // NULs, high bytes, and more than one database page
        bytes += static_cast<char>(i * 31);
    ASSERT_TRUE(store->save(QStringLiteral("20240229"), bytes));
    std::optional<QByteArray> note;
    ASSERT_TRUE(store->load(QStringLiteral("20240229"), &note));
    EXPECT_EQ(note, bytes);
}

TEST(NoteStoreCreate, DeliversAnEmptyDatabaseButNeverReplacesOne)
{
    TempAppDir app;
    QString error;
    ASSERT_EQ(NoteStore::create(app.databasePath(), &error), NoteStore::CreateResult::Created) << error.toStdString();
    {
        auto store = NoteStore::open(app.databasePath());
        ASSERT_NE(store, nullptr);
        std::vector<NoteStore::Entry> entries;
        ASSERT_TRUE(store->list(&entries));
        EXPECT_TRUE(entries.empty());
        ASSERT_TRUE(store->save(QStringLiteral("20110629"), "the user's note"));
    }
    EXPECT_EQ(NoteStore::create(app.databasePath(), &error), NoteStore::CreateResult::AlreadyThere);
    EXPECT_EQ(test::storedNote(app.databasePath(), QStringLiteral("20110629")), QByteArray("the user's note"));
    // Nothing is left behind beside the database.
    EXPECT_EQ(QDir(app.path() + QStringLiteral("/Data")).entryList(QDir::Files), QStringList{"UserData.db"});
}

} // namespace
} // namespace tavemo::notes
