#pragma once
// The outcome of every operation of the program that can fail: the note store's, the files', the
// pictures', the desktop's. One shape with one meaning of ok(): no failure happened.
//
// A failure carries its kind, for callers that act on it (an exit status, a retry, a conflict to
// resolve), and up to two texts in Chinese:
//   - `message`: the sentence a user is shown for it, when the operation knows one ("无法写入文件
//     …"); empty where the caller words its own;
//   - `detail`: why it failed, the reason in Chinese and then the system's own words in brackets
//     ("磁盘已满（database or disk is full）"), for a notice, a detailed text or a command line.
// text() is what to show when only one line fits: the message, else the detail.
//
// Result<T> is a value with its outcome (g++ 12 has no std::expected); the value is meaningful
// only when ok().

#include <QString>

#include <utility>

namespace tavemo {

enum class Failure {
    None,
    Missing,         // the file (or the database) does not exist
    NotNoteDatabase, // not a SQLite file, or without the table of notes
    NewerSchema,     // written by a newer version of the program
    Busy,            // another program holds the lock past the wait, or the same work is already running
    Conflict,        // someone else changed it since it was read; nothing was written
    Corrupt,         // the file is damaged
    DiskFull,
    NoPermission,  // the user may not write (or read) the file or its folder
    ReadOnlyMedia, // the file system is mounted read-only
    Io,            // the disk failed to read or write
    OutOfMemory,
    Refused,     // the database refused the write (a constraint or a trigger)
    NotReady,    // the operation cannot act now (nothing open, no day, a day not loaded)
    Cancelled,   // the user chose not to go on
    Unreadable,  // bytes the reader cannot read faithfully (a note, a picture, a file)
    BadInput,    // what the caller handed in is not acceptable (a name, a size, a date)
    Unsupported, // the system offers no way to do it (no desktop that takes a wallpaper)
    Other,       // any other failure of the database
    System,      // any other failure of a system call (errno)
};

// The Chinese name of a kind of failure ("磁盘已满"); empty for None.
QString failureText(Failure failure);
// The kind of failure an errno value stands for.
Failure failureOfErrno(int error);

struct Outcome {
    Failure failure = Failure::None;
    QString message; // the sentence for the user; empty where the caller words its own
    QString detail;  // why, in Chinese, with the system's words after it

    bool ok() const { return failure == Failure::None; }
    // The one line to show: the message, else the detail.
    QString text() const { return message.isEmpty() ? detail : message; }

    static Outcome success() { return {}; }
    // detail = failureText(failure), then "（systemText）" when there is one.
    static Outcome failed(Failure failure, const QString& systemText = {});
    // The failure an errno value stands for, with the system's text for it.
    static Outcome failedWithErrno(int error);
    // A failure the operation words itself: `message` for the user, `detail` (optional) why.
    static Outcome failedSaying(Failure failure, QString message, QString detail = {})
    {
        return {failure, std::move(message), std::move(detail)};
    }
    // The same failure with the user's sentence set (or replaced).
    Outcome saying(QString sentence) const&
    {
        Outcome copy = *this;
        copy.message = std::move(sentence);
        return copy;
    }
};

template <class T>
struct Result {
    T value{};
    Outcome outcome;
    bool ok() const { return outcome.ok(); }
};

} // namespace tavemo
