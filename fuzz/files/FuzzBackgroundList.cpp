// The background list file on arbitrary bytes: decoding never fails, the list follows the lines,
// the index follows its two rules, and what we write reads back as the same lines.

#include "files/TextLines.h"
#include "wallpaper/uGlobal.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// Whether the reading takes the bytes as UTF-8: valid UTF-8 without two-byte characters.
bool readsAsUtf8(const QByteArray& bytes)
{
    for (const char c : bytes)
        if (std::uint8_t(c) >= 0xC2 && std::uint8_t(c) <= 0xDF)
            return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(decoder(bytes));
    return !decoder.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavemo::wallpaper;
    using namespace tavemo::files;
    if (size == 0)
        return 0;
    const bool selectCurrent = data[0] & 1;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList lines = decodeTextLines(bytes);

    BackgroundListState state;
    state.currentBackgroundName = QStringLiteral("before.bmp");
    state.backgroundIndex = -5;
    applyBackgroundListLines(state, lines, selectCurrent);
    if (state.entryCount != lines.size())
        fail("entry count is not the number of lines");
    if (lines.isEmpty()) {
        if (state.currentBackgroundName != QLatin1String("before.bmp") || state.backgroundIndex != -5)
            fail("an empty file changed the state");
        return 0;
    }
    if (state.list.size() != std::size_t(lines.size()) || state.currentBackgroundName != lines.first())
        fail("the list does not follow the lines");
    // Entry 0 always holds the current name, so the index always moves: to the last entry, or
    // with selectCurrent to the last entry holding the current name.
    const auto last = std::int32_t(state.list.size() - 1);
    if (!selectCurrent && state.backgroundIndex != last)
        fail("the index is not the last entry");
    if (selectCurrent
        && (state.backgroundIndex < 0 || state.backgroundIndex > last
            || state.list[std::size_t(state.backgroundIndex)].FileName != state.currentBackgroundName))
        fail("the index does not name an entry holding the current name");

    // Written as GB18030 with CR LF, the lines come back, unless the GB18030 bytes are also UTF-8 of
    // three- and four-byte characters only: the lenient reading then takes them as UTF-8.
    const QByteArray written = encodeTextLines(lines);
    if (!written.endsWith("\r\n"))
        fail("the last line has no CR LF");
    if (decodeTextLines(written) != lines && !readsAsUtf8(written))
        fail("written lines did not read back");
    return 0;
}
