// Any bytes as a settings file: reading never fails, the window's two readers take or refuse
// the lines, and what the writer writes reads back as as many lines, the numbers unchanged.

#include "files/SettingsFile.h"
#include "files/WindowSettings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tavemo::files;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList lines = decodeSettingsText(bytes);
    for (const QString &line : lines)
        if (line.contains(u'\r') || line.contains(u'\n'))
            std::abort();

    if (const std::optional<FormSize> size = parseFormSize(lines)) {
        if (parseFormSize(formSizeLines(*size))->width != size->width)
            std::abort();
    }
    (void)parseWallpaperPrompt(lines);

    // What is written reads back as the same lines; their text may differ only where GB18030 bytes
    // are also UTF-8 of three-byte characters (then the file is read as UTF-8).
    const QStringList again = decodeSettingsText(encodeSettingsText(lines));
    if (again.size() != lines.size())
        std::abort();
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (parseSettingsInteger(lines[i]) != parseSettingsInteger(again[i]))
            std::abort();
    return 0;
}
