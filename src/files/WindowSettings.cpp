#include "files/WindowSettings.h"

#include "files/LineFile.h"

#include <limits>

namespace tavemo::files {

std::optional<FormSize> parseFormSize(const QStringList& lines)
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

QStringList formSizeLines(const FormSize& size)
{
    return {QString::number(size.currentPage), QString::number(size.width), QString::number(size.height),
            QString::number(size.left), QString::number(size.top)};
}

std::optional<bool> parseWallpaperPrompt(const QStringList& lines)
{
    if (lines.isEmpty())
        return std::nullopt;
    const std::optional<int> value = parseSettingsInteger(lines.front());
    if (!value)
        return std::nullopt;
    return *value > 0;
}

QStringList wallpaperPromptLines(bool ask) { return {ask ? QStringLiteral("1") : QStringLiteral("0")}; }

std::optional<FormSize> readFormSize(const QString& path)
{
    const Result<QStringList> lines = readLines(path);
    return lines.ok() ? parseFormSize(lines.value) : std::nullopt;
}

std::optional<bool> readWallpaperPrompt(const QString& path)
{
    const Result<QStringList> lines = readLines(path);
    return lines.ok() ? parseWallpaperPrompt(lines.value) : std::nullopt;
}

Outcome writeWallpaperPrompt(const QString& path, bool ask) { return writeLines(path, wallpaperPromptLines(ask)); }

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
