#include "DateKey.h"

#include <cmath>

namespace tavemo::notes {
namespace {

constexpr int kMinYear = 1;
constexpr int kMaxYear = 9999;

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m)
{
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : lengths[m - 1];
}

bool isValidDate(int y, int m, int d)
{
    return y >= kMinYear && y <= kMaxYear && m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (Hinnant's civil algorithms:
// eras of 400 years, years starting on 1 March so that the leap day comes last).
long long daysFromCivil(long long y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;                                  // [0, 399]
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; // [0, 365]
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;         // [0, 146096]
    return era * 146097 + doe - 719468;
}

void civilFromDays(long long z, long long &y, int &m, int &d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;                                // [0, 146096]
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; // [0, 399]
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);         // [0, 365]
    const long long mp = (5 * doy + 2) / 153;                              // [0, 11]
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

QString formatKey(int y, int m, int d)
{
    return QStringLiteral("%1%2%3")
        .arg(y, 4, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'));
}

// Parses exactly `count` ASCII digits; -1 when any is not a digit.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

QString dateKey(double dateTime)
{
    if (!std::isfinite(dateTime))
        return {};
    // The integer part is the day on both sides of the epoch: -1.25 is 1899-12-29 at 06:00.
    const double day = std::trunc(dateTime);
    static const long long epoch = daysFromCivil(1899, 12, 30);
    static const long long first = daysFromCivil(kMinYear, 1, 1) - epoch;
    static const long long last = daysFromCivil(kMaxYear, 12, 31) - epoch;
    if (day < static_cast<double>(first) || day > static_cast<double>(last))
        return {};
    long long y = 0;
    int m = 0, d = 0;
    civilFromDays(static_cast<long long>(day) + epoch, y, m, d);
    return formatKey(static_cast<int>(y), m, d);
}

QString dateKey(int year, int month, int day)
{
    return isValidDate(year, month, day) ? formatKey(year, month, day) : QString();
}

std::optional<QString> parseDate(QStringView text)
{
    int y = -1, m = -1, d = -1;
    if (text.size() == 8) {
        y = digits(text, 0, 4);
        m = digits(text, 4, 2);
        d = digits(text, 6, 2);
    } else if (text.size() == 10 && text[4] == u'-' && text[7] == u'-') {
        y = digits(text, 0, 4);
        m = digits(text, 5, 2);
        d = digits(text, 8, 2);
    }
    if (!isValidDate(y, m, d))
        return std::nullopt;
    return formatKey(y, m, d);
}

QString keyToIsoDate(QStringView key)
{
    if (key.size() != 8 || digits(key, 0, 8) < 0)
        return key.toString();
    return QStringLiteral("%1-%2-%3").arg(key.left(4), key.mid(4, 2), key.mid(6, 2));
}

} // namespace tavemo::notes
