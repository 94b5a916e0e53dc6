// The one spelling on disk of the names below the application directory.

#include "AppPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tavemo::paths {
namespace {

TEST(AppPath, EveryNameHasOneSpellingOnDisk)
{
    QTemporaryDir app;
    const QString base = app.path();
    // Nothing there yet: the program's own spelling of its folders.
    EXPECT_EQ(appPath(base, QStringLiteral("data\\FormSize.ini")), base + QStringLiteral("/Data/FormSize.ini"));
    EXPECT_EQ(appPath(base, QStringLiteral("Data/UserData.db")), base + QStringLiteral("/Data/UserData.db"));

    // A tree copied from elsewhere in other letter cases: its spelling wins, for folders and files.
    ASSERT_TRUE(QDir(base).mkpath(QStringLiteral("DATA")));
    QFile(base + QStringLiteral("/DATA/userdata.DB")).open(QIODevice::WriteOnly);
    EXPECT_EQ(noteDatabasePath(base), base + QStringLiteral("/DATA/userdata.DB"));
    EXPECT_EQ(appPath(base, QStringLiteral("data\\configSetBg.ini")), base + QStringLiteral("/DATA/configSetBg.ini"));

    // An exact match is preferred over another spelling.
    ASSERT_TRUE(QDir(base).mkpath(QStringLiteral("Data")));
    EXPECT_EQ(appPath(base, QStringLiteral("Data/x")), base + QStringLiteral("/Data/x"));
}

} // namespace
} // namespace tavemo::paths
