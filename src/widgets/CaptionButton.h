#pragma once
// One caption button of a borderless window: three stacked pictures of which one shows (normal,
// highlight, down). The button only reports the pointer; the window decides which picture shows
// (its state table). The normal picture may sit a little to the right of the other two (the
// minimise button's normal picture is one pixel right of its highlight and down pictures); the
// pointer counts as over the normal picture only inside it.

#include "widgets/WindowPictures.h"

#include <QImage>
#include <QWidget>

namespace tavemo::widgets {

class CaptionButton : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Close, Minimise };
    using State = widgets::ButtonState;

    // `normalOffset`: how far right of the box's left edge the normal picture sits.
    CaptionButton(Kind kind, int normalOffset, QWidget* parent = nullptr);

    State state() const { return m_state; }
    void setState(State state);
    // The picture that shows now, at this box's pixel ratio.
    QImage visiblePicture() const;

signals:
    // The pointer moved over the normal picture while it shows.
    void normalMouseMove();
    // A mouse button went down on the highlight picture while it shows.
    void highlightMouseDown();
    // The left button pressed on the highlight picture was released (anywhere).
    void highlightMouseUp();
    // The left button was pressed on the highlight picture and released over the button; comes
    // after highlightMouseUp.
    void highlightClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRect pictureRect(State state) const;

    Kind m_kind;
    int m_normalOffset;
    State m_state = State::Normal;
    bool m_clickArmed = false; // left press on the highlight picture, waiting for its release
};

} // namespace tavemo::widgets
