#pragma once
// A picture component of the window: shows an image drawn for the screen's pixel ratio (drawn
// again when the window moves to a screen of another ratio), stretched over the component when
// asked, and reports the mouse the way the window's handlers want it.

#include <QImage>
#include <QWidget>

#include <functional>

namespace tavemo::widgets {

class PictureBox : public QWidget {
    Q_OBJECT
public:
    // `draw` makes the picture at a device pixel ratio; without it the box shows nothing.
    using Draw = std::function<QImage(qreal dpr)>;
    explicit PictureBox(Draw draw = {}, QWidget* parent = nullptr);

    void setDraw(Draw draw);
    // Stretched: the picture fills the box; otherwise it sits at the top-left corner at its size.
    void setStretch(bool stretch);
    // The picture as last drawn for this box's screen.
    QImage picture() const;

signals:
    void mousePressed(Qt::MouseButton button);
    void mouseMoved();
    // The left button pressed and released over the box.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Draw m_draw;
    bool m_stretch = false;
    bool m_leftPressed = false;
    mutable QImage m_cache;
    mutable qreal m_cacheDpr = 0;
};

} // namespace tavemo::widgets
