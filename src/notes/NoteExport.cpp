// NoteBook::exportAll: every note into a folder, durable with one sync for the whole export.

#include "notes/NoteBook.h"

#include "notes/DateKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavemo::notes {
namespace {

QString alreadyThere() { return QStringLiteral("文件已存在（加 --overwrite 可覆盖）"); }

// The reason of a failed system call on what is written, in Chinese with the system's words.
QString because(int error) { return Outcome::failedWithErrno(error).detail; }

// The same for what is read.
QString readingBecause(int error)
{
    if (error == EACCES || error == EPERM)
        return QStringLiteral("没有读取权限（%1）").arg(QString::fromLocal8Bit(std::strerror(error)));
    return because(error);
}

// A file written under its temporary name, waiting for the sync and its rename.
struct Pending {
    QByteArray temporary;
    QByteArray name;
    bool replaces = false; // a regular file of that name was there and is to be replaced
};

// What became of one day's file before its rename.
struct Written {
    bool skipped = false;
    QString why; // empty: written under `pending.temporary`
    Pending pending;
};

// Writes `bytes` to a new temporary file beside `name` in the folder, without following a link
// and without looking at what stands under `name` beyond deciding whether it may be replaced.
Written writeTemporary(int folder, const QByteArray& name, const QByteArray& bytes, bool overwrite)
{
    const auto failed = [](int error) { return Written{false, because(error), {}}; };
    struct stat existing {};
    const bool exists = ::fstatat(folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return failed(errno);
    if (exists && S_ISLNK(existing.st_mode))
        return {true, QStringLiteral("是符号链接，不会跟随"), {}};
    if (exists && !S_ISREG(existing.st_mode))
        return {true, QStringLiteral("不是普通文件"), {}};
    if (exists && !overwrite)
        return {true, alreadyThere(), {}};

    Pending pending{{}, name, exists};
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        pending.temporary =
            "." + name + ".tavemo-" + QByteArray::number(::getpid()) + "-" + QByteArray::number(attempt);
        fd =
            ::openat(folder, pending.temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            return failed(errno);
    }
    if (fd < 0)
        return failed(EEXIST);
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && !error;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? ENOSPC : errno;
    }
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error) {
        ::unlinkat(folder, pending.temporary.constData(), 0);
        return failed(error);
    }
    return {false, {}, std::move(pending)};
}

// Puts a synced temporary file under its name. A new name never replaces what may have appeared
// there meanwhile: the rename refuses to replace (or, where the file system cannot refuse, the
// name is claimed with O_EXCL first and the rename puts the whole file over the empty claim).
// Empty on success; else the reason, and whether the day was skipped rather than failed.
std::pair<bool, QString> rename(int folder, const Pending& pending)
{
    const auto dropTemporary = [&] { ::unlinkat(folder, pending.temporary.constData(), 0); };
    if (pending.replaces) {
        if (::renameat(folder, pending.temporary.constData(), folder, pending.name.constData()) == 0)
            return {false, {}};
        const int error = errno;
        dropTemporary();
        return {false, because(error)};
    }
    if (::renameat2(folder, pending.temporary.constData(), folder, pending.name.constData(), RENAME_NOREPLACE) == 0)
        return {false, {}};
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        const int claim =
            ::openat(folder, pending.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (claim >= 0) {
            ::close(claim);
            if (::renameat(folder, pending.temporary.constData(), folder, pending.name.constData()) == 0)
                return {false, {}};
            error = errno;
            ::unlinkat(folder, pending.name.constData(), 0);
        } else {
            error = errno;
        }
    }
    dropTemporary();
    if (error == EEXIST)
        return {true, alreadyThere()};
    return {false, because(error)};
}

} // namespace

Outcome NoteBook::exportAll(const QString& dir, const NoteFormat& format, bool overwrite,
                            const std::function<void(const QString& line)>& problem, ExportCounts* counts)
{
    ExportCounts local;
    ExportCounts& count = counts ? *counts : local;
    count = {};
    if (!QFileInfo::exists(dir) && !QDir().mkpath(dir))
        return Outcome::failedSaying(Failure::NoPermission, QStringLiteral("无法创建文件夹 %1").arg(dir));
    // The folder named by the caller may itself be a link; what lies inside it is never followed.
    const int folder = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        const int error = errno;
        return Outcome::failedWithErrno(error).saying(
            QStringLiteral("无法打开文件夹 %1：%2").arg(dir, readingBecause(error)));
    }
    const auto shown = [&](const QByteArray& name) { return QDir(dir).filePath(QFile::decodeName(name)); };

    std::vector<Pending> pending;
    const Outcome read = m_store->forEach([&](const QString& key, const QByteArray& stored) {
        // Only keys that name a day become file names: a stray row must not write elsewhere.
        if (parseDate(key) != key) {
            problem(QStringLiteral("已跳过键值不是日期的一条记录：“%1”").arg(key));
            ++count.skipped;
            return true;
        }
        const QString date = keyToIsoDate(key);
        const Result<QByteArray> rendered = notes::render(stored, format);
        if (!rendered.ok()) {
            problem(QStringLiteral("%1 的记事未导出：%2").arg(date, rendered.outcome.detail));
            ++count.failed;
            return true;
        }
        const QByteArray name = QFile::encodeName(date + QLatin1String(format.suffix));
        Written written = writeTemporary(folder, name, rendered.value, overwrite);
        if (written.why.isEmpty()) {
            pending.push_back(std::move(written.pending));
        } else if (written.skipped) {
            problem(QStringLiteral("已跳过 %1：%2").arg(shown(name), written.why));
            ++count.skipped;
        } else {
            problem(QStringLiteral("无法写入 %1：%2").arg(shown(name), written.why));
            ++count.failed;
        }
        return true;
    });
    const auto dropAll = [&] {
        for (const Pending& file : pending)
            ::unlinkat(folder, file.temporary.constData(), 0);
        count.failed += static_cast<int>(pending.size());
        pending.clear();
    };
    if (!read.ok()) {
        dropAll();
        ::close(folder);
        return read.saying(QStringLiteral("读取记事失败：%1").arg(read.detail));
    }

    // One sync makes every written file durable before any of them takes its name.
    if (!pending.empty() && ::syncfs(folder) != 0) {
        problem(QStringLiteral("无法把导出的文件写入磁盘 %1：%2").arg(dir, because(errno)));
        dropAll();
    }
    for (const Pending& file : pending) {
        const auto [skipped, why] = rename(folder, file);
        if (why.isEmpty()) {
            ++count.written;
        } else if (skipped) {
            problem(QStringLiteral("已跳过 %1：%2").arg(shown(file.name), why));
            ++count.skipped;
        } else {
            problem(QStringLiteral("无法写入 %1：%2").arg(shown(file.name), why));
            ++count.failed;
        }
    }
    // The renames last as well.
    const bool unsynced = count.written > 0 && ::fsync(folder) != 0;
    if (unsynced)
        problem(QStringLiteral("无法把文件夹 %1 写入磁盘：%2").arg(dir, because(errno)));
    ::close(folder);

    if (count.skipped == 0 && count.failed == 0)
        return unsynced ? Outcome::failedSaying(Failure::Io, QStringLiteral("导出的文件可能没有全部写入磁盘"))
                        : Outcome::success();
    QString summary = QStringLiteral("导出了 %1 则记事，跳过 %2 个").arg(count.written).arg(count.skipped);
    if (count.failed)
        summary += QStringLiteral("，%1 个未能导出").arg(count.failed);
    return Outcome::failedSaying(count.failed ? Failure::Io : Failure::Conflict, summary);
}

} // namespace tavemo::notes
