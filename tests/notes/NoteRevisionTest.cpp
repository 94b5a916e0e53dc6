// The schema ladder and the revisions of notes: every older file is brought up to date by its first
// save with its notes as they were, a newer one is read and never written, a step that fails
// changes nothing; every writer bumps a note's revision, and a save made against a revision that
// is no longer the current one never overwrites what another writer stored.

#include "TestSupport.h"
#include "notes/NoteStore.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <vector>

namespace tavemo::notes {
namespace {

using test::execSql;
using test::openStore;
using test::queryText;
using test::readFile;
using test::storedNote;
using test::TempAppDir;

// Everything SQLite keeps of a schema (tables, indexes, triggers), for comparing two files.
QString schemaOf(const QString& path)
{
    return queryText(path, QStringLiteral("SELECT group_concat(type || ' ' || name || ': ' || sql, char(10)) FROM "
                                          "(SELECT * FROM sqlite_master WHERE sql IS NOT NULL ORDER BY name)"));
}

QString userVersion(const QString& path) { return queryText(path, QStringLiteral("PRAGMA user_version")); }

StoredNote loaded(NoteStore& store, const QString& key)
{
    StoredNote note;
    const Outcome result = store.load(key, &note);
    EXPECT_TRUE(result.ok()) << result.detail.toStdString();
    return note;
}

qint64 revisionOf(NoteStore& store, const QString& key)
{
    qint64 revision = -1;
    const Outcome result = store.revision(key, &revision);
    EXPECT_TRUE(result.ok()) << result.detail.toStdString();
    return revision;
}

// Notes as older builds and hand conversions stored them: RTF, binary bytes, text, NULL.
constexpr const char* kOldNotes =
    "INSERT INTO UserCon VALUES('20110629', CAST('{\\rtf1 old}' AS BLOB)), ('20110630', x'00FF0D0A'),"
    "('20110701', '纯文本'), ('20110702', NULL);";
const std::map<QString, QByteArray>& oldNotes()
{
    static const std::map<QString, QByteArray> notes{
        {QStringLiteral("20110629"), QByteArray("{\\rtf1 old}")},
        {QStringLiteral("20110630"), QByteArray("\x00\xFF\r\n", 4)},
        {QStringLiteral("20110701"), QStringLiteral("纯文本").toUtf8()},
        {QStringLiteral("20110702"), QByteArray()},
    };
    return notes;
}

TEST(NoteSchema, EveryEarlierVersionIsBroughtUpToDateByTheFirstSaveWithItsNotesAsTheyWere)
{
    TempAppDir fresh;
    fresh.createDatabase();
    const QString currentSchema = schemaOf(fresh.databasePath());
    ASSERT_TRUE(currentSchema.contains(QStringLiteral("NoteMeta"))) << currentSchema.toStdString();
    ASSERT_EQ(userVersion(fresh.databasePath()), QString::number(NoteStore::kSchemaVersion));

    struct OldFile {
        const char* name;
        std::string sql;
    };
    const std::string table = "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);";
    const OldFile cases[] = {
        {"version 0: the table alone, rollback journal", table + kOldNotes},
        {"version 1, write-ahead log", "PRAGMA journal_mode = WAL;" + table + "PRAGMA user_version = 1;" + kOldNotes},
    };
    for (const OldFile& c : cases) {
        SCOPED_TRACE(c.name);
        TempAppDir app;
        test::makeDatabase(app.databasePath(), c.sql.c_str());
        const QByteArray before = readFile(app.databasePath());

        auto store = openStore(app.databasePath());
        ASSERT_NE(store, nullptr);
        // Not yet migrated: the notes read with revision 0, and reading writes nothing.
        for (const auto& [key, bytes] : oldNotes()) {
            const StoredNote note = loaded(*store, key);
            EXPECT_EQ(note.data, bytes) << key.toStdString();
            EXPECT_EQ(note.revision, 0);
            EXPECT_EQ(revisionOf(*store, key), 0);
        }
        EXPECT_EQ(readFile(app.databasePath()), before);

        qint64 revision = -1;
        const Outcome saved = store->save(QStringLiteral("20240101"), "new", 0, QStringLiteral("test@host"), &revision);
        ASSERT_TRUE(saved.ok()) << saved.detail.toStdString();
        EXPECT_EQ(revision, 1); // the migration gave the old rows no revision of their own
        EXPECT_EQ(revisionOf(*store, QStringLiteral("20240101")), 1);
        for (const auto& [key, bytes] : oldNotes()) {
            EXPECT_EQ(storedNote(app.databasePath(), key), bytes) << key.toStdString();
            EXPECT_EQ(loaded(*store, key).revision, 0);
        }
        store.reset();
        EXPECT_EQ(userVersion(app.databasePath()), QString::number(NoteStore::kSchemaVersion));
        EXPECT_EQ(queryText(app.databasePath(), QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
        EXPECT_EQ(schemaOf(app.databasePath()), currentSchema); // the ladder built what create() builds
        EXPECT_EQ(queryText(app.databasePath(), QStringLiteral("SELECT count(*) FROM NoteMeta")), QStringLiteral("1"));
    }
}

TEST(NoteSchema, NewerFileIsReadButNeverWritten)
{
    struct NewerFile {
        const char* name;
        bool fromCreate; // else the table alone
    };
    const NewerFile cases[] = {
        {"this schema with a later version", true},
        {"a later schema without NoteMeta", false},
    };
    for (const NewerFile& c : cases) {
        SCOPED_TRACE(c.name);
        TempAppDir app;
        if (c.fromCreate)
            app.createDatabase();
        else
            test::makeDatabase(app.databasePath(), "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);");
        execSql(app.databasePath(),
                QStringLiteral("INSERT INTO UserCon VALUES('20110629', CAST('from the future' AS BLOB));"
                               "PRAGMA user_version = %1")
                    .arg(NoteStore::kSchemaVersion + 1));
        const QByteArray before = readFile(app.databasePath());

        std::unique_ptr<NoteStore> writer;
        const Outcome refused = NoteStore::open(app.databasePath(), NoteStore::Access::ReadWrite, &writer);
        EXPECT_EQ(refused.failure, Failure::NewerSchema);
        EXPECT_EQ(writer, nullptr);
        EXPECT_TRUE(
            refused.detail.startsWith(QStringLiteral("数据库由更新版本的程序写成（本版本的程序只读取它，不写入")))
            << refused.detail.toStdString();

        auto reader = openStore(app.databasePath(), NoteStore::Access::ReadOnly);
        ASSERT_NE(reader, nullptr);
        const StoredNote note = loaded(*reader, QStringLiteral("20110629"));
        EXPECT_EQ(note.data, QByteArray("from the future"));
        EXPECT_EQ(note.revision > 0, c.fromCreate);
        std::vector<NoteStore::Entry> entries;
        ASSERT_TRUE(reader->list(&entries).ok());
        EXPECT_EQ(entries.size(), 1u);
        reader.reset();
        EXPECT_EQ(readFile(app.databasePath()), before);
    }

    // A newer program takes over a file that this one already has open for writing.
    TempAppDir app;
    app.createDatabase();
    auto store = openStore(app.databasePath());
    ASSERT_TRUE(store->save(QStringLiteral("20110629"), "mine").ok());
    execSql(app.databasePath(), QStringLiteral("PRAGMA user_version = %1").arg(NoteStore::kSchemaVersion + 1));
    EXPECT_EQ(store->save(QStringLiteral("20110629"), "over a newer file").failure, Failure::NewerSchema);
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110629")), QByteArray("mine"));
}

// Each step is a transaction of its own: one that fails leaves the file at the version of the
// last step that succeeded, and a failure in the first step leaves it as it was, byte for byte.
TEST(NoteSchema, FailedStepLeavesTheFileAtItsVersion)
{
    struct Failing {
        const char* name;
        const char* sql;
        bool readOnlyFile; // saved by a user who may not write the file
        Failure failure;
        const char* versionAfter;
        bool unchanged;
    };
    const Failing cases[] = {
        {"the name of the new table taken",
         "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB); CREATE TABLE NoteMeta(x);"
         "INSERT INTO UserCon VALUES('20110629', x'01'); PRAGMA user_version = 1",
         false, Failure::Other, "1", true},
        {"a read-only file",
         "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB); INSERT INTO UserCon VALUES('20110629', x'01')",
         true, Failure::NoPermission, "0", true},
        {"the name taken two steps up",
         "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB); CREATE TABLE NoteMeta(x);"
         "INSERT INTO UserCon VALUES('20110629', x'01')",
         false, Failure::Other, "1", false},
    };
    for (const Failing& c : cases) {
        SCOPED_TRACE(c.name);
        TempAppDir app;
        test::makeDatabase(app.databasePath(), c.sql);
        const QByteArray before = readFile(app.databasePath());

        const auto save = [&app]() -> int {
            std::unique_ptr<NoteStore> store;
            if (!NoteStore::open(app.databasePath(), NoteStore::Access::ReadWrite, &store).ok())
                return -1;
            const Outcome saved = store->save(QStringLiteral("20110630"), "new");
            if (saved.failure == Failure::Other && !saved.detail.contains(QStringLiteral("未能从第")))
                return -2; // the reason must name the step
            std::optional<QByteArray> note;
            if (!store->load(QStringLiteral("20110629"), &note).ok() || note != QByteArray("\x01"))
                return -3; // and the notes still read
            return static_cast<int>(saved.failure);
        };
        if (c.readOnlyFile) {
            ::chmod(QFile::encodeName(app.path()).constData(), 0755);
            ::chmod(QFile::encodeName(app.path() + QStringLiteral("/Data")).constData(), 0755);
            ::chmod(QFile::encodeName(app.databasePath()).constData(), 0444);
            EXPECT_EQ(test::runWithoutPrivileges(save), static_cast<int>(c.failure));
            ::chmod(QFile::encodeName(app.databasePath()).constData(), 0644);
        } else {
            EXPECT_EQ(save(), static_cast<int>(c.failure));
        }
        if (c.unchanged) {
            EXPECT_EQ(readFile(app.databasePath()), before);
        }
        EXPECT_EQ(userVersion(app.databasePath()), QString::fromLatin1(c.versionAfter));
        EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110630")), std::nullopt);
    }
}

// One sequence of changes by the store and by a bare SQL writer. After each, the days it changed
// have new revisions, each above every revision the file had before, and every other day keeps its.
TEST(NoteRevision, EveryWriterBumpsItAndNoRevisionRepeats)
{
    TempAppDir app;
    app.createDatabase();
    auto store = openStore(app.databasePath());
    ASSERT_NE(store, nullptr);

    struct Change {
        const char* what;
        const char* sql;        // run by a bare connection first, when set
        const char* storeSaves; // then the store saves this day, when set
        std::vector<QString> changed;
    };
    const Change changes[] = {
        {"the store's save", nullptr, "20110629", {"20110629"}},
        {"an INSERT", "INSERT INTO UserCon VALUES('20110630', x'01')", nullptr, {"20110630"}},
        {"an INSERT of two rows",
         "INSERT INTO UserCon VALUES('20110701', x'02'), ('20110702', x'03')",
         nullptr,
         {"20110701", "20110702"}},
        {"an UPDATE of the store's note",
         "UPDATE UserCon SET data = x'04' WHERE conIndex = '20110629'",
         nullptr,
         {"20110629"}},
        {"an UPDATE to the same bytes",
         "UPDATE UserCon SET data = data WHERE conIndex = '20110630'",
         nullptr,
         {"20110630"}},
        {"a DELETE", "DELETE FROM UserCon WHERE conIndex = '20110701'", nullptr, {"20110701"}},
        {"a deleted day written again", "INSERT INTO UserCon VALUES('20110701', x'05')", nullptr, {"20110701"}},
        {"a key changed in place",
         "UPDATE UserCon SET conIndex = '20110703' WHERE conIndex = '20110702'",
         nullptr,
         {"20110702", "20110703"}},
        {"an INSERT OR REPLACE", "INSERT OR REPLACE INTO UserCon VALUES('20110630', x'06')", nullptr, {"20110630"}},
    };
    const QStringList days{"20110629", "20110630", "20110701", "20110702", "20110703"};
    std::map<QString, qint64> revisions; // what each day had after the last change
    qint64 highest = 0;
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const qint64 startMs = QDateTime::currentMSecsSinceEpoch();
        if (change.sql)
            execSql(app.databasePath(), QString::fromUtf8(change.sql));
        if (change.storeSaves) {
            ASSERT_TRUE(store->save(QString::fromLatin1(change.storeSaves), "by the store").ok());
        }
        const qint64 endMs = QDateTime::currentMSecsSinceEpoch();

        qint64 highestNow = highest;
        std::vector<qint64> newRevisions;
        for (const QString& day : days) {
            const StoredNote note = loaded(*store, day);
            EXPECT_EQ(revisionOf(*store, day), note.revision) << day.toStdString();
            const bool changed = std::find(change.changed.begin(), change.changed.end(), day) != change.changed.end();
            if (!changed) {
                EXPECT_EQ(note.revision, revisions[day]) << day.toStdString();
                continue;
            }
            EXPECT_GT(note.revision, highest) << day.toStdString();
            EXPECT_GE(note.modifiedMs, startMs);
            EXPECT_LE(note.modifiedMs, endMs);
            EXPECT_EQ(note.origin, change.storeSaves ? NoteStore::defaultOrigin() : QString()) << day.toStdString();
            newRevisions.push_back(note.revision);
            revisions[day] = note.revision;
            highestNow = std::max(highestNow, note.revision);
        }
        std::sort(newRevisions.begin(), newRevisions.end());
        EXPECT_EQ(std::adjacent_find(newRevisions.begin(), newRevisions.end()), newRevisions.end())
            << "a repeated revision";
        highest = highestNow;
    }
    // A deleted day keeps its tombstone: no note, the revision of its deletion.
    execSql(app.databasePath(), QStringLiteral("DELETE FROM UserCon WHERE conIndex = '20110703'"));
    const StoredNote deleted = loaded(*store, QStringLiteral("20110703"));
    EXPECT_EQ(deleted.data, std::nullopt);
    EXPECT_GT(deleted.revision, highest);

    // Another program rebuilds the table without the triggers: the store's saves still count.
    execSql(app.databasePath(), QStringLiteral("CREATE TABLE Copy AS SELECT * FROM UserCon; DROP TABLE UserCon;"
                                               "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);"
                                               "INSERT INTO UserCon SELECT * FROM Copy; DROP TABLE Copy"));
    qint64 rebuilt = -1;
    ASSERT_TRUE(store
                    ->save(QStringLiteral("20110630"), "after the rebuild", revisions[QStringLiteral("20110630")],
                           QString(), &rebuilt)
                    .ok());
    EXPECT_GT(rebuilt, deleted.revision);
    EXPECT_EQ(revisionOf(*store, QStringLiteral("20110630")), rebuilt);
    EXPECT_TRUE(NoteStore::defaultOrigin().contains(u'@')) << NoteStore::defaultOrigin().toStdString();
}

// The window's save: another writer changes the day between the window's load and its save; the
// window's save then stores nothing and reports the current revision, and once the window has that
// revision (after reloading), its save goes through.
TEST(NoteRevision, SaveIfUnchangedNeverOverwritesAnotherWritersNote)
{
    enum class Writer { Store, BareUpdate, BareDelete };
    struct Case {
        const char* name;
        bool versionOneFile;             // a file not yet migrated, which the other writer's save migrates
        std::optional<QByteArray> shown; // what the window loaded
        Writer writer;
        std::optional<QByteArray> left; // what the other writer left stored
    };
    const Case cases[] = {
        {"another store's save", false, "old", Writer::Store, "from put"},
        {"a bare UPDATE", false, "old", Writer::BareUpdate, "from sqlite3"},
        {"a bare DELETE", false, "old", Writer::BareDelete, std::nullopt},
        {"a note put on a day shown empty", false, std::nullopt, Writer::Store, "from put"},
        {"another store's save that migrates the file", true, "old", Writer::Store, "from put"},
    };
    const QString day = QStringLiteral("20110629");
    const QString origin = QStringLiteral("tavemo-calendar@test");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempAppDir app;
        if (c.versionOneFile) {
            test::makeDatabase(app.databasePath(), "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);"
                                                   "PRAGMA user_version = 1;");
        } else {
            app.createDatabase();
        }
        if (c.shown)
            execSql(app.databasePath(), QStringLiteral("INSERT INTO UserCon VALUES('%1', CAST('%2' AS BLOB))")
                                            .arg(day, QString::fromLatin1(*c.shown)));
        auto window = openStore(app.databasePath());
        ASSERT_NE(window, nullptr);
        const StoredNote shown = loaded(*window, day);
        ASSERT_EQ(shown.data, c.shown);

        switch (c.writer) {
        case Writer::Store: {
            auto other = openStore(app.databasePath());
            ASSERT_TRUE(other->save(day, *c.left).ok());
            break;
        }
        case Writer::BareUpdate:
            execSql(app.databasePath(), QStringLiteral("UPDATE UserCon SET data = CAST('from sqlite3' AS BLOB)"));
            break;
        case Writer::BareDelete:
            execSql(app.databasePath(), QStringLiteral("DELETE FROM UserCon"));
            break;
        }
        const qint64 polled = revisionOf(*window, day);
        EXPECT_NE(polled, shown.revision);

        qint64 current = -1;
        const Outcome refused = window->save(day, "typed", shown.revision, origin, &current);
        EXPECT_EQ(refused.failure, Failure::Conflict);
        EXPECT_TRUE(refused.detail.startsWith(QStringLiteral("这一天的记事已在别处被修改")))
            << refused.detail.toStdString();
        EXPECT_EQ(current, polled);
        EXPECT_EQ(storedNote(app.databasePath(), day), c.left);

        const StoredNote reloaded = loaded(*window, day);
        EXPECT_EQ(reloaded.data, c.left);
        EXPECT_EQ(reloaded.revision, current);
        qint64 stored = -1;
        const Outcome saved = window->save(day, "typed", reloaded.revision, origin, &stored);
        ASSERT_TRUE(saved.ok()) << saved.detail.toStdString();
        EXPECT_GT(stored, current);
        EXPECT_EQ(storedNote(app.databasePath(), day), QByteArray("typed"));
        const StoredNote after = loaded(*window, day);
        EXPECT_EQ(after.revision, stored);
        EXPECT_EQ(after.origin, origin);
    }
}

} // namespace
} // namespace tavemo::notes
