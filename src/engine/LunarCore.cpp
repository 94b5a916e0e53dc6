#include "engine/LunarCore.h"

#include "engine/HistoricalMonths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <string>

namespace tavemo::engine {

namespace {

// The astronomical formulas run in the x87 80-bit type; values the formulas mark as stored in
// double precision are rounded to double when formed (the fitted tables depend on that).
using Ext = long double;
static_assert(sizeof(Ext) > sizeof(double), "the formulas need extended precision");

constexpr double kRho = 57.29577951308232; // degrees per radian
constexpr Ext kPi = 3.14159265358979323851L;

constexpr int kLastJulianDayNumber = 577735; // 1582-10-04
constexpr int kFirstDayNumberOfYear1 = -1;   // Julian 0001-01-01
constexpr int kLunarYears = kMaxLunarYear - kMinLunarYear + 1;

int floorMod(std::int64_t a, int n)
{
    const int r = static_cast<int>(a % n);
    return r < 0 ? r + n : r;
}

Ext fracPart(Ext x) { return x - std::trunc(x); }

// Round to nearest, halves to even, independent of the floating-point environment.
Ext roundHalfEven(Ext x)
{
    const Ext lower = std::floor(x);
    const Ext diff = x - lower;
    if (diff < 0.5L)
        return lower;
    if (diff > 0.5L)
        return lower + 1;
    return std::fmod(lower, 2.0L) == 0 ? lower : lower + 1;
}

// Historical years have no year 0: the year before 1 is -1 and the year after -1 is 1.
// (Saturating at the ends of int: any int is a valid argument, if a meaningless one.)
int previousYear(int year) { return year == 1 ? -1 : year == std::numeric_limits<int>::min() ? year : year - 1; }
int nextYear(int year) { return year == -1 ? 1 : year == std::numeric_limits<int>::max() ? year : year + 1; }

// Floor of an extended value as an int, saturating instead of overflowing.
int floorToInt(Ext x)
{
    const Ext f = std::floor(x);
    if (!(f > std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (!(f < std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(f);
}

std::int64_t dayOfYearClamped(int year, int month, int day)
{
    std::int64_t n = day;
    for (int i = 1; i < month && i <= 12; ++i)
        n += GetMonthDays(year, i);
    return n;
}

// GetDayNumber without narrowing, so far-off years cannot overflow.
std::int64_t dayNumber64(int year, int month, int day)
{
    const int type = GetCalendarType(year, month, day);
    if (type == 0)
        return 0;
    const std::int64_t e = static_cast<std::int64_t>(year) - 1;
    const std::int64_t n = dayOfYearClamped(year, month, day);
    if (type == 1)
        return n + 365 * e + e / 4 - 2;
    return n + 365 * e + e / 4 - e / 100 + e / 400;
}

// Day of the year counted through day numbers: after the change of October 1582 ten days less
// than the month walk gives. Dropped days keep their walked value.
std::int64_t countedDayOfYear(int year, int month, int day)
{
    std::int64_t n = dayOfYearClamped(year, month, day);
    if (year == 1582 && (month > 10 || (month == 10 && day >= 15)))
        n -= 10;
    return n;
}

// Days in a year as counted by countedDayOfYear (1582 lost ten).
int countedYearLength(int year)
{
    if (year == 1582)
        return 355;
    return IsHistoricLeapYear(year) ? 366 : 365;
}

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

// The date of counted day n of a year; n may run before 1 January or past 31 December.
Date dateOfCountedDay(int year, int n)
{
    n = std::clamp(n, -1000, 1400); // a term lies within a few weeks of its year
    while (n < 1) {
        year = previousYear(year);
        n += countedYearLength(year);
    }
    while (n > countedYearLength(year)) {
        n -= countedYearLength(year);
        year = nextYear(year);
    }
    for (int m = 1; m <= 12; ++m) {
        const int length = (year == 1582 && m == 10) ? 21 : GetMonthDays(year, m);
        if (n <= length) {
            const int day = (year == 1582 && m == 10 && n > 4) ? n + 10 : n;
            return {year, m, day};
        }
        n -= length;
    }
    return {year, 12, 31}; // not reached: n is within the year
}

// The date of a day number in closed form (the day-number scale is continuous from year 1 on).
// Both count from a 1 March, so that the leap day closes the counted year.
Date julianDateOf(std::int64_t dayNumber)
{
    const std::int64_t z = dayNumber + 307;                  // days since Julian 0000-03-01
    const std::int64_t era = (z >= 0 ? z : z - 1460) / 1461; // 4-year cycles
    const std::int64_t doe = z - era * 1461;                 // [0, 1460]
    const std::int64_t yoe = (doe - doe / 1460) / 365;       // [0, 3]
    const std::int64_t doy = doe - 365 * yoe;                // [0, 365]
    const std::int64_t mp = (5 * doy + 2) / 153;             // [0, 11], March = 0
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 4 + (m <= 2)), m, d};
}

Date gregorianDateOf(std::int64_t dayNumber)
{
    const std::int64_t z = dayNumber + 305;                                         // days since proleptic 0000-03-01
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;                    // 400-year cycles
    const std::int64_t doe = z - era * 146097;                                      // [0, 146096]
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; // [0, 399]
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);               // [0, 365]
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

// ---------------------------------------------------------------------------------------------
// Tables

constexpr std::string_view kLeapMonthText =
    "0c0080050010a0070030c0080050010a0070030c0080050020a0070030c0080050020a0070030c0090050020a0070030c009"
    "0050020a0060030c0060030c00900600c0c0060c00c00c00c0c000600c0c0006090303030006000c00c060c0006c00000c0c"
    "0c0060003030006c00009009c0090c00c009000300030906030030c0c00060c00090c0060600c0030060c00c003006009060"
    "030c0060060c0090900c00090c0090c00c006030006060003030c0c00030c0060030c0090060030c0090300c0080050020a0"
    "060030c0080050020b0070030c0090050010a0070030b0090060020a0070040c0080050020a0060030c0080050020b007003"
    "0c0090050010a0070030b0090060020a0070040c0080050020a0060030c0080050020b0070030c0090050000c00900909009"
    "0090900900900909009009090090090090900900909009009009090090090900900900909009009090090090900900900909"
    "00900909009009009090090090900900900909009009090060030c0090050010a0070030b008005001090070040c00800500"
    "20a0060030c0090040010a0060030c0090050010a0070030b0080050010a008005001090050020a0060030c0080040010a00"
    "60030c0090050010a0070030b0080050010a0070030b008005001090070040c0080050020a0060030c0080040010a0060030"
    "c0090050010a0070030b008005001090070040c0080050020a0060030c0080040010a0060030c0090050010a0060030c0090"
    "050010a0070030b008005001090070040c0080050020a0060030c0080040010a0070030b0080050010a0070040c008005002"
    "0a0060030c0080040010a0070030c0090050010a0070030b0080050020a0060030c0080040010a0060030c0090050050020a"
    "0060030c0090050010b0070030c0090050010a0070040c0080040020a0060030c0080050020a0060030c0090050010a00700"
    "30b0080040020a0060040c0090050020b0070030c00a0050010a0070030b0090050020a0070030c0080040020a0060030c00"
    "90050010a0070030c0090050030b007005001090050020a007004001090060020c0070050c0090060030b0080040020a0060"
    "030b0080040010a0060030b0080050010a0050040c0080050010a0060030c0080050010b0070030c007005001090070030b0"
    "070040020a0060030c0080040020a0070030b0090050010a0060040c0080050020a0060040c0080050010b0070030c007005"
    "001090070030c0080050020a0070030c0090050020a0070030c0090050020a0060040c0090050020a0060040c0090050010b"
    "0070030c0080050030b007004001090060020c008004002090060020a008004001090050030b0080040020a0060040b00800"
    "40c00a0060020b007005001090060030b0070050020a0060020c008004002090070030c008005002090070040c0080040020"
    "a0060040b0090050010a0060030b0080050020a0060040c0080050010b00700300108005001090070030c0080050020a0070"
    "03001090050030a0070030b0090050020a0060040c0090050030b0070040c0090050010c0070040c0080060020b00700400a"
    "090060020b007003002090060020a005004001090050030b007004001090050040c0080040c00a0060020c00700500109006"
    "0030b0070050020a0060020c008004002090060030b008004002090060030b0080040020a0060040b0080040010b0060030b"
    "0070050010a00600400207005003080060040030700500307006004003070050030800600400307005004090060040030700"
    "500409006005002070050030a006005003070050040020600400206005003002060040030700500409006004003070050040"
    "8007005003080050040a00600500307005004002060050030800500400206005002070050040020600500307006004002070"
    "050030800600400307005004080060040a006005003080050040020700500409006004002060050030b00600500207005003"
    "08006004003070050040800600400307005004080060040020";
static_assert(kLeapMonthText.size() == kLunarYears);

constexpr int leapDigit(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }

// Running count of leap years, per table position.
constexpr std::array<short, kLunarYears> kLeapCounts = [] {
    std::array<short, kLunarYears> counts{};
    short running = 0;
    for (int i = 0; i < kLunarYears; ++i) {
        if (kLeapMonthText[i] != '0')
            ++running;
        counts[i] = running;
    }
    return counts;
}();

constexpr std::string_view kStems[10] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
constexpr std::string_view kBranches[12] = {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
constexpr std::string_view kZodiac[12] = {"鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪"};
constexpr std::string_view kConstellations[12] = {"白羊", "金牛", "双子", "巨蟹", "狮子", "处女",
                                                  "天秤", "天蝎", "射手", "摩羯", "宝瓶", "双鱼"};
constexpr int kConstellationStarts[12] = {120, 219, 321, 421, 521, 622, 723, 823, 923, 1023, 1123, 1222};
constexpr std::string_view kSolarTerms[24] = {"立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满",
                                              "芒种", "夏至", "小暑", "大暑", "立秋", "处暑", "白露", "秋分",
                                              "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒"};
constexpr std::string_view kLunarMonthNames[12] = {"正", "二", "三", "四", "五", "六",
                                                   "七", "八", "九", "十", "冬", "腊"};
constexpr std::string_view kDayPrefixes[4] = {"初", "十", "廿", "卅"};
constexpr std::string_view kNumerals[10] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};

// Composed names, built once.
struct NameTables {
    std::array<std::string, 60> ganZhi;
    std::array<std::string, 12> months;
    std::array<std::string, 12> leapMonths;
    std::array<std::string, 30> days;

    NameTables()
    {
        for (int i = 0; i < 60; ++i)
            ganZhi[i] = std::string(kStems[i % 10]) + std::string(kBranches[i % 12]);
        for (int i = 0; i < 12; ++i) {
            months[i] = std::string(kLunarMonthNames[i]) + "月";
            leapMonths[i] = "闰" + std::string(kLunarMonthNames[i]);
        }
        for (int d = 1; d <= 30; ++d) {
            if (d == 10)
                days[d - 1] = "初十";
            else if (d == 20)
                days[d - 1] = "二十";
            else if (d == 30)
                days[d - 1] = "三十";
            else
                days[d - 1] = std::string(kDayPrefixes[d / 10]) + std::string(kNumerals[d % 10 - 1]);
        }
    }
};

const NameTables& names()
{
    static const NameTables tables;
    return tables;
}

// Lunar days the new-moon computation gets wrong by one in a few months (checked against the
// published calendars of those years). delta +1 turns 31 into 1, -1 turns 0 into 30.
struct LunarDayCorrection {
    int year;
    int from; // month * 100 + day, inclusive
    int to;
    int delta;
};
constexpr LunarDayCorrection kLunarDayCorrections[] = {
    {1914, 1117, 1216, +1}, {1916, 203, 303, +1}, {1920, 1110, 1209, +1}, {1924, 305, 403, +1}, {2018, 1107, 1206, -1},
};

// Solar terms whose formula moment lands on the wrong day: the true moments, Beijing time, from
// an astronomical ephemeris. A 小寒 entry also stands for term 25 of the year before.
struct SolarTermMoment {
    int year;
    int nameIndex; // 0 立春 .. 23 大寒
    int month, day, hour, minute, second;
};
constexpr SolarTermMoment kSolarTermMoments[] = {
    {1911, 6, 5, 7, 0, 0, 18},     // 立夏
    {1912, 16, 10, 9, 0, 6, 42},   // 寒露
    {1923, 1, 2, 19, 23, 59, 40},  // 雨水
    {1927, 14, 9, 9, 0, 5, 25},    // 白露
    {1928, 9, 6, 22, 0, 6, 23},    // 夏至
    {1979, 23, 1, 20, 23, 59, 56}, // 大寒
    {2016, 10, 7, 7, 0, 3, 21},    // 小暑
    {2020, 20, 12, 7, 0, 9, 30},   // 大雪
    {2037, 15, 9, 23, 0, 13, 7},   // 秋分
    {2040, 16, 10, 8, 0, 5, 34},   // 寒露
    {2042, 11, 7, 23, 0, 6, 21},   // 大暑
    {2051, 3, 3, 20, 23, 59, 19},  // 春分
    {2059, 1, 2, 19, 0, 5, 18},    // 雨水
    {2083, 0, 2, 3, 23, 58, 22},   // 立春
    {2084, 3, 3, 19, 23, 59, 30},  // 春分
    {2085, 22, 1, 4, 23, 56, 19},  // 小寒
    {2097, 6, 5, 5, 0, 8, 12},     // 立夏
};

// Term number 1..24 of a name index (term n is named (n + 21) mod 24).
constexpr int termNumberOfName(int nameIndex) { return (nameIndex + 2) % 24 + 1; }
constexpr int nameOfTermNumber(int n) { return (n + 21) % 24; }

// ---------------------------------------------------------------------------------------------
// Direct computations

enum class Source { Memo, Direct };

std::array<int, kNewMoonCount> computeNewMoons(int year)
{
    const double T = static_cast<double>((year - 1899.5L) / 100);
    const Ext T2 = static_cast<Ext>(T) * T;
    const Ext T3 = T2 * T;
    const std::int64_t k = static_cast<std::int64_t>(std::floor((year - 1900.0L) * 12.3685L));
    const double f = static_cast<double>(0.75933L - 0.0002172L * T2 - 0.000000155L * T3);
    const double m = static_cast<double>(f + 0.53058868L * k - 0.000837L * T + 8.0L / 24 + 0.5L);
    const double s = static_cast<double>(0.1734L - 0.000393L * T);
    const double base = static_cast<double>(29.0L * k + 693595);
    const double M0 = static_cast<double>(2 * kPi * fracPart(0.08084821133L * k) + 359.2242L / kRho -
                                          (0.0000333L / kRho) * T2 - (0.00000347L / kRho) * T3);
    const double M1 = static_cast<double>(2 * kPi * fracPart(0.07171366128L * k) + 306.0253L / kRho +
                                          (0.0107306L / kRho) * T2 + (0.00001236L / kRho) * T3);
    const double F = static_cast<double>(2 * kPi * fracPart(0.08519585128L * k) + 21.2964L / kRho -
                                         (0.0016528L / kRho) * T2 - (0.00000239L / kRho) * T3);

    // Lunations v = -1 .. 13. The half steps between them are full moons, which never decide a
    // lunar day, so they are not computed.
    std::array<int, kNewMoonCount> days{};
    for (int i = 0; i < kNewMoonCount; ++i) {
        const Ext v = i - 1;
        const double A = static_cast<double>(M0 + 0.507984293L * v);
        const double C = static_cast<double>(M1 + 6.73377553L * v);
        const double G = static_cast<double>(F + 6.818486628L * v);
        const Ext a = A, c = C, g = G;
        Ext x = s * std::sin(a);
        x += 1.53058868L * v + m;
        x -= 0.4068L * std::sin(c);
        x += 0.0021L * std::sin(2 * a);
        x += 0.0161L * std::sin(2 * c);
        x += 0.0104L * std::sin(2 * g);
        x -= 0.0074L * std::sin(a - c);
        x -= 0.0051L * std::sin(a + c);
        const double X = static_cast<double>(x);
        const double P = static_cast<double>(28 * v + base + X);
        days[i] = floorToInt(P);
    }
    return days;
}

Ext computeSolarTermDay(int year, int n)
{
    const int y = year > 0 ? year : year + 1;
    for (const SolarTermMoment& t : kSolarTermMoments) {
        const int tn = termNumberOfName(t.nameIndex);
        if ((t.year == y && tn == n) || (n == 25 && tn == 1 && t.year == y + 1LL)) {
            const Ext seconds = t.hour * 3600 + t.minute * 60 + t.second;
            return (GetDayNumber(t.year, t.month, t.day) - GetDayNumber(y, 1, 0)) + seconds / 86400;
        }
    }
    const Ext t = static_cast<Ext>(y) - 100;
    const Ext A = y * (365.2423112L - 6.4e-14L * (t * t) - 3.047e-8L * t) + 15.218427L * n + 1721050.71301L;
    const Ext theta = 0.0003L * y - 0.372781384L - 0.2617913325L * n;
    const Ext B = (1.945L * std::sin(theta) - 0.01206L * std::sin(2 * theta)) * (1.048994L - 0.00002583L * y);
    const Ext phi = 2.313908653L * y - 0.439822951L - 3.0443L * n;
    const Ext C = -0.0018L * std::sin(phi);
    return A + B + C - GetDayNumber(y, 1, 0) - 1721425;
}

// ---------------------------------------------------------------------------------------------
// Per-year memo. Each year's entry is filled once under its own once_flag; a filled entry is
// only read afterwards. The new-year entry uses the new-moon entries of its own and the next
// year, which have flags of their own, so the nesting cannot deadlock.

struct NewMoonMemo {
    std::once_flag once;
    std::array<int, kNewMoonCount> days{};
};

struct NewYearMemo {
    std::once_flag once;
    bool found = false;
    Date date;
};

constexpr int kMinTermYear = kMinLunarYear - 1;
constexpr int kMaxTermYear = kMaxLunarYear + 1;

struct SolarTermMemo {
    std::once_flag once;
    std::array<Ext, 26> days{};   // by term number 1..25
    std::array<int, 26> floors{}; // their days, floored once: every date's sexagenary month asks
    std::array<Date, 25> dates{}; // by term number 1..24
};

NewMoonMemo g_newMoons[kLunarYears];
NewYearMemo g_newYears[kLunarYears];
SolarTermMemo g_solarTerms[kMaxTermYear - kMinTermYear + 1];

bool inLunarRange(int year) { return year >= kMinLunarYear && year <= kMaxLunarYear; }

// The leap-month table's digit: what the astronomical month count is fitted to.
int astronomicalLeapMonth(int year)
{
    return inLunarRange(year) ? leapDigit(kLeapMonthText[year - kMinLunarYear]) : -1;
}

// The month of a date from year 1 on that the historical table covers (up to 1901-02-18).
// Before year 1 the engine's day numbers do not run on one per day, so the table is not asked.
bool historicalMonthOf(int year, int month, int day, historical::Month& out)
{
    if (year < 1 || year > historical::kLastLunarYear + 1 || isDroppedDay(year, month, day))
        return false;
    const std::int64_t dayNumber = dayNumber64(year, month, day);
    return dayNumber < historical::endDayNumber() && historical::monthOfDay(static_cast<int>(dayNumber), out);
}

// The lunar date of a date the historical table covers; false (outputs untouched) elsewhere.
bool historicalLunarDate(int year, int month, int day, bool& isLeap, int& lunarDay, int& lunarMonth, int& lunarYear)
{
    historical::Month h;
    if (!historicalMonthOf(year, month, day, h))
        return false;
    isLeap = h.leap;
    lunarDay = static_cast<int>(dayNumber64(year, month, day) - h.firstDay) + 1;
    lunarMonth = h.number;
    lunarYear = h.lunarYear;
    return true;
}

const std::array<int, kNewMoonCount>& memoNewMoons(int year)
{
    NewMoonMemo& entry = g_newMoons[year - kMinLunarYear];
    std::call_once(entry.once, [&] { entry.days = computeNewMoons(year); });
    return entry.days;
}

const SolarTermMemo& memoSolarTerms(int year)
{
    SolarTermMemo& entry = g_solarTerms[year - kMinTermYear];
    std::call_once(entry.once, [&] {
        for (int n = 1; n <= 25; ++n) {
            entry.days[n] = computeSolarTermDay(year, n);
            entry.floors[n] = floorToInt(entry.days[n]);
        }
        for (int n = 1; n <= 24; ++n)
            entry.dates[n] = dateOfCountedDay(year, entry.floors[n]);
    });
    return entry;
}

bool inTermRange(int year) { return year >= kMinTermYear && year <= kMaxTermYear; }

Ext solarTermDay(int year, int n, Source source)
{
    if (source == Source::Memo && inTermRange(year) && n >= 1 && n <= 25)
        return memoSolarTerms(year).days[n];
    return computeSolarTermDay(year, n);
}

int solarTermFloor(int year, int n)
{
    if (inTermRange(year) && n >= 1 && n <= 25)
        return memoSolarTerms(year).floors[n];
    return floorToInt(computeSolarTermDay(year, n));
}

// ---------------------------------------------------------------------------------------------
// Lunar conversion on either source

using NewMoons = std::array<int, kNewMoonCount>;

NewMoons newMoonsOf(int year, Source source)
{
    if (source == Source::Memo && inLunarRange(year))
        return memoNewMoons(year);
    return computeNewMoons(year);
}

// The lunar day of a date from its year's new moons: the last new moon on or before the date
// within 29 days decides.
int lunarDayFrom(const NewMoons& newMoons, int year, int month, int day)
{
    const std::int64_t r = dayNumber64(year, month, day);
    int result = -1;
    for (const int newMoon : newMoons) {
        const std::int64_t age = r - newMoon;
        if (age >= 0 && age <= 29)
            result = static_cast<int>(age) + 1;
    }

    const std::int64_t monthDay = month * 100LL + day;
    for (const LunarDayCorrection& c : kLunarDayCorrections) {
        if (c.year == year && monthDay >= c.from && monthDay <= c.to) {
            result += c.delta;
            if (result == 31)
                result = 1;
            else if (result == 0)
                result = 30;
        }
    }
    return result;
}

// The lunar month of a date whose lunar day is already known.
int lunarMonth(int year, int month, int day, int lunarDayOfDate)
{
    const int e = lunarDayOfDate;
    const int leapCount = GetLeapMonthCount(year);
    const std::int64_t days = dayNumber64(year, month, day) - (-310443); // from -849-01-21
    std::int64_t g = static_cast<std::int64_t>(roundHalfEven(static_cast<Ext>(days - e) / 29.530588L)) - leapCount;
    // Offsets fitted to the lunations of the early eras.
    if (year <= 240)
        ++g;
    if (year <= 237)
        --g;
    if (year < 24)
        ++g;
    if (year < 9)
        --g;
    if (year <= -255)
        ++g;
    if (year <= -256)
        g += 2;
    if (year <= -722)
        ++g;
    g -= 3;
    int mm = floorMod(g, 12) + 1;

    // The previous year's leap month can still run in January.
    const int previousLeap = astronomicalLeapMonth(previousYear(year));
    if (previousLeap == mm && month == 1 && day < e)
        return -mm;
    // After a leap twelfth month the count in January and February runs one short until that
    // leap month has come: 11 is the regular twelfth month, 12 the leap one.
    if (previousLeap == 12 && month <= 2 && (mm == 11 || mm == 12))
        return mm == 11 ? 12 : -12;
    const int leap = astronomicalLeapMonth(year);
    if (leap == mm) {
        // Early in the year, before this year's leap month has come, the count runs one short and
        // mm == L names the month after L: 12 of the previous lunar year (L = 11) or 正月
        // (L = 12; 正月 can run into March). An early leap month (1, 2) is the leap month itself.
        const bool beforeLeap = leap == 12 ? month < 6 : (leap > 2 && month < 3);
        return beforeLeap ? mm % 12 + 1 : -mm;
    }
    if (leap > mm)
        ++mm;
    else if (month < mm && leap > 0)
        ++mm;
    return floorMod(mm - 1, 12) + 1;
}

int lunarDay(int year, int month, int day, Source source)
{
    bool leap = false;
    int d = 0, m = 0, y = 0;
    if (historicalLunarDate(year, month, day, leap, d, m, y))
        return d;
    return lunarDayFrom(newMoonsOf(year, source), year, month, day);
}

// The lunar month, negated for a leap month, and the lunar day: from the historical table where
// it covers the date, else from the given year's new moons.
bool lunarMonthDayFrom(const NewMoons& newMoons, int year, int month, int day, bool& isLeap, int& lunarDayOut,
                       int& lunarMonthOut)
{
    if (!inLunarRange(year) || isDroppedDay(year, month, day))
        return false;
    int lunarYear = 0;
    if (historicalLunarDate(year, month, day, isLeap, lunarDayOut, lunarMonthOut, lunarYear))
        return true;
    const int d = lunarDayFrom(newMoons, year, month, day);
    const int m = lunarMonth(year, month, day, d);
    isLeap = m < 0;
    lunarDayOut = d;
    lunarMonthOut = std::abs(m);
    return true;
}

bool lunarMonthDay(int year, int month, int day, bool& isLeap, int& lunarDayOut, int& lunarMonthOut, Source source)
{
    if (!inLunarRange(year))
        return false;
    int lunarYear = 0; // the table answers without the year's new moons
    if (historicalLunarDate(year, month, day, isLeap, lunarDayOut, lunarMonthOut, lunarYear))
        return true;
    return lunarMonthDayFrom(newMoonsOf(year, source), year, month, day, isLeap, lunarDayOut, lunarMonthOut);
}

// Bisection over the day numbers of lunarYear and the next year, following the lunar year of
// each probe by the direction of travel.
bool bisectLunarDate(int lunarYear, int lunarMonthWanted, int lunarDayWanted, bool isLeapWanted, Date& found,
                     Source source)
{
    enum class Direction { None, Forward, Backward };
    int lo = GetDayNumber(lunarYear, 1, 1);
    int hi = GetDayNumber(lunarYear + 1, 12, 31); // lunarYear is within the tables here
    bool odd = false;
    Direction direction = Direction::None;
    int trackedYear = lunarYear;
    int previousMonth = 0;
    Date probe{lunarYear, 1, 1};
    bool probeLeap = false;
    int probeDay = 0;
    int probeMonth = 0;
    for (int steps = 1; hi > lo; ++steps) {
        if (steps > 100)
            return false;
        const int mid = static_cast<int>((static_cast<std::int64_t>(lo) + hi) / 2) + (odd ? 1 : 0);
        if (hi - lo == 1)
            odd = true;
        // A probe that does not convert keeps the previous probe's date, and so its lunar date.
        if (DayNumberToDate(mid, probe.year, probe.month, probe.day) || steps == 1)
            lunarMonthDay(probe.year, probe.month, probe.day, probeLeap, probeDay, probeMonth, source);
        if (direction == Direction::Forward && probeMonth < previousMonth)
            ++trackedYear;
        if (direction == Direction::Backward && probeMonth > previousMonth)
            --trackedYear;
        const int order = CompareLunarDates(trackedYear, probeMonth, probeDay, probeLeap, lunarYear, lunarMonthWanted,
                                            lunarDayWanted, isLeapWanted);
        if (order == 0) {
            found = probe;
            return true;
        }
        if (order < 0) {
            lo = mid;
            direction = Direction::Forward;
        } else {
            hi = mid;
            direction = Direction::Backward;
        }
        previousMonth = probeMonth;
    }
    return false;
}

// 正月初一 of a lunar year: the bisection, or when it misses (before year 1 no probe converts),
// the first day of the year's first months that converts to month 1, day 1, not leap.
bool findLunarNewYear(int lunarYear, Date& found, Source source)
{
    if (bisectLunarDate(lunarYear, 1, 1, false, found, source))
        return true;
    const NewMoons newMoons = newMoonsOf(lunarYear, source); // one year: computed once per scan
    for (int month = 1; month <= 4; ++month) {
        for (int day = 1; day <= GetMonthDays(lunarYear, month); ++day) {
            bool leap = false;
            int d = 0, m = 0;
            if (lunarMonthDayFrom(newMoons, lunarYear, month, day, leap, d, m) && m == 1 && d == 1 && !leap) {
                found = {lunarYear, month, day};
                return true;
            }
        }
    }
    return false;
}

const NewYearMemo& memoNewYear(int lunarYear)
{
    NewYearMemo& entry = g_newYears[lunarYear - kMinLunarYear];
    std::call_once(entry.once, [&] { entry.found = findLunarNewYear(lunarYear, entry.date, Source::Memo); });
    return entry;
}

bool lunarToSolar(int lunarYear, int lunarMonthWanted, int lunarDayWanted, bool isLeap, int& year, int& month, int& day,
                  Source source)
{
    if (isLeap && GetLeapMonthClamped(lunarYear) != lunarMonthWanted)
        return false;
    // Outside these years no probe of the search can be converted; there is no year 0.
    if (lunarYear < kMinLunarYear - 1 || lunarYear > kMaxLunarYear || lunarYear == 0)
        return false;
    // The historical table answers every lunar date it holds from year 1 on, whatever the day;
    // before year 1 only the new year is found (below), as the lunar years of BC dates need it.
    historical::Month h;
    if (historical::findMonth(lunarYear, lunarMonthWanted, isLeap, h)) {
        const std::int64_t dayNumber = static_cast<std::int64_t>(h.firstDay) + lunarDayWanted - 1;
        Date date;
        if (lunarDayWanted >= 1 && lunarDayWanted <= h.days &&
            DayNumberToDate(static_cast<int>(dayNumber), date.year, date.month, date.day)) {
            year = date.year;
            month = date.month;
            day = date.day;
            return true;
        }
        if (dayNumber >= kFirstDayNumberOfYear1 || lunarDayWanted < 1 || lunarDayWanted > h.days)
            return false;
    } else if (historical::monthCount(lunarYear) > 0) {
        return false; // the year is in the table and has no such month
    }
    Date found;
    const bool newYear = lunarMonthWanted == 1 && lunarDayWanted == 1 && !isLeap;
    bool ok = false;
    if (newYear && source == Source::Memo && inLunarRange(lunarYear)) {
        const NewYearMemo& memo = memoNewYear(lunarYear);
        ok = memo.found;
        found = memo.date;
    } else if (newYear && inLunarRange(lunarYear)) {
        ok = findLunarNewYear(lunarYear, found, source);
    } else {
        ok = bisectLunarDate(lunarYear, lunarMonthWanted, lunarDayWanted, isLeap, found, source);
    }
    if (!ok)
        return false;
    year = found.year;
    month = found.month;
    day = found.day;
    return true;
}

bool lunarDate(int year, int month, int day, bool& isLeap, int& lunarDayOut, int& lunarMonthOut, int& lunarYearOut,
               Source source)
{
    if (historicalLunarDate(year, month, day, isLeap, lunarDayOut, lunarMonthOut, lunarYearOut))
        return true;
    bool leap = false;
    int d = 0, m = 0;
    if (!lunarMonthDay(year, month, day, leap, d, m, source))
        return false;
    int lunarYear = year;
    int ny = 0, nm = 0, nd = 0;
    if (lunarToSolar(year, 1, 1, false, ny, nm, nd, source) && CompareDates(year, month, day, ny, nm, nd) == -1)
        lunarYear = previousYear(year);
    isLeap = leap;
    lunarDayOut = d;
    lunarMonthOut = m;
    lunarYearOut = lunarYear;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Historical day arithmetic

int GetCalendarType(int year, int month, int day)
{
    if (year < 1582 || (year == 1582 && (month < 10 || (month == 10 && day <= 4))))
        return 1;
    if (year == 1582 && month == 10 && day <= 14)
        return 0;
    return 2;
}

bool isDroppedDay(int year, int month, int day) { return GetCalendarType(year, month, day) == 0; }

bool IsHistoricLeapYear(int year)
{
    if (GetCalendarType(year, 1, 1) == 2)
        return isGregorianLeapYear(year);
    if (year >= 0)
        return year % 4 == 0;
    return year % 4 == -1; // year - 3 divisible by 4
}

int GetMonthDays(int year, int month)
{
    switch (month) {
    case 2:
        return IsHistoricLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    default:
        return 0;
    }
}

int GetDayOfYear(int year, int month, int day) { return static_cast<int>(dayOfYearClamped(year, month, day)); }

int GetDayNumber(int year, int month, int day) { return static_cast<int>(dayNumber64(year, month, day)); }

bool DayNumberToDate(int dayNumber, int& year, int& month, int& day)
{
    if (dayNumber < kFirstDayNumberOfYear1)
        return false;
    const Date date = dayNumber <= kLastJulianDayNumber ? julianDateOf(dayNumber) : gregorianDateOf(dayNumber);
    year = date.year;
    month = date.month;
    day = date.day;
    return true;
}

int CompareDates(int year, int month, int day, int year2, int month2, int day2)
{
    if (year != year2)
        return year > year2 ? 1 : -1;
    if (month != month2)
        return month > month2 ? 1 : -1;
    if (day != day2)
        return day > day2 ? 1 : -1;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Lunar dates

const std::string_view LeapMonthTable = kLeapMonthText;

int GetLeapMonth(int year)
{
    const int historical = historical::leapMonth(year);
    return historical >= 0 ? historical : astronomicalLeapMonth(year);
}

int GetLeapMonthClamped(int year) { return std::max(GetLeapMonth(year), 0); }

int GetLeapMonthCount(int year) { return inLunarRange(year) ? kLeapCounts[year - kMinLunarYear] : 0; }

int GetLunarDay(int year, int month, int day) { return lunarDay(year, month, day, Source::Memo); }

int GetLunarMonth(int year, int month, int day)
{
    historical::Month h;
    if (historicalMonthOf(year, month, day, h))
        return h.leap ? -h.number : h.number;
    return lunarMonth(year, month, day, lunarDay(year, month, day, Source::Memo));
}

bool GetLunarMonthDay(int year, int month, int day, bool& isLeap, int& lunarDay, int& lunarMonth)
{
    return lunarMonthDay(year, month, day, isLeap, lunarDay, lunarMonth, Source::Memo);
}

bool GetLunarDate(int year, int month, int day, bool& isLeap, int& lunarDay, int& lunarMonth, int& lunarYear)
{
    return lunarDate(year, month, day, isLeap, lunarDay, lunarMonth, lunarYear, Source::Memo);
}

bool LunarToSolar(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, int& year, int& month, int& day)
{
    return lunarToSolar(lunarYear, lunarMonth, lunarDay, isLeap, year, month, day, Source::Memo);
}

int GetLunarMonthDays(int lunarYear, int lunarMonth, bool isLeap)
{
    historical::Month h;
    if (historical::findMonth(lunarYear, lunarMonth, isLeap, h))
        return h.days;
    if (historical::monthCount(lunarYear) > 0)
        return 0;
    int y = 0, m = 0, d = 0;
    if (!LunarToSolar(lunarYear, lunarMonth, 1, isLeap, y, m, d))
        return 0;
    // The month has 30 days when the 29th day after its first is still in it.
    int y30 = 0, m30 = 0, d30 = 0, lunarDay = 0, month30 = 0, year30 = 0;
    bool leap30 = false;
    if (!DayNumberToDate(GetDayNumber(y, m, d) + 29, y30, m30, d30) ||
        !GetLunarDate(y30, m30, d30, leap30, lunarDay, month30, year30))
        return 0;
    return lunarDay == 30 && month30 == lunarMonth && leap30 == isLeap ? 30 : 29;
}

int CompareLunarDates(int year, int month, int day, bool isLeap, int targetYear, int targetMonth, int targetDay,
                      bool targetIsLeap)
{
    if (year != targetYear)
        return year > targetYear ? 1 : -1;
    if (month != targetMonth)
        return month > targetMonth ? 1 : -1;
    if (isLeap == targetIsLeap) {
        if (day == targetDay)
            return 0;
        return day > targetDay ? 1 : -1;
    }
    return isLeap ? 1 : -1;
}

std::string_view GetLunarMonthName(int lunarMonth, bool isLeap)
{
    if (lunarMonth < 1 || lunarMonth > 12)
        return {};
    return isLeap ? names().leapMonths[lunarMonth - 1] : names().months[lunarMonth - 1];
}

std::string_view GetLunarDayName(int lunarDay)
{
    if (lunarDay < 1 || lunarDay > 30)
        return {};
    return names().days[lunarDay - 1];
}

// ---------------------------------------------------------------------------------------------
// Sexagenary cycle, zodiac, constellations and solar terms

std::string_view GetGanZhiName(int index)
{
    return index >= 0 && index < 60 ? std::string_view(names().ganZhi[index]) : std::string_view();
}

std::string_view GetZodiacName(int index) { return index >= 0 && index < 12 ? kZodiac[index] : std::string_view(); }

std::string_view GetConstellationName(int index)
{
    return index >= 0 && index < 12 ? kConstellations[index] : std::string_view();
}

std::string_view GetSolarTermName(int index)
{
    return index >= 0 && index < 24 ? kSolarTerms[index] : std::string_view();
}

int CombineGanZhi(int stem, int branch)
{
    if (stem < 0 || stem > 9 || branch < 0 || branch > 11)
        return -1;
    for (int i = 0; i <= 6; ++i) {
        if ((stem + 10 * i) % 12 == branch)
            return stem + 10 * i;
    }
    return -1;
}

bool SplitGanZhi(int index, int& stem, int& branch)
{
    if (index < 0 || index > 59) {
        stem = -1;
        branch = -1;
        return false;
    }
    stem = index % 10;
    branch = index % 12;
    return true;
}

int GetYearGanZhi(int year) { return floorMod(static_cast<std::int64_t>(year) - (year > 0 ? 4 : 3), 60); }

int GetZodiac(int year) { return floorMod(static_cast<std::int64_t>(year) - (year > 0 ? 4 : 3), 12); }

int GetSolarYearGanZhi(int year, int month, int day)
{
    if (countedDayOfYear(year, month, day) < solarTermFloor(year, 3)) // before 立春
        return GetYearGanZhi(previousYear(year));
    return GetYearGanZhi(year);
}

void GetSolarMonth(int year, int month, int day, int& solarYear, int& solarMonth)
{
    const int d = countedDayOfYear(year, month, day);
    if (d < solarTermFloor(year, 3)) {
        // Before 立春: month 11 until this January's 小寒, then 12.
        solarYear = previousYear(year);
        solarMonth = d < solarTermFloor(year, 1) ? 11 : 12;
        return;
    }
    int i = 1;
    while (i < 12 && d >= solarTermFloor(year, 2 * (i + 1) + 1))
        ++i;
    solarYear = year;
    solarMonth = i;
}

int GetMonthGanZhi(int year, int month, int day)
{
    int solarYear = 0, solarMonth = 0;
    GetSolarMonth(year, month, day, solarYear, solarMonth);
    const int yearStem = GetYearGanZhi(solarYear) % 10;
    const int firstStem = (yearStem % 5 * 2 + 2) % 10; // 甲己 -> 丙, 乙庚 -> 戊, ...
    const int stem = (firstStem + (solarMonth - 1) % 10) % 10;
    const int branch = (solarMonth + 1) % 12; // month 1 is 寅
    return CombineGanZhi(stem, branch);
}

int GetDayGanZhi(int year, int month, int day)
{
    const std::int64_t n = dayOfYearClamped(year, month, day);
    std::int64_t serial = 0;
    if (year >= 1) {
        const std::int64_t e = year - 1;
        std::int64_t k = 0;
        if (GetCalendarType(year, month, day) == 2)
            k = year <= 1700 ? 10 : 10 + (e - 1700) / 100 + 1 - (e - 1600) / 400;
        serial = 365 * e + n + e / 4 - k;
    } else {
        serial = 365 * static_cast<std::int64_t>(year) + n - (3 - static_cast<std::int64_t>(year)) / 4;
    }
    const std::int64_t r = (serial + 12) % 60;
    return static_cast<int>(r < 0 ? r + 60 : r);
}

int GetConstellation(int month, int day)
{
    const std::int64_t c = 100LL * month + day;
    for (int i = 0; i < 12; ++i) {
        if (c < kConstellationStarts[i])
            return (i + 9) % 12;
        if (i == 11 || c < kConstellationStarts[i + 1])
            return (i + 10) % 12;
    }
    return 0; // not reached
}

long double GetSolarTermDay(int year, int n) { return solarTermDay(year, n, Source::Memo); }

bool GetSolarTermDate(int year, int index, int& month, int& day, int& hour, int& minute)
{
    if (index < 0 || index > 23)
        return false;
    const Ext c = GetSolarTermDay(year, index + 1);
    const Ext dayOfYear = std::floor(c);
    const Ext hours = (c - dayOfYear) * 24;
    const Date date = dateOfCountedDay(year, floorToInt(dayOfYear));
    month = date.month;
    day = date.day;
    hour = static_cast<int>(std::floor(hours));
    minute = static_cast<int>(roundHalfEven((hours - hour) * 60));
    return true;
}

std::string_view GetSolarTermOfDate(DateTime date)
{
    int y = 0, m = 0, d = 0;
    if (!decodeDate(date, y, m, d)) // never one of the ten dropped days
        return {};
    const Date wanted{y, m, d};
    // Before 1582 the Julian calendar's drift can move a year's first terms into the previous
    // December and its last ones toward January, so the neighbouring years are asked too.
    const auto termDate = [](int year, int n) {
        if (inTermRange(year))
            return memoSolarTerms(year).dates[n];
        return dateOfCountedDay(year, floorToInt(computeSolarTermDay(year, n)));
    };
    for (int n = 1; n <= 24; ++n) {
        if (termDate(y, n) == wanted)
            return kSolarTerms[nameOfTermNumber(n)];
    }
    for (const int n : {23, 24}) {
        if (termDate(previousYear(y), n) == wanted)
            return kSolarTerms[nameOfTermNumber(n)];
    }
    for (const int n : {1, 2}) {
        if (termDate(nextYear(y), n) == wanted)
            return kSolarTerms[nameOfTermNumber(n)];
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Memo access and the direct path

std::array<int, kNewMoonCount> NewMoonDayNumbers(int year)
{
    return inLunarRange(year) ? memoNewMoons(year) : computeNewMoons(year);
}

namespace direct {

std::array<int, kNewMoonCount> NewMoonDayNumbers(int year) { return computeNewMoons(year); }

long double GetSolarTermDay(int year, int n) { return computeSolarTermDay(year, n); }

int GetLunarDay(int year, int month, int day) { return lunarDay(year, month, day, Source::Direct); }

bool GetLunarDate(int year, int month, int day, bool& isLeap, int& lunarDay, int& lunarMonth, int& lunarYear)
{
    return lunarDate(year, month, day, isLeap, lunarDay, lunarMonth, lunarYear, Source::Direct);
}

bool LunarToSolar(int lunarYear, int lunarMonth, int lunarDay, bool isLeap, int& year, int& month, int& day)
{
    return lunarToSolar(lunarYear, lunarMonth, lunarDay, isLeap, year, month, day, Source::Direct);
}

} // namespace direct

} // namespace tavemo::engine
