#include "notes/NoteStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tavemo::notes {

QString noteFailureText(Failure failure)
{
    switch (failure) {
    case Failure::Missing:
        return QStringLiteral("找不到记事数据库");
    case Failure::Conflict:
        return QStringLiteral("这一天的记事已在别处被修改");
    case Failure::NotReady:
        return QStringLiteral("记事暂时不能存取");
    case Failure::Unreadable:
        return QStringLiteral("记事内容无法读取");
    default:
        return failureText(failure);
    }
}

Outcome noteFailed(Failure failure, const QString& systemText)
{
    Outcome outcome = Outcome::failed(failure, systemText);
    outcome.detail.replace(0, failureText(failure).size(), noteFailureText(failure));
    return outcome;
}
namespace {

bool isReadOnlyFileSystem(const QString& path)
{
    struct statvfs fs {};
    return ::statvfs(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &fs) == 0 &&
           (fs.f_flag & ST_RDONLY);
}

// The kind of a SQLite failure; `path` tells a read-only file system from a missing permission.
Failure kindOf(sqlite3* db, int rc, const QString& path)
{
    const int systemError = db ? sqlite3_system_errno(db) : 0;
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Failure::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Failure::Corrupt;
    case SQLITE_FULL:
        return Failure::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return isReadOnlyFileSystem(path) ? Failure::ReadOnlyMedia : Failure::NoPermission;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR: {
        if (isReadOnlyFileSystem(path))
            return Failure::ReadOnlyMedia;
        const Failure kind = systemError ? failureOfErrno(systemError) : Failure::Io;
        return kind == Failure::System ? Failure::Io : kind;
    }
    case SQLITE_NOMEM:
        return Failure::OutOfMemory;
    case SQLITE_CONSTRAINT:
        return Failure::Refused;
    default:
        return Failure::Other;
    }
}

Outcome sqliteFailure(sqlite3* db, int rc, const QString& path)
{
    const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return noteFailed(kindOf(db, rc, path), QString::fromUtf8(text));
}

// Runs SQL without results; the SQLite result code.
int exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

// The single text or integer result of a pragma; the SQLite result code.
int pragmaValue(sqlite3* db, const char* sql, QByteArray* value)
{
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        *value = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        rc = SQLITE_OK;
    } else if (rc == SQLITE_DONE) {
        rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    return rc;
}

// Leaves a statement ready for its next use, whatever happened during this one.
struct StatementUse {
    sqlite3_stmt* statement;
    ~StatementUse()
    {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
};

int bindKey(sqlite3_stmt* statement, const QString& key)
{
    const QByteArray utf8 = key.toUtf8();
    return sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

QByteArray columnBytes(sqlite3_stmt* statement, int column)
{
    // A note stored as text (as some converted databases hold it) reads as its bytes too.
    const void* data = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    return data ? QByteArray(static_cast<const char*>(data), size) : QByteArray();
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
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
    case SQLITE_FULL:
        return true;
    default:
        break;
    }
    return rc == SQLITE_IOERR_SHMOPEN || rc == SQLITE_IOERR_SHMSIZE || rc == SQLITE_IOERR_SHMMAP ||
           rc == SQLITE_IOERR_SHMLOCK;
}

QByteArray immutableUri(const QString& path)
{
    const QByteArray absolute = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    return "file:" + absolute.toPercentEncoding("/") + "?immutable=1";
}

int openConnection(const QByteArray& name, int flags, sqlite3** db)
{
    const int rc = sqlite3_open_v2(name.constData(), db, flags, nullptr);
    if (*db) {
        sqlite3_extended_result_codes(*db, 1);
        sqlite3_busy_timeout(*db, NoteStore::kDefaultBusyTimeoutMs);
    }
    return rc;
}

// The version of the step that made NoteMeta: from it on, revisions are read from the file.
constexpr int kNoteMetaSince = 2;

// Milliseconds since 1970 UTC, in SQL. SQLite keeps time in whole milliseconds, which the
// rounding gives back exactly.
#define TAVEMO_NOW_MS "CAST(round((julianday('now') - 2440587.5) * 86400000.0) AS INTEGER)"

// Gives the key of the row `row` (NEW or OLD) of UserCon the next revision of the file, the time
// of now and no origin: a writer other than the store names none. The WHERE clause is also what
// lets SQLite tell the upsert from a join.
#define TAVEMO_STAMP_ROW(row, condition)                                                                               \
    "INSERT INTO NoteMeta(conIndex, revision, modified, origin) "                                                      \
    "SELECT " row ".conIndex, (SELECT coalesce(max(revision), 0) + 1 FROM NoteMeta), " TAVEMO_NOW_MS ", NULL "         \
    "WHERE " row ".conIndex IS NOT NULL" condition " "                                                                 \
    "ON CONFLICT(conIndex) DO UPDATE SET revision = excluded.revision, modified = excluded.modified, "                 \
    "origin = NULL;"

// The schema ladder: step N brings a file of version N to version N + 1. Each runs in a
// transaction of its own that also writes the new version, so a file holds a step entirely or
// not at all, and its version says which. A new file climbs the ladder from 0 too: this is the
// one definition of the schema. The schema changes by appending a step; a released step is never
// edited, since files out there have run it.
constexpr const char* kSchemaSteps[] = {
    // 0 → 1: the table of notes. A file from before versioning has it already, as it is.
    "CREATE TABLE IF NOT EXISTS UserCon(conIndex TEXT PRIMARY KEY, data BLOB);",

    // 1 → 2: the revision of every note, beside UserCon so that its columns stay as they were.
    // The index serves max(revision) for every change, and "changed since" later. Rows already
    // there get no NoteMeta row: their revision is 0 until they change.
    "CREATE TABLE NoteMeta(conIndex TEXT PRIMARY KEY, revision INTEGER NOT NULL, "
    "modified INTEGER NOT NULL, origin TEXT);"
    "CREATE INDEX NoteMetaByRevision ON NoteMeta(revision);"
    "CREATE TRIGGER NoteMetaAfterInsert AFTER INSERT ON UserCon BEGIN " TAVEMO_STAMP_ROW(
        "NEW", "") " END;"
                   // A key changed in place is the deletion of the old key and a new note under the new one.
                   "CREATE TRIGGER NoteMetaAfterUpdate AFTER UPDATE ON UserCon BEGIN " TAVEMO_STAMP_ROW(
                       "OLD", " AND OLD.conIndex IS NOT NEW.conIndex")
                       TAVEMO_STAMP_ROW(
                           "NEW",
                           "") " END;"
                               "CREATE TRIGGER NoteMetaAfterDelete AFTER DELETE ON UserCon BEGIN " TAVEMO_STAMP_ROW(
                                   "OLD", "") " END;",
};
#undef TAVEMO_STAMP_ROW
static_assert(std::size(kSchemaSteps) == NoteStore::kSchemaVersion, "the current version is the top of the ladder");

Outcome newerSchema(int version)
{
    return noteFailed(Failure::NewerSchema,
                      QStringLiteral("本版本的程序只读取它，不写入：数据库结构是第 %1 版，本版本只认识到第 %2 版")
                          .arg(version)
                          .arg(NoteStore::kSchemaVersion));
}

// Brings the file up to kSchemaVersion, one step per transaction; `version` follows the file,
// also when a step fails (the file then stays at the version it had before that step). Each step
// reads the version again inside its transaction, so that programs upgrading one file at once run
// every step once.
Outcome climbSchemaLadder(sqlite3* db, const QString& path, int* version)
{
    for (;;) {
        int rc = exec(db, "BEGIN IMMEDIATE");
        QByteArray value;
        if (rc == SQLITE_OK)
            rc = pragmaValue(db, "PRAGMA user_version", &value);
        if (rc != SQLITE_OK) {
            Outcome failed = sqliteFailure(db, rc, path);
            if (!sqlite3_get_autocommit(db))
                exec(db, "ROLLBACK");
            return failed;
        }
        const int current = value.toInt();
        *version = current;
        if (current < 0 || current >= NoteStore::kSchemaVersion) {
            exec(db, "ROLLBACK"); // nothing was written
            if (current < 0)
                return noteFailed(Failure::NotNoteDatabase, QStringLiteral("user_version %1").arg(current));
            return current > NoteStore::kSchemaVersion ? newerSchema(current) : Outcome::success();
        }
        const QByteArray stamp = "PRAGMA user_version = " + QByteArray::number(current + 1);
        rc = exec(db, kSchemaSteps[current]);
        if (rc == SQLITE_OK)
            rc = exec(db, stamp.constData());
        if (rc == SQLITE_OK)
            rc = exec(db, "COMMIT");
        if (rc != SQLITE_OK) {
            const Outcome failed =
                noteFailed(kindOf(db, rc, path), QStringLiteral("数据库结构未能从第 %1 版升级到第 %2 版：%3")
                                                     .arg(current)
                                                     .arg(current + 1)
                                                     .arg(QString::fromUtf8(sqlite3_errmsg(db))));
            if (!sqlite3_get_autocommit(db))
                exec(db, "ROLLBACK");
            return failed;
        }
        *version = current + 1;
    }
}

} // namespace

NoteStore::NoteStore(sqlite3* db, Access access) : m_db(db), m_access(access) {}

NoteStore::~NoteStore()
{
    finalizeStatements();
    sqlite3_close_v2(m_db);
}

void NoteStore::finalizeStatements()
{
    for (sqlite3_stmt** statement : {&m_select, &m_revision, &m_upsert, &m_stamp, &m_list, &m_all, &m_userVersion}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
}

void NoteStore::setBusyTimeout(int milliseconds)
{
    m_busyTimeout = milliseconds;
    sqlite3_busy_timeout(m_db, milliseconds);
}

void NoteStore::swap(NoteStore& other)
{
    std::swap(m_db, other.m_db);
    std::swap(m_access, other.m_access);
    std::swap(m_readyForWriting, other.m_readyForWriting);
    std::swap(m_cannotWrite, other.m_cannotWrite);
    std::swap(m_version, other.m_version);
    std::swap(m_statementVersion, other.m_statementVersion);
    std::swap(m_select, other.m_select);
    std::swap(m_revision, other.m_revision);
    std::swap(m_upsert, other.m_upsert);
    std::swap(m_stamp, other.m_stamp);
    std::swap(m_list, other.m_list);
    std::swap(m_all, other.m_all);
    std::swap(m_userVersion, other.m_userVersion);
    sqlite3_busy_timeout(m_db, m_busyTimeout);
}

QString NoteStore::fileName() const { return QString::fromUtf8(sqlite3_db_filename(m_db, "main")); }

Outcome NoteStore::failure(int rc) const { return sqliteFailure(m_db, rc, fileName()); }

QString NoteStore::defaultOrigin()
{
    static const QString origin =
        QString::fromLocal8Bit(program_invocation_short_name) + u'@' + QSysInfo::machineHostName();
    return origin;
}

Outcome NoteStore::open(const QString& path, Access access, std::unique_ptr<NoteStore>* store)
{
    store->reset();
    const QFileInfo info(path);
    if (!info.exists())
        return noteFailed(Failure::Missing, path);
    if (!info.isFile())
        return noteFailed(Failure::NotNoteDatabase, QStringLiteral("%1 不是文件").arg(path));

    const QByteArray name = QFile::encodeName(path);
    sqlite3* db = nullptr;
    int rc = openConnection(name, access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, &db);
    std::unique_ptr<NoteStore> opened(new NoteStore(db, access));
    if (rc != SQLITE_OK)
        return sqliteFailure(db, rc, path);

    // The first read takes the header (and tells a file that is not SQLite apart). Where the log's
    // index cannot be made, the store reads the file alone and remembers why it cannot write.
    QByteArray version;
    rc = pragmaValue(db, "PRAGMA user_version", &version);
    if (rc != SQLITE_OK && cannotMakeTheLogIndex(rc) && QFileInfo(path + QStringLiteral("-wal")).size() == 0) {
        Outcome why = sqliteFailure(db, rc, path);
        opened.reset();
        db = nullptr;
        rc = openConnection(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &db);
        opened.reset(new NoteStore(db, access));
        opened->m_cannotWrite = std::move(why);
        if (rc == SQLITE_OK)
            rc = pragmaValue(db, "PRAGMA user_version", &version);
    }
    if (rc != SQLITE_OK)
        return sqliteFailure(db, rc, path);
    opened->m_version = version.toInt();
    if (opened->m_version < 0)
        return noteFailed(Failure::NotNoteDatabase, QStringLiteral("user_version %1").arg(opened->m_version));
    // A newer program may have changed what its schema means: this one leaves such a file as it is.
    if (opened->m_version > kSchemaVersion && access == Access::ReadWrite)
        return newerSchema(opened->m_version);

    if (Outcome prepared = opened->prepareStatements(true); !prepared.ok())
        return prepared;
    if (access == Access::ReadWrite && !opened->m_cannotWrite) {
        // A connection setting, not written to the file: every commit waits for the disk.
        QByteArray mode;
        if ((rc = exec(db, "PRAGMA synchronous = FULL")) != SQLITE_OK ||
            (rc = pragmaValue(db, "PRAGMA journal_mode", &mode)) != SQLITE_OK)
            return sqliteFailure(db, rc, path);
        opened->m_readyForWriting =
            mode == "wal" && opened->m_version == kSchemaVersion && opened->m_statementVersion == kSchemaVersion;
    }
    *store = std::move(opened);
    return Outcome::success();
}

Outcome NoteStore::prepareStatements(bool forReading)
{
    struct Statement {
        sqlite3_stmt* NoteStore::*member;
        const char* sql;          // for a file without NoteMeta; null: not used there
        const char* withNoteMeta; // from kNoteMetaSince on; null: the same as `sql`
    };
    static constexpr Statement statements[] = {
        // One row whether the day has a note or not, so that the bytes and the revision (of a
        // tombstone too) come from one snapshot.
        {&NoteStore::m_select,
         "SELECT u.data, u.conIndex IS NOT NULL, 0, 0, NULL FROM (SELECT ?1 AS k) AS q "
         "LEFT JOIN UserCon AS u ON u.conIndex = q.k",
         "SELECT u.data, u.conIndex IS NOT NULL, m.revision, m.modified, m.origin FROM (SELECT ?1 AS k) AS q "
         "LEFT JOIN UserCon AS u ON u.conIndex = q.k LEFT JOIN NoteMeta AS m ON m.conIndex = q.k"},
        {&NoteStore::m_revision, "SELECT 0 FROM UserCon WHERE conIndex = ?1",
         "SELECT revision FROM NoteMeta WHERE conIndex = ?1"},
        // Needs conIndex to be the table's key: a table without one is refused here.
        {&NoteStore::m_upsert,
         "INSERT INTO UserCon(conIndex, data) VALUES(?1, ?2) "
         "ON CONFLICT(conIndex) DO UPDATE SET data = excluded.data",
         nullptr},
        // After the upsert, whose trigger gave the row its revision: names the origin. Where the
        // trigger did not fire (UserCon rebuilt without it by another program) the revision is
        // still what it was before the upsert, ?3, and the save counts itself.
        {&NoteStore::m_stamp, nullptr,
         "INSERT INTO NoteMeta(conIndex, revision, modified, origin) "
         "VALUES(?1, (SELECT coalesce(max(revision), 0) + 1 FROM NoteMeta), " TAVEMO_NOW_MS ", ?2) "
         "ON CONFLICT(conIndex) DO UPDATE SET origin = excluded.origin, "
         "revision = CASE WHEN revision = ?3 THEN excluded.revision ELSE revision END, "
         "modified = CASE WHEN revision = ?3 THEN excluded.modified ELSE modified END "
         "RETURNING revision"},
        // length() of a blob reads the record header only; a note stored as text has its bytes
        // counted, as its size is that of its UTF-8.
        {&NoteStore::m_list,
         "SELECT conIndex, CASE typeof(data) WHEN 'text' THEN length(CAST(data AS BLOB)) ELSE length(data) END "
         "FROM UserCon ORDER BY conIndex",
         nullptr},
        {&NoteStore::m_all, "SELECT conIndex, data FROM UserCon ORDER BY conIndex", nullptr},
        {&NoteStore::m_userVersion, "PRAGMA user_version", nullptr},
    };

    // All of a version's statements or none: a failure keeps the ones the store had.
    const auto prepareFor = [this](int version) {
        std::vector<sqlite3_stmt*> prepared;
        Outcome result = Outcome::success();
        for (const Statement& s : statements) {
            const char* sql = version >= kNoteMetaSince && s.withNoteMeta ? s.withNoteMeta : s.sql;
            sqlite3_stmt* statement = nullptr;
            // The key is checked for readers too: a file whose table lacks it is not a note database.
            const int rc =
                sql ? sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) : SQLITE_OK;
            prepared.push_back(statement);
            if (rc == SQLITE_OK)
                continue;
            result = failure(rc);
            if (result.failure == Failure::Other) // no table UserCon, no such column, no key
                result = noteFailed(Failure::NotNoteDatabase, QString::fromUtf8(sqlite3_errmsg(m_db)));
            break;
        }
        if (!result.ok()) {
            for (sqlite3_stmt* statement : prepared)
                sqlite3_finalize(statement);
            return result;
        }
        finalizeStatements();
        for (size_t i = 0; i < prepared.size(); ++i)
            this->*statements[i].member = prepared[i];
        m_statementVersion = version;
        return result;
    };
    const int known = std::min(m_version, kSchemaVersion);
    Outcome result = prepareFor(known);
    // A newer schema may have changed what came after UserCon: its notes are then read without it.
    if (!result.ok() && forReading && m_version > kSchemaVersion && known >= kNoteMetaSince)
        result = prepareFor(0);
    return result;
}
#undef TAVEMO_NOW_MS

Outcome NoteStore::followVersion()
{
    // Another program may have brought an older file up to date since this store opened it: its
    // revisions are then in NoteMeta, and a store that went on reading 0 would miss every change.
    if (m_statementVersion >= kNoteMetaSince)
        return Outcome::success();
    int version = 0;
    {
        StatementUse use{m_userVersion};
        const int rc = sqlite3_step(m_userVersion);
        if (rc != SQLITE_ROW)
            return failure(rc);
        version = sqlite3_column_int(m_userVersion, 0);
    }
    if (version == m_version)
        return Outcome::success();
    m_version = version;
    return prepareStatements(true);
}

Outcome NoteStore::prepareForWriting()
{
    if (m_access == Access::ReadOnly)
        return noteFailed(Failure::NoPermission, QStringLiteral("opened for reading only"));
    if (m_cannotWrite) {
        // Opened as the file alone: try the real database again, space or rights may be back.
        std::unique_ptr<NoteStore> fresh;
        if (!open(fileName(), m_access, &fresh).ok() || fresh->m_cannotWrite)
            return *m_cannotWrite;
        swap(*fresh);
    }
    if (m_readyForWriting)
        return Outcome::success();
    // The schema first, in the journal mode the file has, so that a step that fails leaves the
    // file byte for byte as the steps before it left it.
    if (Outcome climbed = climbSchemaLadder(m_db, fileName(), &m_version); !climbed.ok()) {
        if (m_statementVersion < std::min(m_version, kSchemaVersion))
            prepareStatements(true); // the steps that did succeed; on failure the older set still reads
        return climbed;
    }
    // Saves need every statement of the current schema.
    if (m_statementVersion != kSchemaVersion) {
        if (Outcome prepared = prepareStatements(false); !prepared.ok())
            return prepared;
    }
    // Write-ahead log with a flush at every commit: a returned save survives a crash or power cut.
    QByteArray mode;
    if (const int rc = pragmaValue(m_db, "PRAGMA journal_mode = WAL", &mode); rc != SQLITE_OK)
        return failure(rc);
    if (mode != "wal") {
        const Failure kind =
            sqlite3_db_readonly(m_db, "main") == 1 ? kindOf(m_db, SQLITE_READONLY, fileName()) : Failure::Other;
        return noteFailed(
            kind,
            QStringLiteral("cannot switch to the write-ahead log: journal_mode %1").arg(QString::fromLatin1(mode)));
    }
    m_readyForWriting = true;
    return Outcome::success();
}

Outcome NoteStore::create(const QString& path, bool* created)
{
    if (created)
        *created = false;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        errno = 0;
        ::mkdir(QFile::encodeName(folder).constData(), 0755); // for the reason QDir keeps to itself
        return Outcome::failedWithErrno(errno ? errno : EIO);
    }

    // O_EXCL claims the name without ever replacing what is there, on every file system.
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    const bool claimed = fd >= 0;
    if (!claimed) {
        if (errno != EEXIST)
            return Outcome::failedWithErrno(errno);
        struct stat existing {};
        if (::lstat(name.constData(), &existing) != 0)
            return Outcome::failedWithErrno(errno);
        if (!S_ISREG(existing.st_mode) || existing.st_size > 0)
            return Outcome::success(); // a database (or something else) is there: keep it
        // No bytes: a creation that stopped before its table, or one still at work.
        fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return Outcome::failedWithErrno(errno);
    }
    // Creators of one file take turns (an advisory lock of the file itself, apart from SQLite's own
    // locks): two at once would meet in the middle of the schema steps and the switch to the log,
    // where SQLite answers "locked" without waiting. Whoever comes second finds a database.
    struct Unlock {
        int fd;
        ~Unlock() { ::close(fd); } // closing releases the lock
    } const turn{fd};
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR)
            return Outcome::failedWithErrno(errno);
    if (struct stat now {}; ::fstat(fd, &now) == 0 && now.st_size > 0)
        return Outcome::success();

    // The schema goes into the claimed file step by step, each step a transaction, so the file
    // holds nothing or a database of some version, which the next call or the first save completes.
    sqlite3* db = nullptr;
    int version = 0;
    int rc = openConnection(name, SQLITE_OPEN_READWRITE, &db);
    Outcome result = rc == SQLITE_OK ? climbSchemaLadder(db, path, &version) : sqliteFailure(db, rc, path);
    QByteArray mode;
    if (result.ok() && (rc = pragmaValue(db, "PRAGMA journal_mode = WAL", &mode)) != SQLITE_OK)
        result = sqliteFailure(db, rc, path);
    if (const int closed = sqlite3_close(db); closed != SQLITE_OK && result.ok())
        result = sqliteFailure(nullptr, closed, path);
    if (!result.ok()) {
        struct stat now {};
        if (claimed && ::stat(name.constData(), &now) == 0 && now.st_size == 0)
            ::unlink(name.constData()); // what this call claimed and could not fill goes again
        return result;
    }
    if (created)
        *created = true;
    return result;
}

Outcome NoteStore::load(const QString& key, StoredNote* note)
{
    if (Outcome followed = followVersion(); !followed.ok())
        return followed;
    StatementUse use{m_select};
    int rc = bindKey(m_select, key);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_select);
    if (rc != SQLITE_ROW)
        return failure(rc == SQLITE_DONE ? SQLITE_INTERNAL : rc); // the query always gives its row
    StoredNote read;
    if (sqlite3_column_int(m_select, 1))
        read.data = columnBytes(m_select, 0);
    read.revision = sqlite3_column_int64(m_select, 2);
    read.modifiedMs = sqlite3_column_int64(m_select, 3);
    read.origin = columnText(m_select, 4);
    *note = std::move(read);
    return Outcome::success();
}

Outcome NoteStore::load(const QString& key, std::optional<QByteArray>* note)
{
    StoredNote read;
    Outcome loaded = load(key, &read);
    if (loaded.ok())
        *note = std::move(read.data);
    return loaded;
}

Outcome NoteStore::revision(const QString& key, qint64* revision)
{
    if (Outcome followed = followVersion(); !followed.ok())
        return followed;
    StatementUse use{m_revision};
    int rc = bindKey(m_revision, key);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(m_revision);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return failure(rc);
    *revision = rc == SQLITE_ROW ? sqlite3_column_int64(m_revision, 0) : 0;
    return Outcome::success();
}

Outcome NoteStore::save(const QString& key, const QByteArray& data, qint64 expectedRevision, const QString& origin,
                        qint64* newRevision)
{
    return writeNote(key, data, expectedRevision, origin, newRevision);
}

Outcome NoteStore::save(const QString& key, const QByteArray& data)
{
    return writeNote(key, data, std::nullopt, QString(), nullptr);
}

Outcome NoteStore::writeNote(const QString& key, const QByteArray& data, std::optional<qint64> expectedRevision,
                             const QString& origin, qint64* newRevision)
{
    if (Outcome ready = prepareForWriting(); !ready.ok())
        return ready;
    if (const int rc = exec(m_db, "BEGIN IMMEDIATE"); rc != SQLITE_OK)
        return failure(rc);

    // The whole save between BEGIN and COMMIT; whatever fails, the transaction is rolled back after.
    qint64 stored = 0;
    const Outcome result = [&]() -> Outcome {
        {
            // A newer program may have taken the file over since this store made it ready.
            StatementUse use{m_userVersion};
            const int rc = sqlite3_step(m_userVersion);
            if (rc != SQLITE_ROW)
                return failure(rc);
            if (const int version = sqlite3_column_int(m_userVersion, 0); version > kSchemaVersion)
                return newerSchema(version);
        }
        qint64 current = 0;
        {
            StatementUse use{m_revision};
            int rc = bindKey(m_revision, key);
            if (rc == SQLITE_OK)
                rc = sqlite3_step(m_revision);
            if (rc == SQLITE_ROW)
                current = sqlite3_column_int64(m_revision, 0);
            else if (rc != SQLITE_DONE)
                return failure(rc);
        }
        if (expectedRevision && *expectedRevision != current) {
            if (newRevision)
                *newRevision = current;
            return noteFailed(Failure::Conflict,
                              QStringLiteral("载入时的修订号是 %1，现在是 %2").arg(*expectedRevision).arg(current));
        }
        {
            StatementUse use{m_upsert};
            int rc = bindKey(m_upsert, key);
            // An empty array has no data pointer, and a null pointer would bind NULL: bind an empty blob.
            if (rc == SQLITE_OK)
                rc = data.isEmpty() ? sqlite3_bind_zeroblob(m_upsert, 2, 0)
                                    : sqlite3_bind_blob64(m_upsert, 2, data.constData(),
                                                          static_cast<sqlite3_uint64>(data.size()), SQLITE_STATIC);
            if (rc == SQLITE_OK)
                rc = sqlite3_step(m_upsert);
            if (rc != SQLITE_DONE)
                return failure(rc);
        }
        {
            StatementUse use{m_stamp};
            const QByteArray who = (origin.isEmpty() ? defaultOrigin() : origin).toUtf8();
            int rc = bindKey(m_stamp, key);
            if (rc == SQLITE_OK)
                rc = sqlite3_bind_text(m_stamp, 2, who.constData(), static_cast<int>(who.size()), SQLITE_TRANSIENT);
            if (rc == SQLITE_OK)
                rc = sqlite3_bind_int64(m_stamp, 3, current);
            if (rc == SQLITE_OK)
                rc = sqlite3_step(m_stamp);
            if (rc != SQLITE_ROW)
                return failure(rc == SQLITE_DONE ? SQLITE_INTERNAL : rc); // RETURNING always gives its row
            stored = sqlite3_column_int64(m_stamp, 0);
        }
        if (const int rc = exec(m_db, "COMMIT"); rc != SQLITE_OK)
            return failure(rc);
        return Outcome::success();
    }();
    if (!sqlite3_get_autocommit(m_db))
        exec(m_db, "ROLLBACK");
    if (result.ok() && newRevision)
        *newRevision = stored;
    return result;
}

Outcome NoteStore::list(std::vector<Entry>* entries)
{
    StatementUse use{m_list};
    entries->clear();
    int rc;
    while ((rc = sqlite3_step(m_list)) == SQLITE_ROW)
        entries->push_back({columnText(m_list, 0), sqlite3_column_int64(m_list, 1)});
    return rc == SQLITE_DONE ? Outcome::success() : failure(rc);
}

Outcome NoteStore::forEach(const std::function<bool(const QString&, const QByteArray&)>& visit)
{
    StatementUse use{m_all};
    int rc;
    while ((rc = sqlite3_step(m_all)) == SQLITE_ROW)
        if (!visit(columnText(m_all, 0), columnBytes(m_all, 1)))
            return Outcome::success();
    return rc == SQLITE_DONE ? Outcome::success() : failure(rc);
}

} // namespace tavemo::notes
