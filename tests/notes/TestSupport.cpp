#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sqlite3.h>

namespace tavemo::notes::test {
namespace {

// A plain connection that bypasses the store, for the test's own reads and writes.
struct Connection {
    explicit Connection(const QString &path)
    {
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK)
            << path.toStdString();
        sqlite3_busy_timeout(db, 5000);
    }
    ~Connection() { sqlite3_close_v2(db); }
    sqlite3 *db = nullptr;
};

} // namespace

void TempAppDir::createDatabase() const
{
    QString error;
    ASSERT_EQ(NoteStore::create(databasePath(), &error), NoteStore::CreateResult::Created) << error.toStdString();
}

void execSql(const QString &databasePath, const QString &sql)
{
    Connection connection(databasePath);
    char *message = nullptr;
    const int rc = sqlite3_exec(connection.db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << sql.toStdString() << ": " << (message ? message : "");
    sqlite3_free(message);
}

QString queryText(const QString &databasePath, const QString &sql)
{
    Connection connection(databasePath);
    sqlite3_stmt *statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(connection.db, sql.toUtf8().constData(), -1, &statement, nullptr), SQLITE_OK)
        << sql.toStdString();
    QString value;
    if (statement && sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

std::optional<QByteArray> storedNote(const QString &databasePath, const QString &key)
{
    Connection connection(databasePath);
    sqlite3_stmt *statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(connection.db, "SELECT data FROM UserCon WHERE conIndex = ?1", -1, &statement,
                                 nullptr),
              SQLITE_OK);
    const QByteArray utf8 = key.toUtf8();
    sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    std::optional<QByteArray> note;
    if (sqlite3_step(statement) == SQLITE_ROW)
        note = QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, 0)),
                          sqlite3_column_bytes(statement, 0));
    sqlite3_finalize(statement);
    return note;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace tavemo::notes::test
