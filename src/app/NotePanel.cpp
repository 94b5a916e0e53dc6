#include "app/NotePanel.h"

#include "app/Environment.h"
#include "calendar_view/ChnCalendarPicker.h"
#include "drawing/FontSetup.h"
#include "notes/uDM.h"
#include "widgets/WindowLook.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <utility>
#include <vector>

namespace tavemo::app {
namespace {

constexpr int kBevel = widgets::kNotePanelBevel;

// pnlABC: white, framed by a raised outer and a lowered inner bevel of one pixel each.
class BevelPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, Qt::white);
        const QColor light(255, 255, 255), shadow(160, 160, 160), dark(105, 105, 105), face(227, 227, 227);
        auto bevel = [&p](QRect b, const QColor& topLeft, const QColor& bottomRight) {
            p.fillRect(QRect(b.left(), b.top(), b.width(), 1), topLeft);
            p.fillRect(QRect(b.left(), b.top(), 1, b.height()), topLeft);
            p.fillRect(QRect(b.left(), b.bottom(), b.width(), 1), bottomRight);
            p.fillRect(QRect(b.right(), b.top(), 1, b.height()), bottomRight);
        };
        bevel(r, face.lighter(105), dark);              // raised outer
        bevel(r.adjusted(1, 1, -1, -1), shadow, light); // lowered inner
    }
};

} // namespace

NotePanel::NotePanel(notes::TDM& dm, Environment& env, QWidget& window, std::function<bool()> savesOnChange)
    : QObject(&window), m_dm(dm), m_env(env), m_window(window), m_savesOnChange(std::move(savesOnChange))
{
    setObjectName(QStringLiteral("notePanel"));

    // pngRight is white; its white shape shpRight draws nothing more.
    m_pngRight = new QWidget(&window);
    m_pngRight->setObjectName(QStringLiteral("pngRight"));
    widgets::setWhiteGround(*m_pngRight);
    m_pnlABC = new BevelPanel(m_pngRight);
    m_pnlABC->setObjectName(QStringLiteral("pnlABC"));

    m_saveNotice = new QLabel(m_pnlABC);
    m_saveNotice->setObjectName(QStringLiteral("saveNotice"));
    m_saveNotice->setWordWrap(true);
    m_saveNotice->setFont(drawing::makeFont(drawing::FontSpec{drawing::kSongFamily, 12}));
    m_saveNotice->setAutoFillBackground(true);
    QPalette notice = m_saveNotice->palette();
    notice.setColor(QPalette::Window, QColor(255, 236, 236));
    notice.setColor(QPalette::WindowText, QColor(200, 0, 0));
    m_saveNotice->setPalette(notice);
    m_saveNotice->setContentsMargins(4, 2, 4, 2);
    m_saveNotice->setFocusPolicy(Qt::NoFocus);
    m_saveNotice->hide();

    m_editor = new QTextEdit(m_pnlABC);
    m_editor->setObjectName(QStringLiteral("rdtAbc"));
    widgets::setUpNoteEditor(*m_editor);

    auto* poll = new QTimer(this);
    poll->setObjectName(QStringLiteral("noteRefresh"));
    poll->setInterval(kRefreshMs);
    connect(poll, &QTimer::timeout, this, &NotePanel::refresh);
    poll->start();
}

double NotePanel::selectedDay() const { return m_calendar ? m_calendar->DateTime() : 0.0; }

void NotePanel::layOutInside()
{
    m_pnlABC->setGeometry(m_pngRight->rect());
    const QRect inside = m_pnlABC->rect().adjusted(kBevel, kBevel, -kBevel, -kBevel);
    int noticeHeight = 0;
    if (!m_saveNotice->isHidden()) {
        noticeHeight = m_saveNotice->heightForWidth(inside.width());
        if (noticeHeight <= 0)
            noticeHeight = m_saveNotice->sizeHint().height();
        m_saveNotice->setGeometry(inside.left(), inside.top(), inside.width(), noticeHeight);
    }
    m_editor->setGeometry(inside.adjusted(0, noticeHeight, 0, 0));
}

void NotePanel::clearReady() { m_dm.setNoteReady(false); }

void NotePanel::load()
{
    const notes::LoadResult result = m_dm.LoadDayNote(selectedDay(), *m_editor->document());
    if (m_keptBothShown) // that was about the day shown before
        hideNotice();
    if (!result.ok())
        m_env.showMessage(m_window.isVisible() ? &m_window : nullptr, result.message, result.detail);
}

void NotePanel::save()
{
    // Clearing the attribute changes the document, and a change would save again from inside.
    if (m_saving)
        return;
    const QScopedValueRollback<bool> saving(m_saving, true);
    clearProtected(*m_editor);
    const int anchor = m_editor->textCursor().anchor(); // numbers: a cursor would move with the text
    const int position = m_editor->textCursor().position();
    const Outcome result = m_dm.SaveDayNote(selectedDay(), *m_editor->document());
    if (result.ok() && !result.message.isEmpty()) {
        // The other text went below the user's: the caret stays where the user was typing.
        QTextCursor caret(m_editor->document());
        caret.setPosition(anchor);
        caret.setPosition(position, QTextCursor::KeepAnchor);
        m_editor->setTextCursor(caret);
    }
    showSaveResult(result);
}

void NotePanel::refresh()
{
    if (m_saving)
        return;
    // The reload replaces the document: keep the reader's place in it.
    const int position = m_editor->textCursor().position();
    bool reloaded = false;
    const notes::ReloadResult result = m_dm.ReloadIfChangedElsewhere(selectedDay(), *m_editor->document(), &reloaded);
    if (reloaded) {
        QTextCursor cursor(m_editor->document());
        cursor.setPosition(std::min(position, m_editor->document()->characterCount() - 1));
        m_editor->setTextCursor(cursor);
    }
    if (!result.ok())
        showNotice(QStringLiteral("记事未能重新加载：") + result.text());
}

void NotePanel::textChanged()
{
    if (m_savesOnChange() && m_dm.NoteReady())
        save();
}

void NotePanel::showSaveResult(const Outcome& result)
{
    if (result.ok() && !result.message.isEmpty()) { // stored, keeping another program's text too
        showNotice(result.message);
        m_keptBothShown = true;
        return;
    }
    if (result.ok()) {
        if (!m_keptBothShown)
            hideNotice();
        return;
    }
    showNotice(QStringLiteral("记事未能保存：") + result.detail);
}

void NotePanel::showNotice(const QString& text)
{
    m_keptBothShown = false;
    if (m_saveNotice->isHidden() || m_saveNotice->text() != text) {
        m_saveNotice->setText(text);
        m_saveNotice->show();
        layOutInside();
    }
}

void NotePanel::hideNotice()
{
    m_keptBothShown = false;
    if (!m_saveNotice->isHidden()) {
        m_saveNotice->hide();
        layOutInside();
    }
}

void NotePanel::clearProtected(QTextEdit& editor)
{
    const QTextCursor selection = editor.textCursor();
    if (selection.hasSelection()) {
        QTextDocument* document = editor.document();
        const int start = selection.selectionStart();
        const int end = selection.selectionEnd();
        std::vector<std::pair<int, int>> ranges;
        for (QTextBlock block = document->findBlock(start); block.isValid() && block.position() < end;
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int from = std::max(fragment.position(), start);
                const int to = std::min(fragment.position() + fragment.length(), end);
                if (from < to && fragment.charFormat().hasProperty(notes::ProtectedCharProperty))
                    ranges.emplace_back(from, to);
            }
        }
        for (const auto& [from, to] : ranges) {
            QTextCursor part(document);
            part.setPosition(from);
            part.setPosition(to, QTextCursor::KeepAnchor);
            QTextCharFormat format = part.charFormat(); // the fragment is uniform: one format
            format.clearProperty(notes::ProtectedCharProperty);
            part.setCharFormat(format);
        }
    }
    QTextCharFormat typing = editor.currentCharFormat();
    if (typing.hasProperty(notes::ProtectedCharProperty)) {
        typing.clearProperty(notes::ProtectedCharProperty);
        editor.setCurrentCharFormat(typing);
    }
}

} // namespace tavemo::app
