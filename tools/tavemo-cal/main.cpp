// tavemo-cal: the Chinese calendar on the terminal.
//
//   tavemo-cal                     this month, today chosen
//   tavemo-cal YEAR MONTH          that month, its first day chosen
//   tavemo-cal YYYY-MM-DD          the month of that day, the day chosen
//   tavemo-cal --dump FROM TO      one tab-separated line of calendar data per day
//
// The month grid runs from Sunday, each day with the same second line the calendar window
// shows (dayText); under it the chosen day's lunar date, sexagenary year, animal and constellation.

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Arguments.h"
#include "Cli.h"
#include "TextWidth.h"
#include "engine/CalendarRange.h"
#include "engine/ChnCalendarUse.h"
#include "engine/DateTime.h"

namespace {

using namespace tavemo::engine;
using tavemo::cal::Arguments;
using tavemo::cal::centred;
using tavemo::cal::parseArguments;

constexpr int kCellWidth = 6; // widest second line: three Han characters

constexpr std::string_view kUsage =
    "用法：tavemo-cal [YEAR MONTH | YYYY-MM-DD]\n"
    "      tavemo-cal --dump FROM TO\n"
    "\n"
    "在终端上显示一个月的中国日历（每周从星期日开始），每天注明农历日期、\n"
    "农历月份、节气或节日；月历下方是所选日期的农历日期、干支纪年、生肖和星座。\n"
    "不带参数时显示本月并选中今天；YEAR MONTH 显示该年该月并选中当月一日；\n"
    "YYYY-MM-DD 显示该日所在的月份并选中该日。年份范围为 1 至 2100 年；\n"
    "1582-10-15 以前的日期为儒略历日期，1582-10-05 至 1582-10-14 这十天不存在。\n"
    "\n"
    "--dump FROM TO   逐日输出从 FROM 到 TO（YYYY-MM-DD 格式，0001-01-01 至 2100-12-31）\n"
    "                 的日历数据：第一行为表头，之后每天一行，各列以制表符分隔；\n"
    "                 也可以写成 --dump=FROM TO。\n"
    "--help, -h       显示本帮助。\n"
    "--version        显示版本号。\n"
    "\n"
    "退出状态：0 成功；1 输出失败；2 参数有误。\n";

constexpr std::string_view kDumpHeader =
    "date\tLunarYear\tLunarMonth\tLunarDay\tLunarMonthName\tLunarDayName\tYearGanZhi\tMonthGanZhi\t"
    "DayGanZhi\tAnimal\tConstellation\tSolarTerm\tSolarFestival\tLunarFestival\tEraText\n";

const tavemo::cli::Tool kTool{"tavemo-cal", kUsage};

[[nodiscard]] int fail(const std::string& message)
{
    return kTool.complain(tavemo::cli::kBadInput, kTool.usageError(message));
}

// Everything printed has reached stdout; a full disk or a closed pipe is reported, not hidden.
[[nodiscard]] int finish() { return kTool.finish(); }

void trimRight(std::string& line) { line.erase(line.find_last_not_of(' ') + 1); }

void printMonth(DateTime chosen, bool highlight)
{
    int year = 0, month = 0, chosenDay = 0;
    decodeDate(chosen, year, month, chosenDay);
    MonthLayout layout;
    monthLayout(year, month, layout);

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
    const int cells = layout.leadingCells + layout.dayCount;
    for (int cell = 0; cell < cells; ++cell) {
        const int column = cell % 7;
        if (column != 0) {
            numbers += ' ';
            texts += ' ';
        }
        if (cell < layout.leadingCells) {
            numbers.append(kCellWidth, ' ');
            texts.append(kCellWidth, ' ');
        } else {
            const DateTime date = layout.first + (cell - layout.leadingCells);
            int y = 0, m = 0, day = 0;
            decodeDate(date, y, m, day);
            info.SetDate(date);
            std::string number = std::to_string(day);
            if (day < 10)
                number.insert(0, 1, ' '); // one- and two-digit days end in the same column
            number = centred(number, kCellWidth);
            if (highlight && day == chosenDay) { // reverse video on the digits only
                const auto digits = number.find_first_not_of(' ');
                const auto end = number.find_last_not_of(' ') + 1;
                number = number.substr(0, digits) + "\x1b[7m" + number.substr(digits, end - digits) + "\x1b[0m" +
                         number.substr(end);
            }
            numbers += number;
            texts += centred(dayText(info), kCellWidth);
        }
        if (column == 6 || cell == cells - 1) {
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
    out += info.EraText.empty() ? formatIsoDate(chosen) : info.EraText; // no era from 1949 on
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
        for (const std::string* text : {&info.LunarMonthName, &info.LunarDayName, &info.YearGanZhi, &info.MonthGanZhi,
                                        &info.DayGanZhi, &info.Animal, &info.Constellation, &info.SolarTerm,
                                        &info.SolarFestival, &info.LunarFestival, &info.EraText})
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
    const std::vector<std::string_view> args = tavemo::cli::argumentsOf(argc, argv);
    if (const std::optional<int> answered = kTool.preamble(args))
        return *answered;
    const Arguments parsed = parseArguments(args);
    if (!parsed.error.empty())
        return fail(parsed.error);

    switch (parsed.mode) {
    case Arguments::Mode::Dump:
        dump(parsed.from, parsed.to);
        return finish();
    case Arguments::Mode::Today: {
        const DateTime today = currentDate();
        int year = 0, month = 0, day = 0;
        if (!decodeDate(today, year, month, day) || !tavemo::engine::isCalendarYear(year))
            return fail("今天的日期不在 1 至 2100 年之间");
        printMonth(today, isatty(STDOUT_FILENO) != 0);
        return finish();
    }
    case Arguments::Mode::Month:
        printMonth(parsed.chosen, isatty(STDOUT_FILENO) != 0);
        return finish();
    }
    return tavemo::cli::kFailed;
}
