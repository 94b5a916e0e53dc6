#include "calendar_view/CalendarLook.h"

#include "calendar_view/ChnCalendarPicker.h"
#include "drawing/FontSetup.h"

namespace tavemo::calendar_view {

using drawing::FontSpec;
using drawing::makeFont;

void setUpCalendarLook(TChnCalendar& calendar)
{
    TChnCalendar* c = &calendar;
    c->setShowWeekNum(false);
    c->setShowFrame(true);
    c->setShowWeekNumLine(true);
    c->setHideSelection(false);
    c->setFontDate(TFont{makeFont(FontSpec{QStringLiteral("黑体"), 12, true}), -16777208 /* window text */});
    c->setFontCnDate(TFont{makeFont(FontSpec{QStringLiteral("宋体"), 12}), 0x00EEEEEE});
    c->setColorTitleWeekLine(0x00C5C5C5);
    c->setColorTitleWeekEnd(0x000000FF);
    c->setColorTitleWeek(0x004F4F4F);
    c->setColorCnDate(0x00008000);
    c->setColorDate(0x004F4F4F);
    c->setColorHoliday(0x000080FF);
    c->setColorLunarHolDay(0x00FF5353);
    c->setColorCnHolDay(0x000080FF);
    c->setColorSelectedStart(0x0053AE00);
    c->setColorSelectedEnd(0x0065D500);
    c->setColorSelectedFrame(0x00469300);
    c->setColorWeekNum(0x00808080);
    c->setColorShowFrame(0x00808080);
    c->setColorBackYear(0x00DDE8FF);
    c->setColorBackMonth(0x00EBEBEB);
    c->setColorTitleToday(0x00FF0000);
    c->setColorTitleMonth(0x00C08080);
    c->setColorTitleYear(0x00FF0000);
    c->setColorTitleSelected(0x00808080);
    c->setColorTitleConstellation(0x00000000);
    c->setColorTitleAnimalsYear(0x00000000);
    c->setCenter(false);
    c->setStretch(true);
    c->setAlphaBlend(50);
}

} // namespace tavemo::calendar_view
