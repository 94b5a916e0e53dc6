#pragma once
// The note editor's document streams: the whole QTextDocument as RTF bytes and back.
// Reading accepts what Windows rich edit controls write (notes brought from the program's Windows
// form) and everything writeRtf writes; bytes that are not RTF are read again as plain text.

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace tavemo::richtext {

// The whole document as RTF 1.x: font and colour tables, per-run font, size, colour and styles,
// paragraphs; every non-ASCII character as \uN with its GB18030 bytes as the fallback.
QByteArray writeRtf(const QTextDocument &document);

enum class ReadMode { Rtf, PlainText, Empty };

struct ReadResult {
    bool ok = false;                  // false: the document was left as it was
    ReadMode mode = ReadMode::Empty;  // how the bytes were understood
    QString error;                    // Chinese text for the user when !ok
};

// Replaces the whole document from bytes: RTF when they hold it; otherwise plain text (UTF-8 when
// valid, GB18030 else); an empty stream gives an empty document. Hostile input never crashes,
// hangs or takes memory beyond a small multiple of its size.
ReadResult readRtf(const QByteArray &bytes, QTextDocument &document);

} // namespace tavemo::richtext
