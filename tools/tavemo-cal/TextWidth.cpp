#include "TextWidth.h"

namespace tavemo::cal {
namespace {

// East Asian Wide and Fullwidth blocks; enough for every text the calendar prints.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

int displayWidth(std::string_view text)
{
    int width = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80           ? 1
                           : (lead >> 5) == 0x6  ? 2
                           : (lead >> 4) == 0xE  ? 3
                           : (lead >> 3) == 0x1E ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size()) { // stray or truncated byte
            ++width;
            ++i;
            continue;
        }
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            ++width;
            ++i;
            continue;
        }
        width += isWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

std::string centred(std::string_view text, int width)
{
    const int spare = width - displayWidth(text);
    if (spare <= 0)
        return std::string(text);
    const int left = spare / 2;
    std::string out(static_cast<std::size_t>(left), ' ');
    out += text;
    out.append(static_cast<std::size_t>(spare - left), ' ');
    return out;
}

} // namespace tavemo::cal
