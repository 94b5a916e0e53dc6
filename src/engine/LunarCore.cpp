#include "LunarCore.h"

namespace tavemo::engine {

const std::string_view LeapMonthTable = "";

int GetCalendarType(int, int, int) { return 2; }
bool isDroppedDay(int, int, int) { return false; }
bool IsHistoricLeapYear(int) { return false; }
int GetMonthDays(int, int) { return 0; }
int GetDayOfYear(int, int, int) { return 0; }
int GetDayNumber(int, int, int) { return 0; }
bool DayNumberToDate(int, int&, int&, int&) { return false; }
int CompareDates(int, int, int, int, int, int) { return 0; }
int GetLeapMonth(int) { return -1; }
int GetLeapMonthClamped(int) { return 0; }
int GetLeapMonthCount(int) { return 0; }
int GetLunarDay(int, int, int) { return -1; }
int GetLunarMonth(int, int, int) { return 1; }
bool GetLunarMonthDay(int, int, int, bool&, int&, int&) { return false; }
bool GetLunarDate(int, int, int, bool&, int&, int&, int&) { return false; }
bool LunarToSolar(int, int, int, bool, int&, int&, int&) { return false; }
int CompareLunarDates(int, int, int, bool, int, int, int, bool) { return 0; }
std::string_view GetLunarMonthName(int, bool) { return {}; }
std::string_view GetLunarDayName(int) { return {}; }
std::string_view GetGanZhiName(int) { return {}; }
std::string_view GetZodiacName(int) { return {}; }
std::string_view GetConstellationName(int) { return {}; }
std::string_view GetSolarTermName(int) { return {}; }
int CombineGanZhi(int, int) { return -1; }
bool SplitGanZhi(int, int&, int&) { return false; }
int GetYearGanZhi(int) { return 0; }
int GetZodiac(int) { return 0; }
int GetSolarYearGanZhi(int, int, int) { return 0; }
void GetSolarMonth(int, int, int, int&, int&) {}
int GetMonthGanZhi(int, int, int) { return 0; }
int GetDayGanZhi(int, int, int) { return 0; }
int GetConstellation(int, int) { return 0; }
long double GetSolarTermDay(int, int) { return 0; }
bool GetSolarTermDate(int, int, int&, int&, int&, int&) { return false; }
std::string_view GetSolarTermOfDate(DateTime) { return {}; }
std::array<int, kNewMoonCount> NewMoonDayNumbers(int) { return {}; }

namespace direct {
std::array<int, kNewMoonCount> NewMoonDayNumbers(int) { return {}; }
long double GetSolarTermDay(int, int) { return 0; }
int GetLunarDay(int, int, int) { return -1; }
bool GetLunarDate(int, int, int, bool&, int&, int&, int&) { return false; }
bool LunarToSolar(int, int, int, bool, int&, int&, int&) { return false; }
} // namespace direct

} // namespace tavemo::engine
