#include "calendar_view/CalendarLook.h"

#include "calendar_view/ChnCalendarPicker.h"

namespace tavemo::calendar_view {

TFont lookFont(const drawing::FontSpec& spec, TColor color)
{
    drawing::installFontSubstitutions();
    return {drawing::makeFont(spec), color};
}

CalendarLook windowCalendarLook()
{
    CalendarLook look;
    look.stretch = true;
    return look;
}

void applyCalendarLook(TChnCalendar& calendar, const CalendarLook& look)
{
    TChnCalendar* c = &calendar;
    c->setShowWeekNum(look.showWeekNum);
    c->setShowFrame(look.showFrame);
    c->setShowBackYearMonth(look.showBackYearMonth);
    c->setShowWeekNumLine(look.showWeekNumLine);
    c->setHideSelection(look.hideSelection);
    c->setFontDate(look.fontDate);
    c->setFontCnDate(look.fontCnDate);
    c->setColorTitleWeekLine(look.colorTitleWeekLine);
    c->setColorTitleWeekEnd(look.colorTitleWeekEnd);
    c->setColorTitleWeek(look.colorTitleWeek);
    c->setColorCnDate(look.days.cnDate);
    c->setColorDate(look.days.date);
    c->setColorHoliday(look.days.holiday);
    c->setColorLunarHolDay(look.days.lunarHolDay);
    c->setColorCnHolDay(look.days.cnHolDay);
    c->setColorSelectedStart(look.colorSelectedStart);
    c->setColorSelectedEnd(look.colorSelectedEnd);
    c->setColorSelectedFrame(look.colorSelectedFrame);
    c->setColorWeekNum(look.colorWeekNum);
    c->setColorShowFrame(look.colorShowFrame);
    c->setColorBackYear(look.colorBackYear);
    c->setColorBackMonth(look.colorBackMonth);
    c->setColorTitleToday(look.colorTitleToday);
    c->setColorTitleMonth(look.colorTitleMonth);
    c->setColorTitleYear(look.colorTitleYear);
    c->setColorTitleSelected(look.colorTitleSelected);
    c->setColorTitleConstellation(look.colorTitleConstellation);
    c->setColorTitleAnimalsYear(look.colorTitleAnimalsYear);
    c->setCenter(look.center);
    c->setStretch(look.stretch);
    c->setAlphaBlend(look.alphaBlend);
}

void setUpCalendarLook(TChnCalendar& calendar) { applyCalendarLook(calendar, windowCalendarLook()); }

} // namespace tavemo::calendar_view
