#include "NoteStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tavemo::notes {
namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString sqliteError(sqlite3 *db, const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db)));
}

bool exec(sqlite3 *db, const char *sql, QString *error)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    setError(error, sqliteError(db, sql));
    return false;
}

// The single text or integer result of a pragma.
bool pragmaValue(sqlite3 *db, const char *sql, QByteArray *value, QString *error)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        setError(error, sqliteError(db, sql));
        return false;
    }
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        *value = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    else if (rc != SQLITE_DONE)
        setError(error, sqliteError(db, sql));
    sqlite3_finalize(statement);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

// Leaves a statement ready for its next use, whatever happened during this one.
struct StatementUse {
    sqlite3_stmt *statement;
    ~StatementUse()
    {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
};

bool bindKey(sqlite3 *db, sqlite3_stmt *statement, const QString &key, QString *error)
{
    const QByteArray utf8 = key.toUtf8();
    if (sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT)
        == SQLITE_OK)
        return true;
    setError(error, sqliteError(db, "binding the date key"));
    return false;
}

QByteArray columnBytes(sqlite3_stmt *statement, int column)
{
    // A note stored as text (as some converted databases hold it) reads as its bytes too.
    const void *data = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    return data ? QByteArray(static_cast<const char *>(data), size) : QByteArray();
}

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
}

constexpr const char *kSchemaSql =
    "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);"
    "PRAGMA user_version = 1;";
static_assert(NoteStore::kSchemaVersion == 1, "kSchemaSql writes the current schema version");

} // namespace

NoteStore::NoteStore(sqlite3 *db) : m_db(db) {}

NoteStore::~NoteStore()
{
    for (sqlite3_stmt *statement : {m_select, m_upsert, m_list, m_all})
        sqlite3_finalize(statement);
    sqlite3_close_v2(m_db);
}

std::unique_ptr<NoteStore> NoteStore::open(const QString &path, QString *error)
{
    if (!QFileInfo(path).isFile()) {
        setError(error, QStringLiteral("%1: no such file").arg(path));
        return {};
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        setError(error, QStringLiteral("%1: %2").arg(path, db ? QString::fromUtf8(sqlite3_errmsg(db))
                                                            : QStringLiteral("out of memory")));
        sqlite3_close_v2(db);
        return {};
    }
    std::unique_ptr<NoteStore> store(new NoteStore(db));
    // Another program (tavemo-notes) may write a moment at the same time; wait for it.
    sqlite3_busy_timeout(db, 5000);

    // Reading the header first tells a file that is not SQLite apart before anything is written.
    QByteArray version;
    QString detail;
    if (!pragmaValue(db, "PRAGMA user_version", &version, &detail)) {
        setError(error, QStringLiteral("%1: %2").arg(path, detail));
        return {};
    }
    if (version.toInt() > kSchemaVersion) {
        setError(error, QStringLiteral("%1: written by a newer version of the program (schema %2)")
                            .arg(path, QString::fromLatin1(version)));
        return {};
    }
    if (!store->prepareStatements(&detail)) {
        setError(error, QStringLiteral("%1: %2").arg(path, detail));
        return {};
    }

    // Write-ahead log with a flush at every commit: a returned save survives a crash or power cut.
    QByteArray mode;
    if (!pragmaValue(db, "PRAGMA journal_mode = WAL", &mode, &detail) || mode != "wal"
        || !exec(db, "PRAGMA synchronous = FULL", &detail)) {
        setError(error, QStringLiteral("%1: cannot switch to the write-ahead log: %2")
                            .arg(path, detail.isEmpty() ? QString::fromLatin1(mode) : detail));
        return {};
    }
    // A file from before the schema was versioned holds version 0; the table is the same.
    if (version.toInt() < kSchemaVersion && !exec(db, "PRAGMA user_version = 1", &detail)) {
        setError(error, QStringLiteral("%1: %2").arg(path, detail));
        return {};
    }
    return store;
}

bool NoteStore::prepareStatements(QString *error)
{
    struct {
        sqlite3_stmt **statement;
        const char *sql;
    } const statements[] = {
        {&m_select, "SELECT data FROM UserCon WHERE conIndex = ?1"},
        // Needs conIndex to be the table's key: a table without one is refused here.
        {&m_upsert, "INSERT INTO UserCon(conIndex, data) VALUES(?1, ?2) "
                    "ON CONFLICT(conIndex) DO UPDATE SET data = excluded.data"},
        {&m_list, "SELECT conIndex, length(CAST(data AS BLOB)) FROM UserCon ORDER BY conIndex"},
        {&m_all, "SELECT conIndex, data FROM UserCon ORDER BY conIndex"},
    };
    for (const auto &s : statements) {
        if (sqlite3_prepare_v3(m_db, s.sql, -1, SQLITE_PREPARE_PERSISTENT, s.statement, nullptr) != SQLITE_OK) {
            setError(error, QString::fromUtf8(sqlite3_errmsg(m_db)));
            return false;
        }
    }
    return true;
}

NoteStore::CreateResult NoteStore::create(const QString &path, QString *error)
{
    const QFileInfo target(path);
    if (target.exists())
        return CreateResult::AlreadyThere;
    if (!QDir().mkpath(target.absolutePath())) {
        setError(error, QStringLiteral("%1: cannot create the folder").arg(target.absolutePath()));
        return CreateResult::Failed;
    }
    // Built under a temporary name and then linked into place: link() never replaces a file, so
    // a database that appeared meanwhile is kept, and a half-made file never carries the real name.
    const QString temporary = QStringLiteral("%1.new-%2").arg(path).arg(::getpid());
    const QByteArray temporaryName = QFile::encodeName(temporary);
    const auto removeTemporary = [&] {
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            ::unlink((temporaryName + suffix).constData());
    };
    removeTemporary();

    sqlite3 *db = nullptr;
    bool made = sqlite3_open_v2(temporaryName.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                nullptr) == SQLITE_OK;
    QString detail = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    made = made && exec(db, kSchemaSql, &detail) && exec(db, "PRAGMA journal_mode = WAL", &detail);
    made = sqlite3_close_v2(db) == SQLITE_OK && made;
    if (!made) {
        removeTemporary();
        setError(error, QStringLiteral("%1: %2").arg(temporary, detail));
        return CreateResult::Failed;
    }
    const bool linked = ::link(temporaryName.constData(), QFile::encodeName(path).constData()) == 0;
    const int linkError = errno;
    removeTemporary();
    if (linked)
        return CreateResult::Created;
    if (linkError == EEXIST)
        return CreateResult::AlreadyThere;
    setError(error, QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(linkError))));
    return CreateResult::Failed;
}

bool NoteStore::load(const QString &key, std::optional<QByteArray> *note, QString *error)
{
    StatementUse use{m_select};
    if (!bindKey(m_db, m_select, key, error))
        return false;
    switch (sqlite3_step(m_select)) {
    case SQLITE_ROW:
        *note = columnBytes(m_select, 0);
        return true;
    case SQLITE_DONE:
        note->reset();
        return true;
    default:
        setError(error, sqliteError(m_db, "loading a note"));
        return false;
    }
}

bool NoteStore::save(const QString &key, const QByteArray &data, QString *error)
{
    StatementUse use{m_upsert};
    if (!bindKey(m_db, m_upsert, key, error))
        return false;
    // An empty array has no data pointer, and a null pointer would bind NULL: bind an empty blob.
    const int bound = data.isEmpty()
        ? sqlite3_bind_zeroblob(m_upsert, 2, 0)
        : sqlite3_bind_blob64(m_upsert, 2, data.constData(), static_cast<sqlite3_uint64>(data.size()),
                              SQLITE_STATIC);
    if (bound != SQLITE_OK || sqlite3_step(m_upsert) != SQLITE_DONE) {
        setError(error, sqliteError(m_db, "saving a note"));
        return false;
    }
    return true;
}

bool NoteStore::list(std::vector<Entry> *entries, QString *error)
{
    StatementUse use{m_list};
    entries->clear();
    int rc;
    while ((rc = sqlite3_step(m_list)) == SQLITE_ROW)
        entries->push_back({columnText(m_list, 0), sqlite3_column_int64(m_list, 1)});
    if (rc == SQLITE_DONE)
        return true;
    setError(error, sqliteError(m_db, "listing the notes"));
    return false;
}

bool NoteStore::forEach(const std::function<bool(const QString &, const QByteArray &)> &visit, QString *error)
{
    StatementUse use{m_all};
    int rc;
    while ((rc = sqlite3_step(m_all)) == SQLITE_ROW)
        if (!visit(columnText(m_all, 0), columnBytes(m_all, 1)))
            return true;
    if (rc == SQLITE_DONE)
        return true;
    setError(error, sqliteError(m_db, "reading the notes"));
    return false;
}

} // namespace tavemo::notes
