// The note database: what opening accepts and refuses, the single row per day, the durable
// settings brought in by the first write, failures that say why, and delivering an empty
// database without ever replacing one.

#include "notes/NoteStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavemo::notes {
namespace {

using test::execSql;
using test::openStore;
using test::queryText;
using test::readFile;
using test::TempAppDir;
using test::writeFile;

QString pragma(NoteStore& store, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(store.handle(), sql, -1, &statement, nullptr), SQLITE_OK);
    QString value;
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

struct RefusedFile {
    const char* name;
    QByteArray bytes; // written as the file, when set
    const char* sql;  // else a database made with this SQL
    Failure failure;
};

TEST(NoteStoreOpen, RefusesWhatIsNotANoteDatabaseAndLeavesItUntouched)
{
    QByteArray noise(8192, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919) >> 3);
    const RefusedFile cases[] = {
        {"text file", "Provider=Microsoft.Jet.oledb.4.0\r\n", nullptr, Failure::Corrupt},
        {"random bytes", noise, nullptr, Failure::Corrupt},
        {"empty file", QByteArray(), nullptr, Failure::NotNoteDatabase},
        {"no UserCon table", {}, "CREATE TABLE Other(a TEXT)", Failure::NotNoteDatabase},
        {"UserCon without its key", {}, "CREATE TABLE UserCon(conIndex TEXT, data BLOB)", Failure::NotNoteDatabase},
        {"UserCon without data", {}, "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY)", Failure::NotNoteDatabase},
    };
    for (const RefusedFile& c : cases) {
        SCOPED_TRACE(c.name);
        TempAppDir app;
        QDir(app.path()).mkpath(QStringLiteral("Data"));
        if (c.sql) {
            test::makeDatabase(app.databasePath(), c.sql);
        } else {
            writeFile(app.databasePath(), c.bytes);
        }
        const QByteArray before = readFile(app.databasePath());

        for (const NoteStore::Access access : {NoteStore::Access::ReadOnly, NoteStore::Access::ReadWrite}) {
            std::unique_ptr<NoteStore> store;
            const Outcome opened = NoteStore::open(app.databasePath(), access, &store);
            EXPECT_FALSE(opened.ok());
            EXPECT_EQ(store, nullptr);
            EXPECT_EQ(opened.failure, c.failure) << opened.detail.toStdString();
            EXPECT_TRUE(opened.detail.startsWith(failureText(c.failure) + QStringLiteral("（")))
                << opened.detail.toStdString();
        }
        EXPECT_EQ(readFile(app.databasePath()), before);
    }
}

TEST(NoteStoreOpen, MissingFileIsRefusedAndNotCreated)
{
    TempAppDir app;
    std::unique_ptr<NoteStore> store;
    const Outcome opened = NoteStore::open(app.databasePath(), NoteStore::Access::ReadWrite, &store);
    EXPECT_EQ(opened.failure, Failure::Missing);
    EXPECT_TRUE(opened.detail.contains(app.databasePath())) << opened.detail.toStdString();
    EXPECT_FALSE(QFile::exists(app.databasePath()));
}

// A database converted by hand: no schema version, rollback journal, notes stored as text and as
// NULL. Opening it reads it and changes nothing; the first save brings it up to date.
TEST(NoteStoreOpen, OlderDatabaseIsReadAsItIsAndBroughtUpToDateByTheFirstSave)
{
    TempAppDir app;
    test::makeDatabase(app.databasePath(),
                       "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data TEXT);"
                       "INSERT INTO UserCon VALUES('20110629', 'plain text note'), ('20110630', NULL),"
                       "('20110628', '中文');");
    const auto before = test::folderState(app.path());

    auto store = openStore(app.databasePath());
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(pragma(*store, "PRAGMA synchronous"), QStringLiteral("2")); // FULL, for this connection
    std::optional<QByteArray> note;
    ASSERT_TRUE(store->load(QStringLiteral("20110629"), &note).ok());
    EXPECT_EQ(note, QByteArray("plain text note"));
    ASSERT_TRUE(store->load(QStringLiteral("20110630"), &note).ok());
    EXPECT_EQ(note, QByteArray());
    ASSERT_TRUE(store->load(QStringLiteral("20110701"), &note).ok());
    EXPECT_FALSE(note.has_value());
    std::vector<NoteStore::Entry> entries;
    ASSERT_TRUE(store->list(&entries).ok());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].size, 6); // a note stored as text has the size of its UTF-8
    EXPECT_EQ(entries[1].size, 15);
    EXPECT_EQ(entries[2].size, 0);
    EXPECT_EQ(test::folderState(app.path()), before);

    ASSERT_TRUE(store->save(QStringLiteral("20110701"), "new").ok());
    EXPECT_EQ(pragma(*store, "PRAGMA user_version"), QString::number(NoteStore::kSchemaVersion));
    EXPECT_EQ(pragma(*store, "PRAGMA journal_mode"), QStringLiteral("wal"));
}

TEST(NoteStoreSave, OneRowPerDayWhateverTheKeyHolds)
{
    TempAppDir app;
    app.createDatabase();
    auto store = openStore(app.databasePath());
    ASSERT_NE(store, nullptr);

    const QString quoteKey = QStringLiteral("2011'); DROP TABLE UserCon; --");
    ASSERT_TRUE(store->save(QStringLiteral("20110629"), "first").ok());
    ASSERT_TRUE(store->save(QStringLiteral("20110629"), "second").ok());
    ASSERT_TRUE(store->save(QStringLiteral("20110630"), QByteArray()).ok()); // an empty note still makes its row
    ASSERT_TRUE(store->save(quoteKey, "kept literally").ok());

    EXPECT_EQ(queryText(app.databasePath(), QStringLiteral("SELECT count(*) FROM UserCon")), QStringLiteral("3"));
    std::optional<QByteArray> note;
    ASSERT_TRUE(store->load(QStringLiteral("20110629"), &note).ok());
    EXPECT_EQ(note, QByteArray("second"));
    ASSERT_TRUE(store->load(QStringLiteral("20110630"), &note).ok());
    EXPECT_EQ(note, QByteArray());
    EXPECT_EQ(
        queryText(app.databasePath(), QStringLiteral("SELECT typeof(data) FROM UserCon WHERE conIndex='20110630'")),
        QStringLiteral("blob"));
    ASSERT_TRUE(store->load(quoteKey, &note).ok());
    EXPECT_EQ(note, QByteArray("kept literally"));

    std::vector<NoteStore::Entry> entries;
    ASSERT_TRUE(store->list(&entries).ok());
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
    auto store = openStore(app.databasePath());
    ASSERT_NE(store, nullptr);
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i) // NULs, high bytes, and more than one database page
        bytes += static_cast<char>(i * 31);
    ASSERT_TRUE(store->save(QStringLiteral("20240229"), bytes).ok());
    std::optional<QByteArray> note;
    ASSERT_TRUE(store->load(QStringLiteral("20240229"), &note).ok());
    EXPECT_EQ(note, bytes);
}

TEST(NoteStoreCreate, DeliversAnEmptyDatabaseButNeverReplacesOne)
{
    TempAppDir app;
    bool created = false;
    Outcome result = NoteStore::create(app.databasePath(), &created);
    ASSERT_TRUE(result.ok() && created) << result.detail.toStdString();
    {
        auto store = openStore(app.databasePath());
        ASSERT_NE(store, nullptr);
        std::vector<NoteStore::Entry> entries;
        ASSERT_TRUE(store->list(&entries).ok());
        EXPECT_TRUE(entries.empty());
        EXPECT_EQ(pragma(*store, "PRAGMA journal_mode"), QStringLiteral("wal"));
        ASSERT_TRUE(store->save(QStringLiteral("20110629"), "the user's note").ok());
    }
    result = NoteStore::create(app.databasePath(), &created);
    EXPECT_TRUE(result.ok() && !created);
    EXPECT_EQ(test::storedNote(app.databasePath(), QStringLiteral("20110629")), QByteArray("the user's note"));
    // Nothing is left behind beside the database.
    EXPECT_EQ(QDir(app.path() + QStringLiteral("/Data")).entryList(QDir::Files), QStringList{"UserData.db"});

    // Whatever else holds the name is kept too: a file of another kind, a link.
    TempAppDir other;
    QDir(other.path()).mkpath(QStringLiteral("Data"));
    writeFile(other.databasePath(), "not a database, but someone's");
    EXPECT_TRUE(NoteStore::create(other.databasePath(), &created).ok());
    EXPECT_FALSE(created);
    EXPECT_EQ(readFile(other.databasePath()), "not a database, but someone's");
}

// The name is claimed with O_EXCL and the table made inside it, with no hard link (which FAT and
// exFAT lack): a file left with no bytes by a creation that stopped is completed, and many
// creators at once make one database.
TEST(NoteStoreCreate, CompletesAnEmptyFileAndSurvivesCreatorsRacing)
{
    TempAppDir app;
    QDir(app.path()).mkpath(QStringLiteral("Data"));
    writeFile(app.databasePath(), {});
    bool created = false;
    ASSERT_TRUE(NoteStore::create(app.databasePath(), &created).ok());
    EXPECT_TRUE(created);
    EXPECT_NE(openStore(app.databasePath()), nullptr);

    TempAppDir raced;
    std::vector<pid_t> children;
    for (int i = 0; i < 8; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            bool made = false;
            const bool ok = NoteStore::create(raced.databasePath(), &made).ok();
            ::_exit(ok ? (made ? 10 : 11) : 1);
        }
        children.push_back(pid);
    }
    int made = 0;
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 1);
        made += WEXITSTATUS(status) == 10;
    }
    EXPECT_GE(made, 1);
    auto store = openStore(raced.databasePath());
    ASSERT_NE(store, nullptr);
    ASSERT_TRUE(store->save(QStringLiteral("20110629"), "x").ok());
    EXPECT_EQ(QDir(raced.path() + QStringLiteral("/Data")).entryList(QDir::Files),
              (QStringList{"UserData.db", "UserData.db-shm", "UserData.db-wal"}));
}

// Failures below the store come back with their kind and a Chinese reason: another program holding
// the lock past the wait, a folder or a file the user may not write.
TEST(NoteStoreFailure, BusyPastTheTimeout)
{
    TempAppDir app;
    app.createDatabase();
    auto store = openStore(app.databasePath());
    ASSERT_NE(store, nullptr);
    store->setBusyTimeout(50);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(app.databasePath()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    const Outcome saved = store->save(QStringLiteral("20110629"), "waits");
    EXPECT_EQ(saved.failure, Failure::Busy);
    EXPECT_EQ(saved.detail, QStringLiteral("数据库被其他程序锁定（database is locked）"));
    std::optional<QByteArray> note;
    EXPECT_TRUE(store->load(QStringLiteral("20110629"), &note).ok()); // readers are not held up by the log

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(store->save(QStringLiteral("20110629"), "goes through").ok());
}

TEST(NoteStoreFailure, ReadOnlyFolderAndUnwritableFile)
{
    TempAppDir app;
    app.createDatabase();
    {
        auto store = openStore(app.databasePath());
        ASSERT_TRUE(store->save(QStringLiteral("20110629"), "kept").ok());
    }
    // The child reports through its exit status: 0 when every expectation held, else the number
    // of the first that did not.
    const auto check = [&app] {
        return test::runWithoutPrivileges([&app]() -> int {
            std::unique_ptr<NoteStore> reader;
            if (!NoteStore::open(app.databasePath(), NoteStore::Access::ReadOnly, &reader).ok())
                return 2;
            std::optional<QByteArray> note;
            if (!reader->load(QStringLiteral("20110629"), &note).ok() || note != QByteArray("kept"))
                return 3;
            if (reader->save(QStringLiteral("20110629"), "x").failure != Failure::NoPermission)
                return 4;
            std::unique_ptr<NoteStore> writer;
            if (!NoteStore::open(app.databasePath(), NoteStore::Access::ReadWrite, &writer).ok())
                return 5;
            const Outcome saved = writer->save(QStringLiteral("20110629"), "lost");
            if (saved.failure != Failure::NoPermission || !saved.detail.startsWith(QStringLiteral("没有写入权限（")))
                return 6;
            return 0;
        });
    };
    const QByteArray before = readFile(app.databasePath());
    test::setReadOnly(app.path(), true);
    EXPECT_EQ(check(), 0) << "read-only folder";
    test::setReadOnly(app.path(), false);
    // A folder the user may write, a database file they may not.
    ::chmod(QFile::encodeName(app.path() + QStringLiteral("/Data")).constData(), 0777);
    ::chmod(QFile::encodeName(app.databasePath()).constData(), 0444);
    ::chmod(QFile::encodeName(app.path()).constData(), 0755);
    EXPECT_EQ(check(), 0) << "unwritable file";
    ::chmod(QFile::encodeName(app.databasePath()).constData(), 0644);
    EXPECT_EQ(readFile(app.databasePath()), before);
}

} // namespace
} // namespace tavemo::notes
