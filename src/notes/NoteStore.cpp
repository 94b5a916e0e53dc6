#include "notes/NoteStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tavemo::notes {
namespace {

bool isReadOnlyFileSystem(const QString &path)
{
    struct statvfs fs {};
    return ::statvfs(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &fs) == 0
        && (fs.f_flag & ST_RDONLY);
}

// The kind of a SQLite failure; `path` tells a read-only file system from a missing permission.
NoteFailure kindOf(sqlite3 *db, int rc, const QString &path)
{
    const int systemError = db ? sqlite3_system_errno(db) : 0;
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return NoteFailure::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return NoteFailure::Corrupt;
    case SQLITE_FULL: return NoteFailure::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return isReadOnlyFileSystem(path) ? NoteFailure::ReadOnlyMedia : NoteFailure::NoPermission;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR: {
        if (isReadOnlyFileSystem(path))
            return NoteFailure::ReadOnlyMedia;
        const NoteFailure kind = systemError ? failureOfErrno(systemError) : NoteFailure::Io;
        return kind == NoteFailure::System ? NoteFailure::Io : kind;
    }
    case SQLITE_NOMEM: return NoteFailure::OutOfMemory;
    case SQLITE_CONSTRAINT: return NoteFailure::Refused;
    default: return NoteFailure::Other;
    }
}

NoteResult sqliteFailure(sqlite3 *db, int rc, const QString &path)
{
    const char *text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return NoteResult::failed(kindOf(db, rc, path), QString::fromUtf8(text));
}

// Runs SQL without results; the SQLite result code.
int exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// The single text or integer result of a pragma; the SQLite result code.
int pragmaValue(sqlite3 *db, const char *sql, QByteArray *value)
{
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        *value = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        rc = SQLITE_OK;
    } else if (rc == SQLITE_DONE) {
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    return rc;
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

int bindKey(sqlite3_stmt *statement, const QString &key)
{
    const QByteArray utf8 = key.toUtf8();
    return sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
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

// A database in the write-ahead log is read through its shared-memory index, which a reader must
// be able to create beside the file. Where it cannot (a read-only folder or medium, a full disk)
// and no log holds changes yet, the file alone is the whole database: it is read as immutable.
bool cannotMakeTheLogIndex(int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_FULL: return true;
    default: break;
    }
    return rc == SQLITE_IOERR_SHMOPEN || rc == SQLITE_IOERR_SHMSIZE || rc == SQLITE_IOERR_SHMMAP
        || rc == SQLITE_IOERR_SHMLOCK;
}

QByteArray immutableUri(const QString &path)
{
    const QByteArray absolute = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    return "file:" + absolute.toPercentEncoding("/") + "?immutable=1";
}

int openConnection(const QByteArray &name, int flags, sqlite3 **db)
{
    const int rc = sqlite3_open_v2(name.constData(), db, flags, nullptr);
    if (*db) {
        sqlite3_extended_result_codes(*db, 1);
        sqlite3_busy_timeout(*db, NoteStore::kDefaultBusyTimeoutMs);
    }
    return rc;
}

constexpr const char *kSchemaSql =
    "BEGIN IMMEDIATE;"
    "CREATE TABLE IF NOT EXISTS UserCon(conIndex TEXT PRIMARY KEY, data BLOB);"
    "PRAGMA user_version = 1;"
    "COMMIT;";
static_assert(NoteStore::kSchemaVersion == 1, "kSchemaSql writes the current schema version");

} // namespace

NoteStore::NoteStore(sqlite3 *db, Access access) : m_db(db), m_access(access) {}

NoteStore::~NoteStore()
{
    for (sqlite3_stmt *statement : {m_select, m_upsert, m_list, m_all})
        sqlite3_finalize(statement);
    sqlite3_close_v2(m_db);
}

void NoteStore::setBusyTimeout(int milliseconds)
{
    m_busyTimeout = milliseconds;
    sqlite3_busy_timeout(m_db, milliseconds);
}

void NoteStore::swap(NoteStore &other)
{
    std::swap(m_db, other.m_db);
    std::swap(m_access, other.m_access);
    std::swap(m_readyForWriting, other.m_readyForWriting);
    std::swap(m_cannotWrite, other.m_cannotWrite);
    std::swap(m_version, other.m_version);
    std::swap(m_select, other.m_select);
    std::swap(m_upsert, other.m_upsert);
    std::swap(m_list, other.m_list);
    std::swap(m_all, other.m_all);
    sqlite3_busy_timeout(m_db, m_busyTimeout);
}

QString NoteStore::fileName() const
{
    return QString::fromUtf8(sqlite3_db_filename(m_db, "main"));
}

NoteResult NoteStore::failure(int rc) const
{
    return sqliteFailure(m_db, rc, fileName());
}

NoteResult NoteStore::open(const QString &path, Access access, std::unique_ptr<NoteStore> *store)
{
    store->reset();
    const QFileInfo info(path);
    if (!info.exists())
        return NoteResult::failed(NoteFailure::Missing, path);
    if (!info.isFile())
        return NoteResult::failed(NoteFailure::NotNoteDatabase, QStringLiteral("%1 不是文件").arg(path));

    const QByteArray name = QFile::encodeName(path);
    sqlite3 *db = nullptr;
    int rc = openConnection(name, access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, &db);
    std::unique_ptr<NoteStore> opened(new NoteStore(db, access));
    if (rc != SQLITE_OK)
        return sqliteFailure(db, rc, path);

    // The first read takes the header (and tells a file that is not SQLite apart). Where the log's
    // index cannot be made, the store reads the file alone and remembers why it cannot write.
    QByteArray version;
    rc = pragmaValue(db, "PRAGMA user_version", &version);
    if (rc != SQLITE_OK && cannotMakeTheLogIndex(rc) && QFileInfo(path + QStringLiteral("-wal")).size() == 0) {
        NoteResult why = sqliteFailure(db, rc, path);
        opened.reset();
        db = nullptr;
        rc = openConnection(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &db);
        opened.reset(new NoteStore(db, access));
        opened->m_cannotWrite = std::move(why);
        if (rc == SQLITE_OK)
            rc = pragmaValue(db, "PRAGMA user_version", &version);
    }
    opened->m_version = version.toInt();
    if (opened->m_version > kSchemaVersion)
        return NoteResult::failed(NoteFailure::NewerSchema, QStringLiteral("schema %1").arg(opened->m_version));

    if (NoteResult prepared = opened->prepareStatements(); !prepared.ok)
        return prepared;
    if (access == Access::ReadWrite && !opened->m_cannotWrite) {
        // A connection setting, not written to the file: every commit waits for the disk.
        QByteArray mode;
        if ((rc = exec(db, "PRAGMA synchronous = FULL")) != SQLITE_OK
            || (rc = pragmaValue(db, "PRAGMA journal_mode", &mode)) != SQLITE_OK)
            return sqliteFailure(db, rc, path);
        opened->m_readyForWriting = mode == "wal" && opened->m_version == kSchemaVersion;
    }
    *store = std::move(opened);
    return NoteResult::success();
}

NoteResult NoteStore::prepareStatements()
{
    struct {
        sqlite3_stmt **statement;
        const char *sql;
        bool writes;
    } const statements[] = {
        {&m_select, "SELECT data FROM UserCon WHERE conIndex = ?1", false},
        // Needs conIndex to be the table's key: a table without one is refused here.
        {&m_upsert, "INSERT INTO UserCon(conIndex, data) VALUES(?1, ?2) "
                    "ON CONFLICT(conIndex) DO UPDATE SET data = excluded.data", true},
        {&m_list, "SELECT conIndex, length(CAST(data AS BLOB)) FROM UserCon ORDER BY conIndex", false},
        {&m_all, "SELECT conIndex, data FROM UserCon ORDER BY conIndex", false},
    };
    for (const auto &s : statements) {
        // The key is checked for readers too: a file whose table lacks it is not a note database.
        const int rc = sqlite3_prepare_v3(m_db, s.sql, -1, SQLITE_PREPARE_PERSISTENT, s.statement, nullptr);
        if (rc == SQLITE_OK)
            continue;
        NoteResult failed = failure(rc);
        if (failed.failure == NoteFailure::Other) // no table UserCon, no such column, no key
            failed = NoteResult::failed(NoteFailure::NotNoteDatabase, QString::fromUtf8(sqlite3_errmsg(m_db)));
        return failed;
    }
    return NoteResult::success();
}

NoteResult NoteStore::prepareForWriting()
{
    if (m_access == Access::ReadOnly)
        return NoteResult::failed(NoteFailure::NoPermission, QStringLiteral("opened for reading only"));
    if (m_cannotWrite) {
        // Opened as the file alone: try the real database again, space or rights may be back.
        std::unique_ptr<NoteStore> fresh;
        if (!open(fileName(), m_access, &fresh).ok || fresh->m_cannotWrite)
            return *m_cannotWrite;
        swap(*fresh);
    }
    if (m_readyForWriting)
        return NoteResult::success();
    // Write-ahead log with a flush at every commit: a returned save survives a crash or power cut.
    QByteArray mode;
    if (const int rc = pragmaValue(m_db, "PRAGMA journal_mode = WAL", &mode); rc != SQLITE_OK)
        return failure(rc);
    if (mode != "wal") {
        const NoteFailure kind = sqlite3_db_readonly(m_db, "main") == 1 ? kindOf(m_db, SQLITE_READONLY, fileName())
                                                                        : NoteFailure::Other;
        return NoteResult::failed(kind, QStringLiteral("cannot switch to the write-ahead log: journal_mode %1")
                                            .arg(QString::fromLatin1(mode)));
    }
    // A file from before the schema was versioned holds version 0; the table is the same.
    if (m_version < kSchemaVersion) {
        if (const int rc = exec(m_db, "PRAGMA user_version = 1"); rc != SQLITE_OK)
            return failure(rc);
        m_version = kSchemaVersion;
    }
    m_readyForWriting = true;
    return NoteResult::success();
}

NoteResult NoteStore::create(const QString &path, bool *created)
{
    if (created)
        *created = false;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        errno = 0;
        ::mkdir(QFile::encodeName(folder).constData(), 0755); // for the reason QDir keeps to itself
        return NoteResult::failedWithErrno(errno ? errno : EIO);
    }

    // O_EXCL claims the name without ever replacing what is there, on every file system.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    const bool claimed = fd >= 0;
    if (claimed) {
        ::close(fd);
    } else {
        if (errno != EEXIST)
            return NoteResult::failedWithErrno(errno);
        struct stat existing {};
        if (::lstat(name.constData(), &existing) != 0)
            return NoteResult::failedWithErrno(errno);
        if (!S_ISREG(existing.st_mode) || existing.st_size > 0)
            return NoteResult::success(); // a database (or something else) is there: keep it
        // No bytes: a creation that stopped before its table. It holds nothing to lose.
    }

    // The table goes into the claimed file in one transaction, so the file holds either the table
    // or nothing, which the next call completes.
    sqlite3 *db = nullptr;
    int rc = openConnection(name, SQLITE_OPEN_READWRITE, &db);
    if (rc == SQLITE_OK)
        rc = exec(db, kSchemaSql);
    QByteArray mode;
    if (rc == SQLITE_OK)
        rc = pragmaValue(db, "PRAGMA journal_mode = WAL", &mode);
    NoteResult result = rc == SQLITE_OK ? NoteResult::success() : sqliteFailure(db, rc, path);
    if (rc != SQLITE_OK)
        exec(db, "ROLLBACK");
    if (const int closed = sqlite3_close(db); closed != SQLITE_OK && result.ok)
        result = sqliteFailure(nullptr, closed, path);
    if (!result.ok) {
        struct stat now {};
        if (claimed && ::stat(name.constData(), &now) == 0 && now.st_size == 0)
            ::unlink(name.constData()); // what this call claimed and could not fill goes again
        return result;
    }
    if (created)
        *created = true;
    return result;
}

NoteResult NoteStore::load(const QString &key, std::optional<QByteArray> *note)
{
    StatementUse use{m_select};
    int rc = bindKey(m_select, key);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_select);
    switch (rc) {
    case SQLITE_ROW:
        *note = columnBytes(m_select, 0);
        return NoteResult::success();
    case SQLITE_DONE:
        note->reset();
        return NoteResult::success();
    default:
        return failure(rc);
    }
}

NoteResult NoteStore::save(const QString &key, const QByteArray &data)
{
    if (NoteResult ready = prepareForWriting(); !ready.ok)
        return ready;
    StatementUse use{m_upsert};
    int rc = bindKey(m_upsert, key);
    // An empty array has no data pointer, and a null pointer would bind NULL: bind an empty blob.
    if (rc == SQLITE_OK)
        rc = data.isEmpty() ? sqlite3_bind_zeroblob(m_upsert, 2, 0)
                            : sqlite3_bind_blob64(m_upsert, 2, data.constData(),
                                                  static_cast<sqlite3_uint64>(data.size()), SQLITE_STATIC);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_upsert);
    return rc == SQLITE_DONE ? NoteResult::success() : failure(rc);
}

NoteResult NoteStore::list(std::vector<Entry> *entries)
{
    StatementUse use{m_list};
    entries->clear();
    int rc;
    while ((rc = sqlite3_step(m_list)) == SQLITE_ROW)
        entries->push_back({columnText(m_list, 0), sqlite3_column_int64(m_list, 1)});
    return rc == SQLITE_DONE ? NoteResult::success() : failure(rc);
}

NoteResult NoteStore::forEach(const std::function<bool(const QString &, const QByteArray &)> &visit)
{
    StatementUse use{m_all};
    int rc;
    while ((rc = sqlite3_step(m_all)) == SQLITE_ROW)
        if (!visit(columnText(m_all, 0), columnBytes(m_all, 1)))
            return NoteResult::success();
    return rc == SQLITE_DONE ? NoteResult::success() : failure(rc);
}

} // namespace tavemo::notes
