// Packs the lunar months as they were issued (data/historical-lunar-months.tsv) into the table
// the engine compiles in (src/engine/tables/HistoricalMonths.inc).
//
//   generate-historical-months TSV OUT.inc
//
// The TSV has one header line and one line per month: first_day_jdn, first_day, lunar_year
// (astronomical: 0 is the lunar year that began in 1 BC), month (negative for a leap month) and
// days. Each lunar year becomes one word: the month lengths in order, the leap month, and a
// regular month the year lacks (237 went from the second month straight to the fourth; 8 ended
// after its eleventh). The few months of other lengths than 29 and 30 are listed apart. The
// output is checked by unpacking it again against every line before it is written.
//
// Exit status: 0 written, 1 the input cannot be read or the output written, 2 the input does not
// have the expected shape (the message names the line).

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Month {
    long firstDayJdn = 0;
    int lunarYear = 0;
    int number = 0; // negative: leap
    int days = 0;
    int line = 0;
};

struct OddLength {
    int lunarYear, position, days;
};

constexpr long kJdnOfDayNumberZero = 1721425; // day number 1 = proleptic Gregorian 0001-01-01

[[noreturn]] void fail(int status, const std::string& message)
{
    std::cerr << "generate-historical-months: " << message << '\n';
    std::exit(status);
}

std::vector<Month> readMonths(const char* path)
{
    std::ifstream in(path);
    if (!in)
        fail(1, std::string("cannot read ") + path);
    std::vector<Month> months;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (lineNumber == 1)
            continue; // header
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::istringstream fields(line);
        Month m;
        std::string firstDay;
        if (!(fields >> m.firstDayJdn >> firstDay >> m.lunarYear >> m.number >> m.days))
            fail(2, "line " + std::to_string(lineNumber) + ": five fields expected");
        m.line = lineNumber;
        months.push_back(m);
    }
    if (months.empty())
        fail(2, "no months");
    return months;
}

// The months a year has, in order, from its leap month and the regular month it lacks.
std::vector<int> sequence(int leap, int missing)
{
    std::vector<int> numbers;
    for (int m = 1; m <= 12; ++m) {
        if (m != missing)
            numbers.push_back(m);
        if (m == leap)
            numbers.push_back(-m);
    }
    return numbers;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        fail(2, "usage: generate-historical-months TSV OUT.inc");
    const std::vector<Month> months = readMonths(argv[1]);

    const int firstYear = months.front().lunarYear;
    const int lastYear = months.back().lunarYear;
    std::vector<std::vector<Month>> years(static_cast<size_t>(lastYear - firstYear + 1));
    for (size_t i = 0; i < months.size(); ++i) {
        const Month& m = months[i];
        if (i > 0 && months[i - 1].firstDayJdn + months[i - 1].days != m.firstDayJdn)
            fail(2, "line " + std::to_string(m.line) + ": does not begin where the month before ends");
        if (m.lunarYear < firstYear || m.lunarYear > lastYear || (i > 0 && m.lunarYear < months[i - 1].lunarYear))
            fail(2, "line " + std::to_string(m.line) + ": lunar years out of order");
        if (m.days < 28 || m.days > 30 || m.number == 0 || m.number < -12 || m.number > 12)
            fail(2, "line " + std::to_string(m.line) + ": month or length out of range");
        years[static_cast<size_t>(m.lunarYear - firstYear)].push_back(m);
    }

    std::vector<std::uint32_t> words;
    std::vector<OddLength> odd;
    for (size_t y = 0; y < years.size(); ++y) {
        const std::vector<Month>& list = years[y];
        const int lunarYear = firstYear + static_cast<int>(y);
        if (list.empty() || list.size() > 13 || list.front().number != 1)
            fail(2, "lunar year " + std::to_string(lunarYear) + ": must begin with 正月 and have at most 13 months");
        int leap = 0;
        std::vector<bool> present(13, false);
        for (const Month& m : list) {
            if (m.number < 0) {
                if (leap != 0)
                    fail(2, "line " + std::to_string(m.line) + ": a second leap month");
                leap = -m.number;
            } else {
                present[static_cast<size_t>(m.number)] = true;
            }
        }
        int missing = 0;
        for (int n = 1; n <= 12; ++n) {
            if (!present[static_cast<size_t>(n)]) {
                if (missing != 0)
                    fail(2, "lunar year " + std::to_string(lunarYear) + ": more than one month missing");
                missing = n;
            }
        }
        const std::vector<int> expected = sequence(leap, missing);
        if (expected.size() != list.size())
            fail(2, "lunar year " + std::to_string(lunarYear) + ": months out of order");
        std::uint32_t word = static_cast<std::uint32_t>(leap) << 13 | static_cast<std::uint32_t>(missing) << 17;
        for (size_t p = 0; p < list.size(); ++p) {
            if (list[p].number != expected[p])
                fail(2, "line " + std::to_string(list[p].line) + ": months out of order");
            if (list[p].days == 30)
                word |= 1u << p;
            else if (list[p].days != 29)
                odd.push_back({lunarYear, static_cast<int>(p), list[p].days});
        }
        words.push_back(word);
    }

    // Unpack what is about to be written and compare it with every month read.
    long jdn = months.front().firstDayJdn;
    size_t next = 0;
    for (size_t y = 0; y < words.size(); ++y) {
        const int lunarYear = firstYear + static_cast<int>(y);
        const std::vector<int> numbers =
            sequence(static_cast<int>(words[y] >> 13 & 15), static_cast<int>(words[y] >> 17 & 15));
        for (size_t p = 0; p < numbers.size(); ++p, ++next) {
            int days = words[y] >> p & 1 ? 30 : 29;
            for (const OddLength& o : odd)
                if (o.lunarYear == lunarYear && o.position == static_cast<int>(p))
                    days = o.days;
            const Month& m = months.at(next);
            if (m.firstDayJdn != jdn || m.lunarYear != lunarYear || m.number != numbers[p] || m.days != days)
                fail(2, "line " + std::to_string(m.line) + ": the packed table does not give it back");
            jdn += days;
        }
    }
    if (next != months.size())
        fail(2, "the packed table does not give every month back");

    std::ostringstream out;
    out << "// Generated by generate-historical-months from data/historical-lunar-months.tsv: do not edit.\n"
           "// The lunar months as they were issued, lunar years "
        << firstYear << " .. " << lastYear
        << " (astronomical numbering:\n"
           "// 0 is the lunar year that began in 1 BC), one word per year:\n"
           "//   bits 0-12   the lengths of its months in order, 1 = 30 days, 0 = 29 days\n"
           "//   bits 13-16  its leap month, which follows the regular month of that number (0: none)\n"
           "//   bits 17-20  a regular month the year does not have (0: none)\n"
           "// Each year begins where the one before ends; the first begins on day number "
        << (months.front().firstDayJdn - kJdnOfDayNumberZero) << ".\n\n"
        << "inline constexpr int kHistoricalFirstLunarYear = " << firstYear << ";\n"
        << "inline constexpr int kHistoricalLastLunarYear = " << lastYear << ";\n"
        << "inline constexpr int kHistoricalFirstDayNumber = " << (months.front().firstDayJdn - kJdnOfDayNumberZero)
        << ";\n\n"
        << "inline constexpr std::uint32_t kHistoricalYears[" << words.size() << "] = {\n";
    for (size_t i = 0; i < words.size(); ++i) {
        if (i % 8 == 0)
            out << "   ";
        char hex[16];
        std::snprintf(hex, sizeof hex, " 0x%06x,", static_cast<unsigned>(words[i]));
        out << hex;
        if (i % 8 == 7 || i + 1 == words.size())
            out << '\n';
    }
    out << "};\n\n"
           "// Months of another length than 29 or 30 days: lunar year, position in the year (from 0), days.\n"
           "inline constexpr HistoricalOddMonth kHistoricalOddMonths["
        << odd.size() << "] = {\n";
    for (const OddLength& o : odd)
        out << "    {" << o.lunarYear << ", " << o.position << ", " << o.days << "},\n";
    out << "};\n";

    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << out.str();
    file.close();
    if (!file)
        fail(1, std::string("cannot write ") + argv[2]);
    return 0;
}
