#include "engine/CalendarRange.h"

#include "engine/LunarCore.h"

#include <charconv>

namespace tavemo::engine {
namespace {

struct DateFields {
    std::optional<int> year, month, day;
};

// The three numbers of "YYYY-MM-DD" or (when accepted) "YYYYMMDD"; none for any other shape.
std::optional<DateFields> splitDate(std::string_view text, bool acceptCompact)
{
    if (text.size() == 10 && text[4] == '-' && text[7] == '-')
        return DateFields{parseDecimal(text.substr(0, 4)), parseDecimal(text.substr(5, 2)),
                          parseDecimal(text.substr(8, 2))};
    if (acceptCompact && text.size() == 8)
        return DateFields{parseDecimal(text.substr(0, 4)), parseDecimal(text.substr(4, 2)),
                          parseDecimal(text.substr(6, 2))};
    return std::nullopt;
}

} // namespace

std::string calendarRangeText() { return "0001-01-01 至 2100-12-31"; }

std::optional<int> parseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 9 || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<DateTime> parseCalendarDate(std::string_view text, bool acceptCompact)
{
    const std::optional<DateFields> fields = splitDate(text, acceptCompact);
    DateTime value = 0;
    if (!fields || !fields->year || !fields->month || !fields->day || !isCalendarYear(*fields->year) ||
        !tryEncodeDate(*fields->year, *fields->month, *fields->day, value))
        return std::nullopt;
    return value;
}

std::string whyNotACalendarDate(std::string_view text, bool acceptCompact)
{
    // The ten days the calendar reform of 1582 left out look like dates: say why they are refused.
    const std::optional<DateFields> fields = splitDate(text, acceptCompact);
    if (fields && fields->year && fields->month && fields->day &&
        isDroppedDay(*fields->year, *fields->month, *fields->day))
        return "1582-10-05 至 1582-10-14 这十天在历史上不存在（儒略历 1582-10-04 的次日即格里历 1582-10-15）";
    return "不是 " + calendarRangeText() + " 之间的日期";
}

} // namespace tavemo::engine
