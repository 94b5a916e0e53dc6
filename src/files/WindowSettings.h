#pragma once
// The working files of the main window below the application directory and what their lines mean.
// The only place that knows their lines: the window, the confirmation dialog and the tools read
// and write them through here (the files themselves are line files, files/LineFile.h).

#include "core/Outcome.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tavemo::files {

// Names as the program spells them; paths::appPath maps them to one spelling on disk.
inline constexpr const char* kFormSizeFile = "data\\FormSize.ini";
inline constexpr const char* kConfigSetBgFile = "data\\configSetBg.ini";

// "data\FormSize.ini": five lines, each a decimal integer; later lines are ignored.
struct FormSize {
    int currentPage = 1;
    int width = 0; // outer size, pixels
    int height = 0;
    int left = 0; // screen pixels
    int top = 0;
};

// The values of the file's lines; nothing when there are fewer than five or one of the five is not
// an integer, which the window treats as a missing file.
std::optional<FormSize> parseFormSize(const QStringList& lines);
QStringList formSizeLines(const FormSize& size);
// The values of the file at `path`; nothing when it is missing, unreadable or not five integers.
std::optional<FormSize> readFormSize(const QString& path);

// "data\configSetBg.ini": the first line is an integer; greater than 0 asks before the wallpaper is
// replaced, 0 or less does not. Nothing when there is no first line or it is not an integer.
std::optional<bool> parseWallpaperPrompt(const QStringList& lines);
// The file's lines for asking (the single line "1") or not asking ("0").
QStringList wallpaperPromptLines(bool ask);
// The flag of the file at `path`; nothing when it is missing, unreadable or not an integer.
std::optional<bool> readWallpaperPrompt(const QString& path);
// Replaces the file at `path` with wallpaperPromptLines(ask).
Outcome writeWallpaperPrompt(const QString& path, bool ask);

// A line holding one decimal integer of 32 bits: optional blanks, an optional sign, digits,
// optional blanks. Nothing for anything else (empty, other characters, out of range).
std::optional<int> parseSettingsInteger(QStringView line);

} // namespace tavemo::files
