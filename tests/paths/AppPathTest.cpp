// The one spelling on disk of the names below the application directory.

#include "paths/AppPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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

void writeFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A delivered tree as a build or an install leaves it, with a program file beside it.
void makeDeliveredTree(const QString& root)
{
    writeFile(root + QStringLiteral("/Data/UserData.db"), "empty database");
    writeFile(root + QStringLiteral("/source/DeskTopBG/A1.bmp"), "default background");
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("/source/Month")));
    writeFile(root + QStringLiteral("/web/help4/tavemo1.htm"), "help");
    writeFile(root + QStringLiteral("/tavemo-calendar"), "a program, not delivered");
}

TEST(ApplicationDirectory, TheExecutablesFolderWhenWritableElseThePerUserFolder)
{
    QTemporaryDir root;
    const QString home = root.path() + QStringLiteral("/home/.local/share");
    const QString perUser = home + QStringLiteral("/tavemo-calendar");

    // The build folder or an unpacked copy: everything stays below it.
    const QString build = root.path() + QStringLiteral("/build/app");
    ASSERT_TRUE(QDir().mkpath(build));
    QString tree = QStringLiteral("unset");
    EXPECT_EQ(chooseApplicationDirectory(build, home, &tree), build);
    EXPECT_TRUE(tree.isEmpty());

    // Installed: the per-user folder even where bin/ is writable (root, or a prefix in the home),
    // filled from share/tavemo-calendar/delivered.
    const QString prefix = root.path() + QStringLiteral("/usr");
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin")));
    const QString bin = prefix + QStringLiteral("/bin");
    EXPECT_EQ(chooseApplicationDirectory(bin, home, &tree), bin) << "no delivered tree beside bin/: not an install";
    makeDeliveredTree(QDir::cleanPath(bin + u'/' + installedDataFolder()));
    EXPECT_EQ(chooseApplicationDirectory(bin, home, &tree), perUser);
    EXPECT_EQ(tree, QDir::cleanPath(bin + u'/' + installedDataFolder()));
    EXPECT_TRUE(tree.endsWith(QStringLiteral("/share/tavemo-calendar/delivered"))) << tree.toStdString();

    // Installed with the prefix ~/.local: the user's folder holds the delivered tree but is not it,
    // so that installing again replaces none of the user's files.
    const QString localBin = root.path() + QStringLiteral("/home/.local/bin");
    ASSERT_TRUE(QDir().mkpath(localBin));
    makeDeliveredTree(QDir::cleanPath(localBin + u'/' + installedDataFolder()));
    EXPECT_EQ(chooseApplicationDirectory(localBin, home, &tree), perUser);
    EXPECT_EQ(tree, perUser + QStringLiteral("/delivered"));

    // A copy in a folder the user cannot write: the per-user folder, filled from the copy. Root
    // writes everywhere, so the check runs as an unprivileged user then.
    const QString readOnly = root.path() + QStringLiteral("/cdrom");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    ASSERT_TRUE(
        QFile::setPermissions(root.path(), QFile::permissions(root.path()) | QFile::ReadOther | QFile::ExeOther));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(3);
        QString from;
        const bool chosen = chooseApplicationDirectory(readOnly, home, &from) == perUser && from == readOnly;
        _exit(chosen ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(ApplicationDirectory, AFreshFolderIsFilledWithTheDeliveredFilesOnly)
{
    QTemporaryDir root;
    const QString tree = root.path() + QStringLiteral("/share/tavemo-calendar");
    makeDeliveredTree(tree);
    const QString appDir = root.path() + QStringLiteral("/home/.local/share/tavemo-calendar");

    EXPECT_TRUE(fillFromDeliveredTree(tree, appDir).ok());
    EXPECT_EQ(readFile(appDir + QStringLiteral("/Data/UserData.db")), "empty database");
    EXPECT_EQ(readFile(appDir + QStringLiteral("/source/DeskTopBG/A1.bmp")), "default background");
    EXPECT_EQ(readFile(appDir + QStringLiteral("/web/help4/tavemo1.htm")), "help");
    EXPECT_TRUE(QFileInfo(appDir + QStringLiteral("/source/Month")).isDir());
    EXPECT_FALSE(QFile::exists(appDir + QStringLiteral("/tavemo-calendar")));
    EXPECT_TRUE(QFileInfo(appDir + QStringLiteral("/Data/UserData.db")).isWritable());
}

TEST(ApplicationDirectory, AFolderWithNotesKeepsEveryFileAndGetsOnlyWhatIsMissing)
{
    QTemporaryDir root;
    const QString tree = root.path() + QStringLiteral("/share/tavemo-calendar");
    makeDeliveredTree(tree);
    const QString appDir = root.path() + QStringLiteral("/home/tavemo-calendar");
    // The user's notes in another letter case, their own background, and a copy cut short by an
    // earlier start that was killed.
    writeFile(appDir + QStringLiteral("/data/userdata.db"), "the user's notes");
    writeFile(appDir + QStringLiteral("/source/DeskTopBG/A1.bmp"), "the user's picture");
    writeFile(appDir + QStringLiteral("/web/help4/tavemo1.htm.copying"), "he");
    writeFile(appDir + QStringLiteral("/web/help4/.tavemo1.htm.Xy12Zq"), "he"); // the temporary file of today's copy

    EXPECT_TRUE(fillFromDeliveredTree(tree, appDir).ok());
    EXPECT_EQ(readFile(appDir + QStringLiteral("/data/userdata.db")), "the user's notes");
    EXPECT_FALSE(QFile::exists(appDir + QStringLiteral("/Data"))) << "a second Data folder beside data";
    EXPECT_EQ(readFile(appDir + QStringLiteral("/source/DeskTopBG/A1.bmp")), "the user's picture");
    EXPECT_EQ(readFile(appDir + QStringLiteral("/web/help4/tavemo1.htm")), "help");
    EXPECT_EQ(QDir(appDir + QStringLiteral("/web/help4")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"tavemo1.htm"});

    // Unwritable: the reason is told, nothing is claimed.
    const QString blocked = root.path() + QStringLiteral("/file-in-the-way");
    writeFile(blocked, "x");
    const Outcome unwritable = fillFromDeliveredTree(tree, blocked + QStringLiteral("/tavemo-calendar"));
    EXPECT_FALSE(unwritable.ok());
    EXPECT_TRUE(unwritable.message.contains(blocked)) << unwritable.message.toStdString();
}

} // namespace
} // namespace tavemo::paths
