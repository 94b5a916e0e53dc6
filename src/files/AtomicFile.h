#pragma once
// Writing a file whole or not at all. The bytes go to a new temporary file beside the target; only
// when every byte is written, flushed to the disk and the file is seen to have the size written is
// it renamed over the target (and the folder flushed, so the rename itself survives a power cut).
// Any failure removes the temporary file and leaves the target as it was: after a crash, a full
// disk or a failed write the old file is still there, never an empty or half-written one.
//
// Every file the program writes below the application folder goes through here: the line files,
// the pictures of the wallpaper folder, the copies of the delivered files.
//
// Not QSaveFile: on a full disk its commit() reported success over an empty file (AtomicFile.cpp).

#include "core/Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tavemo::files {

// One write of one file: open(), write() as often as needed, commit(). A file not committed (a
// failure, or the object destroyed before commit()) leaves no trace. After a failure every later
// call returns that failure, so a writer may check only at commit(). Every failure's message names
// the file and says why in Chinese ("无法写入文件 …：磁盘已满（…）").
class AtomicFile {
public:
    enum class Replace {
        Existing, // the target is replaced when it exists (it keeps its permissions)
        Never,    // a target that exists (or appears meanwhile) stays: commit() fails with Conflict
    };
    explicit AtomicFile(QString path, Replace replace = Replace::Existing);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file in the target's folder (which must exist), never following a link.
    Outcome open();
    // Appends every byte (a short write or a signal only makes it go on).
    Outcome write(QByteArrayView bytes);
    // Flushes, checks the size, closes, renames over the target and flushes the folder.
    Outcome commit();

    // Removes the temporary files of `path` that a killed write left beside it. Only for a file
    // nobody is writing now (at start-up): a write in progress would lose its temporary file.
    static void removeLeftovers(const QString& path);

private:
    Outcome fail(Outcome failure);
    Outcome failWithErrno(int error);
    void discard();

    QString m_path;
    Replace m_replace;
    QByteArray m_temporary; // encoded path of the temporary file; empty when there is none
    int m_fd = -1;
    qint64 m_written = 0;
    Outcome m_failure;
};

// Replaces the file at `path` with `bytes` through an AtomicFile.
Outcome saveAtomically(const QString& path, QByteArrayView bytes);

// Copies the file `from` to `to` through an AtomicFile, a block at a time. A failure to read
// `from` says so and names it ("无法读取 …：…").
Outcome copyAtomically(const QString& from, const QString& to,
                       AtomicFile::Replace replace = AtomicFile::Replace::Existing);

} // namespace tavemo::files
