#pragma once
// Terminal column widths of UTF-8 text: Han characters and full-width punctuation take two
// columns, everything else one, so a month grid with Chinese texts lines up.

#include <string>
#include <string_view>

namespace tavemo::cal {

// Number of terminal columns `text` occupies. Malformed bytes count one column each.
int displayWidth(std::string_view text);

// `text` centred in `width` columns (the odd spare column goes to the right); text wider than
// `width` comes back unchanged.
std::string centred(std::string_view text, int width);

} // namespace tavemo::cal
