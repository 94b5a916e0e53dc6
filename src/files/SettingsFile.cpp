#include "files/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <limits>

namespace tavemo::files {
namespace {

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    (void)text;
    return !utf8.hasError();
}

// Whether UTF-8 is the likelier reading of bytes that are valid UTF-8. Chinese text in UTF-8 is
// made of three-byte sequences; GB18030 text is made of two-byte characters, and many common ones
// (图 CD BC, 片 C6 AC, 纸 D6 BD) are byte for byte a valid two-byte UTF-8 sequence too. So a
// two-byte sequence means GB18030, the form these files are written in.
bool looksLikeUtf8(QByteArrayView bytes)
{
    if (!isValidUtf8(bytes))
        return false;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead < 0xE0) // 0xC2..0xDF: a two-byte sequence
            return false;
        i += lead < 0xF0 ? 3 : 4;
    }
    return true;
}

QString decodeText(QByteArrayView bytes)
{
    static const QByteArrayView bom("\xEF\xBB\xBF", 3);
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.sliced(bom.size()));
    if (looksLikeUtf8(bytes))
        return QString::fromUtf8(bytes);
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid()) // Qt without ICU: keep what can be read
        return QString::fromLatin1(bytes);
    return gb18030.decode(bytes);
}

} // namespace

QStringList decodeSettingsText(QByteArrayView bytes)
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

QByteArray encodeSettingsText(const QStringList &lines)
{
    QStringEncoder gb18030("GB18030");
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += gb18030.isValid() ? QByteArray(gb18030.encode(line)) : line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<QStringList> readSettingsLines(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.exists()) {
        if (error)
            error->clear();
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    // These files hold a few short lines; a larger file is not one of ours, and only its start is read.
    constexpr qint64 kMaxBytes = 64 * 1024;
    const QByteArray bytes = file.read(kMaxBytes);
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return decodeSettingsText(bytes);
}

bool writeSettingsLines(const QString &path, const QStringList &lines, QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = encodeSettingsText(lines);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

std::optional<int> parseSettingsInteger(QStringView line)
{
    const QStringView text = line.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace tavemo::files
