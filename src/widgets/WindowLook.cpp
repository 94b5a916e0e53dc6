#include "widgets/WindowLook.h"

#include "drawing/FontSetup.h"

#include <QFrame>
#include <QPalette>
#include <QTextEdit>

namespace tavemo::widgets {

QSize noteEditorSize(QSize windowSize)
{
    return kNotePanelDesignSize + (windowSize - kDesignSize) - QSize(2 * kNotePanelBevel, 2 * kNotePanelBevel);
}

QSize startWindowSize(std::optional<QSize> saved)
{
    return saved.value_or(kDefaultWindowSize).expandedTo(kMinimumWindowSize);
}

void setUpNoteEditor(QTextEdit& editor)
{
    editor.setAcceptRichText(true);
    editor.setFrameShape(QFrame::NoFrame);
    editor.setFont(drawing::makeFont(drawing::FontSpec{drawing::kSongFamily, 15}));
    QPalette palette = editor.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    editor.setPalette(palette);
}

void setWhiteGround(QWidget& panel)
{
    panel.setAutoFillBackground(true);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel.setPalette(palette);
}

} // namespace tavemo::widgets
