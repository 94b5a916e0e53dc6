#pragma once
// The note editor's document streams: the whole QTextDocument as RTF bytes and back.
// Reading accepts what Windows rich edit controls write (notes brought from the program's Windows
// form) and everything writeRtf writes; bytes that are not RTF are read again as plain text.

#include "core/Outcome.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace tavemo::richtext {

// The whole document as RTF 1.x: font and colour tables, per-run font, size, colour, highlight,
// bold, italic, underline and strike-out, paragraphs with their alignment. Every non-ASCII
// character is \uN followed by its bytes in the run font's code page (GB18030 for Chinese faces,
// which the font table marks \fcharset134; Windows-1252 for the others, '?' where it lacks one).
// Sizes are written in half points; a pixel size counts at 96 dpi (15 px = 11.5 pt).
// Pictures and other embedded objects are not written.
QByteArray writeRtf(const QTextDocument& document);

enum class ReadMode { Rtf, PlainText, Empty };

struct ReadResult {
    // Failed (Failure::Unreadable): the document was left as it was, and the detail says why in
    // Chinese ("RTF 的分组嵌套超过 256 层").
    Outcome outcome;
    ReadMode mode = ReadMode::Empty; // how the bytes were understood
    // Empty when every byte was read as what it says; otherwise, in Chinese, the first thing that
    // was not (the stream ends inside its groups, bytes that its code page does not define).
    // readRtf reads such streams all the same; importNote refuses them.
    QString damage;

    bool ok() const { return outcome.ok(); }
    // The reason of a failed read; empty after a read that worked.
    const QString& error() const { return outcome.detail; }
};

// Replaces the whole document from bytes: RTF when they begin with "{\rtf"; otherwise plain text
// (UTF-8 when valid, GB18030 else); an empty stream gives an empty document. Runs get explicit
// font, point size, colours and styles; the associated properties of a script (\dbch, \hich, \loch,
// \rtlch with \af, \afs, \ab, \ai) apply to the characters of that script, as word processors
// write Chinese runs; table rows become lines of tab-separated cells; pictures, hidden text and
// unknown destinations are left out. A stream cut off before its end gives what it holds.
// Fails, leaving the document as it was, for RTF that it cannot follow (groups nested deeper than
// 256 levels): such a note is not text and must not be shown, and saved, as its source. Time is
// linear in the input; the undo history of the document starts afresh.
ReadResult readRtf(const QByteArray& bytes, QTextDocument& document);

// What a file brought in from outside (tavemo-notes put) becomes: read only when it can be read
// faithfully. RTF (a UTF-8 byte-order mark before it is allowed) that readRtf reads without damage;
// text as decodeTextStrictly (TextEncoding.h) reads it. Anything else fails with the reason, naming
// the first byte at fault, and leaves the document as it was.
ReadResult importNote(const QByteArray& bytes, QTextDocument& document);

} // namespace tavemo::richtext
