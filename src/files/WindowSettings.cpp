#include "files/WindowSettings.h"

#include "files/SettingsFile.h"

namespace tavemo::files {

std::optional<FormSize> parseFormSize(const QStringList &lines)
{
    if (lines.size() < 5)
        return std::nullopt;
    int values[5];
    for (int i = 0; i < 5; ++i) {
        const std::optional<int> value = parseSettingsInteger(lines[i]);
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    return FormSize{values[0], values[1], values[2], values[3], values[4]};
}

QStringList formSizeLines(const FormSize &size)
{
    return {QString::number(size.currentPage), QString::number(size.width), QString::number(size.height),
            QString::number(size.left), QString::number(size.top)};
}

std::optional<bool> parseWallpaperPrompt(const QStringList &lines)
{
    if (lines.isEmpty())
        return std::nullopt;
    const std::optional<int> value = parseSettingsInteger(lines.front());
    if (!value)
        return std::nullopt;
    return *value > 0;
}

} // namespace tavemo::files
