#pragma once
// The small text files the program shares with its Windows form: GB18030 text (byte-identical to
// GBK on GBK text), every line ended by CR LF. Reading is lenient: lines may end in CR, LF or
// CR LF, and a file with a UTF-8 byte-order mark, or in valid UTF-8 without two-byte characters
// (Chinese typed in UTF-8 takes three bytes a character), is read as UTF-8. The same rule as the
// window's settings files (files/SettingsFile.h).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace tavemo::files {

// The lines of the bytes. A final line break adds no empty line; empty bytes are no lines. Never
// fails: bytes that are neither UTF-8 nor GB18030 become U+FFFD.
QStringList decodeTextLines(QByteArrayView bytes);
// GB18030 bytes of the lines, each ended by CR LF. A line holding CR or LF is written as it is.
QByteArray encodeTextLines(const QStringList& lines);

struct TextFileResult {
    QStringList lines;
    QString error; // empty on success
    bool ok() const { return error.isEmpty(); }
};
TextFileResult readTextLines(const QString& path);
// Replaces the file whole (through a temporary file); creates its folder when missing. Empty on
// success, else why it failed.
QString writeTextLines(const QString& path, const QStringList& lines);

} // namespace tavemo::files
