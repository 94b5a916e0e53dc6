#include "engine/EraTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <set>
#include <string>
#include <vector>

using namespace tavemo::engine;

namespace {

int number(const std::string& f)
{
    int v = 0;
    const auto [end, err] = std::from_chars(f.data(), f.data() + f.size(), v);
    return err == std::errc{} && end == f.data() + f.size() ? v : 0;
}

int startYear(int rowNumber) // rowNumber counts from 1, as the table's users number rows
{
    return number(GetField(EraTable[rowNumber - 1], ',', 1));
}

} // namespace

TEST(EraTable, EveryRowHasSevenFieldsWithNumbersAndNames)
{
    ASSERT_EQ(EraTable.size(), 532u);
    for (int i = 0; i < kEraTableRows; ++i) {
        const std::string_view row = EraTable[i];
        SCOPED_TRACE("row " + std::to_string(i + 1) + ": " + std::string(row));
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), 6);
        const std::string start = GetField(row, ',', 1);
        const std::string length = GetField(row, ',', 2);
        EXPECT_TRUE(start == "0" || number(start) != 0);
        EXPECT_GE(number(length), 1);
        EXPECT_FALSE(GetField(row, ',', 4).empty()); // dynasty
        EXPECT_FALSE(GetField(row, ',', 7).empty()); // era
        EXPECT_FALSE(GetField(row, ',', 5).empty() && GetField(row, ',', 6).empty());
        EXPECT_EQ(row, std::string_view(GetField(row, ' ', 1))) << "no blanks inside a row";
    }
}

TEST(EraTable, RowsGivenInFullAreVerbatim)
{
    const std::vector<std::pair<int, std::string_view>> rows = {
        {1, "-2069,45,0,夏,禹,,禹"},
        {2, "-2024,10,0,夏,启,,启"},
        {139, "9,5,0,新,,王莽,始建国"},
        {250, "555,1,0,南朝/梁,贞阳侯,萧渊明,天成"},
        {251, "555,2,0,南朝/梁,敬帝,萧方智,绍泰"},
        {259, "587,3,0,南朝/陈,后主,陈叔宝,祯明"},
        {260, "555,8,0,南朝/后梁,宣帝,萧詧,大定"},
        {263, "386,11,0,北朝/北魏,道武帝,拓跋圭,登国"},
        {410, "905,3,1,唐,昭宣帝,李柷,天佑"}, // the emperor's name spelt right
        {414, "913,3,2,五代/梁,末帝,朱友贞,乾化"},
        {423, "942,2,6,五代/晋,出帝,石重贵,天福"},
        {431, "959,2,5,五代/周,恭帝,郭宗训,显德"},
        {489, "1271,24,7,元,世祖,孛儿只斤·忽必烈,至元"},
        {530, "1909,3,0,清,,爱新觉罗溥仪,宣统"},
        {531, "1912,37,0,近、现代,中华民国,,民国"}, // 民国 begins in 1912, as the lengths say
        {532, "1949,9999,1948,当代,中国,,公历"},
    };
    for (const auto& [n, text] : rows)
        EXPECT_EQ(EraTable[n - 1], text) << "row " << n;

    // Only the rows where an era carried over to a new ruler (后汉's founder kept counting 天福),
    // and the last row, have an offset.
    std::set<int> offsetRows;
    for (int n = 1; n <= kEraTableRows; ++n)
        if (GetField(EraTable[n - 1], ',', 3) != "0")
            offsetRows.insert(n);
    EXPECT_EQ(offsetRows, (std::set<int>{410, 414, 423, 431, 425, 489, 532}));
}

// Start years rise through each run of consecutive periods; the table steps back only where a
// parallel line begins: 后梁, the northern dynasties (北魏, 西魏, 北齐, 北周) and 元.
TEST(EraTable, StartYearsStepBackOnlyWhereAParallelLineBegins)
{
    std::set<int> descents;
    for (int n = 2; n <= kEraTableRows; ++n)
        if (startYear(n) < startYear(n - 1))
            descents.insert(n);
    EXPECT_EQ(descents, (std::set<int>{260, 263, 307, 310, 320, 489}));
    EXPECT_EQ(GetField(EraTable[259], ',', 4), "南朝/后梁");
    EXPECT_EQ(GetField(EraTable[306], ',', 4), "北朝/西魏");
    EXPECT_EQ(GetField(EraTable[309], ',', 4), "北朝/北齐");
    EXPECT_EQ(GetField(EraTable[319], ',', 4), "北朝/北周");

    // A period never runs past the start of the next row in its own line; only 普泰 (531-532)
    // overlaps its successor, the rival emperor's 中兴 (531-532).
    for (int n = 1; n < kEraTableRows; ++n) {
        if (descents.count(n + 1) || GetField(EraTable[n - 1], ',', 7) == "普泰")
            continue;
        const int lastYear = startYear(n) + number(GetField(EraTable[n - 1], ',', 2)) - 1;
        EXPECT_LE(lastYear, startYear(n + 1)) << EraTable[n - 1];
    }
}

TEST(EraTable, GetFieldSplitsAndTrims)
{
    struct Case {
        std::string_view text;
        char separator;
        int index;
        std::string_view expected;
    };
    const Case cases[] = {
        {"a,b,c", ',', 1, "a"},      {"a,b,c", ',', 3, "c"},         {" a , b ,c", ',', 2, "b"},
        {"a,,c", ',', 2, ""},        {"a,,c", ',', 3, "c"},          {"a,b", ',', 3, ""},
        {"a,b", ',', 0, ""},         {"a,b", ',', -1, ""},           {"", ',', 1, ""},
        {"\t x\r\n,y", ',', 1, "x"}, {"x;\x7f y \x01", ';', 2, "y"}, {"1,2,孛儿只斤·忽必烈", ',', 3, "孛儿只斤·忽必烈"},
        {"a b", ',', 1, "a b"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetField(c.text, c.separator, c.index), c.expected) << "'" << c.text << "' field " << c.index;
}

TEST(EraTable, EraTextOfNotableYears)
{
    const std::vector<std::pair<int, std::string_view>> years = {
        // Years before 1 as the engine numbers them: -1 is 1 BC, -2070 is 2070 BC.
        {-2070, "[夏]禹  禹元年"},
        {-2001, "[夏]太康  太康15年"},
        {-1600, "[商]成汤 子履 商汤元年"},
        {-1046, "[西周]武王 姬发 武王元年"},
        {-770, "[东周]平王 姬宜臼 平王元年"},
        {-221, "[秦]始皇帝 嬴政 始皇元年"},
        {-206, "[西汉]高祖 刘邦 高帝元年"},
        {-140, "[西汉]武帝 刘彻 建元元年"},
        {-2, "[西汉]哀帝 刘欣 元寿元年"},
        {-1, "[西汉]哀帝 刘欣 元寿2年"},
        {0, ""},
        {1, "[西汉]平帝 刘衎 元始元年"},
        {9, "[新] 王莽 始建国元年"},
        {25, "[东汉]光武帝 刘秀 建武元年"},
        {220, "[三国/魏]文帝 曹丕 黄初元年"},
        {265, "[西晋]武帝 司马炎 泰始元年"},
        // The era that ended the year names it.
        {290, "[西晋]惠帝 司马衷 永熙元年"},
        {291, "[西晋]惠帝 司马衷 元康元年"},
        {299, "[西晋]惠帝 司马衷 元康9年"},
        {300, "[西晋]惠帝 司马衷 永康元年"},
        {304, "[西晋]惠帝 司马衷 永兴元年"},
        {305, "[西晋]惠帝 司马衷 永兴2年"},
        {306, "[西晋]惠帝 司马衷 光熙元年"},
        {499, "[南朝/齐]东昏侯 萧宝卷 永元元年"},
        {500, "[南朝/齐]东昏侯 萧宝卷 永元2年"},
        {501, "[南朝/齐]和帝 萧宝融 中兴元年"},
        {557, "[南朝/陈]武帝 陈霸先 永定元年"},
        {559, "[南朝/陈]武帝 陈霸先 永定3年"},
        {560, "[南朝/陈]文帝 陈蒨 天嘉元年"},
        {317, "[东晋]元帝 司马睿 建武元年"},
        {420, "[南朝/宋]武帝 刘裕 永初元年"},
        {465, "[南朝/宋]明帝 刘彧 泰始元年"},
        {494, "[南朝/齐]明帝 萧鸾 建武元年"},
        {555, "[南朝/梁]敬帝 萧方智 绍泰元年"},
        {586, "[南朝/陈]后主 陈叔宝 至德4年"},
        {587, "[隋]文帝 杨坚 开皇7年"},
        {589, "[隋]文帝 杨坚 开皇9年"},
        {618, "[唐]高祖 李渊 武德元年"},
        {684, "[唐]睿宗 李旦 光宅元年"},
        {690, "[武周]则天皇帝 武曌 天授元年"},
        {705, "[唐]中宗 李显 神龙元年"},
        {755, "[唐]玄宗 李隆基 天宝14年"},
        {907, "[五代/梁]太祖 朱温 开平元年"},
        {947, "[五代/汉]高祖 刘知远 天福12年"}, // he kept counting 天福
        {948, "[五代/汉]隐帝 刘承祐 乾祐元年"},
        {960, "[北宋]太祖 赵匡胤 建隆元年"},
        {1127, "[南宋]高宗 赵构 建炎元年"},
        {1271, "[南宋]度宗 赵禥 咸淳7年"},
        {1276, "[南宋]端宗 赵昰 景炎元年"},
        {1368, "[明]太祖 朱元璋 洪武元年"},
        {1644, "[清]世祖 爱新觉罗福临 顺治元年"},
        {1661, "[清]世祖 爱新觉罗福临 顺治18年"},
        {1662, "[清]圣祖 爱新觉罗玄烨 康熙元年"},
        {1910, "[清] 爱新觉罗溥仪 宣统2年"},
        {1911, "[清] 爱新觉罗溥仪 宣统3年"},
        {1912, "[近、现代]中华民国  民国元年"},
        {1948, "[近、现代]中华民国  民国37年"},
    };
    for (const auto& [year, text] : years)
        EXPECT_EQ(GetEraText(year), text) << year;
}

// An era that carried over to a new ruler keeps counting its own years in the new row.
TEST(EraTable, CarriedOverErasCountTheirOwnYears)
{
    const std::vector<std::pair<int, std::string_view>> years = {
        {905, "[唐]昭宣帝 李柷 天佑2年"},
        {913, "[五代/梁]末帝 朱友贞 乾化3年"},
        {914, "[五代/梁]末帝 朱友贞 乾化4年"},
        {915, "[五代/梁]末帝 朱友贞 贞明元年"},
        {942, "[五代/晋]出帝 石重贵 天福7年"},
        {959, "[五代/周]恭帝 郭宗训 显德6年"},
        {1278, "[元]世祖 孛儿只斤·忽必烈 至元15年"},
        {1279, "[元]世祖 孛儿只斤·忽必烈 至元16年"},
        {1294, "[元]世祖 孛儿只斤·忽必烈 至元31年"},
        {1295, "[元]成宗 孛儿只斤·铁穆耳 元贞元年"},
    };
    for (const auto& [year, text] : years)
        EXPECT_EQ(GetEraText(year), text) << year;
}

TEST(EraTable, NoTextOutsideTheTable)
{
    for (int year : {INT_MIN, -100000, -2072, -2071, 0, 1949, 1950, 2024, 2100, INT_MAX})
        EXPECT_EQ(GetEraText(year), "") << year;
}

// The lookup answers from a per-year index; here the table is walked row by row, reading every
// field afresh, for each year the calendar or a caller can ask, and the texts must agree.
TEST(EraTable, LookupEqualsThePlainWalkForEveryYear)
{
    std::set<int> selected;
    for (int year = -2100; year <= 2000; ++year) {
        std::string expected;
        const int tableYear = year < 0 ? year + 1 : year; // the rows count 1 BC as 0
        if (year >= -2070 && year <= 1948 && year != 0) {
            for (int i = 0; i + 1 < kEraTableRows; ++i) {
                const int s = number(GetField(EraTable[i], ',', 1));
                const int n = number(GetField(EraTable[i + 1], ',', 1));
                if (s <= tableYear && tableYear < n) {
                    const std::string_view r = EraTable[i];
                    const int eraYear = tableYear - s + 1 + number(GetField(r, ',', 3));
                    expected = "[" + GetField(r, ',', 4) + "]" + GetField(r, ',', 5) + " " + GetField(r, ',', 6) + " " +
                               GetField(r, ',', 7) + (eraYear == 1 ? std::string("元") : std::to_string(eraYear)) +
                               "年";
                    selected.insert(i);
                    break;
                }
            }
            ASSERT_FALSE(expected.empty()) << year;
        }
        ASSERT_EQ(GetEraText(year), expected) << year;
    }
    // The parallel lines, most of the northern dynasties, are never reached, nor are 太熙 (290)
    // and 永安 (304), which their years' later eras replace, nor the last row.
    EXPECT_EQ(kEraTableRows - static_cast<int>(selected.size()), 94 + 2 + 1);
}
