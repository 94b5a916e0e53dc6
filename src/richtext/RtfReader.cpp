// Reads RTF into a QTextDocument; bytes that are not RTF are read as plain text.

#include "RtfCodec.h"
#include "TextEncoding.h"

#include <QTextDocument>

namespace tavemo::richtext {

namespace {

QString decodePlainText(const QByteArray &bytes)
{
    QString text = isValidUtf8(bytes) ? QString::fromUtf8(bytes) : decodeGb18030(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

ReadResult readRtf(const QByteArray &bytes, QTextDocument &document)
{
    if (bytes.isEmpty()) {
        document.clear();
        return {true, ReadMode::Empty, {}};
    }
    document.setPlainText(decodePlainText(bytes));
    return {true, ReadMode::PlainText, {}};
}

} // namespace tavemo::richtext
