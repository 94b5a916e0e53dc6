#pragma once
// A transparent one-line label that sizes itself to its text. A right-anchored label keeps its
// right edge and grows to the left.

#include <QColor>
#include <QWidget>

namespace tavemo::calendar_view {

class CaptionLabel : public QWidget {
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    // Also resizes the label to its text.
    void setLabelFont(const QFont& font);

    // Keeps the right edge at `x` from now on (the label then grows to the left).
    void anchorRightEdgeAt(int x);

    QSize sizeHint() const override;

signals:
    void leftClicked(QPoint globalPos);
    void contextMenuAt(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void fitToText();

    QString m_text;
    QColor m_color = Qt::black;
    int m_rightEdge = -1; // < 0: anchored at the left
};

} // namespace tavemo::calendar_view
