#include "app/MainWindowLayout.h"

#include "calendar_view/MonthPicture.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowPictures.h"

#include <QWidget>

namespace tavemo::app {
namespace {

constexpr Qt::Edges kTopLeft = Qt::LeftEdge | Qt::TopEdge;
constexpr Qt::Edges kTopRight = Qt::RightEdge | Qt::TopEdge;
constexpr Qt::Edges kAllEdges = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;

constexpr QRect at(int x, int y) { return QRect(QPoint(x, y), QSize()); }

const LayoutEntry kMainWindow[] = {
    {"imgBG", QRect(QPoint(0, 0), widgets::kDesignSize), kAllEdges},
    {"imgLogo", QRect(QPoint(52, 13), widgets::kLogoSize), kTopLeft},
    {"img_close", at(694, 1), kTopRight},
    {"img_mini", at(664, 1), kTopRight}, // its normal picture sits one pixel further right, at 665
    {"lblDateTime", at(343, 19), kTopLeft},
    {"lblSet", at(587, 56), kTopRight},
    {"imgAppToDesk", QRect(646, 45, 84, 29), kTopRight},
    // The editing tools.
    {"imgFont", QRect(QPoint(317, 58), widgets::kFontToolSize), kTopLeft},
    {"btnGou", QRect(341, 55, 23, 22), kTopLeft},
    {"btnX", QRect(365, 55, 23, 22), kTopLeft},
    {"imgDate", QRect(395, 54, 37, 21), kTopLeft},
    {"imgRedColor", QRect(QPoint(441, 61), widgets::kColourSwatchSize), kTopLeft},
    // The note.
    {"pngRight", QRect(QPoint(315, 80), widgets::kNotePanelDesignSize), kAllEdges},
    // The left panel keeps its place and size; so does everything in it.
    {"pnlLeft", QRect(2, 82, 311, 441), kTopLeft},
    {"shpLeft", QRect(0, 253, 311, 441 - 253), kTopLeft},
    {"imgAddToDesk", QRect(62, 341, 176, 50), kTopLeft},
    {"pnlWeb", QRect(2, 253, 310, 70), kTopLeft},
    {"webLink", QRect(0, 0, 310, 70), kTopLeft},
    // The month pictures drawn off screen are as large as the calendar here.
    {"chnCalendar", QRect(0, 0, calendar_view::kMonthPictureWidth, calendar_view::kMonthPictureHeight), kTopLeft},
};

} // namespace

std::span<const LayoutEntry> mainWindowLayout() { return kMainWindow; }

QRect placeAt(const LayoutEntry& entry, QSize windowSize)
{
    const QSize grown = windowSize - widgets::kDesignSize;
    QRect r = entry.rect;
    if (entry.anchors & Qt::RightEdge) {
        if (entry.anchors & Qt::LeftEdge && r.isValid())
            r.setWidth(r.width() + grown.width());
        else
            r.moveLeft(r.left() + grown.width());
    }
    if (entry.anchors & Qt::BottomEdge) {
        if (entry.anchors & Qt::TopEdge && r.isValid())
            r.setHeight(r.height() + grown.height());
        else
            r.moveTop(r.top() + grown.height());
    }
    return r;
}

bool place(QWidget& component, QSize windowSize, std::span<const LayoutEntry> table)
{
    const QString name = component.objectName();
    for (const LayoutEntry& entry : table) {
        if (name != QLatin1String(entry.name))
            continue;
        const QRect r = placeAt(entry, windowSize);
        if (r.isValid())
            component.setGeometry(r);
        else
            component.move(r.topLeft());
        return true;
    }
    return false;
}

void layOut(QWidget& window, std::span<const LayoutEntry> table)
{
    const QSize size = window.size();
    for (const LayoutEntry& entry : table)
        if (QWidget* component = window.findChild<QWidget*>(QLatin1String(entry.name)))
            place(*component, size, table);
}

} // namespace tavemo::app
