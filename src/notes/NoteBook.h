#pragma once
// The notes of an application directory, as every program uses them: the window's data module,
// tavemo-notes and tavemo-wallpaper. Works on bytes and documents, never on widgets; the day is
// always handed in.
//
// Saving follows one rule for every writer: store over what was read. A save names the revision
// its text was based on and stores nothing when another writer changed the day since (the store's
// save-if-unchanged, NoteStore::save); the caller then decides what to keep. Every save names its
// origin, "program@host" (originOf).
//
// Not thread-safe, like the store below it.

#include "core/Outcome.h"
#include "engine/DateTime.h"
#include "notes/NoteFormats.h"
#include "notes/NoteStore.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QTextDocument;

namespace tavemo::notes {

// Who wrote a save, for the store's origin: "program@host".
QString originOf(QStringView program);

// What an export did: notes written, skipped (something that is not ours stands under the name, or
// a row whose key is no day) and failed (unreadable, or not written).
struct ExportCounts {
    int written = 0;
    int skipped = 0;
    int failed = 0;
};

class NoteBook {
public:
    using Access = NoteStore::Access;

    // Opens "Data/UserData.db" below `appDir` (NoteStore::open: nothing is created or written).
    // On failure the message is the one line every program shows for it:
    //   - "找不到记事数据库：PATH" when the file is missing (Failure::Missing), which a command line
    //     takes for bad input;
    //   - "无法打开记事数据库 PATH：why" otherwise; the detail is the store's why.
    static Result<std::unique_ptr<NoteBook>> open(const QString& appDir, Access access);

    const QString& databasePath() const { return m_path; }
    NoteStore& store() { return *m_store; }

    // The stored note of `day` with its revision (NoteStore::load). A day outside the years
    // 1..9999 fails with Failure::BadInput.
    Outcome load(engine::DateTime day, StoredNote* note);
    // The note of `day` read into `document` the way the window reads it (richtext::readRtf); a
    // day without a note gives an empty document. `note` (may be null) gets what was stored. A
    // note the reader cannot follow fails (Failure::Unreadable) and leaves the document as it was,
    // so that nobody shows, and saves, something else over it.
    Outcome load(engine::DateTime day, QTextDocument& document, StoredNote* note = nullptr);

    // Stores `bytes` as the note of `day` if its revision is still `expectedRevision`
    // (NoteStore::save: Failure::Conflict, nothing written, when another writer came in between;
    // `newRevision` then gets the current one).
    Outcome save(engine::DateTime day, const QByteArray& bytes, qint64 expectedRevision, const QString& origin,
                 qint64* newRevision = nullptr);
    // The same with the document's RTF (richtext::writeRtf).
    Outcome save(engine::DateTime day, const QTextDocument& document, qint64 expectedRevision, const QString& origin,
                 qint64* newRevision = nullptr);
    // Stores `bytes` over whatever the day holds, for a writer that means to replace the note (a
    // put from the command line): with the revision it reads just before, and again with the new
    // one when another writer came in between.
    Outcome replace(engine::DateTime day, const QByteArray& bytes, const QString& origin);

    // The note of `day` in `format` (render in NoteFormats.h). A day without a note fails with
    // Failure::Missing and the message "YYYY-MM-DD 没有记事"; an unreadable one with
    // Failure::Unreadable and "YYYY-MM-DD 的记事无法读取：why".
    Result<QByteArray> render(engine::DateTime day, const NoteFormat& format);

    Outcome list(std::vector<NoteStore::Entry>* entries) { return m_store->list(entries); }
    Outcome forEach(const std::function<bool(const QString& key, const QByteArray& data)>& visit)
    {
        return m_store->forEach(visit);
    }

    // Writes every note in `format` into the folder `folder` (created when missing), one file a
    // day named "YYYY-MM-DD" + the format's suffix. Never follows a symbolic link inside the
    // folder and never replaces anything but a regular file, and that only when `overwrite` is
    // set; the folder named by the caller may itself be a link.
    //
    // Every file is written under a temporary name first; when all are written the file system
    // is synced once, then each is renamed to its name and the folder is synced: a crash at any
    // moment leaves under a final name the whole file or nothing (at worst a hidden temporary
    // "." + name + ".tavemo-…" is left behind).
    //
    // `problem` gets one line in Chinese for each day skipped or not written, as it happens.
    // Fails when a day was skipped or not written (the message sums it up: "导出了 N 则记事，
    // 跳过 M 个，K 个未能导出"; Failure::Conflict when days were only skipped, Failure::Io when some
    // failed) or when the folder or the notes could not be read (the message says which).
    Outcome exportAll(const QString& folder, const NoteFormat& format, bool overwrite,
                      const std::function<void(const QString& line)>& problem, ExportCounts* counts = nullptr);

private:
    NoteBook(QString path, std::unique_ptr<NoteStore> store) : m_path(std::move(path)), m_store(std::move(store)) {}

    QString m_path;
    std::unique_ptr<NoteStore> m_store;
};

} // namespace tavemo::notes
