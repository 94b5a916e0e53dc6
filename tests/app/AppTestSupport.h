#pragma once
// Shared by the window checks: a throw-away application directory with the empty note database
// the build delivers, an environment whose clock, dialogs, browser, message boxes and screens the
// check controls, and the main window built on both the way the program builds it.

#include "app/Environment.h"
#include "app/NotePanel.h"
#include "app/WallpaperFlow.h"
#include "app/WebPanel.h"
#include "app/uMain.h"
#include "calendar_view/ChnCalendarPicker.h"
#include "dialogs/uInfoFrm.h"
#include "dialogs/uPicSel.h"
#include "engine/DateTime.h"
#include "notes/uDM.h"
#include "widgets/CaptionButton.h"
#include "widgets/PictureBox.h"
#include "widgets/WindowFrame.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QList>
#include <QMenu>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace tavemo::app::test {

using widgets::CaptionButton;
using widgets::PictureBox;
using widgets::WindowFrame;

// The component or job of the window that carries `name` as its objectName (checks find the
// window's parts as a user names them, not through the window's class); the check fails when there
// is none.
template <typename T>
T* find(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no " << name;
    return found;
}

// Days since 1899-12-30 of a local date and time.
double dateTime(int year, int month, int day, int hour = 0, int minute = 0);

// What the window asked of its environment, and what the environment answers.
struct Recorder {
    double now = 0;
    std::optional<QColor> colorAnswer;    // nothing: the colour dialog is cancelled
    std::optional<ChosenFont> fontAnswer; // nothing: the font dialog is cancelled
    QList<QColor> colorDialogStarts;      // the colour each colour dialog started with
    QList<ChosenFont> fontDialogStarts;
    QList<QUrl> openedUrls;
    QStringList messages;              // text, then "\n" and the detail when there is one
    QList<QStringList> pictureAnswers; // what each picture dialog returns, in turn; none left: cancelled
    int pictureDialogs = 0;
    // The stand-in desktop: the files it was given, and its answer (non-empty: it refuses).
    bool hasDesktop = true;
    QStringList installed;
    QString installRefusal;
    QRect primary{0, 0, 1024, 768};
    QList<QRect> screens{QRect(0, 0, 1024, 768)};
    int quits = 0;

    Environment environment();
};

// Runs `act` on the next modal dialog as soon as it shows (from the event loop of its exec()).
void onNextModal(std::function<void(QWidget* dialog)> act);

// A temporary application directory with an empty note database.
class AppDir {
public:
    AppDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const;
    QByteArray read(const QString& relative) const;
    void write(const QString& relative, const QByteArray& bytes) const;
    bool exists(const QString& relative) const;

    // The stored note of a day as plain text; nothing when the day has no row.
    std::optional<QString> noteText(const QString& key) const;
    // Stores plain text (read back as a plain-text note) for a day, below the program.
    void putNote(const QString& key, const QString& text) const;
    // Runs SQL on the database through a connection of its own.
    void sql(const QString& statement) const;

private:
    QTemporaryDir m_dir;
};

// The main window over an application directory, created as the program creates it.
struct Program {
    explicit Program(const AppDir& dir, Recorder& recorder, bool show = true);
    ~Program();

    TMainFrm& window() { return *frm; }
    QTextEdit& editor() { return *find<QTextEdit>(*frm, "rdtAbc"); }
    // Puts the keyboard focus into the editor (the window is active first).
    void focusEditor();
    // Types text at the end of the note the way a keyboard does.
    void type(const QString& text);
    // Makes the calendar show another date (as a menu or the today link does).
    void selectDate(double value);

    notes::TDM dm;
    std::unique_ptr<TMainFrm> frm;
};

// Closes every open menu, so that none is left for the next check.
void closePopups();

// The application directory's copy of the program, and the files a start needs beside it.
QString installProgram(const AppDir& dir);

} // namespace tavemo::app::test
