#pragma once
// The note database: one SQLite file holding the table UserCon(conIndex TEXT PRIMARY KEY,
// data BLOB), one row per day that has a note, keyed by the date key "YYYYMMDD".
//
// Durability: the file is in write-ahead-log mode with synchronous=FULL, so every save is one
// transaction whose log record is flushed to the disk (fsync) before save() returns. A crash or a
// power cut at any moment leaves the file consistent and keeps every save that has returned.
// The schema version lives in PRAGMA user_version.
//
// Every statement is prepared once with bound parameters; no SQL text is ever built from a key.
// Not thread-safe: one thread uses a store, one call at a time.

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
    // The version of the schema this code reads and writes; older files are brought up to it
    // when opened, newer ones are refused.
    static constexpr int kSchemaVersion = 1;

    // Opens an existing note database for reading and writing. Fails, with an error text, when the
    // file is missing, is not a SQLite database, lacks the table UserCon with its key, or was
    // written by a newer schema. Never creates anything.
    static std::unique_ptr<NoteStore> open(const QString &path, QString *error = nullptr);

    enum class CreateResult { Created, AlreadyThere, Failed };
    // Puts an empty database with the table at `path` (creating its folder) unless a file is
    // already there; an existing file is never touched, since it holds the user's notes. The new
    // file appears at once and complete, or not at all.
    static CreateResult create(const QString &path, QString *error = nullptr);

    ~NoteStore();
    NoteStore(const NoteStore &) = delete;
    NoteStore &operator=(const NoteStore &) = delete;

    // The stored bytes of the day `key`: nothing when the day has no row (an absent or NULL note
    // reads as empty bytes). False, with an error text, on a database error.
    bool load(const QString &key, std::optional<QByteArray> *note, QString *error = nullptr);

    // Stores `data` as the note of `key`: one statement that inserts the row or replaces the data of
    // the existing one, so a day never gets a second row. On failure the stored note is unchanged.
    bool save(const QString &key, const QByteArray &data, QString *error = nullptr);

    struct Entry {
        QString key;
        qint64 size = 0; // bytes of the stored note
    };
    // Every day that has a row, in key order.
    bool list(std::vector<Entry> *entries, QString *error = nullptr);

    // Calls `visit` with every stored note in key order; stops early when it returns false.
    bool forEach(const std::function<bool(const QString &key, const QByteArray &data)> &visit,
                 QString *error = nullptr);

    // The connection, for checks that look below the store (schema, pragmas).
    sqlite3 *handle() const { return m_db; }

private:
    explicit NoteStore(sqlite3 *db);
    bool prepareStatements(QString *error);

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_select = nullptr;
    sqlite3_stmt *m_upsert = nullptr;
    sqlite3_stmt *m_list = nullptr;
    sqlite3_stmt *m_all = nullptr;
};

} // namespace tavemo::notes
