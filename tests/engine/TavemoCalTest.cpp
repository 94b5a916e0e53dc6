// Runs the built tavemo-cal and checks what it prints.

#include "TavemoVersion.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/DateTime.h"

namespace {

struct CalRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Arguments are quoted for the shell; none of ours holds a single quote.
CalRun runCal(const std::vector<std::string>& args)
{
    // ctest runs the cases of this file in parallel processes: one pair of files per process.
    const std::string stem = ::testing::TempDir() + "tavemo-cal-" + std::to_string(getpid());
    const std::string outPath = stem + ".out";
    const std::string errPath = stem + ".err";
    std::string command = std::string("'") + TAVEMO_CAL_PATH + "'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " >'" + outPath + "' 2>'" + errPath + "' </dev/null";
    const int raw = std::system(command.c_str());
    CalRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

TEST(TavemoCal, PrintsTheMonthWithDoubleWidthTextsAligned)
{
    const CalRun run = runCal({"2024", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Every cell is six columns wide; a Han character takes two.
    EXPECT_EQ(run.out, "                   2024年2月\n"
                       "  日     一     二     三     四     五     六\n"
                       "                               1      2      3\n"
                       "                             廿二   廿三   廿四\n"
                       "   4      5      6      7      8      9     10\n"
                       " 立春   廿六   廿七   廿八   廿九   除夕   春节\n"
                       "  11     12     13     14     15     16     17\n"
                       " 初二   初三   初四  情人节  初六   初七   初八\n"
                       "  18     19     20     21     22     23     24\n"
                       " 初九   雨水   十一   十二   十三   十四  元宵节\n"
                       "  25     26     27     28     29\n"
                       " 十六   十七   十八   十九   二十\n"
                       "\n"
                       "2024-02-01 农历腊月廿二\n"
                       "癸卯年 兔年 宝瓶座\n");
}

TEST(TavemoCal, ChosenDateLinesUseTheEraBefore1949)
{
    const CalRun early = runCal({"1644-01-01"});
    ASSERT_EQ(early.status, 0) << early.err;
    const auto earlyLines = lines(early.out);
    ASSERT_GE(earlyLines.size(), 2u);
    EXPECT_EQ(earlyLines[0], "                   1644年1月");
    EXPECT_EQ(earlyLines[earlyLines.size() - 2], "[清]世祖 爱新觉罗福临 顺治元年 农历冬月廿二");
    EXPECT_EQ(earlyLines.back(), "癸未年 羊年 摩羯座");

    const CalRun modern = runCal({"2025-07-25"});
    ASSERT_EQ(modern.status, 0) << modern.err;
    EXPECT_EQ(lines(modern.out)[lines(modern.out).size() - 2], "2025-07-25 农历闰六初一");
}

// Months before 1582-10-15 are Julian months: their weekdays, every fourth year's 29 February,
// and October 1582 going from Thursday the 4th to Friday the 15th.
TEST(TavemoCal, LaysOutJulianMonthsAndTheChangeOf1582)
{
    const CalRun changeover = runCal({"1582", "10"});
    ASSERT_EQ(changeover.status, 0) << changeover.err;
    EXPECT_EQ(changeover.out, "                   1582年10月\n"
                              "  日     一     二     三     四     五     六\n"
                              "          1      2      3      4     15     16\n"
                              "        十五   十六   十七   十八   十九   二十\n"
                              "  17     18     19     20     21     22     23\n"
                              " 廿一   廿二   廿三   廿四   廿五   廿六   廿七\n"
                              "  24     25     26     27     28     29     30\n"
                              " 霜降   廿九   十月   初二   初三   初四   初五\n"
                              "  31\n"
                              "万圣节\n"
                              "\n"
                              "[明]神宗 朱翊钧 万历10年 农历九月十五\n"
                              "壬午年 马年 天秤座\n");

    const auto january1000 = lines(runCal({"1000", "1"}).out);
    ASSERT_GE(january1000.size(), 3u);
    EXPECT_EQ(january1000[2], "          1      2      3      4      5      6"); // 1 January 1000 was a Monday
    for (const char* month : {"1500 2", "1100 2"}) {
        const std::string text(month);
        const auto february = lines(runCal({text.substr(0, 4), "2"}).out);
        ASSERT_GE(february.size(), 12u) << month;
        EXPECT_NE(february[10].find("29"), std::string::npos) << month; // the fifth week ends on the 29th
        EXPECT_EQ(february[10].substr(february[10].size() - 2), "29") << month;
    }
}

TEST(TavemoCal, DefaultsToTodaysMonth)
{
    const tavemo::engine::DateTime today = tavemo::engine::currentDate();
    int year = 0, month = 0, day = 0;
    ASSERT_TRUE(tavemo::engine::decodeDate(today, year, month, day));
    const CalRun run = runCal({});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto printed = lines(run.out);
    ASSERT_FALSE(printed.empty());
    EXPECT_NE(printed[0].find(std::to_string(year) + "年" + std::to_string(month) + "月"), std::string::npos);
    if (year >= 1949) {
        EXPECT_EQ(printed[printed.size() - 2].rfind(tavemo::engine::formatIsoDate(today) + " 农历", 0), 0u);
    }
}

TEST(TavemoCal, DumpsOneTabSeparatedLinePerDay)
{
    const CalRun run = runCal({"--dump", "2024-02-09", "2024-02-10"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "date\tLunarYear\tLunarMonth\tLunarDay\tLunarMonthName\tLunarDayName\tYearGanZhi\tMonthGanZhi\t"
                       "DayGanZhi\tAnimal\tConstellation\tSolarTerm\tSolarFestival\tLunarFestival\tEraText\n"
                       "2024-02-09\t2023\t12\t30\t腊月\t三十\t甲辰\t丙寅\t癸卯\t兔\t宝瓶\t\t\t除夕\t\n"
                       "2024-02-10\t2024\t1\t1\t正月\t初一\t甲辰\t丙寅\t甲辰\t龙\t宝瓶\t\t\t春节\t\n");
    // FROM is the option's value, so it may also be joined to it.
    EXPECT_EQ(runCal({"--dump=2024-02-09", "2024-02-10"}).out, run.out);

    // A leap month is negative; terms, festivals and eras fill their own columns.
    const auto leap = lines(runCal({"--dump", "2025-07-25", "2025-07-25"}).out);
    ASSERT_EQ(leap.size(), 2u);
    EXPECT_EQ(leap[1], "2025-07-25\t2025\t-6\t1\t闰六\t初一\t乙巳\t癸未\t乙未\t蛇\t狮子\t\t\t\t");
    const auto term = lines(runCal({"--dump", "1948-10-01", "1948-10-01"}).out);
    ASSERT_EQ(term.size(), 2u);
    EXPECT_EQ(term[1].substr(0, 11), "1948-10-01\t");
    EXPECT_EQ(term[1].find("\t国庆节\t"), std::string::npos); // first kept in 1949
    EXPECT_NE(term[1].find("\t[近、现代]中华民国  民国37年"), std::string::npos);
    const auto festival = lines(runCal({"--dump", "1949-10-01", "1949-10-01"}).out);
    ASSERT_EQ(festival.size(), 2u);
    EXPECT_NE(festival[1].find("\t国庆节\t"), std::string::npos);

    // Around the 1582 change: the day after the 4th is the 15th.
    const auto change = lines(runCal({"--dump", "1582-10-04", "1582-10-15"}).out);
    ASSERT_EQ(change.size(), 3u);
    EXPECT_EQ(change[1].find("1582-10-04\t1582\t9\t18\t九月\t十八\t"), 0u);
    EXPECT_EQ(change[2].find("1582-10-15\t1582\t9\t19\t九月\t十九\t"), 0u);
    // Julian leap days are days of their own.
    const auto leapDay = lines(runCal({"--dump", "1500-02-28", "1500-03-01"}).out);
    ASSERT_EQ(leapDay.size(), 4u);
    EXPECT_EQ(leapDay[2].substr(0, 11), "1500-02-29\t");

    // Both ends of the range.
    const auto ends = lines(runCal({"--dump", "0001-01-01", "0001-01-01"}).out);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[1].find("0001-01-01\t"), 0u);
    EXPECT_EQ(lines(runCal({"--dump", "2100-12-31", "2100-12-31"}).out).size(), 2u);
}

TEST(TavemoCal, RejectsBadArgumentsWithStatusTwo)
{
    // Each case with the phrase of its message that names what is wrong.
    const struct {
        std::vector<std::string> args;
        std::string phrase;
    } cases[] = {
        {{"2024"}, "不是 0001-01-01 至 2100-12-31 之间的日期：2024"},
        {{"2024", "13"}, "不是 1 至 12 之间的月份：13"},
        {{"2024", "0"}, "月份"},
        {{"2101", "1"}, "不是 1 至 2100 之间的年份：2101"},
        {{"0", "1"}, "年份"},
        {{"-5", "1"}, "年份"},
        {{"2024x", "1"}, "年份"},
        {{"2024-02-30"}, "日期：2024-02-30"},
        {{"2024-2-3"}, "日期"},
        {{"2101-01-01"}, "日期"},
        {{"0000-12-31"}, "日期"},
        {{"--bogus"}, "未知选项“--bogus”"},
        {{"--bogus=1"}, "未知选项“--bogus”"},
        {{"20240210"}, "日期：20240210"}, // the compact form is the note tools' alone
        // The ten days of 1582 that never were: refused as dates, saying why.
        {{"1582-10-05"}, "这十天在历史上不存在（儒略历 1582-10-04 的次日即格里历 1582-10-15）：1582-10-05"},
        {{"1582-10-14"}, "不存在"},
        {{"--dump", "1582-10-01", "1582-10-10"}, "不存在"},
        {{"--dump", "1582-10-12", "1582-10-20"}, "不存在"},
        {{"1700-02-29"}, "日期：1700-02-29"},
        {{"1", "2", "3"}, "参数过多"},
        {{"--dump"}, "--dump 后面缺少取值"},
        {{"--dump="}, "--dump 的取值不能为空"},
        {{"--dump=2024-01-01"}, "--dump 需要"},
        {{"--dump", "2024-01-01", "2024-01-02", "--dump", "2024-01-03"}, "--dump 只能给出一次"},
        {{"--dump", "2024-01-01"}, "--dump 需要"},
        {{"--dump", "2024-02-01", "2024-01-31"}, "早于"},
        {{"--dump", "2100-12-31", "2101-01-01"}, "日期：2101-01-01"},
        {{"--dump", "2024-01-01", "2024-01-02", "x"}, "--dump 需要"},
        {{"--help", "x"}, "--help"},
        {{"--version", "2024"}, "--version"},
        // An echoed argument never breaks the one-line message nor reaches the terminal raw.
        {{"20\n24", "1"}, "年份：20?24"},
        {{"2024", "\x1b[2J"}, "月份：?[2J"},
    };
    for (const auto& [args, phrase] : cases) {
        std::string shown;
        for (const auto& arg : args)
            shown += arg + ' ';
        const CalRun run = runCal(args);
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_EQ(run.out, "") << shown;
        EXPECT_EQ(lines(run.err).size(), 1u) << shown << run.err;
        EXPECT_EQ(run.err.rfind("tavemo-cal: ", 0), 0u) << shown;
        EXPECT_NE(run.err.find(phrase), std::string::npos) << shown << run.err;
    }
}

TEST(TavemoCal, HelpExplainsTheUsage)
{
    const CalRun run = runCal({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("用法：tavemo-cal", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("--dump FROM TO"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST(TavemoCal, VersionIsTheProjects)
{
    const CalRun run = runCal({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("tavemo-cal ") + tavemo::kVersion + "\n");
    EXPECT_EQ(run.err, "");
}

TEST(TavemoCal, OutputThatCannotBeWrittenFailsWithStatusOne)
{
    const std::string command =
        std::string("'") + TAVEMO_CAL_PATH + "' --dump 2024-01-01 2024-01-31 >/dev/full 2>/dev/null";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
}

} // namespace
