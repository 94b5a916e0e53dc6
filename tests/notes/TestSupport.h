#pragma once
// Shared by the note tests: a throw-away application directory with an empty note database,
// direct SQL on a database file for setting up what the store itself never writes, and the
// conditions a careful user meets: a folder they cannot write, a full disk, read-only media.

#include "notes/NoteStore.h"
#include "paths/AppPath.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

namespace tavemo::notes::test {

struct TempAppDir {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString databasePath() const { return paths::noteDatabasePath(dir.path()); }
    // Gives the directory the empty database that the build delivers.
    void createDatabase() const;
};

// Opens the store, failing the test (and giving null) when it does not open.
std::unique_ptr<NoteStore> openStore(const QString& databasePath,
                                     NoteStore::Access access = NoteStore::Access::ReadWrite);

// Makes a database file (and its folder) with SQL, as other programs or older builds made them.
void makeDatabase(const QString& databasePath, const char* sql);
// Runs SQL on the database file through its own connection; fails the test on an error.
void execSql(const QString& databasePath, const QString& sql);
// The single value of a query, as text; empty when the query returns no row.
QString queryText(const QString& databasePath, const QString& sql);
// The stored bytes of a day, read below the store; nothing when the row is missing.
std::optional<QByteArray> storedNote(const QString& databasePath, const QString& key);

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// Every file below `dir` (names relative to it, sorted) with its bytes: a folder's whole state,
// for checking that something left it alone.
QList<QPair<QString, QByteArray>> folderState(const QString& dir);

// Makes `path` and everything below it read-only (folders 0555, files 0444), or writable again.
// Root writes regardless of modes, so what must meet a read-only folder runs through
// dropPrivileges() as well.
void setReadOnly(const QString& path, bool readOnly);
// In a child process: continue as the user nobody when running as root; nothing otherwise.
void dropPrivileges();
// Runs `work` in a forked child that has dropped its privileges; its return value is the result.
int runWithoutPrivileges(const std::function<int()>& work);

struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

struct RunOptions {
    QByteArray input;                // standard input
    QProcessEnvironment environment; // empty: the test's own
    bool withoutPrivileges = false;
};
// Runs a program to its end.
ProgramRun run(const QString& program, const QStringList& args, const RunOptions& options = {});

// Runs a shell script in a mount namespace of its own, so that the file systems it mounts vanish
// with it; `arguments` are the script's $1, $2 …. Nothing when this machine allows no such namespace.
std::optional<ProgramRun> runInPrivateMount(const QString& script, const QStringList& arguments = {});

} // namespace tavemo::notes::test
