#pragma once
// The calendar's look in one table: its options, fonts and colours, each default written here and
// nowhere else. A new TChnCalendar starts with CalendarLook{}; the month fill colours its day
// records with the table's DayColors; the main window's calendar and the pictures of the month
// drawn off screen take windowCalendarLook(), so that both match.

#include "drawing/Drawing.h"
#include "drawing/FontSetup.h"

#include <QFont>

namespace tavemo::calendar_view {

using drawing::TColor;

class TChnCalendar;

// A font together with its colour (the colour is kept for callers; the calendar draws day cells in
// the colours of their records).
struct TFont {
    QFont font;
    TColor color = 0;
};

// The system colour "window text" (the platform's system colour index 8 with the flag byte set).
inline constexpr TColor kWindowTextColor = -16777208;

// A font of the look: the font substitutions are in place first, whoever built the calendar.
TFont lookFont(const drawing::FontSpec& spec, TColor color);

// The colours the month fill gives the day records.
struct DayColors {
    TColor date = 0x004F4F4F;        // day numbers on weekdays (weekends are always red)
    TColor cnDate = 0x00008000;      // the lunar day
    TColor holiday = 0x000080FF;     // a Gregorian festival
    TColor lunarHolDay = 0x00FF5353; // a solar term
    TColor cnHolDay = 0x000080FF;    // a lunar festival or 除夕
};

struct CalendarLook {
    // Options.
    bool showWeekNum = false;
    bool showFrame = true;
    bool showBackYearMonth = true;
    bool showWeekNumLine = true;
    bool hideSelection = false;
    // The background picture: centred, stretched to the face, and its weight in per cent.
    bool center = false;
    bool stretch = false;
    int alphaBlend = 50;

    // Fonts of the day number and of the lunar line.
    TFont fontDate = lookFont({QStringLiteral("黑体"), 12, true}, kWindowTextColor);
    TFont fontCnDate = lookFont({drawing::kSongFamily, 12}, 0x00EEEEEE);

    // The grid: the weekday header, the selection gradient and frame, week numbers, the frame and
    // the watermark of year and month behind the days.
    TColor colorTitleWeekLine = 0x00C5C5C5;
    TColor colorTitleWeekEnd = 0x000000FF;
    TColor colorTitleWeek = 0x004F4F4F;
    TColor colorSelectedStart = 0x0053AE00;
    TColor colorSelectedEnd = 0x0065D500;
    TColor colorSelectedFrame = 0x00469300;
    TColor colorWeekNum = 0x00808080;
    TColor colorShowFrame = 0x00808080;
    TColor colorBackYear = 0x00DDE8FF;
    TColor colorBackMonth = 0x00EBEBEB;
    DayColors days;

    // The title strip: the today link, the month and year numbers, the summary line, and the
    // information cells of constellation and animal.
    TColor colorTitleToday = 0x00FF0000;
    TColor colorTitleMonth = 0x00C08080;
    TColor colorTitleYear = 0x00FF0000;
    TColor colorTitleSelected = 0x00808080;
    TColor colorTitleConstellation = 0x00000000;
    TColor colorTitleAnimalsYear = 0x00000000;
};

// The look of the main window's calendar: the control's own, with the background picture stretched.
CalendarLook windowCalendarLook();

// Gives `calendar` every option, font and colour of `look`.
void applyCalendarLook(TChnCalendar& calendar, const CalendarLook& look);

// applyCalendarLook with windowCalendarLook(): how the window and the month pictures set up theirs.
void setUpCalendarLook(TChnCalendar& calendar);

} // namespace tavemo::calendar_view
