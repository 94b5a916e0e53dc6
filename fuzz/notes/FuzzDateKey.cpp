// Feeds the note date keys arbitrary text and date-time values. A date a person typed is accepted
// only as the day it names: its key is eight digits, reads back as itself, shows as the typed
// "YYYY-MM-DD" and is the key of that civil date. A date-time value's key (its first eight bytes
// read as a double) is the key of its day, whatever the time of day.

#include "notes/DateKey.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace tavemo::notes;

void check(bool holds, const char* what, const QString& text)
{
    if (!holds) {
        std::fprintf(stderr, "%s: \"%s\"\n", what, text.toUtf8().constData());
        std::abort();
    }
}

bool isKey(const QString& key)
{
    if (key.size() != 8)
        return false;
    for (const QChar c : key)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    if (const std::optional<QString> key = parseDate(text)) {
        check(isKey(*key), "not an eight-digit key", text);
        check(*key == text || (text.size() == 10 && *key == QString(text).remove(u'-')), "key is not the typed day",
              text);
        check(parseDate(*key) == key, "key does not read back", text);
        const QString iso = keyToIsoDate(*key);
        check(parseDate(iso) == key, "shown date does not read back", text);
        check(text.size() != 10 || iso == text, "shown date differs from the typed one", text);
        check(dateKey(key->left(4).toInt(), key->mid(4, 2).toInt(), key->mid(6, 2).toInt()) == *key,
              "not the key of its civil date", text);
    }
    const QString shown = keyToIsoDate(text);
    check(isKey(text) ? shown.size() == 10 : shown == text, "key shown wrongly", text);

    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        const QString key = dateKey(value);
        const QString label = QString::number(value, 'g', 17);
        if (!key.isEmpty()) {
            check(isKey(key) && parseDate(key) == key, "date-time key is not a valid key", label);
            check(dateKey(std::trunc(value)) == key, "the time of day changed the key", label);
            const QString next = dateKey(std::trunc(value) + (value < 0 ? -1 : 1));
            check(next != key, "neighbouring days share a key", label);
        } else {
            // Only values outside 0001-01-01 .. 9999-12-31 (day numbers -693593 .. 2958465) have none.
            check(!std::isfinite(value) || std::trunc(value) < -693593 || std::trunc(value) > 2958465,
                  "a day of the years 1..9999 without a key", label);
        }
    }
    return 0;
}
