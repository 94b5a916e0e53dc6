#include "app/WebPanel.h"

#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScrollBar>

namespace tavemo::app {

WebPanel::WebPanel(QWidget* parent) : QTextBrowser(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setViewportMargins(0, 0, 0, 0);
    document()->setDocumentMargin(0);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->installEventFilter(this);
    installEventFilter(this);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        if (m_linkHandler)
            m_linkHandler(source().resolved(link));
    });
}

void WebPanel::navigate(const QUrl& url)
{
    if (url == QUrl(QStringLiteral("about:blank"))) {
        clear();
        return;
    }
    if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile())
        return;
    setSource(url);
    // A page reloaded by hand keeps its top-left corner in view.
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

bool WebPanel::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // Right clicks never reach the page (no menu, no selection moved by them).
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
        break;
    case QEvent::ContextMenu:
        return true;
    case QEvent::Wheel:
        return true; // the panel is a fixed window onto the page
    default:
        break;
    }
    return QTextBrowser::eventFilter(watched, event);
}

} // namespace tavemo::app
