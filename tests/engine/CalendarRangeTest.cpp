// Dates a person types, read as days the calendar shows.

#include "engine/CalendarRange.h"

#include <gtest/gtest.h>

namespace tavemo::engine {
namespace {

TEST(CalendarRange, DatesAsPeopleWriteThem)
{
    struct Case {
        const char* text;
        bool compact;       // the "YYYYMMDD" form accepted too
        const char* day;    // the day read, "" when refused
        const char* reason; // a part of the refusal
    };
    const Case cases[] = {
        {"2024-02-10", false, "2024-02-10", ""},
        {"20240210", true, "2024-02-10", ""},
        {"20240210", false, "", "不是 0001-01-01 至 2100-12-31"},
        {"0001-01-01", false, "0001-01-01", ""},
        {"2100-12-31", true, "2100-12-31", ""},
        {"2101-01-01", true, "", "不是 0001-01-01 至 2100-12-31"},
        {"0000-12-31", false, "", "不是"},
        {"1582-10-04", false, "1582-10-04", ""},
        {"1582-10-10", false, "", "这十天在历史上不存在"},
        {"15821010", true, "", "这十天在历史上不存在"},
        {"2023-02-29", false, "", "不是"},
        {"2024-2-10", false, "", "不是"},
        {"+024-02-10", false, "", "不是"},
        {"2024-02-10 ", false, "", "不是"},
        {"", true, "", "不是"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<DateTime> value = parseCalendarDate(c.text, c.compact);
        EXPECT_EQ(value ? formatIsoDate(*value) : std::string(), c.day);
        if (!value) {
            EXPECT_NE(whyNotACalendarDate(c.text, c.compact).find(c.reason), std::string::npos);
        }
    }
}

} // namespace
} // namespace tavemo::engine
