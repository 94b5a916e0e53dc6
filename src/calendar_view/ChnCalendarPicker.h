#pragma once
// TChnCalendar: a month-view calendar whose day cells carry a second line of Chinese calendar
// text (lunar day or month, solar term, festival), with a title strip of month and year numbers,
// steppers and a "今天" link, and a one-line summary of the chosen date under the grid.
//
// Everything behind the day grid is composed once into the face image (white ground, frame,
// year and month watermark, optional background picture blended in); painting only copies from
// it. Each grid cell is composed in the cell image over its piece of the face and copied out in
// one operation.

#include "calendar_view/CalendarLook.h"
#include "calendar_view/MonthModel.h"
#include "drawing/Drawing.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QMenu;
class QPainter;

namespace tavemo::calendar_view {

class CaptionLabel;
class DayGrid;
class UpDownStepper;

// The colour type and the pixel-row helpers are the drawing library's.
using drawing::BlendLayer;
using drawing::DrawGradient;
using drawing::FitRect;
using drawing::fromQColor;
using drawing::TColor;
using drawing::toQColor;

class TChnCalendar;

using TNotifyEvent = std::function<void(TChnCalendar* Sender)>;
// Raised while a day cell is drawn, once for the day-number line and once for the lunar line.
// aCanvas paints on the cell (local coordinates), R is the whole cell, Selected whether the cell
// is the current one (whatever HideSelection says). Text may be changed; clearing defaultDraw
// leaves the drawing to the handler (and, on the lunar line, suppresses the selection frame).
using TDrawDateCellEvent = std::function<void(TChnCalendar* Sender, int Day, QPainter& aCanvas, QRect& R, bool Selected,
                                              QString& Text, bool& defaultDraw)>;

class TChnCalendar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ShowTitle READ ShowTitle WRITE setShowTitle)
    Q_PROPERTY(bool ShowWeekNum READ ShowWeekNum WRITE setShowWeekNum)
    Q_PROPERTY(bool ShowFrame READ ShowFrame WRITE setShowFrame)
    Q_PROPERTY(bool ShowBackYearMonth READ ShowBackYearMonth WRITE setShowBackYearMonth)
    Q_PROPERTY(bool ShowWeekNumLine READ ShowWeekNumLine WRITE setShowWeekNumLine)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE setHideSelection)
    Q_PROPERTY(double DateTime READ DateTime WRITE setDateTime)
    Q_PROPERTY(QString CnDate READ CnDate WRITE setCnDate)
    Q_PROPERTY(QString CnMonth READ CnMonth WRITE setCnMonth)
    Q_PROPERTY(QString CnDay READ CnDay WRITE setCnDay)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(int AlphaBlend READ AlphaBlend WRITE setAlphaBlend)

public:
    explicit TChnCalendar(QWidget* parent = nullptr);
    ~TChnCalendar() override;

    // The step run once the control is first shown: builds the menus and lays out the grid, takes
    // the current date and time, and shows the title. Later calls do nothing.
    void initializeWindow();
    bool isWindowInitialized() const { return m_windowCreated; }

    bool ShowTitle() const { return m_showTitle; }
    void setShowTitle(bool value);
    bool ShowWeekNum() const { return m_look.showWeekNum; }
    void setShowWeekNum(bool value);
    bool ShowFrame() const { return m_look.showFrame; }
    void setShowFrame(bool value);
    bool ShowBackYearMonth() const { return m_look.showBackYearMonth; }
    void setShowBackYearMonth(bool value);
    bool ShowWeekNumLine() const { return m_look.showWeekNumLine; }
    void setShowWeekNumLine(bool value);
    bool HideSelection() const { return m_look.hideSelection; }
    void setHideSelection(bool value) { m_look.hideSelection = value; }

    const TFont& FontDate() const { return m_look.fontDate; }
    void setFontDate(const TFont& value);
    const TFont& FontCnDate() const { return m_look.fontCnDate; }
    void setFontCnDate(const TFont& value);

    TColor ColorTitleWeekLine() const { return m_look.colorTitleWeekLine; }
    void setColorTitleWeekLine(TColor value);
    TColor ColorTitleWeekEnd() const { return m_look.colorTitleWeekEnd; }
    void setColorTitleWeekEnd(TColor value);
    TColor ColorTitleWeek() const { return m_look.colorTitleWeek; }
    void setColorTitleWeek(TColor value);
    TColor ColorCnDate() const { return m_look.days.cnDate; }
    void setColorCnDate(TColor value) { m_look.days.cnDate = value; }
    TColor ColorDate() const { return m_look.days.date; }
    void setColorDate(TColor value) { m_look.days.date = value; }
    TColor ColorHoliday() const { return m_look.days.holiday; }
    void setColorHoliday(TColor value) { m_look.days.holiday = value; }
    TColor ColorLunarHolDay() const { return m_look.days.lunarHolDay; }
    void setColorLunarHolDay(TColor value) { m_look.days.lunarHolDay = value; }
    TColor ColorCnHolDay() const { return m_look.days.cnHolDay; }
    void setColorCnHolDay(TColor value) { m_look.days.cnHolDay = value; }
    TColor ColorSelectedStart() const { return m_look.colorSelectedStart; }
    void setColorSelectedStart(TColor value);
    TColor ColorSelectedEnd() const { return m_look.colorSelectedEnd; }
    void setColorSelectedEnd(TColor value);
    TColor ColorSelectedFrame() const { return m_look.colorSelectedFrame; }
    void setColorSelectedFrame(TColor value);
    TColor ColorWeekNum() const { return m_look.colorWeekNum; }
    void setColorWeekNum(TColor value);
    TColor ColorShowFrame() const { return m_look.colorShowFrame; }
    void setColorShowFrame(TColor value);
    TColor ColorBackYear() const { return m_look.colorBackYear; }
    void setColorBackYear(TColor value);
    TColor ColorBackMonth() const { return m_look.colorBackMonth; }
    void setColorBackMonth(TColor value);
    TColor ColorTitleToday() const;
    void setColorTitleToday(TColor value);
    TColor ColorTitleMonth() const;
    void setColorTitleMonth(TColor value);
    TColor ColorTitleYear() const;
    void setColorTitleYear(TColor value);
    TColor ColorTitleSelected() const;
    void setColorTitleSelected(TColor value);
    TColor ColorTitleConstellation() const { return m_look.colorTitleConstellation; }
    void setColorTitleConstellation(TColor value) { m_look.colorTitleConstellation = value; }
    TColor ColorTitleAnimalsYear() const { return m_look.colorTitleAnimalsYear; }
    void setColorTitleAnimalsYear(TColor value) { m_look.colorTitleAnimalsYear = value; }

    // Days since 1899-12-30 with the time of day. Writing a new value in the years 1..2100
    // refills the month and raises OnChange; an unchanged value or one outside those years is
    // ignored. Dates before 1582-10-15 are Julian dates (DateTime.h).
    double DateTime() const { return m_dateTime; }
    void setDateTime(double value);

    // The lunar texts of the chosen date ("五月廿九", "五月", "廿九"), set by the month fill.
    QString CnDate() const { return m_cnDate; }
    void setCnDate(const QString& value) { m_cnDate = value; }
    QString CnMonth() const { return m_cnMonth; }
    void setCnMonth(const QString& value) { m_cnMonth = value; }
    QString CnDay() const { return m_cnDay; }
    void setCnDay(const QString& value) { m_cnDay = value; }

    // A null image is no picture.
    const QImage& BackGround() const { return m_backGround; }
    void setBackGround(const QImage& value);
    bool Center() const { return m_look.center; }
    void setCenter(bool value);
    bool Stretch() const { return m_look.stretch; }
    void setStretch(bool value);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool value);
    // Weight of the background picture in per cent (taken mod 100), 0..255.
    int AlphaBlend() const { return m_look.alphaBlend; }
    void setAlphaBlend(int value);

    // Events, raised only when assigned.
    TNotifyEvent OnChange;     // at the end of every complete month fill
    TNotifyEvent OnDateSelect; // a click on the grid ended on the chosen day
    TNotifyEvent OnDateClick;  // a day was chosen by a press while the pointer stayed in the grid
    TDrawDateCellEvent OnDrawDateCell;
    TDrawDateCellEvent OnDrawCnDateCell;

    // Cell records 1..42 and week-number slots 1..6 as the last month fill left them.
    const TcnDateInf& DateInf(int k) const { return m_month.record(k); }
    QString WeekNumText(int slot) const { return m_month.weekText(slot); }
    // The shown month: records, the cell of each record, the chosen day's record.
    const MonthModel& month() const { return m_month; }
    // The clock that "today" (the window step, the today link and menu items, the fallbacks)
    // reads; the system clock unless set. An empty function restores the system clock.
    void setClock(MonthModel::Clock clock) { m_month.setClock(std::move(clock)); }

    // The parts, for hosts that place or drive them and for checks.
    DayGrid* grid() const { return m_grid; }
    UpDownStepper* monthStepper() const { return m_monthStepper; }
    UpDownStepper* yearStepper() const { return m_yearStepper; }
    QMenu* monthMenu() const { return m_monthMenu; }
    QMenu* yearMenu() const { return m_yearMenu; }
    CaptionLabel* todayLink() const { return m_todayLink; }
    CaptionLabel* monthNumberLabel() const { return m_monthLabel; }
    CaptionLabel* monthUnitLabel() const { return m_monthUnitLabel; }
    CaptionLabel* yearNumberLabel() const { return m_yearLabel; }
    CaptionLabel* yearUnitLabel() const { return m_yearUnitLabel; }
    CaptionLabel* dateInfoLabel() const { return m_dateInfoLabel; }
    const QImage& faceImage() const { return m_face; }
    const QImage& pictureLayer() const { return m_layer; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createChildren();
    void placeGrid();
    void LayoutGrid();
    void RebuildFace();
    void BuildMenus();
    void refreshGrid();
    void rebuildAndRepaint();

    void drawCell(QPainter& gridPainter, int column, int row, const QRect& cell, bool selected, bool focused);
    void drawHeaderCell(QPainter& p, int column, const QRect& local);
    void drawWeekNumberCell(QPainter& p, int row, const QRect& local);
    void drawDayAreaCell(QPainter& p, int column, int row, const QRect& local, bool selected, bool focused);

    bool selectCell(int column, int row);
    void gridClicked(QPoint pointer);
    void goToToday();
    void stepMonth();
    void stepYear();
    void pickMonth(int month);
    void pickYear(int year);
    void writeDayOrToday(int year, int month, int day);
    DayColors dayColors() const;
    void syncSteppers();

    bool m_windowCreated = false;
    bool m_showTitle = false;
    CalendarLook m_look; // options, fonts and colours; the title colours are painted by their labels
    double m_dateTime = 0;
    QString m_cnDate;
    QString m_cnMonth;
    QString m_cnDay;
    QImage m_backGround;
    bool m_transparent = false;

    MonthModel m_month;
    bool m_clickFlag = false;
    bool m_selectionGuard = false;

    QImage m_face;
    QImage m_layer; // the placed picture; null until built, dropped when the picture or its placement changes
    QImage m_cell;
    QFont m_infoFont; // 宋体 9 pt: week numbers, information cells

    CaptionLabel* m_todayLink = nullptr;
    CaptionLabel* m_monthLabel = nullptr;
    CaptionLabel* m_monthUnitLabel = nullptr;
    CaptionLabel* m_yearLabel = nullptr;
    CaptionLabel* m_yearUnitLabel = nullptr;
    CaptionLabel* m_dateInfoLabel = nullptr;
    UpDownStepper* m_monthStepper = nullptr;
    UpDownStepper* m_yearStepper = nullptr;
    DayGrid* m_grid = nullptr;
    QMenu* m_monthMenu = nullptr;
    QMenu* m_yearMenu = nullptr;
};

} // namespace tavemo::calendar_view
