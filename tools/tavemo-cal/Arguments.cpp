#include "Arguments.h"

#include <charconv>

#include "engine/CalendarRange.h"

namespace tavemo::cal {
namespace {

using engine::DateTime;
using engine::parseCalendarDate;
using engine::parseDecimal;

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

std::string notADate(std::string_view arg)
{
    return engine::whyNotACalendarDate(arg) + "：" + shown(arg);
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
        const auto from = parseCalendarDate(args[1]);
        if (!from)
            return failure(notADate(args[1]));
        const auto to = parseCalendarDate(args[2]);
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
        const auto date = parseCalendarDate(args[0]);
        if (!date)
            return failure(notADate(args[0]));
        result.mode = Arguments::Mode::Month;
        result.chosen = *date;
        return result;
    }
    case 2: {
        const auto year = parseDecimal(args[0]);
        if (!year || !engine::isCalendarYear(*year))
            return failure("不是 " + std::to_string(engine::kFirstCalendarYear) + " 至 " + std::to_string(engine::kLastCalendarYear) + " 之间的年份：" + shown(args[0]));
        const auto month = parseDecimal(args[1]);
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
