#pragma once
// Shared by the note tests: a throw-away application directory with an empty note database, and
// direct SQL on a database file for setting up what the store itself never writes.

#include "AppPath.h"
#include "NoteStore.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace tavemo::notes::test {

struct TempAppDir {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString databasePath() const { return paths::noteDatabasePath(dir.path()); }
    // Gives the directory the empty database that the build delivers.
    void createDatabase() const;
};

// Runs SQL on the database file through its own connection; fails the test on an error.
void execSql(const QString &databasePath, const QString &sql);
// The single value of a query, as text; empty when the query returns no row.
QString queryText(const QString &databasePath, const QString &sql);
// The stored bytes of a day, read below the store; nothing when the row is missing.
std::optional<QByteArray> storedNote(const QString &databasePath, const QString &key);

QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace tavemo::notes::test
