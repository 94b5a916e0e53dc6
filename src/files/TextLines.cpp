#include "files/TextLines.h"

#include "files/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace tavemo::files {
namespace {

// iconv from one code to another over the whole input. `lenient`: a byte sequence the source
// code does not define becomes U+FFFD (the target is UTF-8 then) and the conversion goes on.
QByteArray convert(const char* to, const char* from, QByteArrayView input, bool lenient)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
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
            if (!lenient)
                break;
            // EILSEQ or EINVAL (a sequence cut at the end): one byte is replaced and skipped.
            out.append("\xEF\xBF\xBD");
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

// UTF-8 is taken only when the bytes are valid UTF-8 without a character of two bytes there:
// GB18030 Chinese is often valid UTF-8 of two-byte characters (图片 is "ͼƬ"), while Chinese
// typed in UTF-8 takes three bytes a character.
bool readsAsUtf8(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (std::uint8_t(c) >= 0xC2 && std::uint8_t(c) <= 0xDF)
            return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(decoder(bytes));
    return !decoder.hasError();
}

} // namespace

QStringList decodeTextLines(QByteArrayView bytes)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(bytes.sliced(3));
    else if (readsAsUtf8(bytes))
        text = QString::fromUtf8(bytes); // ASCII is both
    else
        text = QString::fromUtf8(convert("UTF-8", "GB18030", bytes, true));

    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

QByteArray encodeTextLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    // GB18030 encodes every Unicode character, so nothing is lost here.
    return convert("GB18030", "UTF-8", text.toUtf8(), false);
}

TextFileResult readTextLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("无法打开文件 %1：%2").arg(path, file.errorString())};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString())};
    return {decodeTextLines(bytes), QString()};
}

QString writeTextLines(const QString& path, const QStringList& lines)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return saveAtomically(path, encodeTextLines(lines)).message;
}

} // namespace tavemo::files
