#pragma once
// The outcome of every operation on the notes: the note store's, the data module's and the
// command line's. A failure carries its kind, for callers that act on it (the exit status of a
// command), and a detail for people: the reason in Chinese, then the system's own words in
// brackets ("磁盘已满（database or disk is full）").

#include <QString>

namespace tavemo::notes {

enum class NoteFailure {
    None,
    Missing,         // the database file does not exist
    NotNoteDatabase, // not a SQLite file, or without the table of notes
    NewerSchema,     // written by a newer version of the program
    Busy,            // another program holds the lock past the wait
    Corrupt,         // the file is damaged
    DiskFull,
    NoPermission,    // the user may not write (or read) the file or its folder
    ReadOnlyMedia,   // the file system is mounted read-only
    Io,              // the disk failed to read or write
    OutOfMemory,
    Refused,         // the database refused the write (a constraint or a trigger)
    Conflict,        // the note was changed elsewhere since it was read: nothing was written
    NotReady,        // the data module cannot act now (no database, no day, a day not loaded)
    Unreadable,      // a stored note or a file the reader cannot read faithfully
    Other,           // any other failure of the database
    System,          // any other failure of a system call (errno)
};

// The Chinese name of a kind of failure ("磁盘已满"); empty for None.
QString failureText(NoteFailure failure);
// The kind of failure an errno value stands for.
NoteFailure failureOfErrno(int error);

struct NoteResult {
    bool ok = false;
    QString message; // what the window shows for it; empty where it shows nothing of its own
    QString detail;  // why it failed, in Chinese, with the system's words after it
    NoteFailure failure = NoteFailure::None;
    explicit operator bool() const { return ok; }

    static NoteResult success() { return {true, {}, {}, NoteFailure::None}; }
    // detail = failureText(failure), then "（systemText）" when there is one.
    static NoteResult failed(NoteFailure failure, const QString &systemText = {});
    // The failure an errno value stands for, with the system's text for it.
    static NoteResult failedWithErrno(int error);
};

} // namespace tavemo::notes
