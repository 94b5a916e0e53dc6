#include "files/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// This replaces QSaveFile, which is not trusted here: with Qt 6.4 on a full disk its commit()
// returned true and left a file of 0 bytes in place of the old one (the background list and the
// window's settings were lost that way). So every step is done and checked by hand: write() of all
// bytes, fsync(), fstat() against the count written, close(), rename(), fsync() of the folder.

namespace tavemo::files {
namespace {

constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int kRandomLetters = 6;

// The temporary files of a target are named "." + its name (cut, so that the name stays within the
// file system's 255 bytes) + "." + six random letters: hidden, and told apart from any other file.
QByteArray temporaryPrefix(const QByteArray& name) { return '.' + name.left(200) + '.'; }

QByteArray temporaryName(const QByteArray& folder, const QByteArray& name)
{
    QByteArray random(kRandomLetters, Qt::Uninitialized);
    for (char& c : random)
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return folder + '/' + temporaryPrefix(name) + random;
}

// rename() that never replaces: renameat2's RENAME_NOREPLACE, or a hard link where the file
// system has no such rename. 0 or -1 with errno (EEXIST when the target is there).
int renameWithoutReplacing(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (::link(from, to) != 0)
        return -1;
    ::unlink(from);
    return 0;
}

} // namespace

AtomicFile::AtomicFile(QString path, Replace replace) : m_path(std::move(path)), m_replace(replace) {}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
}

Outcome AtomicFile::fail(Outcome failure)
{
    discard();
    if (failure.message.isEmpty())
        failure.message = QStringLiteral("无法写入文件 %1：%2").arg(m_path, failure.detail);
    m_failure = failure;
    return failure;
}

Outcome AtomicFile::failWithErrno(int error) { return fail(Outcome::failedWithErrno(error)); }

Outcome AtomicFile::open()
{
    if (!m_failure.ok())
        return m_failure;
    const QFileInfo target(m_path);
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    const QByteArray name = QFile::encodeName(target.fileName());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temporary = temporaryName(folder, name);
        m_fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_temporary = temporary;
            break;
        }
        if (errno != EEXIST)
            return failWithErrno(errno);
    }
    if (m_fd < 0)
        return failWithErrno(EEXIST);
    // The file replaced keeps its permissions, as a file rewritten in place would.
    struct stat old {};
    if (m_replace == Replace::Existing && ::stat(QFile::encodeName(m_path).constData(), &old) == 0 &&
        S_ISREG(old.st_mode) && ::fchmod(m_fd, old.st_mode & 07777) != 0)
        return failWithErrno(errno);
    return Outcome::success();
}

Outcome AtomicFile::write(QByteArrayView bytes)
{
    if (!m_failure.ok())
        return m_failure;
    if (m_fd < 0)
        return fail(Outcome::failed(Failure::NotReady));
    const char* at = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failWithErrno(errno);
        if (n == 0) // no progress and no reason: as good as a full disk
            return failWithErrno(ENOSPC);
        at += n;
        left -= n;
        m_written += n;
    }
    return Outcome::success();
}

Outcome AtomicFile::commit()
{
    if (!m_failure.ok())
        return m_failure;
    if (m_fd < 0)
        return fail(Outcome::failed(Failure::NotReady));
    // A file system that allocates late reports a full disk only here.
    if (::fsync(m_fd) != 0)
        return failWithErrno(errno);
    struct stat written {};
    if (::fstat(m_fd, &written) != 0)
        return failWithErrno(errno);
    if (written.st_size != m_written)
        return fail(Outcome::failed(
            Failure::Io,
            QStringLiteral("写入了 %1 字节，文件只有 %2 字节").arg(m_written).arg(qint64(written.st_size))));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return failWithErrno(errno);
    const QByteArray target = QFile::encodeName(m_path);
    if (m_replace == Replace::Never) {
        if (renameWithoutReplacing(m_temporary.constData(), target.constData()) != 0) {
            if (errno == EEXIST)
                return fail(Outcome::failedSaying(Failure::Conflict,
                                                  QStringLiteral("文件 %1 已经存在，没有替换它。").arg(m_path),
                                                  failureText(Failure::Conflict)));
            return failWithErrno(errno);
        }
    } else if (::rename(m_temporary.constData(), target.constData()) != 0) {
        return failWithErrno(errno);
    }
    m_temporary.clear();
    // The rename is an entry of the folder: without this it may be lost in a power cut while the
    // old file's blocks are already free.
    const int folder =
        ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        const int synced = ::fsync(folder);
        const int error = errno;
        ::close(folder);
        // Some file systems cannot flush a folder (EINVAL); the file is in place all the same.
        if (synced != 0 && error != EINVAL)
            return fail(Outcome::failedWithErrno(error));
    }
    return Outcome::success();
}

void AtomicFile::removeLeftovers(const QString& path)
{
    const QFileInfo target(path);
    const QByteArray prefix = temporaryPrefix(QFile::encodeName(target.fileName()));
    const QDir folder = target.absoluteDir();
    for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray name = QFile::encodeName(entry);
        if (name.size() == prefix.size() + kRandomLetters && name.startsWith(prefix) &&
            std::all_of(name.end() - kRandomLetters, name.end(), [](char c) { return std::isalnum(uchar(c)); }))
            QFile::remove(folder.filePath(entry));
    }
}

Outcome saveAtomically(const QString& path, QByteArrayView bytes)
{
    AtomicFile file(path);
    file.open();
    file.write(bytes);
    return file.commit();
}

Outcome copyAtomically(const QString& from, const QString& to, AtomicFile::Replace replace)
{
    const auto unreadable = [&from](int error) {
        const Outcome why = Outcome::failedWithErrno(error);
        return why.saying(QStringLiteral("无法读取 %1：%2").arg(from, why.detail));
    };
    const int source = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return unreadable(errno);
    AtomicFile file(to, replace);
    Outcome outcome = file.open();
    char buffer[64 * 1024];
    while (outcome.ok()) {
        const ssize_t n = ::read(source, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            outcome = unreadable(errno);
            break;
        }
        if (n == 0) {
            outcome = file.commit();
            break;
        }
        outcome = file.write(QByteArrayView(buffer, qsizetype(n)));
    }
    ::close(source);
    return outcome; // not committed on a failure: the temporary file goes with `file`
}

} // namespace tavemo::files
