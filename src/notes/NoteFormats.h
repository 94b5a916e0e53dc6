#pragma once
// The forms a note is handed out in: plain text, HTML and RTF. One table holds them, so that a new
// form (an iCalendar entry, say) is one more row, and every program that renders notes (the
// command line's show and export, the window's export) renders them the same way.

#include "core/Outcome.h"

#include <QByteArray>
#include <QStringView>

#include <span>

class QTextDocument;

namespace tavemo::notes {

struct NoteFormat {
    const char* name;   // as a command line names it: "text", "html", "rtf"
    const char* suffix; // of an exported file: ".txt", ".html", ".rtf"
    // The document in this form.
    QByteArray (*write)(const QTextDocument& document);
    // Stored bytes that already are this form and pass through unchanged, so that a backup keeps
    // every byte (also of a note the reader cannot read); null when none do.
    bool (*storedAsIs)(const QByteArray& stored);
};

// Every form, in the order a help text lists them.
std::span<const NoteFormat> noteFormats();
// The form named `name`; null when there is none of that name.
const NoteFormat* findNoteFormat(QStringView name);
// The names of all forms for a message: "text、html 或 rtf".
QString noteFormatNames();

// The note as a person reads it: one line per paragraph, UTF-8, ending in a line break unless empty;
// embedded objects are left out.
QByteArray plainText(const QTextDocument& document);

// The stored bytes of a note in `format`. Bytes that are the form already pass through; anything
// else is read the way the window reads it (lenient, richtext::readRtf) and written in the form.
// Fails (Failure::Unreadable, the reader's reason as the detail) for bytes the reader cannot follow.
Result<QByteArray> render(const QByteArray& stored, const NoteFormat& format);

} // namespace tavemo::notes
