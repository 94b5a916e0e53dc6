// Opening the notes, apart from the rest of QtCli.cpp: a tool that opens no notes links none of
// their code.

#include "QtCli.h"

namespace tavemo::cli {

std::optional<int> openNotes(const Tool& tool, const QString& appDir, notes::NoteBook::Access access,
                             std::unique_ptr<notes::NoteBook>* book, int missingStatus)
{
    Result<std::unique_ptr<notes::NoteBook>> opened = notes::NoteBook::open(appDir, access);
    if (!opened.ok())
        return complain(tool, opened.outcome.failure == Failure::Missing ? missingStatus : kFailed, opened.outcome);
    *book = std::move(opened.value);
    return std::nullopt;
}

} // namespace tavemo::cli
