#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <sqlite3.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavemo::notes::test {
namespace {

// A plain connection that bypasses the store, for the test's own reads and writes.
struct Connection {
    explicit Connection(const QString& path)
    {
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK)
            << path.toStdString();
        sqlite3_busy_timeout(db, 5000);
    }
    ~Connection() { sqlite3_close_v2(db); }
    sqlite3* db = nullptr;
};

constexpr uid_t kNobody = 65534;

} // namespace

void TempAppDir::createDatabase() const
{
    bool created = false;
    const tavemo::Outcome result = NoteStore::create(databasePath(), &created);
    ASSERT_TRUE(result.ok() && created) << result.detail.toStdString();
}

std::unique_ptr<NoteStore> openStore(const QString& databasePath, NoteStore::Access access)
{
    std::unique_ptr<NoteStore> store;
    const tavemo::Outcome opened = NoteStore::open(databasePath, access, &store);
    EXPECT_TRUE(opened.ok()) << opened.detail.toStdString();
    return store;
}

void makeDatabase(const QString& databasePath, const char* sql)
{
    QDir().mkpath(QFileInfo(databasePath).absolutePath());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(databasePath).constData(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << sql << ": " << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

void execSql(const QString& databasePath, const QString& sql)
{
    Connection connection(databasePath);
    char* message = nullptr;
    const int rc = sqlite3_exec(connection.db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << sql.toStdString() << ": " << (message ? message : "");
    sqlite3_free(message);
}

QString queryText(const QString& databasePath, const QString& sql)
{
    Connection connection(databasePath);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(connection.db, sql.toUtf8().constData(), -1, &statement, nullptr), SQLITE_OK)
        << sql.toStdString();
    QString value;
    if (statement && sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

std::optional<QByteArray> storedNote(const QString& databasePath, const QString& key)
{
    Connection connection(databasePath);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(
        sqlite3_prepare_v2(connection.db, "SELECT data FROM UserCon WHERE conIndex = ?1", -1, &statement, nullptr),
        SQLITE_OK);
    const QByteArray utf8 = key.toUtf8();
    sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    std::optional<QByteArray> note;
    if (sqlite3_step(statement) == SQLITE_ROW)
        note =
            QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, 0)), sqlite3_column_bytes(statement, 0));
    sqlite3_finalize(statement);
    return note;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QList<QPair<QString, QByteArray>> folderState(const QString& dir)
{
    QList<QPair<QString, QByteArray>> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.append({QDir(dir).relativeFilePath(path), readFile(path)});
    }
    std::sort(files.begin(), files.end());
    return files;
}

void setReadOnly(const QString& path, bool readOnly)
{
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    QStringList all{path};
    while (it.hasNext())
        all << it.next();
    for (const QString& entry : all) {
        const bool folder = QFileInfo(entry).isDir();
        const mode_t mode = folder ? (readOnly ? 0555 : 0755) : (readOnly ? 0444 : 0644);
        ASSERT_EQ(::chmod(QFile::encodeName(entry).constData(), mode), 0) << entry.toStdString();
    }
}

void dropPrivileges()
{
    if (::geteuid() != 0)
        return;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
        ::_exit(126);
}

int runWithoutPrivileges(const std::function<int()>& work)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        dropPrivileges();
        ::_exit(work());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A copy of `file` in a folder that every user may enter, for a child without privileges: the
// build and source folders may be closed to others (a clone in a private temporary folder).
QString reachableCopy(const QString& file)
{
    static QTemporaryDir shared;
    ::chmod(QFile::encodeName(shared.path()).constData(), 0755);
    const QString copy = QDir(shared.path()).filePath(QFileInfo(file).fileName());
    if (!QFile::exists(copy)) {
        EXPECT_TRUE(QFile::copy(file, copy)) << file.toStdString();
        ::chmod(QFile::encodeName(copy).constData(), 0755);
    }
    return copy;
}

ProgramRun run(const QString& program, const QStringList& args, const RunOptions& options)
{
    QProcess process;
    QString executable = program;
    if (!options.environment.isEmpty())
        process.setProcessEnvironment(options.environment);
    if (options.withoutPrivileges) {
        executable = reachableCopy(program);
        // The sanitizers read their suppression file as the child's user too.
        QProcessEnvironment environment =
            options.environment.isEmpty() ? QProcessEnvironment::systemEnvironment() : options.environment;
        QString leaks = environment.value(QStringLiteral("LSAN_OPTIONS"));
        static const QRegularExpression suppressions(QStringLiteral("suppressions=([^:]+)"));
        if (const QRegularExpressionMatch match = suppressions.match(leaks); match.hasMatch()) {
            leaks.replace(match.capturedStart(1), match.capturedLength(1), reachableCopy(match.captured(1)));
            environment.insert(QStringLiteral("LSAN_OPTIONS"), leaks);
        }
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier(dropPrivileges);
    }
    process.start(executable, args);
    EXPECT_TRUE(process.waitForStarted(60000)) << program.toStdString();
    process.write(options.input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program.toStdString() << " crashed";
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

std::optional<ProgramRun> runInPrivateMount(const QString& script, const QStringList& arguments)
{
    // Root makes a mount namespace directly; anyone else through a user namespace of their own.
    const QStringList namespaces =
        ::geteuid() == 0
            ? QStringList{QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private")}
            : QStringList{QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount")};
    static const bool allowed = [&namespaces] {
        QProcess probe;
        probe.start(QStringLiteral("unshare"), namespaces + QStringList{QStringLiteral("sh"), QStringLiteral("-c"),
                                                                        QStringLiteral("mount -t tmpfs tmpfs /mnt")});
        return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
    }();
    if (!allowed)
        return std::nullopt;
    return run(QStringLiteral("unshare"),
               namespaces + QStringList{QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh")} +
                   arguments);
}

} // namespace tavemo::notes::test
