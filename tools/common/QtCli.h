#pragma once
// What the command-line tools built on Qt share beyond Cli.h: Qt kept off the one-line messages,
// the application directory of --dir, and opening the notes.

#include "Cli.h"

#include "core/Outcome.h"
#include "notes/NoteBook.h"

#include <QString>

#include <memory>
#include <string_view>

namespace tavemo::cli {

// An argument as the program reads text: local 8-bit (UTF-8 here), as file names are.
QString qtText(std::string_view argument);

// Installs the message handler that keeps Qt's own diagnostics off stderr, where they would break
// the one-line messages: the tool reports its errors itself. A fatal one (Qt cannot start at all)
// ends the program with status 1 and a message of ours, "无法启动 Qt（…）", instead of an abort.
void quietQt(const Tool& tool);

// complain with Qt's text; an Outcome says its text() (the message, else the detail).
int complain(const Tool& tool, int status, const QString& message);
int complain(const Tool& tool, int status, const Outcome& outcome);

// The application directory: `given` (the --dir value) when not empty, else the running
// program's (paths::applicationDirectory; a QCoreApplication must exist). Fails with the reason
// the directory could not be made or filled.
Result<QString> applicationDirectory(const QString& given);

// Opens the notes of `appDir`; on failure says so (NoteBook::open's message) and gives the exit
// status: `missingStatus` for a missing database, 1 otherwise.
std::optional<int> openNotes(const Tool& tool, const QString& appDir, notes::NoteBook::Access access,
                             std::unique_ptr<notes::NoteBook>* book, int missingStatus = kBadInput);

} // namespace tavemo::cli
