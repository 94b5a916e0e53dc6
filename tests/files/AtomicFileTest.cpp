// Writing whole or not at all, on real file systems: a full disk and read-only media must leave
// the old file as it was and say why, never report success over an empty file.

#include "files/AtomicFile.h"
#include "files/LineFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <functional>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavemo::files {
namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// Runs `work` in a child process on a tmpfs of its own (in a mount namespace of its own, so the
// mount vanishes with the child), mounted at a fresh folder that holds "old.ini" (the bytes
// "old\r\n") and, for "full", a filler file that takes the last free byte; "read-only" remounts it
// read-only instead. The child's report is what `work` returns. Nothing where the machine allows
// no such namespace.
std::optional<QByteArray> onOwnFileSystem(const char* state, const std::function<QByteArray(const QString&)>& work)
{
    QTemporaryDir mountPoint;
    const QByteArray at = QFile::encodeName(mountPoint.path());
    int report[2];
    if (::pipe(report) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        // Root makes a mount namespace directly; anyone else inside a user namespace of their own.
        if (uid != 0) {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                ::_exit(77);
            const QByteArray uidMap = "0 " + QByteArray::number(uid) + " 1";
            const QByteArray gidMap = "0 " + QByteArray::number(gid) + " 1";
            const auto put = [](const char* file, const QByteArray& text) {
                const int fd = ::open(file, O_WRONLY);
                return fd >= 0 && writeAll(fd, text.constData(), size_t(text.size())) && ::close(fd) == 0;
            };
            if (!put("/proc/self/setgroups", "deny") || !put("/proc/self/uid_map", uidMap) ||
                !put("/proc/self/gid_map", gidMap))
                ::_exit(77);
        } else if (::unshare(CLONE_NEWNS) != 0) {
            ::_exit(77);
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", at.constData(), "tmpfs", 0, "size=256k") != 0)
            ::_exit(77);
        const QString folder = mountPoint.path();
        const QByteArray old = QFile::encodeName(folder + QStringLiteral("/old.ini"));
        const int fd = ::open(old.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || !writeAll(fd, "old\r\n", 5) || ::close(fd) != 0)
            ::_exit(2);
        if (qstrcmp(state, "full") == 0) {
            const int filler = ::open((at + "/filler").constData(), O_WRONLY | O_CREAT, 0644);
            static char block[4096];
            while (::write(filler, block, sizeof block) > 0) {
            }
            while (::write(filler, block, 1) > 0) {
            }
            ::close(filler);
        } else if (::mount(nullptr, at.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            ::_exit(2);
        }
        const QByteArray said = work(folder);
        writeAll(report[1], said.constData(), size_t(said.size()));
        ::_exit(0);
    }
    ::close(report[1]);
    QByteArray said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, n);
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        return std::nullopt;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return said;
}

// Every writer of the program's files, each replacing "old.ini" in `folder`.
struct Writer {
    const char* name;
    std::function<Outcome(const QString& path)> write;
};
const Writer kWriters[] = {
    {"saveAtomically", [](const QString& path) { return saveAtomically(path, "new\r\n"); }},
    {"writeLines",
     [](const QString& path) {
         return writeLines(path, {"1", "750", "500"});
     }},
    {"in blocks",
     [](const QString& path) {
         AtomicFile file(path);
         file.open();
         const QByteArray block(64 * 1024, 'x');
         for (int i = 0; i < 8; ++i)
             file.write(block);
         return file.commit();
     }},
    {"copyAtomically",
     [](const QString& path) {
         // The source lives outside the mount, as a picture chosen from the home folder does.
         return copyAtomically(QStringLiteral("/proc/self/cmdline"), path);
     }},
};

// The report of a write in the child: the failure, whether the message names the file, the old
// file's bytes and what else is in the folder.
QByteArray report(const QString& folder, const Writer& writer)
{
    const QString path = folder + QStringLiteral("/old.ini");
    const Outcome outcome = writer.write(path);
    return QByteArray::number(int(outcome.failure)) + '|' + (outcome.message.contains(path) ? "named" : "unnamed") +
           '|' + readFile(path) + '|' + entries(folder).join(u',').toUtf8();
}

// The fault this writer exists for: on a full disk QSaveFile reported success over an empty file.
TEST(AtomicFile, AFullDiskOrReadOnlyMediaKeepTheOldFileAndSaySo)
{
    struct State {
        const char* name;
        Failure failure;
        const char* folder; // the files left in the folder
    };
    const State states[] = {
        {"full", Failure::DiskFull, "filler,old.ini"},
        {"read-only", Failure::ReadOnlyMedia, "old.ini"},
    };
    for (const State& state : states)
        for (const Writer& writer : kWriters) {
            const std::optional<QByteArray> said =
                onOwnFileSystem(state.name, [&](const QString& folder) { return report(folder, writer); });
            if (!said)
                GTEST_SKIP() << "no mount namespace here";
            EXPECT_EQ(*said, QByteArray::number(int(state.failure)) + "|named|old\r\n|" + state.folder)
                << state.name << ", " << writer.name;
        }
}

TEST(AtomicFile, ReplacesWholeKeepingPermissionsAndLeavesNoTrace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.ini"));
    writeFile(path, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    const Outcome saved = saveAtomically(path, "new contents");
    ASSERT_TRUE(saved.ok()) << saved.text().toStdString();
    EXPECT_EQ(readFile(path), "new contents");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(dir.path()), QStringList{"list.ini"});

    // Given up before commit(): the target is untouched and the temporary file gone.
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.open().ok());
        ASSERT_TRUE(file.write("half").ok());
        EXPECT_EQ(entries(dir.path()).size(), 2);
    }
    EXPECT_EQ(readFile(path), "new contents");
    EXPECT_EQ(entries(dir.path()), QStringList{"list.ini"});

    // A folder in the target's place is not replaced, and the message says which file.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    const Outcome overFolder = saveAtomically(dir.filePath(QStringLiteral("taken")), "x");
    EXPECT_FALSE(overFolder.ok());
    EXPECT_TRUE(overFolder.message.contains(dir.filePath(QStringLiteral("taken")))) << overFolder.message.toStdString();
    EXPECT_EQ(entries(dir.path()), QStringList{"list.ini"});
}

TEST(AtomicFile, NeverReplacingKeepsAFileThatIsThere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("UserData.db"));
    writeFile(path, "the user's notes");
    AtomicFile file(path, AtomicFile::Replace::Never);
    ASSERT_TRUE(file.open().ok());
    ASSERT_TRUE(file.write("empty database").ok());
    const Outcome committed = file.commit();
    EXPECT_EQ(committed.failure, Failure::Conflict);
    EXPECT_EQ(readFile(path), "the user's notes");
    EXPECT_EQ(entries(dir.path()), QStringList{"UserData.db"});

    const QString fresh = dir.filePath(QStringLiteral("new.db"));
    EXPECT_TRUE(copyAtomically(path, fresh, AtomicFile::Replace::Never).ok());
    EXPECT_EQ(readFile(fresh), "the user's notes");
}

TEST(AtomicFile, LeftoversOfAKilledWriteAreTheOnlyFilesRemoved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("A1.bmp"));
    const QStringList kept = {".A1.bmp.too-long1", ".A1.bmp.abc", ".B1.bmp.Xy12Zq", "A1.bmp", "A1.bmp.Xy12Zq"};
    for (const QString& name : kept + QStringList{".A1.bmp.Xy12Zq", ".A1.bmp.000000"})
        writeFile(dir.filePath(name), "x");
    AtomicFile::removeLeftovers(path);
    QStringList expected = kept;
    expected.sort();
    EXPECT_EQ(entries(dir.path()), expected);
}

} // namespace
} // namespace tavemo::files
