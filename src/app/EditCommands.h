#pragma once
// The editing commands of the note, on any QTextEdit: the marks √ and ×, the three coloured tags,
// the time stamp " HH:MM ", the colour and the font of the selection, and the clipboard and undo
// commands of the editor's menu. The colour and font dialogs start where the last confirmed one
// ended (black, and 宋体 of 12 points in black, at first). Cancelling a dialog changes nothing.

#include "app/Environment.h"

#include <QColor>
#include <QString>

class QTextEdit;
class QWidget;

namespace tavemo::app {

class EditCommands {
public:
    static inline const QString kCheckMark = QStringLiteral("√");
    static inline const QString kCrossMark = QStringLiteral("×");
    static inline const QString kTagBlock = QStringLiteral("█");

    // The colours of the tags 红, 蓝 and 粉红.
    static QColor redTag();
    static QColor blueTag();
    static QColor pinkTag();

    // `editor` and `env` outlive the commands.
    EditCommands(QTextEdit& editor, Environment& env);

    // Replaces the selection (or inserts at the caret) with `text`.
    void replaceSelection(const QString& text);
    // Sets the selection's text colour (with none selected: of the text typed next), then replaces
    // the selection with one █: a single block character in that colour.
    void tag(const QColor& color);
    // Replaces the selection with the clock's time as " HH:MM ".
    void insertTime();
    // Only while the editor has the keyboard focus: the colour dialog, then the selection's colour.
    void chooseColor(QWidget* parent);
    // The font dialog (whatever has the focus), then the selection's font: name, colour, size,
    // pitch and style; Han text of a Latin face shows in the simplified Chinese face.
    void chooseFont(QWidget* parent);
    void deleteSelection();

    QColor lastColor() const { return m_lastColor; }
    ChosenFont lastFont() const { return m_lastFont; }

private:
    void setSelectionColor(const QColor& color);

    QTextEdit& m_editor;
    Environment& m_env;
    QColor m_lastColor = Qt::black;
    ChosenFont m_lastFont;
};

} // namespace tavemo::app
