// Any bytes as a line file. The oracle does not restate the reading rule (which bytes are UTF-8
// and which GB18030): it checks what must hold whatever the rule is.
//   - Decoding never fails; no line holds CR or LF; there are never more lines than line breaks + 1.
//   - A file with a UTF-8 byte order mark reads as Qt's UTF-8 reading of the rest (marks at the
//     start are no text).
//   - What we write reads back as the lines written, unless the written bytes are also valid UTF-8:
//     then the reading is one of the two readings, the lines or the bytes' UTF-8.
//   - The settings readers take or refuse the lines, and numbers survive a write; the background
//     list follows the lines and its index follows its two rules.

#include "files/LineFile.h"
#include "files/WindowSettings.h"
#include "wallpaper/uGlobal.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace tavemo::files;
using namespace tavemo::wallpaper;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(decoder(bytes));
    return !decoder.hasError();
}

// The lines joined by LF, as the text they came from would be with every line break made LF and a
// final one dropped.
QString joined(const QStringList& lines) { return lines.join(u'\n'); }

// A byte order mark at the start is no text: what is left of the text once the marks there are gone.
QString normalised(QString text)
{
    while (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

void checkShape(QByteArrayView bytes, const QStringList& lines)
{
    qsizetype breaks = 0;
    for (const char c : bytes)
        breaks += c == '\r' || c == '\n';
    if (lines.size() > breaks + 1 || (bytes.isEmpty() && !lines.isEmpty()))
        fail("more lines than line breaks + 1");
    for (const QString& line : lines)
        if (line.contains(u'\r') || line.contains(u'\n'))
            fail("a line holds a line break");
}

void checkBackgroundList(const QStringList& lines, bool selectCurrent)
{
    BackgroundListState state;
    state.currentBackgroundName = QStringLiteral("before.bmp");
    state.backgroundIndex = -5;
    applyBackgroundListLines(state, lines, selectCurrent);
    if (state.entryCount != lines.size())
        fail("entry count is not the number of lines");
    if (lines.isEmpty()) {
        if (state.currentBackgroundName != QLatin1String("before.bmp") || state.backgroundIndex != -5)
            fail("an empty file changed the state");
        return;
    }
    if (state.list.size() != std::size_t(lines.size()) || state.currentBackgroundName != lines.first())
        fail("the list does not follow the lines");
    // Entry 0 always holds the current name, so the index always moves: to the last entry, or
    // with selectCurrent to the last entry holding the current name.
    const auto last = std::int32_t(state.list.size() - 1);
    if (!selectCurrent && state.backgroundIndex != last)
        fail("the index is not the last entry");
    if (selectCurrent && (state.backgroundIndex < 0 || state.backgroundIndex > last ||
                          state.list[std::size_t(state.backgroundIndex)].FileName != state.currentBackgroundName))
        fail("the index does not name an entry holding the current name");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = decodeLines(bytes);
    checkShape(bytes, lines);

    const QByteArray marked = QByteArray("\xEF\xBB\xBF") + bytes.toByteArray();
    const QStringList utf8Lines = decodeLines(marked);
    checkShape(marked, utf8Lines);
    if (joined(utf8Lines) != normalised(QString::fromUtf8(bytes)))
        fail("a file with a UTF-8 byte order mark did not read as UTF-8");

    const QByteArray written = encodeLines(lines);
    if (!lines.isEmpty() && !written.endsWith("\r\n"))
        fail("the last line has no CR LF");
    const QStringList again = decodeLines(written);
    if (again != lines) {
        if (!isValidUtf8(written))
            fail("written lines did not read back");
        if (joined(again) != normalised(QString::fromUtf8(written)))
            fail("written lines read back as neither the lines nor the bytes' UTF-8");
    }
    if (again.size() != lines.size())
        fail("written lines read back as another number of lines");
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (parseSettingsInteger(lines[i]) != parseSettingsInteger(again[i]))
            fail("a number changed on the way through the file");

    if (const std::optional<FormSize> formSize = parseFormSize(lines))
        if (parseFormSize(formSizeLines(*formSize))->width != formSize->width)
            fail("the window size did not survive its lines");
    if (const std::optional<bool> ask = parseWallpaperPrompt(lines))
        if (parseWallpaperPrompt(wallpaperPromptLines(*ask)) != ask)
            fail("the wallpaper prompt did not survive its line");
    checkBackgroundList(lines, false);
    checkBackgroundList(lines, true);
    return 0;
}
