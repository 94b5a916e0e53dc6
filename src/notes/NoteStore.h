#pragma once
// The note database: one SQLite file holding the table UserCon(conIndex TEXT PRIMARY KEY,
// data BLOB), one row per day that has a note, keyed by the date key "YYYYMMDD". UserCon keeps
// the columns it has always had; what the program knows about a note beyond its bytes lives in
// the side table NoteMeta(conIndex TEXT PRIMARY KEY, revision INTEGER NOT NULL, modified INTEGER
// NOT NULL, origin TEXT):
//   - revision: one counter for the whole file. Every change of a row of UserCon (insert, update,
//     delete) gives its key max(revision) + 1, so a revision never repeats, not even for a key
//     deleted and written again, and "what changed since revision R" is a question the file can
//     answer. Triggers on UserCon do the counting, so any writer (a bare sqlite3 too) bumps it.
//   - modified: when the change happened, in milliseconds since 1970 UTC.
//   - origin: who wrote it ("tavemo-notes@host"); the store's own saves set it, other writers
//     leave it empty.
// A deleted note keeps its NoteMeta row (a tombstone) with the revision of its deletion. A row
// written before the file had NoteMeta has revision 0, as has a day that never had a note.
//
// Durability: a store that writes keeps the file in write-ahead-log mode with synchronous=FULL,
// so every save is one transaction whose log record is flushed to the disk (fsync) before save()
// returns. A crash or a power cut at any moment leaves the file consistent and keeps every save
// that has returned.
//
// The schema version lives in PRAGMA user_version: 0 is a file from before versioning (the table
// alone), 1 the table with its version, 2 adds NoteMeta and its triggers. Opening changes nothing
// in the file: an older database is read as it is (its notes at revision 0) and brought up to
// the current version, and switched to the log, by the first save. So reading works wherever the
// file can be read: in a read-only folder, on read-only media, on a full disk. A file of a newer
// version is read as far as this code knows its tables, and never written.
//
// Every operation returns an Outcome whose detail gives the reason of a failure in Chinese, worded
// for notes (noteFailureText).
// Every statement is prepared once with bound parameters; no SQL text is ever built from a key.
// Not thread-safe: one thread uses a store, one call at a time.

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tavemo::notes {

// The reason of a failure of the notes as a user reads it: the general wording (core/Outcome.h)
// said of the note database and its notes where that is clearer ("找不到记事数据库", "这一天的记事
// 已在别处被修改", "记事内容无法读取").
QString noteFailureText(Failure failure);
// Outcome::failed with the notes' wording: detail = noteFailureText(failure), then
// "（systemText）" when there is one.
Outcome noteFailed(Failure failure, const QString& systemText = {});

// A stored note with what the file knows about it.
struct StoredNote {
    std::optional<QByteArray> data; // nothing when the day has no row (a NULL note reads as empty bytes)
    qint64 revision = 0;            // of the last change of the day's row, its deletion included; 0 when none is known
    qint64 modifiedMs = 0;          // when that change happened (ms since 1970 UTC); 0 when none is known
    QString origin;                 // who made it, when the store made it; empty otherwise
};

class NoteStore {
public:
    // The version of the schema this code reads and writes: the number of steps of the schema
    // ladder in NoteStore.cpp. Older files are brought up to it by their first save; newer ones
    // are only read.
    static constexpr int kSchemaVersion = 2;
    // How long an operation waits for another program's lock before it fails with Busy.
    static constexpr int kDefaultBusyTimeoutMs = 5000;

    enum class Access { ReadOnly, ReadWrite };

    // Opens an existing note database. Fails when the file is missing (Failure::Missing), is
    // not a SQLite database or lacks the table UserCon with its key, or, opened ReadWrite, was
    // written by a newer version of the program (NewerSchema; ReadOnly reads such a file). Never
    // creates anything and never writes. A store opens also where the database can only be read
    // (a read-only folder or medium, a full disk); its saves then fail saying why.
    static Outcome open(const QString& path, Access access, std::unique_ptr<NoteStore>* store);

    // Puts an empty database of the current version at `path` (creating its folder) unless a
    // database is already there: an existing file is never replaced, since it holds the user's
    // notes (a file of no bytes holds none, and is completed). The schema is built by the same
    // steps that bring an older file up to date. Uses no hard link and no rename, so it works on
    // every file system (FAT and exFAT too). `created` tells whether this call made the database.
    static Outcome create(const QString& path, bool* created = nullptr);

    // Who the store's saves name as their origin unless told otherwise: "program@host".
    static QString defaultOrigin();

    ~NoteStore();
    NoteStore(const NoteStore&) = delete;
    NoteStore& operator=(const NoteStore&) = delete;

    void setBusyTimeout(int milliseconds);

    // The note of the day `key` with its revision, read in one snapshot: the revision is the one
    // of these bytes. A day without a row has no data, and the revision of its deletion if it had
    // one. On failure `note` is unchanged.
    Outcome load(const QString& key, StoredNote* note);
    // The stored bytes of the day `key` alone.
    Outcome load(const QString& key, std::optional<QByteArray>* note);

    // The current revision of the day `key` (0 when none is known): one indexed lookup, cheap
    // enough to poll. On failure `revision` is unchanged.
    Outcome revision(const QString& key, qint64* revision);

    // Stores `data` as the note of `key` if its revision is still `expectedRevision` (the one its
    // load returned): one transaction that reads the current revision and, when it differs, writes
    // nothing and fails with Failure::Conflict; else inserts the row or replaces its data (a
    // day never gets a second row), records `origin` (empty: defaultOrigin()) and commits with one
    // flush. `newRevision` (may be null) gets the revision of the stored note, or on a conflict
    // the current one; it is unchanged on any other failure. On failure the stored note is
    // unchanged. A ReadOnly store refuses.
    Outcome save(const QString& key, const QByteArray& data, qint64 expectedRevision, const QString& origin,
                 qint64* newRevision);
    // Stores `data` over whatever the day holds, in the same way, with defaultOrigin(): for
    // writers that mean to replace the note (a restore, a put from the command line).
    Outcome save(const QString& key, const QByteArray& data);

    struct Entry {
        QString key;
        qint64 size = 0; // bytes of the stored note
    };
    // Every day that has a row, in key order. Reads no note's bytes (a note stored as text has
    // them counted).
    Outcome list(std::vector<Entry>* entries);

    // Calls `visit` with every stored note in key order; stops early when it returns false.
    Outcome forEach(const std::function<bool(const QString& key, const QByteArray& data)>& visit);

    // The connection, for checks that look below the store (schema, pragmas).
    sqlite3* handle() const { return m_db; }

private:
    NoteStore(sqlite3* db, Access access);
    // The statements for the file's version. `forReading`: where those of a newer schema cannot
    // be prepared, the notes are read without revisions instead.
    Outcome prepareStatements(bool forReading);
    Outcome followVersion();
    Outcome prepareForWriting();
    Outcome writeNote(const QString& key, const QByteArray& data, std::optional<qint64> expectedRevision,
                      const QString& origin, qint64* newRevision);
    Outcome failure(int rc) const;
    QString fileName() const;
    void finalizeStatements();
    void swap(NoteStore& other); // the connections and their state; the busy timeout stays

    sqlite3* m_db = nullptr;
    Access m_access;
    bool m_readyForWriting = false; // in the log and at the current version
    // Set when the store reads the file alone (its log index could not be made): why it cannot write.
    std::optional<Outcome> m_cannotWrite;
    int m_version = 0;          // the file's, as last read
    int m_statementVersion = 0; // the schema the statements below were prepared for
    int m_busyTimeout = kDefaultBusyTimeoutMs;
    sqlite3_stmt* m_select = nullptr;
    sqlite3_stmt* m_revision = nullptr;
    sqlite3_stmt* m_upsert = nullptr;
    sqlite3_stmt* m_stamp = nullptr; // null below version 2, where nothing is written
    sqlite3_stmt* m_list = nullptr;
    sqlite3_stmt* m_all = nullptr;
    sqlite3_stmt* m_userVersion = nullptr;
};

} // namespace tavemo::notes
