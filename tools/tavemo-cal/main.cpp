// tavemo-cal: the Chinese calendar on the terminal.
//
//   tavemo-cal                     this month, today chosen
//   tavemo-cal YEAR MONTH          that month, its first day chosen
//   tavemo-cal YYYY-MM-DD          the month of that day, the day chosen
//   tavemo-cal --dump FROM TO      one tab-separated line of calendar data per day
//
// The month grid runs from Sunday, each day with the same second line the calendar window
// shows; under it the chosen day's lunar date, sexagenary year, animal and constellation.

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ChnCalendarUse.h"
#include "DateTime.h"
#include "TextWidth.h"

namespace {

using namespace tavemo::engine;
using tavemo::cal::centred;

constexpr int kFirstYear = 1;   // the calendar window's year range
constexpr int kLastYear = 2100;
constexpr int kCellWidth = 6;   // widest second line: three Han characters
constexpr int kFirstYearWithoutEra = 1949;

constexpr std::string_view kUsage =
    "Usage: tavemo-cal [YEAR MONTH | YYYY-MM-DD]\n"
    "       tavemo-cal --dump FROM TO\n"
    "\n"
    "Shows a month of the Chinese calendar (weeks from Sunday): every day with its lunar day,\n"
    "lunar month, solar term or festival, and under the month the chosen day's lunar date,\n"
    "sexagenary year, zodiac animal and constellation. Without arguments: this month, today\n"
    "chosen; YEAR MONTH chooses the first day of the month. Years 1 to 2100; days before\n"
    "1582-10-15 are reckoned in the Julian calendar.\n"
    "\n"
    "--dump FROM TO   prints, tab-separated with a header line, the calendar data of every day\n"
    "                 from FROM to TO (YYYY-MM-DD, 0001-01-01 to 2100-12-31), one line per day.\n"
    "--help           prints this text.\n";

constexpr std::string_view kDumpHeader =
    "date\tLunarYear\tLunarMonth\tLunarDay\tLunarMonthName\tLunarDayName\tYearGanZhi\tMonthGanZhi\t"
    "DayGanZhi\tAnimal\tConstellation\tSolarTerm\tSolarFestival\tLunarFestival\tEraText\n";

[[nodiscard]] int fail(const std::string& message)
{
    std::fprintf(stderr, "tavemo-cal: %s (see tavemo-cal --help)\n", message.c_str());
    return 2;
}

// A whole decimal number, digits only.
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

// "YYYY-MM-DD" of a real day in years 1..2100.
std::optional<DateTime> parseDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const auto year = parseNumber(text.substr(0, 4));
    const auto month = parseNumber(text.substr(5, 2));
    const auto day = parseNumber(text.substr(8, 2));
    DateTime value = 0;
    if (!year || !month || !day || !inCalendarRange(*year) || !tryEncodeDate(*year, *month, *day, value))
        return std::nullopt;
    return value;
}

// The second line of a day cell, by the calendar window's priority: lunar festival, solar term,
// Gregorian festival, then the month name on the first day of a lunar month, else the day name.
const std::string& cellText(const TChnCal& info)
{
    if (!info.LunarFestival.empty())
        return info.LunarFestival;
    if (!info.SolarTerm.empty())
        return info.SolarTerm;
    if (!info.SolarFestival.empty())
        return info.SolarFestival;
    if (info.LunarDayName == "初一")
        return info.LunarMonthName;
    return info.LunarDayName;
}

void trimRight(std::string& line)
{
    line.erase(line.find_last_not_of(' ') + 1);
}

void printMonth(DateTime chosen, bool highlight)
{
    int year = 0, month = 0, chosenDay = 0;
    decodeDate(chosen, year, month, chosenDay);
    DateTime first = 0;
    tryEncodeDate(year, month, 1, first);
    const int days = daysInMonth(year, month);
    const int leadingCells = dayOfWeek(first) - 1; // the grid starts on Sunday

    constexpr int lineWidth = 7 * kCellWidth + 6;
    std::string out = centred(std::to_string(year) + "年" + std::to_string(month) + "月", lineWidth);
    trimRight(out);
    out += '\n';
    std::string header;
    for (std::string_view name : {"日", "一", "二", "三", "四", "五", "六"})
        header += centred(name, kCellWidth) + ' ';
    trimRight(header);
    out += header + '\n';

    TChnCal info;
    std::string numbers, texts;
    for (int cell = 0; cell < leadingCells + days; ++cell) {
        const int column = cell % 7;
        if (column != 0) {
            numbers += ' ';
            texts += ' ';
        }
        const int day = cell - leadingCells + 1;
        if (day < 1) {
            numbers.append(kCellWidth, ' ');
            texts.append(kCellWidth, ' ');
        } else {
            info.SetDate(first + (day - 1));
            std::string number = std::to_string(day);
            if (day < 10)
                number.insert(0, 1, ' '); // one- and two-digit days end in the same column
            number = centred(number, kCellWidth);
            if (highlight && day == chosenDay) { // reverse video on the digits only
                const auto digits = number.find_first_not_of(' ');
                const auto end = number.find_last_not_of(' ') + 1;
                number = number.substr(0, digits) + "\x1b[7m" + number.substr(digits, end - digits) + "\x1b[0m"
                    + number.substr(end);
            }
            numbers += number;
            texts += centred(cellText(info), kCellWidth);
        }
        if (column == 6 || cell == leadingCells + days - 1) {
            trimRight(numbers);
            trimRight(texts);
            out += numbers + '\n' + texts + '\n';
            numbers.clear();
            texts.clear();
        }
    }

    // The chosen day's lines, as the calendar window's summary shows them.
    info.SetDate(chosen);
    out += '\n';
    out += year >= kFirstYearWithoutEra ? formatIsoDate(chosen) : info.EraText;
    out += " 农历" + info.LunarMonthName + info.LunarDayName + '\n';
    out += info.YearGanZhi + "年 " + info.Animal + "年 " + info.Constellation + "座\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void appendNumber(std::string& line, int value)
{
    char buffer[16];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, end);
}

void appendField(std::string& line, const std::string& text)
{
    line += '\t';
    line += text;
}

void dump(DateTime from, DateTime to)
{
    std::string out(kDumpHeader);
    TChnCal info;
    for (DateTime date = from; date <= to; date += 1) {
        out += formatIsoDate(date);
        info.SetDate(date);
        int lunarYear = 0, lunarMonth = 0, lunarDay = 0;
        bool isLeap = false;
        // Days the historical calendar skips (1582-10-05..14) have no lunar date: empty fields.
        if (GetLunarDateOfDay(date, lunarYear, lunarMonth, lunarDay, isLeap)) {
            out += '\t';
            appendNumber(out, lunarYear);
            out += '\t';
            appendNumber(out, isLeap ? -lunarMonth : lunarMonth);
            out += '\t';
            appendNumber(out, lunarDay);
        } else {
            out += "\t\t\t";
        }
        for (const std::string* text : {&info.LunarMonthName, &info.LunarDayName, &info.YearGanZhi,
                                        &info.MonthGanZhi, &info.DayGanZhi, &info.Animal, &info.Constellation,
                                        &info.SolarTerm, &info.SolarFestival, &info.LunarFestival, &info.EraText})
            appendField(out, *text);
        out += '\n';
        if (out.size() > (1u << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);

    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        if (args.size() != 1)
            return fail("--help takes no arguments");
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return 0;
    }

    if (!args.empty() && args[0] == "--dump") {
        if (args.size() != 3)
            return fail("--dump needs two dates, FROM and TO");
        const auto from = parseDate(args[1]);
        if (!from)
            return fail("not a date from 0001-01-01 to 2100-12-31: " + std::string(args[1]));
        const auto to = parseDate(args[2]);
        if (!to)
            return fail("not a date from 0001-01-01 to 2100-12-31: " + std::string(args[2]));
        if (*to < *from)
            return fail("TO lies before FROM");
        dump(*from, *to);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }

    DateTime chosen = 0;
    switch (args.size()) {
    case 0: {
        chosen = currentDate();
        int year = 0, month = 0, day = 0;
        if (!decodeDate(chosen, year, month, day) || !inCalendarRange(year))
            return fail("today's date lies outside the years 1 to 2100");
        break;
    }
    case 1: {
        if (!args[0].empty() && args[0].front() == '-')
            return fail("unknown option: " + std::string(args[0]));
        const auto date = parseDate(args[0]);
        if (!date)
            return fail("not a date from 0001-01-01 to 2100-12-31: " + std::string(args[0]));
        chosen = *date;
        break;
    }
    case 2: {
        const auto year = parseNumber(args[0]);
        if (!year || !inCalendarRange(*year))
            return fail("not a year from 1 to 2100: " + std::string(args[0]));
        const auto month = parseNumber(args[1]);
        if (!month || *month < 1 || *month > 12)
            return fail("not a month from 1 to 12: " + std::string(args[1]));
        tryEncodeDate(*year, *month, 1, chosen);
        break;
    }
    default:
        return fail("too many arguments");
    }

    printMonth(chosen, isatty(STDOUT_FILENO) != 0);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
