#pragma once
// The note of the day the calendar shows, on the right of the window: the white panel pngRight,
// the bevelled panel pnlABC filling it, the editor rdtAbc inside the bevels, and above the editor
// the red notice saveNotice while saves fail ("记事未能保存：" and the reason; hidden once a save
// succeeds again). Shown beside the note rather than in a box, so that typing goes on undisturbed.
//
// The panel is the only part of the program that calls the data module: it loads the note of the
// calendar's day, stores it, and reads the note-ready flag. It saves on every change of the text
// while `savesOnChange` says so (the note page number is not 0) and the flag is true; the window
// asks it to save whenever the editor loses the focus and on every way of ending.
//
// Other programs write the same notes (tavemo-notes put, later sync). The data module never stores
// over their text: when both changed the day, both texts are kept, the other below a divider line,
// and the notice says so (it stays until another day is loaded). When only the other program
// changed it, the panel shows the new text: it looks every couple of seconds and whenever the
// window comes to the front (refresh()).

#include <QObject>
#include <QString>

#include <functional>

class QFrame;
class QLabel;
class QTextEdit;
class QWidget;

namespace tavemo::calendar_view {
class TChnCalendar;
}
namespace tavemo {
struct Outcome;
}
namespace tavemo::notes {
class TDM;
}

namespace tavemo::app {

struct Environment;

class NotePanel : public QObject {
    Q_OBJECT
public:
    // Makes the components on `window` (pngRight and all inside it). `dm`, `env` and `window`
    // outlive the panel, which is a child of the window.
    NotePanel(notes::TDM& dm, Environment& env, QWidget& window, std::function<bool()> savesOnChange);

    // The calendar whose day the note belongs to; the window gives it once it has made it.
    void setCalendar(const calendar_view::TChnCalendar& calendar) { m_calendar = &calendar; }
    // The calendar's date-time value (0 before there is a calendar): the day the data module
    // loads and stores.
    double selectedDay() const;

    QTextEdit& editor() const { return *m_editor; }
    // pngRight, which the window places.
    QWidget& panel() const { return *m_pngRight; }

    // Places pnlABC, the notice and the editor in pngRight, wherever the window put that.
    void layOutInside();

    // No note has been loaded yet (the window's creation step): edit-time saves stop until a load
    // or a save has run.
    void clearReady();
    // Loads the note of the calendar's day; a failure is shown in a message box.
    void load();
    // Stores the editor's note under the calendar's day and shows or hides the notice.
    void save();
    // The editor's text changed: saved at once when `savesOnChange` and the flag allow it.
    void textChanged();
    // Shows the day's note again when another program changed it and the editor holds nothing
    // unsaved (a timer runs it every kRefreshMs, the window when it is activated).
    void refresh();
    static constexpr int kRefreshMs = 2000;

    // Clears the protected attribute on the editor's selection and on the format of the text typed
    // next (the note is stored without it). Only fragments that carry it are touched, so the
    // clearing leaves no step on the undo stack.
    static void clearProtected(QTextEdit& editor);

private:
    void showSaveResult(const Outcome& result);
    void showNotice(const QString& text);
    void hideNotice();

    notes::TDM& m_dm;
    Environment& m_env;
    QWidget& m_window;
    std::function<bool()> m_savesOnChange;
    const calendar_view::TChnCalendar* m_calendar = nullptr;
    bool m_saving = false;
    bool m_keptBothShown = false; // the notice says both texts were kept (not a failure)

    QWidget* m_pngRight = nullptr;
    QFrame* m_pnlABC = nullptr;
    QLabel* m_saveNotice = nullptr;
    QTextEdit* m_editor = nullptr;
};

} // namespace tavemo::app
