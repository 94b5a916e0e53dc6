#pragma once
// The line files the program shares with its Windows form: the settings files ("data\FormSize.ini",
// "data\configSetBg.ini") and the background list ("Data\BGPicList.ini"). One rule for all of them.
//
// Written as the Windows form wrote them: GB18030 (byte-identical to GBK on GBK text), every line,
// the last one included, ended by CR LF, through files::saveAtomically, so a crash or a full disk
// never leaves half a file.
//
// Read leniently, since people edit these files by hand:
//   - a UTF-8 byte order mark means UTF-8; byte order marks at the start (GB18030 has one too)
//     are not text, however many there are;
//   - otherwise the bytes are UTF-8 only when they are valid UTF-8 and none of their characters
//     takes two bytes there, else GB18030. Chinese typed in UTF-8 takes three bytes a character,
//     while GB18030 Chinese is often valid UTF-8 of two-byte characters (图片 CD BC C6 AC is "ͼƬ"):
//     so what we write always reads back as written, and UTF-8 Chinese is still recognised;
//   - lines end at CR, LF or CR LF; a final line break adds no empty line;
//   - decoding never fails: a byte that neither code defines becomes U+FFFD.
// A file larger than kMaxLineFileBytes is not one of ours: reading it is an error, never a silent
// cut (a cut could drop the end of a long background list and have it written back shortened).

#include "core/Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace tavemo::files {

// 1 MiB: a background list of some ten thousand pictures; the settings files hold a few bytes.
inline constexpr qsizetype kMaxLineFileBytes = qsizetype(1) << 20;

// The lines of a file's bytes (the rule above). No bytes give no lines.
QStringList decodeLines(QByteArrayView bytes);

// The bytes of `lines` as the file holds them: GB18030, each line followed by CR LF. A line that
// holds CR or LF itself is written as it is (and reads back as more than one line).
QByteArray encodeLines(const QStringList& lines);

// The lines of the file at `path`. Fails with Missing when there is no file, with Unreadable when
// it is larger than kMaxLineFileBytes, and with the system's reason when it cannot be read; the
// message names the file.
Result<QStringList> readLines(const QString& path);

// Replaces the file at `path` with encodeLines(lines), creating its folder when needed. On failure
// the old file is untouched and the message names the file (or the folder) and why.
Outcome writeLines(const QString& path, const QStringList& lines);

} // namespace tavemo::files
