// The window's parts that can be driven alone: the layout table on plain widgets, the editing
// commands and the note panel's clearing of the protected attribute on a bare editor.

#include "app/EditCommands.h"
#include "app/MainWindowLayout.h"
#include "app/NotePanel.h"
#include "engine/DateTime.h"
#include "notes/uDM.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QWidget>

namespace tavemo::app {
namespace {

const LayoutEntry& entry(const char* name)
{
    for (const LayoutEntry& e : mainWindowLayout())
        if (QLatin1String(e.name) == QLatin1String(name))
            return e;
    ADD_FAILURE() << "no entry " << name;
    static const LayoutEntry none{"", {}, {}};
    return none;
}

TEST(MainWindowLayout, AnchorsFollowTheWindowFromTheDesignSize)
{
    const QSize bigger(834, 512); // 100 wider, 50 taller than the design size
    struct Case {
        const char* name;
        QRect design, bigger;
    };
    const Case cases[] = {
        {"imgBG", QRect(0, 0, 734, 462), QRect(0, 0, 834, 512)},
        {"img_close", QRect(QPoint(694, 1), QSize()), QRect(QPoint(794, 1), QSize())},
        {"lblSet", QRect(QPoint(587, 56), QSize()), QRect(QPoint(687, 56), QSize())},
        {"imgAppToDesk", QRect(646, 45, 84, 29), QRect(746, 45, 84, 29)},
        {"imgFont", QRect(317, 58, 20, 17), QRect(317, 58, 20, 17)},
        {"pngRight", QRect(315, 80, 415, 377), QRect(315, 80, 515, 427)},
        {"pnlLeft", QRect(2, 82, 311, 441), QRect(2, 82, 311, 441)},
        {"chnCalendar", QRect(0, 0, 311, 253), QRect(0, 0, 311, 253)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(placeAt(entry(c.name), QSize(734, 462)), c.design) << c.name;
        EXPECT_EQ(placeAt(entry(c.name), bigger), c.bigger) << c.name;
    }
}

TEST(MainWindowLayout, LaysOutNamedComponentsAtAnyDepthAndLeavesTheRest)
{
    QWidget window;
    window.resize(834, 512);
    auto child = [](QWidget* parent, const char* name) {
        auto* w = new QWidget(parent);
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(1, 2, 3, 4);
        return w;
    };
    QWidget* label = child(&window, "lblSet");
    QWidget* note = child(&window, "pngRight");
    QWidget* calendar = child(child(&window, "pnlLeft"), "chnCalendar");
    QWidget* other = child(&window, "somethingElse");
    layOut(window);
    EXPECT_EQ(label->geometry(), QRect(687, 56, 3, 4)); // moved, its own size kept
    EXPECT_EQ(note->geometry(), QRect(315, 80, 515, 427));
    EXPECT_EQ(calendar->geometry(), QRect(0, 0, 311, 253));
    EXPECT_EQ(other->geometry(), QRect(1, 2, 3, 4));
    EXPECT_FALSE(place(*other, window.size()));
}

struct Bare {
    Bare()
    {
        env.now = [this] { return clock; };
        env.chooseColor = [this](QWidget*, const QColor&) -> std::optional<QColor> {
            ++colourDialogs;
            return QColor(Qt::green);
        };
        editor.setPlainText(QStringLiteral("abcdef"));
    }
    void select(int from, int to)
    {
        QTextCursor c(editor.document());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        editor.setTextCursor(c);
    }
    double clock = 0;
    int colourDialogs = 0;
    Environment env;
    QTextEdit editor;
    EditCommands commands{editor, env};
};

TEST(EditCommands, MarksTagsAndTimeStampsReplaceTheSelection)
{
    double at905 = 0, at0 = 0, at2307 = 0;
    ASSERT_TRUE(engine::tryEncodeDate(2011, 6, 29, at905));
    at0 = at905;
    at2307 = at905 + (23 * 60 + 7) / 1440.0;
    at905 += (9 * 60 + 5) / 1440.0;
    struct Case {
        const char* name;
        std::function<void(EditCommands&, Bare&)> act;
        QString text;
    };
    const Case cases[] = {
        {"check mark", [](EditCommands& e, Bare&) { e.replaceSelection(EditCommands::kCheckMark); },
         QStringLiteral("a√def")},
        {"cross mark", [](EditCommands& e, Bare&) { e.replaceSelection(EditCommands::kCrossMark); },
         QStringLiteral("a×def")},
        {"tag", [](EditCommands& e, Bare&) { e.tag(EditCommands::redTag()); }, QStringLiteral("a█def")},
        {"delete", [](EditCommands& e, Bare&) { e.deleteSelection(); }, QStringLiteral("adef")},
        {"09:05",
         [at905](EditCommands& e, Bare& b) {
             b.clock = at905;
             e.insertTime();
         },
         QStringLiteral("a 09:05 def")},
        {"00:00",
         [at0](EditCommands& e, Bare& b) {
             b.clock = at0;
             e.insertTime();
         },
         QStringLiteral("a 00:00 def")},
        {"23:07",
         [at2307](EditCommands& e, Bare& b) {
             b.clock = at2307;
             e.insertTime();
         },
         QStringLiteral("a 23:07 def")},
    };
    for (const Case& c : cases) {
        Bare b;
        b.select(1, 3);
        c.act(b.commands, b);
        EXPECT_EQ(b.editor.toPlainText(), c.text) << c.name;
    }
    Bare tagged;
    tagged.select(1, 4);
    tagged.commands.tag(EditCommands::blueTag());
    QTextCursor block(tagged.editor.document());
    block.setPosition(2); // the format of the character before: the █
    EXPECT_EQ(block.charFormat().foreground().color(), EditCommands::blueTag());
}

TEST(EditCommands, TheColourDialogOpensOnlyWhileTheEditorHasTheFocus)
{
    Bare b; // never shown, so it never has the focus
    b.select(0, 2);
    b.commands.chooseColor(nullptr);
    EXPECT_EQ(b.colourDialogs, 0);
    EXPECT_EQ(b.commands.lastColor(), QColor(Qt::black));
}

TEST(NotePanel, ClearsTheProtectedAttributeOfTheSelectionAndOfTypingOnly)
{
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("abcdef"));
    QTextCharFormat protectedFormat;
    protectedFormat.setProperty(notes::ProtectedCharProperty, true);
    QTextCursor all(editor.document());
    all.select(QTextCursor::Document);
    all.mergeCharFormat(protectedFormat);
    QTextCursor selection(editor.document());
    selection.setPosition(1);
    selection.setPosition(3, QTextCursor::KeepAnchor);
    editor.setTextCursor(selection);
    editor.mergeCurrentCharFormat(protectedFormat);

    NotePanel::clearProtected(editor);
    const auto isProtected = [&](int position) {
        QTextCursor probe(editor.document());
        probe.setPosition(position + 1); // the format of the character before the cursor
        return probe.charFormat().hasProperty(notes::ProtectedCharProperty);
    };
    EXPECT_EQ((QList<bool>{isProtected(0), isProtected(1), isProtected(2), isProtected(3)}),
              (QList<bool>{true, false, false, true}));
    EXPECT_FALSE(editor.currentCharFormat().hasProperty(notes::ProtectedCharProperty));
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("abcdef"));

    // Nothing protected any more: clearing again leaves the undo stack as it is.
    const int steps = editor.document()->availableUndoSteps();
    NotePanel::clearProtected(editor);
    EXPECT_EQ(editor.document()->availableUndoSteps(), steps);
}

} // namespace
} // namespace tavemo::app
