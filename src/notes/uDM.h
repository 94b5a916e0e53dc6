#pragma once
// The data module TDM: the note database of the application directory and the two operations
// that move the note of the calendar's selected day between the database and the note editor.
//
// NoteReady keeps a load from being saved back: the window's text-change handler saves only while
// it is true. Its rules:
//   - false until start-up's first load; both operations set it false before touching anything;
//   - LoadDayNote sets it true only when the load succeeds, and leaves it false after a failure;
//   - SaveDayNote sets it true when it ends, whether the database took the write or not.
//
// TDM shows nothing itself: the window shows the texts below when an operation reports failure.

#include "notes/NoteResult.h"
#include "notes/NoteStore.h"

#include <QString>
#include <QTextFormat>

#include <functional>
#include <memory>

class QTextEdit;

namespace tavemo::notes {

// What the window shows when the database cannot be opened at start-up; the program then ends.
QString databaseOpenFailedText();
// What the window shows when a load fails.
QString noteLoadFailedText();

// The editor's protected character attribute, as a property of QTextCharFormat; a save clears it
// on the selection first.
inline constexpr int ProtectedCharProperty = QTextFormat::UserProperty + 0x7D4D;

// The outcome of a note operation (NoteResult.h). `message` is what the window shows for it (empty
// where it shows nothing of its own); `detail` says why it failed, in Chinese with the system's
// words after it, for the window's notice ("记事未能保存：" + detail) or a command line.
using OpenResult = NoteResult; // message: databaseOpenFailedText() when !ok
using LoadResult = NoteResult; // message: noteLoadFailedText() when !ok
using SaveResult = NoteResult; // message: empty; detail: why the note was not stored

class TDM {
public:
    // `calendarDate` gives the calendar's selected date-time value (days since 1899-12-30).
    using DateSource = std::function<double()>;
    explicit TDM(DateSource calendarDate);
    ~TDM();

    // Opens "Data/UserData.db" below the application directory for reading and writing (an already
    // open database is closed first); opening writes nothing. On failure the caller shows
    // result.message and ends the program.
    OpenResult DataModuleCreate(const QString &appDir);

    // Replaces the editor's document with the note of the calendar's day; a day without a note
    // gives an empty editor and creates no row. A note that cannot be read (RTF the reader cannot
    // follow) is a failure too, never shown as something else that a save would store over it.
    // On failure the editor keeps what the failed step left in it and the caller shows
    // result.message.
    LoadResult LoadDayNote(QTextEdit &rdtAbc);

    // Stores the editor's document as the note of the calendar's day. On a database error the
    // stored note is unchanged and the result says why, so that the window can tell the user.
    //
    // After a failed load of this day the editor does not hold this day's note but whatever it
    // showed before (often another day's note): storing it would overwrite a note the user never
    // saw. Such a save stores nothing until a load of the day succeeds, and fails saying so.
    SaveResult SaveDayNote(QTextEdit &rdtAbc);

    bool NoteReady() const { return m_noteReady; }
    // Start-up sets the flag false again before its first load.
    void setNoteReady(bool ready) { m_noteReady = ready; }

    // The open database; null before a successful DataModuleCreate.
    NoteStore *store() const { return m_store.get(); }

private:
    DateSource m_calendarDate;
    std::unique_ptr<NoteStore> m_store;
    bool m_noteReady = false;
    QString m_unloadedKey; // the day whose last load failed, until a load succeeds
};

} // namespace tavemo::notes
