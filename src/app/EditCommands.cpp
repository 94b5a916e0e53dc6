#include "app/EditCommands.h"

#include "drawing/Drawing.h"
#include "drawing/FontSetup.h"
#include "engine/DateTime.h"

#include <QTextCursor>
#include <QTextEdit>

namespace tavemo::app {

QColor EditCommands::redTag() { return drawing::toQColor(0x000000FF); }
QColor EditCommands::blueTag() { return drawing::toQColor(0x00FF0000); }
QColor EditCommands::pinkTag() { return drawing::toQColor(0x00FF00FF); }

EditCommands::EditCommands(QTextEdit& editor, Environment& env) : m_editor(editor), m_env(env)
{
    // 宋体 of 16 pixels (12 points on a 96 dpi screen), black.
    m_lastFont.font = QFont(drawing::kSongFamily);
    m_lastFont.font.setPointSizeF(12.0);
    m_lastFont.color = Qt::black;
}

void EditCommands::replaceSelection(const QString& text)
{
    QTextCursor cursor = m_editor.textCursor();
    cursor.insertText(text);
    m_editor.setTextCursor(cursor);
}

void EditCommands::setSelectionColor(const QColor& color)
{
    QTextCharFormat format;
    format.setForeground(color);
    m_editor.mergeCurrentCharFormat(format);
}

void EditCommands::tag(const QColor& color)
{
    setSelectionColor(color);
    replaceSelection(kTagBlock);
}

void EditCommands::insertTime()
{
    int hour = 0, minute = 0, second = 0, msec = 0;
    engine::decodeTime(m_env.now(), hour, minute, second, msec);
    replaceSelection(QStringLiteral(" %1:%2 ").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0')));
}

void EditCommands::deleteSelection()
{
    QTextCursor cursor = m_editor.textCursor();
    cursor.removeSelectedText();
    m_editor.setTextCursor(cursor);
}

void EditCommands::chooseColor(QWidget* parent)
{
    if (!m_editor.hasFocus())
        return;
    const std::optional<QColor> chosen = m_env.chooseColor(parent, m_lastColor);
    if (!chosen)
        return;
    m_lastColor = *chosen;
    setSelectionColor(*chosen);
}

void EditCommands::chooseFont(QWidget* parent)
{
    const std::optional<ChosenFont> chosen = m_env.chooseFont(parent, m_lastFont);
    if (!chosen)
        return;
    m_lastFont = *chosen;
    const QFont& font = chosen->font;
    QTextCharFormat format;
    // Name, colour, size, pitch, style; the code page of the text follows from the face when the
    // note is written.
    QStringList families{font.family()};
    if (font.family() != QLatin1String(drawing::kHanFallbackFamily))
        families << QString::fromLatin1(drawing::kHanFallbackFamily);
    format.setFontFamilies(families);
    format.setForeground(chosen->color);
    format.setFontPointSize(font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75);
    format.setFontFixedPitch(font.fixedPitch());
    format.setFontWeight(font.weight());
    format.setFontItalic(font.italic());
    format.setFontUnderline(font.underline());
    format.setFontStrikeOut(font.strikeOut());
    m_editor.mergeCurrentCharFormat(format);
}

} // namespace tavemo::app
