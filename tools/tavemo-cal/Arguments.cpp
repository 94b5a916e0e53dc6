#include "Arguments.h"

#include <charconv>

#include "LunarCore.h"

namespace tavemo::cal {
namespace {

using engine::DateTime;

// An argument echoed in a message: control characters would break the one-line message or drive
// the terminal, so each shows as '?'.
std::string shown(std::string_view arg)
{
    std::string text(arg);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return text;
}

Arguments failure(std::string message)
{
    Arguments result;
    result.error = std::move(message);
    return result;
}

} // namespace

std::optional<int> parseNumber(std::string_view text)
{
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    return value;
}

bool inCalendarRange(int year)
{
    return year >= kFirstYear && year <= kLastYear;
}

std::optional<DateTime> parseDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const auto year = parseNumber(text.substr(0, 4));
    const auto month = parseNumber(text.substr(5, 2));
    const auto day = parseNumber(text.substr(8, 2));
    DateTime value = 0;
    if (!year || !month || !day || !inCalendarRange(*year) || !engine::tryEncodeDate(*year, *month, *day, value))
        return std::nullopt;
    return value;
}

std::string notADate(std::string_view arg)
{
    // The ten days the calendar reform of 1582 left out look like dates: say why they are refused.
    if (arg.size() == 10 && arg.substr(0, 8) == "1582-10-") {
        const auto day = parseNumber(arg.substr(8, 2));
        if (day && engine::isDroppedDay(1582, 10, *day))
            return "1582-10-05 至 1582-10-14 这十天在历史上不存在（儒略历 1582-10-04 的次日即格里历 1582-10-15）："
                + shown(arg);
    }
    return "不是 0001-01-01 至 2100-12-31 之间的日期：" + shown(arg);
}

Arguments parseArguments(const std::vector<std::string_view>& args)
{
    Arguments result;
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        if (args.size() != 1)
            return failure("--help 不接受其他参数");
        result.mode = Arguments::Mode::Help;
        return result;
    }
    if (!args.empty() && args[0] == "--version") {
        if (args.size() != 1)
            return failure("--version 不接受其他参数");
        result.mode = Arguments::Mode::Version;
        return result;
    }

    if (!args.empty() && args[0] == "--dump") {
        if (args.size() != 3)
            return failure("--dump 需要起止两个日期 FROM 和 TO");
        const auto from = parseDate(args[1]);
        if (!from)
            return failure(notADate(args[1]));
        const auto to = parseDate(args[2]);
        if (!to)
            return failure(notADate(args[2]));
        if (*to < *from)
            return failure("结束日期 TO 早于起始日期 FROM");
        result.mode = Arguments::Mode::Dump;
        result.from = *from;
        result.to = *to;
        return result;
    }

    switch (args.size()) {
    case 0:
        result.mode = Arguments::Mode::Today;
        return result;
    case 1: {
        if (!args[0].empty() && args[0].front() == '-')
            return failure("未知选项：" + shown(args[0]));
        const auto date = parseDate(args[0]);
        if (!date)
            return failure(notADate(args[0]));
        result.mode = Arguments::Mode::Month;
        result.chosen = *date;
        return result;
    }
    case 2: {
        const auto year = parseNumber(args[0]);
        if (!year || !inCalendarRange(*year))
            return failure("不是 1 至 2100 之间的年份：" + shown(args[0]));
        const auto month = parseNumber(args[1]);
        if (!month || *month < 1 || *month > 12)
            return failure("不是 1 至 12 之间的月份：" + shown(args[1]));
        result.mode = Arguments::Mode::Month;
        engine::tryEncodeDate(*year, *month, 1, result.chosen);
        return result;
    }
    default:
        return failure("参数过多");
    }
}

} // namespace tavemo::cal
