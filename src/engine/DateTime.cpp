#include "DateTime.h"

namespace tavemo::engine {

bool isGregorianLeapYear(int) { return false; }
int daysInMonth(int, int) { return 0; }
bool isValidDate(int, int, int) { return false; }
bool tryEncodeDate(int, int, int, DateTime&) { return false; }
bool tryEncodeTime(int, int, int, int, double&) { return false; }
bool decodeDate(DateTime, int&, int&, int&) { return false; }
bool decodeTime(DateTime, int&, int&, int&, int&) { return false; }
int dayOfWeek(DateTime) { return 0; }
int isoWeekNumber(DateTime, int*) { return 0; }
std::string formatIsoDate(DateTime) { return {}; }
DateTime currentDateTime() { return 0; }
DateTime currentDate() { return 0; }

} // namespace tavemo::engine
