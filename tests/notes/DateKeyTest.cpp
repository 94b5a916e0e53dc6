// Date keys from the calendar's date-time values and from what a person types.

#include "notes/DateKey.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavemo::notes {
namespace {

TEST(DateKey, OfDateTimeValues)
{
    const struct {
        double dateTime;
        const char* key;
    } cases[] = {
        {0.0, "18991230"},
        {40723.0, "20110629"},    // a Wednesday in June 2011
        {40723.0007, "20110629"}, // 00:01
        {40723.9993, "20110629"}, // 23:59: the same day, the same row
        {40724.0, "20110630"},
        {-1.25, "18991229"}, // 06:00 on the day before the epoch: the integer part is the day
        {-0.5, "18991230"},
        {36585.0, "20000229"},
        {-693595.0, "00010101"},   // the first day of year 1 (Julian)
        {2958465.999, "99991231"}, // the last day of year 9999
        {-577737.0, "03180316"},
        {-115859.0, "15821004"}, // before 1582-10-15 the key is the Julian date: the 4th,
        {-115858.0, "15821015"}, // and the next day the 15th
        {-693596.0, ""},
        {2958466.0, ""},
        {std::numeric_limits<double>::quiet_NaN(), ""},
        {std::numeric_limits<double>::infinity(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dateKey(c.dateTime), QString::fromLatin1(c.key)) << c.dateTime;
}

TEST(DateKey, ParsesWhatAPersonTypes)
{
    const struct {
        const char* text;
        const char* key; // empty: refused
    } cases[] = {
        {"2011-06-29", "20110629"}, {"20110629", "20110629"},
        {"2000-02-29", "20000229"}, {"0001-01-01", "00010101"},
        {"1900-02-29", ""},         {"2011-02-30", ""},
        {"2011-13-01", ""},         {"2011-00-10", ""},
        {"0000-01-01", ""},         {"2011-6-29", ""},
        {"2011/06/29", ""},         {"201106290", ""},
        {"2011-06-2x", ""},         {"", ""},
        {" 20110629", ""},          {"1582-10-10", ""},
        {"1500-02-29", "15000229"},
    };
    for (const auto& c : cases) {
        const std::optional<QString> key = parseDate(QString::fromLatin1(c.text));
        EXPECT_EQ(key.value_or(QString()), QString::fromLatin1(c.key)) << c.text;
    }
    EXPECT_EQ(keyToIsoDate(u"20110629"), QStringLiteral("2011-06-29"));
    EXPECT_EQ(keyToIsoDate(u"odd key"), QStringLiteral("odd key"));
}

} // namespace
} // namespace tavemo::notes
