#pragma once
// The data module TDM: the note database of the application directory and the operations that
// move the note of a day between the database and the note editor's document. The window hands
// in the day (the calendar's) and the document; TDM knows no widget.
//
// NoteReady keeps a load from being saved back: the window's text-change handler saves only while
// it is true. Its rules:
//   - false until start-up's first load; both operations set it false before touching anything;
//   - LoadDayNote sets it true only when the load succeeds, and leaves it false after a failure;
//   - SaveDayNote sets it true when it ends, whether the database took the write or not.
//
// Other programs write the same database (tavemo-notes put, a second window on a shared folder, a
// sync). TDM remembers the day and the revision its document was loaded from, and what the
// document held then, so that:
//   - a save stores only a document that differs from what was loaded or last stored: writing back
//     what the user did not change is what overwrites other writers;
//   - a save stores over the revision it was based on (save-if-unchanged); when another writer
//     changed the day in between, both texts are kept (SaveDayNote);
//   - the window can poll cheaply for a change made elsewhere (ReloadIfChangedElsewhere).
//
// TDM shows nothing itself: the window shows the texts below when an operation reports failure,
// and the message of a successful save when it has one.

#include "core/Outcome.h"
#include "engine/DateTime.h"
#include "notes/NoteBook.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QTextDocument>
#include <QTextFormat>

#include <memory>

namespace tavemo::notes {

// What the window shows when the database cannot be opened at start-up; the program then ends.
QString databaseOpenFailedText();
// What the window shows when a load fails.
QString noteLoadFailedText();
// What the window's red notice says after a save that kept both texts.
QString bothNotesKeptText();

// The editor's protected character attribute, as a property of QTextCharFormat; the window clears
// it on the selection before a save.
inline constexpr int ProtectedCharProperty = QTextFormat::UserProperty + 0x7D4D;

// The outcome of a note operation (core/Outcome.h). `message` is what the window shows for it
// (empty where it shows nothing of its own); `detail` says why it failed, in Chinese with the
// system's words after it, for the window's notice ("记事未能保存：" + detail) or a command line.
using OpenResult = Outcome;   // message: databaseOpenFailedText() when !ok()
using LoadResult = Outcome;   // message: noteLoadFailedText() when !ok()
using SaveResult = Outcome;   // ok() with message bothNotesKeptText() after keeping both texts;
                              // detail: why the note was not stored
using ReloadResult = Outcome; // as LoadResult when it reloaded

class TDM {
public:
    TDM();
    ~TDM();

    // Who the window's saves name as their origin: "tavemo-calendar@host".
    static QString origin();

    // Opens "Data/UserData.db" below the application directory for reading and writing (an already
    // open database is closed first); opening writes nothing. On failure the caller shows
    // result.message and ends the program; the detail names the file and says why.
    OpenResult DataModuleCreate(const QString& appDir);

    // Replaces `document` with the note of `day` (the time of day never matters); a day without a
    // note gives an empty document and creates no row. A note that cannot be read (RTF the reader
    // cannot follow) is a failure too, never shown as something else that a save would store over
    // it. On failure the document keeps what the failed step left in it and the caller shows
    // result.message.
    LoadResult LoadDayNote(engine::DateTime day, QTextDocument& document);

    // Stores `document` as the note of `day`, if it is the day the document was loaded from and
    // the document differs from what was loaded or last stored; an unchanged document stores
    // nothing and succeeds. Unchanged is the same document at the same QTextDocument::revision()
    // (which grows with every edit and undo), or a document whose RTF is the bytes loaded or last
    // stored (a change typed and undone on a note the window wrote). On a database error the stored note is unchanged and the result says
    // why, so that the window can tell the user.
    //
    // When another writer changed the day since the document was loaded (or last stored), nothing
    // of either text is lost: below the user's text the document gets a divider line saying where
    // and when the other text came from ("———— 另一份记事：2026-12-11 15:02 由 tavemo-notes（主机
    // xyz）写入 ————"; "由其他程序写入" for a writer that names no origin), then the other text
    // with its formatting, and that is stored. The result is ok() and its message is
    // bothNotesKeptText(), for the window's red notice.
    //
    // After a failed load of this day the document does not hold this day's note but whatever it
    // showed before (often another day's note): storing it would overwrite a note the user never
    // saw. Such a save stores nothing until a load of the day succeeds, and fails saying so; so
    // does a save of a day the document was never loaded from.
    SaveResult SaveDayNote(engine::DateTime day, QTextDocument& document);

    // For the window's poll (a timer, the window coming to the front): when the day's revision in
    // the database moved on since `document` was loaded or stored (one indexed lookup) and the
    // document holds nothing unsaved, loads the day again (as LoadDayNote, with its NoteReady
    // rules) and sets `*reloaded`. When the document holds unsaved changes it is left alone: the
    // next save keeps both texts. Nothing happens for a day the document was not loaded from.
    // `reloaded` (may be null) is false unless the day was loaded again.
    ReloadResult ReloadIfChangedElsewhere(engine::DateTime day, QTextDocument& document, bool* reloaded = nullptr);

    bool NoteReady() const { return m_noteReady; }
    // Start-up sets the flag false again before its first load.
    void setNoteReady(bool ready) { m_noteReady = ready; }

    // The open notes; null before a successful DataModuleCreate.
    NoteBook* book() const { return m_book.get(); }
    NoteStore* store() const { return m_book ? &m_book->store() : nullptr; }

private:
    // What the document holds, as of its last load or save.
    struct Held {
        QString key;                      // the day; empty when the document holds no day's note
        qint64 revision = 0;              // the stored revision its text is based on
        QByteArray bytes;                 // what was stored then (the RTF it wrote, or the bytes read)
        QPointer<QTextDocument> document; // whose revision() below is the one of that moment
        int documentRevision = -1;
    };
    bool unchangedSince(const QTextDocument& document, const QByteArray* rtf) const;
    void hold(QString key, qint64 revision, QByteArray bytes, QTextDocument& document);
    SaveResult keepBoth(engine::DateTime day, QTextDocument& document);

    std::unique_ptr<NoteBook> m_book;
    bool m_noteReady = false;
    QString m_unloadedKey; // the day whose last load failed, until a load succeeds
    Held m_held;
};

} // namespace tavemo::notes
