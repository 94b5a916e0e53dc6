#pragma once
// The look of the main window's calendar: its fonts, colours and options. The window sets up its
// calendar with it, and so do the pictures of the month drawn off screen, so that both match.

namespace tavemo::calendar_view {

class TChnCalendar;

void setUpCalendarLook(TChnCalendar& calendar);

} // namespace tavemo::calendar_view
