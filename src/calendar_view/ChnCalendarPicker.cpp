#include "calendar_view/ChnCalendarPicker.h"

#include "calendar_view/CaptionLabel.h"
#include "calendar_view/DayGrid.h"
#include "calendar_view/TextDrawing.h"
#include "calendar_view/UpDownStepper.h"
#include "drawing/FontSetup.h"

#include "engine/CalendarRange.h"
#include "engine/DateTime.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLocale>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavemo::calendar_view {

using drawing::installFontSubstitutions;
using drawing::makeFont;

namespace {

constexpr TColor kWhite = 0x00FFFFFF;
constexpr int kHeaderRowHeight = 18;
constexpr int kWeekColumnNarrow = 6;
constexpr int kWeekColumnWide = 18;
constexpr int kTitleGridLeft = 8, kTitleGridTop = 40, kTitleGridWidthLoss = 15, kTitleGridHeightLoss = 67;

using drawing::kSongFamily;

// The interface is Chinese whatever the user's locale says.
const QLocale& chineseLocale()
{
    static const QLocale locale(QLocale::Chinese, QLocale::China);
    return locale;
}

// Column 1 is Sunday .. column 7 Saturday.
QString longWeekdayName(int column)
{
    const int qtDay = column == 1 ? 7 : column - 1; // Qt counts Monday = 1 .. Sunday = 7
    return chineseLocale().dayName(qtDay, QLocale::LongFormat);
}

QString shortWeekdayName(int column)
{
    return QString::fromUtf8(engine::weekdayCharacter(column)); // column 1 is Sunday, as weekday 1
}

// A one-pixel line from (x1, y1) towards (x2, y2), horizontal or vertical, without its end point.
void drawRuleLine(QPainter& p, int x1, int y1, int x2, int y2, const QColor& color)
{
    if (y1 == y2)
        p.fillRect(QRect(std::min(x1, x2), y1, std::abs(x2 - x1), 1), color);
    else
        p.fillRect(QRect(x1, std::min(y1, y2), 1, std::abs(y2 - y1)), color);
}

// Outline on the rectangle's edge pixels, like a one-pixel rectangle with a clear brush.
void drawOutline(QPainter& p, const QRect& r, const QColor& color)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    p.fillRect(QRect(r.left(), r.top() + r.height() - 1, r.width(), 1), color);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    p.fillRect(QRect(r.left() + r.width() - 1, r.top(), 1, r.height()), color);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction and window creation

TChnCalendar::TChnCalendar(QWidget* parent) : QWidget(parent)
{
    installFontSubstitutions();
    setFont(makeFont({kSongFamily, 12}));
    m_infoFont = makeFont({kSongFamily, 12});
    resize(313, 253);
    createChildren();
}

TChnCalendar::~TChnCalendar() = default;

void TChnCalendar::createChildren()
{
    auto label = [this](int x, int y, const QString& text, const QFont& font, TColor color, bool hand) {
        auto* l = new CaptionLabel(this);
        l->move(x, y);
        l->setLabelFont(font);
        l->setText(text);
        l->setColor(toQColor(color));
        if (hand)
            l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
        return l;
    };
    m_todayLink =
        label(272, 18, QStringLiteral("今天"), makeFont({kSongFamily, 12, false, true}), m_look.colorTitleToday, true);
    m_monthLabel = label(34, 3, QString(), makeFont({QStringLiteral("Arial"), 32, true}), m_look.colorTitleMonth, true);
    // Right-aligned: the label's right edge stays where its empty text ended.
    m_monthLabel->anchorRightEdgeAt(34 + QFontMetrics(m_monthLabel->font()).horizontalAdvance(QLatin1Char(' ')));
    m_monthUnitLabel = label(45, 20, QStringLiteral("月"), makeFont({kSongFamily, 12}), 0, true);
    m_yearLabel = label(120, 0, QString(), makeFont({QStringLiteral("Arial Black"), 29}), m_look.colorTitleYear, true);
    m_yearUnitLabel = label(205, 18, QStringLiteral("年"), makeFont({kSongFamily, 12}), 0, true);
    m_dateInfoLabel = label(10, 236, QString(), makeFont({kSongFamily, 12}), m_look.colorTitleSelected, false);

    m_monthStepper = new UpDownStepper(this);
    m_monthStepper->move(60, 10);
    m_monthStepper->setRange(0, 13);
    m_monthStepper->installEventFilter(this);
    m_yearStepper = new UpDownStepper(this);
    m_yearStepper->move(220, 10);
    m_yearStepper->setRange(engine::kFirstCalendarYear, engine::kLastCalendarYear);
    m_yearStepper->installEventFilter(this);

    m_grid = new DayGrid(9, 7, this);
    m_grid->installEventFilter(this);
    m_grid->setDrawCell([this](QPainter& p, int c, int r, const QRect& q, DayGrid::CellState s) {
        drawCell(p, c, r, q, s.selected, s.focused);
    });
    m_grid->setSelectCell([this](int c, int r) { return selectCell(c, r); });

    // Popup menus do not inherit fonts; give them a Chinese face so that their captions never
    // depend on the desktop's default font.
    m_monthMenu = new QMenu(this);
    m_monthMenu->setFont(makeFont({kSongFamily, 12}));
    m_yearMenu = new QMenu(this);
    m_yearMenu->setFont(makeFont({kSongFamily, 12}));

    connect(m_todayLink, &CaptionLabel::leftClicked, this, [this] { goToToday(); });
    for (CaptionLabel* l : {m_monthLabel, m_monthUnitLabel}) {
        connect(l, &CaptionLabel::leftClicked, this, [this](QPoint at) { m_monthMenu->popup(at); });
        connect(l, &CaptionLabel::contextMenuAt, this, [this](QPoint at) { m_monthMenu->popup(at); });
    }
    for (CaptionLabel* l : {m_yearLabel, m_yearUnitLabel}) {
        connect(l, &CaptionLabel::leftClicked, this, [this](QPoint at) { m_yearMenu->popup(at); });
        connect(l, &CaptionLabel::contextMenuAt, this, [this](QPoint at) { m_yearMenu->popup(at); });
    }
    connect(m_monthStepper, &UpDownStepper::clicked, this, [this] { stepMonth(); });
    connect(m_yearStepper, &UpDownStepper::clicked, this, [this] { stepYear(); });
    connect(m_grid, &DayGrid::pressed, this, [this] { m_clickFlag = true; });
    connect(m_grid, &DayGrid::clicked, this, [this](QPoint pointer) { gridClicked(pointer); });
}

void TChnCalendar::initializeWindow()
{
    if (m_windowCreated)
        return;
    m_windowCreated = true;
    BuildMenus();
    m_grid->setRowHeight(0, kHeaderRowHeight);
    m_grid->setColumnWidth(0, kWeekColumnNarrow);
    setDateTime(m_month.now());
    setShowTitle(true);
}

void TChnCalendar::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    initializeWindow();
}

void TChnCalendar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Before the window step the host is still setting the control up; that step places the grid.
    if (!m_windowCreated)
        return;
    setShowTitle(m_showTitle);
}

void TChnCalendar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_grid) {
        update();
        m_grid->update();
    }
}

void TChnCalendar::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_clickFlag = false;
}

bool TChnCalendar::eventFilter(QObject* watched, QEvent* event)
{
    // The pointer leaving any part ends the run of presses that counts as clicking in the grid;
    // coming into the grid means it left whatever it was over before.
    if (event->type() == QEvent::Leave || (event->type() == QEvent::Enter && watched == m_grid))
        m_clickFlag = false;
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Properties

void TChnCalendar::refreshGrid() { m_grid->update(); }

void TChnCalendar::rebuildAndRepaint()
{
    RebuildFace();
    update();
    m_grid->update();
}

void TChnCalendar::setShowTitle(bool value)
{
    m_showTitle = value;
    placeGrid();
}

void TChnCalendar::setShowWeekNum(bool value)
{
    if (value == m_look.showWeekNum)
        return;
    m_look.showWeekNum = value;
    m_grid->setColumnWidth(0, value ? kWeekColumnWide : kWeekColumnNarrow);
    refreshGrid();
}

void TChnCalendar::setShowFrame(bool value)
{
    m_look.showFrame = value;
    rebuildAndRepaint();
}

void TChnCalendar::setShowBackYearMonth(bool value)
{
    m_look.showBackYearMonth = value;
    rebuildAndRepaint();
}

void TChnCalendar::setShowWeekNumLine(bool value)
{
    m_look.showWeekNumLine = value;
    refreshGrid();
}

void TChnCalendar::setFontDate(const TFont& value)
{
    m_look.fontDate = value;
    refreshGrid();
}

void TChnCalendar::setFontCnDate(const TFont& value)
{
    m_look.fontCnDate = value;
    refreshGrid();
}

void TChnCalendar::setColorTitleWeekLine(TColor value)
{
    m_look.colorTitleWeekLine = value;
    refreshGrid();
}
void TChnCalendar::setColorTitleWeekEnd(TColor value)
{
    m_look.colorTitleWeekEnd = value;
    refreshGrid();
}
void TChnCalendar::setColorTitleWeek(TColor value)
{
    m_look.colorTitleWeek = value;
    refreshGrid();
}
void TChnCalendar::setColorSelectedStart(TColor value)
{
    m_look.colorSelectedStart = value;
    refreshGrid();
}
void TChnCalendar::setColorSelectedEnd(TColor value)
{
    m_look.colorSelectedEnd = value;
    refreshGrid();
}
void TChnCalendar::setColorSelectedFrame(TColor value)
{
    m_look.colorSelectedFrame = value;
    refreshGrid();
}

void TChnCalendar::setColorWeekNum(TColor value)
{
    m_look.colorWeekNum = value;
    if (m_look.showWeekNum)
        refreshGrid();
}

void TChnCalendar::setColorShowFrame(TColor value)
{
    m_look.colorShowFrame = value;
    if (m_look.showFrame)
        rebuildAndRepaint();
}

void TChnCalendar::setColorBackYear(TColor value)
{
    m_look.colorBackYear = value;
    rebuildAndRepaint();
}
void TChnCalendar::setColorBackMonth(TColor value)
{
    m_look.colorBackMonth = value;
    rebuildAndRepaint();
}

TColor TChnCalendar::ColorTitleToday() const { return fromQColor(m_todayLink->color()); }
void TChnCalendar::setColorTitleToday(TColor value)
{
    m_look.colorTitleToday = value;
    m_todayLink->setColor(toQColor(value));
}
TColor TChnCalendar::ColorTitleMonth() const { return fromQColor(m_monthLabel->color()); }
void TChnCalendar::setColorTitleMonth(TColor value)
{
    m_look.colorTitleMonth = value;
    m_monthLabel->setColor(toQColor(value));
}
TColor TChnCalendar::ColorTitleYear() const { return fromQColor(m_yearLabel->color()); }
void TChnCalendar::setColorTitleYear(TColor value)
{
    m_look.colorTitleYear = value;
    m_yearLabel->setColor(toQColor(value));
}
TColor TChnCalendar::ColorTitleSelected() const { return fromQColor(m_dateInfoLabel->color()); }
void TChnCalendar::setColorTitleSelected(TColor value)
{
    m_look.colorTitleSelected = value;
    m_dateInfoLabel->setColor(toQColor(value));
}

void TChnCalendar::setBackGround(const QImage& value)
{
    m_backGround = value;
    m_layer = QImage();
    rebuildAndRepaint();
}

void TChnCalendar::setCenter(bool value)
{
    m_look.center = value;
    m_layer = QImage();
    rebuildAndRepaint();
}
void TChnCalendar::setStretch(bool value)
{
    m_look.stretch = value;
    m_layer = QImage();
    rebuildAndRepaint();
}
void TChnCalendar::setTransparent(bool value)
{
    m_transparent = value;
    rebuildAndRepaint();
}

void TChnCalendar::setAlphaBlend(int value)
{
    m_look.alphaBlend = std::clamp(value, 0, 255);
    rebuildAndRepaint();
}

// ---------------------------------------------------------------------------------------------
// Layout

void TChnCalendar::placeGrid()
{
    m_monthStepper->setVisible(m_showTitle);
    m_yearStepper->setVisible(m_showTitle);
    if (m_showTitle) {
        m_grid->setGeometry(kTitleGridLeft, kTitleGridTop, width() - kTitleGridWidthLoss,
                            height() - kTitleGridHeightLoss);
        m_grid->setContextMenu(nullptr);
    } else {
        // The grid then covers the title labels.
        m_grid->setGeometry(2, 2, width() - 4, height() - 4);
        m_grid->raise();
        m_grid->setContextMenu(m_yearMenu);
    }
    LayoutGrid();
    if (m_face.size() != size())
        m_face = QImage(size(), QImage::Format_RGB32);
    RebuildFace();
    update();
    refreshGrid();
}

void TChnCalendar::LayoutGrid()
{
    const int gridHeight = m_grid->height();
    const int gridWidth = m_grid->width();
    const int header = m_grid->rowHeight(0);
    const int h = (gridHeight - header) / 6;
    for (int row = 1; row <= 5; ++row)
        m_grid->setRowHeight(row, std::max(0, h - 1));
    m_grid->setRowHeight(6, std::max(0, gridHeight - (header + 5 * (h - 1))));
    const int weekColumn = m_grid->columnWidth(0);
    const int w = (gridWidth - weekColumn) / 7;
    for (int column = 1; column <= 7; ++column)
        m_grid->setColumnWidth(column, std::max(0, w - 1));
    m_grid->setColumnWidth(8, std::max(0, gridWidth - (weekColumn + 7 * (w - 1))));
}

// ---------------------------------------------------------------------------------------------
// Month fill

DayColors TChnCalendar::dayColors() const { return m_look.days; }

void TChnCalendar::setDateTime(double value)
{
    if (value == m_dateTime || !MonthModel::accepts(value))
        return;
    m_dateTime = value;

    // The month, the face and the change event belong together: when any of them fails the rest
    // is skipped and no change is announced.
    try {
        m_month.fill(value, dayColors());
        syncSteppers();
        m_cnMonth = m_month.cnMonth();
        m_cnDay = m_month.cnDay();
        m_cnDate = m_month.cnDate();
        m_yearLabel->setText(QString::number(m_month.year()));
        m_monthLabel->setText(QString::number(m_month.month()));
        m_dateInfoLabel->setText(m_month.summary());

        const QPoint chosen = cellOfRecord(m_month.chosenRecord());
        m_selectionGuard = true;
        m_grid->focusCell(chosen.x(), chosen.y());
        m_selectionGuard = false;
        RebuildFace();
        update();
        refreshGrid();
        if (OnChange)
            OnChange(this);
    } catch (...) {
        m_selectionGuard = false;
    }
}

// ---------------------------------------------------------------------------------------------
// Face

void TChnCalendar::RebuildFace()
{
    if (m_face.isNull())
        return;
    const QRect client(0, 0, m_face.width(), m_face.height());
    const QColor white = toQColor(kWhite);
    {
        QPainter p(&m_face);
        p.fillRect(client, white);
        if (m_look.showFrame)
            drawOutline(p, client, toQColor(m_look.colorShowFrame));
        if (m_look.showBackYearMonth) {
            const int Y = m_month.year();
            const int M = m_month.month();
            const QRect g = m_grid->geometry();
            const int gridBottom = g.y() + g.height();
            const int split = gridBottom / 2;
            const QRect boxA = QRect(QPoint(g.x(), g.y()), QPoint(g.x() + g.width() - 1, split - 1)).translated(0, 6);
            const QRect boxB(QPoint(g.x(), split), QPoint(g.x() + g.width() - 1, gridBottom - 1));
            const TextBoxOptions centred{Qt::AlignHCenter | Qt::AlignVCenter, true, &white};
            p.setFont(makeFont({QStringLiteral("Arial Black"), 64}));
            p.setPen(toQColor(m_look.colorBackYear));
            drawTextInBox(p, boxA, QString::number(Y), centred);
            p.setFont(makeFont({QStringLiteral("Arial Black"), 120}));
            p.setPen(toQColor(m_look.colorBackMonth));
            drawTextInBox(p, boxB, QString::number(M), centred);
        }
    }

    if (m_backGround.isNull()) {
        m_layer = QImage();
        return;
    }
    // The placed picture depends only on the picture, its placement and the control's size, so it
    // is kept across month fills; changing the picture or its placement drops it.
    if (m_layer.size() != m_face.size()) {
        m_layer = QImage(m_face.size(), QImage::Format_RGB32);
        m_layer.fill(white);
        QPainter p(&m_layer);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const int pw = m_backGround.width();
        const int ph = m_backGround.height();
        const int W = m_layer.width();
        const int H = m_layer.height();
        if (m_look.center && !m_look.stretch) {
            p.drawImage(QPoint((W - pw) / 2, (H - ph) / 2), m_backGround);
        } else if (m_look.stretch) {
            QRect target;
            if (FitRect(pw, ph, W, H, m_look.center, target))
                p.drawImage(target, m_backGround);
        } else {
            p.drawImage(QPoint(0, 0), m_backGround);
        }
    }
    BlendLayer(m_face, m_layer, QPoint(0, 0), m_look.alphaBlend, -1);
}

void TChnCalendar::paintEvent(QPaintEvent* event)
{
    if (m_face.isNull())
        return;
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), m_face, event->rect());
}

// ---------------------------------------------------------------------------------------------
// Cells

void TChnCalendar::drawCell(QPainter& gridPainter, int column, int row, const QRect& cell, bool selected, bool focused)
{
    if (m_cell.size() != cell.size())
        m_cell = QImage(cell.size(), QImage::Format_RGB32);
    const QRect local(0, 0, cell.width(), cell.height());
    {
        QPainter p(&m_cell);
        p.setFont(font());
        // The face behind the cell, so the grid looks transparent; white where the grid reaches
        // past the control.
        p.fillRect(local, Qt::white);
        p.drawImage(QPoint(0, 0), m_face, cell.translated(m_grid->pos()));
        try {
            if (row == 0)
                drawHeaderCell(p, column, local);
            else if (column == 0)
                drawWeekNumberCell(p, row, local);
            else if (column <= 7)
                drawDayAreaCell(p, column, row, local, selected, focused);
        } catch (...) {
            // A failing handler still leaves the cell's background on the grid.
        }
    }
    gridPainter.drawImage(cell.topLeft(), m_cell);
}

void TChnCalendar::drawHeaderCell(QPainter& p, int column, const QRect& local)
{
    const QRect text = local.adjusted(0, 0, -2, 0);
    QString caption;
    if (column == 0)
        caption = m_look.showWeekNum ? QStringLiteral("W") : QString();
    else if (column <= 7)
        caption = text.width() > 36 ? longWeekdayName(column) : shortWeekdayName(column);
    TColor color = m_look.colorTitleWeek;
    if (column == 0)
        color = m_look.colorWeekNum;
    else if (column == 1 || column == 7)
        color = m_look.colorTitleWeekEnd;
    p.setPen(toQColor(color));
    drawTextInBox(p, text, caption, {Qt::AlignHCenter | Qt::AlignTop, true, nullptr});

    const int w = local.width();
    const int h = local.height();
    drawRuleLine(p, 0, h - 4, w, h - 4, toQColor(m_look.colorTitleWeekLine));
    if (m_look.showWeekNum && m_look.showWeekNumLine && column == 0)
        drawRuleLine(p, w - 1, 0, w - 1, h, toQColor(m_look.colorTitleWeekLine));
}

void TChnCalendar::drawWeekNumberCell(QPainter& p, int row, const QRect& local)
{
    const QString& text = m_month.weekText(row);
    if (!m_look.showWeekNum || text.isEmpty())
        return;
    p.setFont(m_infoFont);
    p.setPen(toQColor(m_look.colorWeekNum));
    drawTextInBox(p, local, text, {Qt::AlignHCenter | Qt::AlignVCenter, true, nullptr});
    if (m_look.showWeekNumLine)
        drawRuleLine(p, local.width() - 1, 0, local.width() - 1, local.height(), toQColor(m_look.colorTitleWeekLine));
}

void TChnCalendar::drawDayAreaCell(QPainter& p, int column, int row, const QRect& local, bool selected, bool focused)
{
    const bool showSelection = selected && (!m_look.hideSelection || focused);
    if (showSelection)
        DrawGradient(p, local, 256, 0, m_look.colorSelectedStart, m_look.colorSelectedEnd);

    const int k = recordOfCell(column, row);
    const TcnDateInf& r = m_month.record(k);
    if (!r.Valid)
        return;
    const int w = local.width();
    const int h = local.height();

    if (isInformationRecord(k)) {
        if (r.DayText.isEmpty())
            return;
        const QRect text = local.adjusted(0, 8, 0, 0);
        p.setFont(m_infoFont);
        Qt::Alignment align = Qt::AlignHCenter;
        if (k == kConstellationRecord) {
            p.setPen(toQColor(m_look.colorTitleConstellation));
        } else {
            p.setPen(toQColor(m_look.colorTitleAnimalsYear));
            align = k == kYearNameRecord ? Qt::AlignRight : Qt::AlignLeft;
        }
        // Hangs from the top of its box: the three texts read as one line under the last week.
        drawTextInBox(p, text, r.DayText, {align | Qt::AlignTop, true, nullptr});
        return;
    }

    const int day = r.DayText.toInt();
    QRect whole = local;

    // Day number, standing on the middle line.
    {
        const QRect text(2, 0, w - 4, h / 2);
        QString shown = r.DayText;
        p.setFont(m_look.fontDate.font);
        p.setPen(toQColor(r.DateColor));
        bool defaultDraw = true;
        if (OnDrawDateCell)
            OnDrawDateCell(this, day, p, whole, selected, shown, defaultDraw);
        if (defaultDraw)
            drawTextInBox(p, text, shown, {Qt::AlignHCenter | Qt::AlignBottom, true, nullptr});
    }
    // Lunar line, hanging from the middle line, then the selection frame.
    {
        const QRect text(2, h / 2, w - 4, h - h / 2);
        QString shown = r.CnText;
        p.setFont(m_look.fontCnDate.font);
        p.setPen(toQColor(r.CnColor));
        bool defaultDraw = true;
        whole = local;
        if (OnDrawCnDateCell)
            OnDrawCnDateCell(this, day, p, whole, selected, shown, defaultDraw);
        if (defaultDraw) {
            drawTextInBox(p, text, shown, {Qt::AlignHCenter | Qt::AlignTop, true, nullptr});
            if (showSelection)
                drawOutline(p, local, toQColor(m_look.colorSelectedFrame));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Input

bool TChnCalendar::selectCell(int column, int row)
{
    if (m_selectionGuard)
        return true;
    const int k = recordOfCell(column, row);
    if (!m_month.isChoosable(k))
        return false;
    double chosen = 0;
    if (!m_month.dateOfRecord(k, chosen)) {
        setDateTime(m_month.now());
        return true;
    }
    // A failing click handler falls back to today like a day that cannot be encoded.
    try {
        setDateTime(chosen);
        if (OnDateClick && m_clickFlag)
            OnDateClick(this);
    } catch (...) {
        setDateTime(m_month.now());
    }
    return true;
}

void TChnCalendar::gridClicked(QPoint pointer)
{
    const QPoint cell = m_grid->mouseToCell(pointer);
    if (cell.x() == m_grid->currentColumn() && cell.y() == m_grid->currentRow() && OnDateSelect)
        OnDateSelect(this);
}

void TChnCalendar::goToToday() { setDateTime(m_month.now()); }

void TChnCalendar::stepMonth()
{
    int Y = 0, M = 0, D = 0;
    engine::decodeDate(m_dateTime, Y, M, D);
    if (m_monthStepper->position() == 13) {
        ++Y;
        m_yearStepper->setPosition(Y);
        m_monthStepper->setPosition(1);
    } else if (m_monthStepper->position() == 0) {
        --Y;
        m_yearStepper->setPosition(Y);
        m_monthStepper->setPosition(12);
    }
    M = m_monthStepper->position();
    writeDayOrToday(Y, M, D);
}

void TChnCalendar::stepYear()
{
    int Y = 0, M = 0, D = 0;
    engine::decodeDate(m_dateTime, Y, M, D);
    Y = m_yearStepper->position();
    writeDayOrToday(Y, M, D);
}

void TChnCalendar::pickMonth(int month)
{
    m_monthStepper->setPosition(month);
    stepMonth();
}

void TChnCalendar::pickYear(int year)
{
    m_yearStepper->setPosition(year);
    stepYear();
}

void TChnCalendar::writeDayOrToday(int year, int month, int day)
{
    // Keep the day of the month where the target month has it, else the last day before it
    // that it has; a month without any (the year 0) falls back to today.
    double value = 0;
    if (!MonthModel::dayInMonth(year, month, day, value))
        value = year > engine::kLastCalendarYear ? m_dateTime : m_month.now();
    setDateTime(value);
    // A refused write (the year 2101) leaves the date as it was; the steppers must show it again,
    // or the next step would start from the refused month.
    syncSteppers();
}

void TChnCalendar::syncSteppers()
{
    int Y = 0, M = 0, D = 0;
    if (!engine::decodeDate(m_dateTime, Y, M, D))
        return;
    m_yearStepper->setPosition(Y);
    m_monthStepper->setPosition(M);
}

// ---------------------------------------------------------------------------------------------
// Menus

void TChnCalendar::BuildMenus()
{
    auto addItem = [](QMenu* menu, const QString& caption, const QString& name, int tag) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        action->setData(tag);
        return action;
    };
    auto addSeparator = [](QMenu* menu, const QString& name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(name);
        action->setData(0);
    };
    auto addSubmenu = [](QMenu* menu, const QString& caption, const QString& name) {
        QMenu* sub = menu->addMenu(caption);
        sub->setFont(menu->font());
        sub->menuAction()->setObjectName(name);
        sub->menuAction()->setData(0);
        return sub;
    };
    auto addDefaultToday = [this, addItem](QMenu* menu, const QString& name) {
        QAction* today = addItem(menu, QStringLiteral("今日"), name, 0);
        QFont bold = menu->font();
        bold.setBold(true);
        today->setFont(bold);
        menu->setDefaultAction(today);
        connect(today, &QAction::triggered, this, [this] { goToToday(); });
    };
    auto addYear = [this, addItem](QMenu* menu, const QString& prefix, int year) {
        QAction* item = addItem(menu, QString::number(year), prefix + QString::number(year), year);
        connect(item, &QAction::triggered, this, [this, year] { pickYear(year); });
    };

    addDefaultToday(m_monthMenu, QStringLiteral("MenuMonth_ToDay"));
    addSeparator(m_monthMenu, QStringLiteral("MenuMonth_ToDay_"));
    for (int month = 1; month <= 12; ++month) {
        const QString caption = chineseLocale().monthName(month, QLocale::LongFormat);
        QAction* item = addItem(m_monthMenu, caption, QStringLiteral("MenuMonth_") + QString::number(month - 1), month);
        connect(item, &QAction::triggered, this, [this, month] { pickMonth(month); });
    }

    addDefaultToday(m_yearMenu, QStringLiteral("MenuYear_ToDay"));
    addSeparator(m_yearMenu, QStringLiteral("MenuYear_ToDay_1"));
    QMenu* history = addSubmenu(m_yearMenu, QStringLiteral("历史日期"), QStringLiteral("MenuYear_History"));
    const QString historyPrefix = QStringLiteral("MenuYear_History_");
    for (int r = 10; r <= 1810; r += 100) {
        QMenu* century = addSubmenu(history, QString::number(r - 10), historyPrefix + QString::number(r));
        for (int year = r; year <= r + 90; year += 10)
            addYear(century, historyPrefix, year);
    }
    addSeparator(m_yearMenu, QStringLiteral("MenuYear_ToDay_2"));
    for (int decade = 1900; decade <= 2090; decade += 10) {
        QMenu* years =
            addSubmenu(m_yearMenu, QString::number(decade), QStringLiteral("MenuYear_") + QString::number(decade));
        for (int year = decade; year <= decade + 9; ++year)
            addYear(years, QStringLiteral("MenuYear_"), year);
    }
}

} // namespace tavemo::calendar_view
