#pragma once
// The program's small settings files ("data\FormSize.ini", "data\configSetBg.ini"): one value per
// line. They are written as the program's Windows form wrote them, GB18030 (byte-identical to
// GBK on its text) with every line, the last one included, ended by CR LF, through a temporary
// file that replaces the old one in one step, so a crash never leaves half a file. They are read
// leniently: lines end at CR, LF or CR LF, and UTF-8 (with or without a byte order mark) is
// accepted beside GB18030, since people edit these files by hand. Without a byte order mark, text
// is read as UTF-8 only when it is valid UTF-8 and none of its characters takes two bytes there:
// what we write always reads back as written (GB18030 图片 is also valid UTF-8, "ͼƬ"), and Chinese
// typed in UTF-8 (three bytes a character) is still recognised.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tavemo::files {

// The lines of a file's bytes. A final line break adds no empty line; no bytes give no lines.
// Never fails: bytes that are neither UTF-8 nor GB18030 become U+FFFD.
QStringList decodeSettingsText(QByteArrayView bytes);

// The bytes of `lines` as the file holds them: GB18030, each line followed by CR LF.
QByteArray encodeSettingsText(const QStringList &lines);

// The lines of the file at `path`; nothing when it is missing or cannot be read (then `error`,
// when given, says why; it stays empty for a missing file).
std::optional<QStringList> readSettingsLines(const QString &path, QString *error = nullptr);

// Replaces the file at `path` with `lines` (creating its folder when needed). On failure the old
// file is untouched and `error`, when given, says why.
bool writeSettingsLines(const QString &path, const QStringList &lines, QString *error = nullptr);

// A line holding one decimal integer of 32 bits: optional blanks, an optional sign, digits,
// optional blanks. Nothing for anything else (empty, other characters, out of range).
std::optional<int> parseSettingsInteger(QStringView line);

} // namespace tavemo::files
