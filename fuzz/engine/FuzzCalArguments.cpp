// Feeds tavemo-cal's argument parser arbitrary command lines: the input split at NUL bytes into
// arguments (no bytes, no arguments). Whatever it accepts must be exactly what was typed: a date
// formats back to its argument, a YEAR MONTH gives the first day of that month, and every day
// lies in the years 1 to 2100. A refusal is one line with no control characters.

#include "Arguments.h"
#include "engine/CalendarRange.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tavemo;

[[noreturn]] void failed(const char* what, std::string_view input)
{
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(input.size()), input.data());
    std::abort();
}

void check(bool holds, const char* what, std::string_view input)
{
    if (!holds)
        failed(what, input);
}

bool inRange(engine::DateTime value)
{
    int year = 0, month = 0, day = 0;
    return engine::decodeDate(value, year, month, day) && engine::isCalendarYear(year);
}

// The number a string of digits stands for, leading zeros allowed.
bool isDigitsOf(std::string_view text, int value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    const auto significant = text.find_first_not_of('0');
    return std::to_string(value) == (significant == std::string_view::npos ? "0" : text.substr(significant));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The whole input as one argument.
    if (const auto number = engine::parseDecimal(input))
        check(isDigitsOf(input, *number), "number does not read back", input);
    if (const auto date = engine::parseCalendarDate(input)) {
        check(engine::formatIsoDate(*date) == input, "date does not format back", input);
        check(inRange(*date), "date outside the years 1 to 2100", input);
    }
    if (const auto date = engine::parseCalendarDate(input, true)) {
        std::string compact = engine::formatIsoDate(*date);
        if (input.size() == 8)
            compact.erase(std::remove(compact.begin(), compact.end(), '-'), compact.end());
        check(compact == input, "date does not format back", input);
        check(inRange(*date), "date outside the years 1 to 2100", input);
    } else {
        check(!engine::parseCalendarDate(input), "the compact form refuses a date the dashed form takes", input);
    }

    std::vector<std::string_view> args;
    for (size_t start = 0; start < size;) {
        const size_t end = std::min(input.find('\0', start), size);
        args.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    const cal::Arguments parsed = cal::parseArguments(args);
    if (!parsed.error.empty()) {
        for (const char c : parsed.error)
            check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f, "control character in a message", input);
        return 0;
    }
    switch (parsed.mode) {
    case cal::Arguments::Mode::Today:
        check(args.empty(), "today with arguments", input);
        break;
    case cal::Arguments::Mode::Dump: {
        // "--dump FROM TO" or "--dump=FROM TO", the option before or after TO.
        check(args.size() == 2 || args.size() == 3, "dump without --dump FROM TO", input);
        const std::string from = engine::formatIsoDate(parsed.from), to = engine::formatIsoDate(parsed.to);
        const std::vector<std::string> dashed{"--dump", from, to}, joined{"--dump=" + from, to},
            after{to, "--dump", from}, joinedAfter{to, "--dump=" + from};
        const std::vector<std::string> typed(args.begin(), args.end());
        const auto is = [&](const std::vector<std::string>& form) { return typed == form; };
        check(is(dashed) || is(joined) || is(after) || is(joinedAfter), "FROM and TO do not format back", input);
        check(parsed.from <= parsed.to, "TO before FROM", input);
        check(inRange(parsed.from) && inRange(parsed.to), "dump outside the years 1 to 2100", input);
        break;
    }
    case cal::Arguments::Mode::Month: {
        check(inRange(parsed.chosen), "month outside the years 1 to 2100", input);
        if (args.size() == 1) {
            check(engine::formatIsoDate(parsed.chosen) == args[0], "date does not format back", input);
            break;
        }
        check(args.size() == 2, "month from a wrong number of arguments", input);
        int year = 0, month = 0, day = 0;
        engine::decodeDate(parsed.chosen, year, month, day);
        check(isDigitsOf(args[0], year) && isDigitsOf(args[1], month) && day == 1,
              "YEAR MONTH does not give the first day of that month", input);
        break;
    }
    }
    return 0;
}
