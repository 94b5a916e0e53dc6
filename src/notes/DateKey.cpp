#include "notes/DateKey.h"

#include "engine/DateTime.h"

namespace tavemo::notes {
namespace {

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
    int y = 0, m = 0, d = 0;
    return engine::decodeDate(dateTime, y, m, d) ? formatKey(y, m, d) : QString();
}

QString dateKey(int year, int month, int day)
{
    return engine::isValidDate(year, month, day) ? formatKey(year, month, day) : QString();
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
    if (!engine::isValidDate(y, m, d))
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
