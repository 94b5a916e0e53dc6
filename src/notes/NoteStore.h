#pragma once
// The note database: one SQLite file holding the table UserCon(conIndex TEXT PRIMARY KEY,
// data BLOB), one row per day that has a note, keyed by the date key "YYYYMMDD".
//
// Durability: a store that writes keeps the file in write-ahead-log mode with synchronous=FULL,
// so every save is one transaction whose log record is flushed to the disk (fsync) before save()
// returns. A crash or a power cut at any moment leaves the file consistent and keeps every save
// that has returned. The schema version lives in PRAGMA user_version.
//
// Opening changes nothing in the file: a database from an older build (rollback journal, no
// version) is switched to the log and given its version by the first save, so that reading works
// wherever the file can be read: in a read-only folder, on read-only media, on a full disk.
//
// Every operation returns a NoteResult whose detail gives the reason of a failure in Chinese.
// Every statement is prepared once with bound parameters; no SQL text is ever built from a key.
// Not thread-safe: one thread uses a store, one call at a time.

#include "notes/NoteResult.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tavemo::notes {

class NoteStore {
public:
    // The version of the schema this code reads and writes; older files are brought up to it by
    // their first save, newer ones are refused.
    static constexpr int kSchemaVersion = 1;
    // How long an operation waits for another program's lock before it fails with Busy.
    static constexpr int kDefaultBusyTimeoutMs = 5000;

    enum class Access { ReadOnly, ReadWrite };

    // Opens an existing note database. Fails when the file is missing (NoteFailure::Missing), is
    // not a SQLite database or lacks the table UserCon with its key, or was written by a newer
    // schema. Never creates anything and never writes. A store opens also where the database can
    // only be read (a read-only folder or medium, a full disk); its saves then fail saying why.
    static NoteResult open(const QString &path, Access access, std::unique_ptr<NoteStore> *store);

    // Puts an empty database with the table at `path` (creating its folder) unless a database is
    // already there: an existing file is never replaced, since it holds the user's notes (a file
    // of no bytes holds none, and is completed). Uses no hard link and no rename, so it works on
    // every file system (FAT and exFAT too). `created` tells whether this call made the database.
    static NoteResult create(const QString &path, bool *created = nullptr);

    ~NoteStore();
    NoteStore(const NoteStore &) = delete;
    NoteStore &operator=(const NoteStore &) = delete;

    void setBusyTimeout(int milliseconds);

    // The stored bytes of the day `key`: nothing when the day has no row (an absent or NULL note
    // reads as empty bytes).
    NoteResult load(const QString &key, std::optional<QByteArray> *note);

    // Stores `data` as the note of `key`: one statement that inserts the row or replaces the data of
    // the existing one, so a day never gets a second row. On failure the stored note is unchanged.
    // A ReadOnly store refuses.
    NoteResult save(const QString &key, const QByteArray &data);

    struct Entry {
        QString key;
        qint64 size = 0; // bytes of the stored note
    };
    // Every day that has a row, in key order.
    NoteResult list(std::vector<Entry> *entries);

    // Calls `visit` with every stored note in key order; stops early when it returns false.
    NoteResult forEach(const std::function<bool(const QString &key, const QByteArray &data)> &visit);

    // The connection, for checks that look below the store (schema, pragmas).
    sqlite3 *handle() const { return m_db; }

private:
    NoteStore(sqlite3 *db, Access access);
    NoteResult prepareStatements();
    NoteResult prepareForWriting();
    NoteResult failure(int rc) const;
    QString fileName() const;
    void swap(NoteStore &other); // the connections and their state; the busy timeout stays


    sqlite3 *m_db = nullptr;
    Access m_access;
    bool m_readyForWriting = false; // in the log and at the current version
    // Set when the store reads the file alone (its log index could not be made): why it cannot write.
    std::optional<NoteResult> m_cannotWrite;
    int m_version = 0;
    int m_busyTimeout = kDefaultBusyTimeoutMs;
    sqlite3_stmt *m_select = nullptr;
    sqlite3_stmt *m_upsert = nullptr;
    sqlite3_stmt *m_list = nullptr;
    sqlite3_stmt *m_all = nullptr;
};

} // namespace tavemo::notes
