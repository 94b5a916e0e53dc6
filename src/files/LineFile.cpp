#include "files/LineFile.h"

#include "files/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tavemo::files {
namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

// iconv over the whole input, or nothing when the system lacks the conversion. A sequence the
// source code does not define costs one byte, which becomes `replacement`, and the conversion goes on.
std::optional<QByteArray> convert(const char* to, const char* from, QByteArrayView input, QByteArrayView replacement)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray out;
    out.reserve(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = size_t(input.size());
    char buffer[4096];
    while (inLeft > 0) {
        char* o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, qsizetype(o - buffer));
        if (r == size_t(-1) && errno != E2BIG) {
            // EILSEQ, or EINVAL for a sequence cut at the end.
            out.append(replacement);
            ++in;
            --inLeft;
        }
    }
    char* o = buffer;
    size_t oLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &o, &oLeft);
    out.append(buffer, qsizetype(o - buffer));
    iconv_close(cd);
    return out;
}

// Valid UTF-8 without a character of two bytes (lead bytes C2..DF; in valid UTF-8 those bytes are
// never continuation bytes, so seeing one anywhere is seeing such a character).
bool readsAsUtf8(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (std::uint8_t(c) >= 0xC2 && std::uint8_t(c) <= 0xDF)
            return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(utf8(bytes));
    return !utf8.hasError();
}

QString decodeCode(QByteArrayView bytes)
{
    if (bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes.sliced(3));
    if (readsAsUtf8(bytes)) // ASCII is both
        return QString::fromUtf8(bytes);
    if (const std::optional<QByteArray> utf8 = convert("UTF-8", "GB18030", bytes, kReplacement))
        return QString::fromUtf8(*utf8);
    // No GB18030 here (not so on Debian): what is not ASCII cannot be read faithfully.
    QString text;
    for (const char c : bytes)
        text += std::uint8_t(c) < 0x80 ? QChar(c) : QChar(QChar::ReplacementCharacter);
    return text;
}

// The text without the byte order marks at its start: U+FEFF there is a mark in either code
// (GB18030's is 84 31 95 33), never a character of the first line, however many an editor left.
// Taking only one would give a first line that starts with U+FEFF, which the GB18030 we write
// turns back into a mark: the line would change on its way through the file.
QString decodeText(QByteArrayView bytes)
{
    QString text = decodeCode(bytes);
    qsizetype marks = 0;
    while (marks < text.size() && text.at(marks) == QChar(0xFEFF))
        ++marks;
    return text.remove(0, marks);
}

Outcome readFailed(const QString& path, Outcome why)
{
    return why.saying(QStringLiteral("无法读取文件 %1：%2").arg(path, why.detail));
}

} // namespace

QStringList decodeLines(QByteArrayView bytes)
{
    const QString text = decodeText(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.sliced(start, i - start);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.sliced(start);
    return lines;
}

QByteArray encodeLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    // GB18030 encodes every Unicode character, so nothing is lost. A system without it gets UTF-8
    // behind a byte order mark, which reads back the same, rather than an empty file.
    const QByteArray utf8 = text.toUtf8();
    if (std::optional<QByteArray> gb18030 = convert("GB18030", "UTF-8", utf8, "?"))
        return *gb18030;
    return kUtf8Bom + utf8;
}

Result<QStringList> readLines(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return {{}, Outcome::failed(Failure::Missing).saying(QStringLiteral("找不到文件 %1").arg(path))};
        return {{}, readFailed(path, Outcome::failedWithErrno(error))};
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    QByteArray bytes;
    // One byte more than the limit tells a file of the limit from a larger one.
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) // EISDIR for a folder in the file's place
            return {{}, readFailed(path, Outcome::failedWithErrno(errno))};
        if (n == 0)
            break;
        bytes.append(buffer, qsizetype(n));
        if (bytes.size() > kMaxLineFileBytes)
            return {
                {},
                Outcome::failedSaying(
                    Failure::Unreadable,
                    QStringLiteral("文件 %1 太大（超过 %2 字节），不是本程序的文件。").arg(path).arg(kMaxLineFileBytes),
                    failureText(Failure::Unreadable))};
    }
    return {decodeLines(bytes), Outcome::success()};
}

Outcome writeLines(const QString& path, const QStringList& lines)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Outcome::failedSaying(Failure::Io,
                                     QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder)));
    return saveAtomically(path, encodeLines(lines));
}

} // namespace tavemo::files
