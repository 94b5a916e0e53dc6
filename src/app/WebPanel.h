#pragma once
// The small web panel of the main window: one local page of ours in a QTextBrowser, as a window
// onto the page without margins, frame or scroll bars. It never shows a context menu (a right
// click does nothing), and a link opens in the user's browser instead of in the panel.

#include <QTextBrowser>
#include <QUrl>

#include <functional>

namespace tavemo::app {

class WebPanel : public QTextBrowser {
    Q_OBJECT
public:
    explicit WebPanel(QWidget* parent = nullptr);

    // Where links go (the user's browser).
    void setLinkHandler(std::function<void(const QUrl&)> handler) { m_linkHandler = std::move(handler); }

    // Shows the page at `url`: "about:blank" empties the panel; a local file that exists is shown;
    // anything else leaves the panel as it is. Failures are not reported.
    void navigate(const QUrl& url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QUrl&)> m_linkHandler;
};

} // namespace tavemo::app
