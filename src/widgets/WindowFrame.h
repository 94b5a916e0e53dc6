#pragma once
// Moving and sizing a window that has no frame of its own. A band of kBandWidth pixels along every
// edge and corner shows the matching sizing cursor and, pressed with the left button, sizes the
// window; a drag started by the window (its background) moves it. Both are handed to the window
// manager; where it cannot do them (no window manager), the window follows the pointer itself.
//
// Watches the window's own QWindow, before any of its widgets sees the event. A window of fixed
// size (a dialog) has no sizing bands, only the move.

#include <QObject>
#include <QPoint>
#include <QRect>

class QWidget;
class QWindow;

namespace tavemo::widgets {

class WindowFrame : public QObject {
    Q_OBJECT
public:
    static constexpr int kBandWidth = 5;

    enum class Sizing { Edges, None };
    explicit WindowFrame(QWidget* window, Sizing sizing = Sizing::Edges);
    ~WindowFrame() override;

    // Starts watching once the window has its QWindow; later calls do nothing.
    void attach();

    // The edges whose band holds `pos` (window coordinates); none inside the window's body.
    Qt::Edges edgesAt(QPoint pos) const;
    static Qt::CursorShape cursorFor(Qt::Edges edges);

    // Moves the window with the pointer until the button is released (`globalPos`: where the
    // button went down).
    void startMove(QPoint globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showBandCursor(Qt::Edges edges);
    void follow(QPoint globalPos);

    QWidget* m_window;
    Sizing m_sizing;
    QWindow* m_handle = nullptr;
    Qt::Edges m_cursorEdges;  // the band whose cursor shows, none when the override is off
    bool m_following = false; // the window follows the pointer itself
    Qt::Edges m_followEdges;  // none: moving; else the edges being dragged
    QPoint m_pressGlobal;
    QRect m_startGeometry;
};

} // namespace tavemo::widgets
