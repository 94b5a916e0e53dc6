#pragma once
// The working files of the main window below the application directory and what their lines mean.

#include <QString>
#include <QStringList>

#include <optional>

namespace tavemo::files {

// Names as the program spells them; paths::appPath maps them to one spelling on disk.
inline constexpr const char *kFormSizeFile = "data\\FormSize.ini";
inline constexpr const char *kConfigSetBgFile = "data\\configSetBg.ini";

// "data\FormSize.ini": five lines, each a decimal integer; later lines are ignored.
struct FormSize {
    int currentPage = 1;
    int width = 0;  // outer size, pixels
    int height = 0;
    int left = 0;   // screen pixels
    int top = 0;
};

// The values of the file's lines; nothing when there are fewer than five or one of the five is not
// an integer, which the window treats as a missing file.
std::optional<FormSize> parseFormSize(const QStringList &lines);
QStringList formSizeLines(const FormSize &size);

// "data\configSetBg.ini": the first line is an integer; greater than 0 asks before the wallpaper is
// replaced, 0 or less does not. Nothing when there is no first line or it is not an integer.
std::optional<bool> parseWallpaperPrompt(const QStringList &lines);

} // namespace tavemo::files
