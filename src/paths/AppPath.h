#pragma once
// The application directory and the file names below it. The program names its files the way its
// Windows form did, with "\" or "/" and without regard to letter case ("Data\UserData.db" and
// "data/userdata.db" are one file). appPath maps every such name to one spelling on disk, so two
// spellings never become two files.

#include "core/Outcome.h"

#include <QString>

namespace tavemo::paths {

// The folder of the installed delivered tree relative to the folder of the installed programs
// (e.g. "../share/tavemo-calendar/delivered" for bin/ and share/ of one prefix). Its own folder,
// never the per-user folder: with the prefix ~/.local the two would be one, and reinstalling would
// replace the user's notes with the empty database.
QString installedDataFolder();

// Where a program whose executable lies in `executableDir` keeps its files:
// - installed (the executable's folder is "bin" and installedDataFolder() beside it holds the
//   delivered tree): `dataHome`/tavemo-calendar, whoever runs it, so that notes never land in a
//   system folder even for root;
// - otherwise the executable's folder when it is writable (the build folder, an unpacked copy);
// - otherwise (an unpacked copy on read-only media or in a folder of another user)
//   `dataHome`/tavemo-calendar.
// `deliveredTree` receives the folder whose Data/, source/ and web/ fill the chosen directory: the
// executable's own folder or the installed tree; empty when the directory is the executable's.
QString chooseApplicationDirectory(const QString& executableDir, const QString& dataHome,
                                   QString* deliveredTree = nullptr);

// Copies what is missing of the delivered files (Data/, source/ and web/ below `deliveredTree`)
// into `appDir`, creating it; a file that is there in any letter case is never replaced, not even
// one that appears while it is copied. Each file appears whole or not at all (files::AtomicFile),
// so an interrupted fill is completed by the next start. A failure's message says what failed.
Outcome fillFromDeliveredTree(const QString& deliveredTree, const QString& appDir);

// The application directory of the running program (QCoreApplication must exist): the choice
// above for its executable and $XDG_DATA_HOME (~/.local/share by default), filled from the
// delivered tree when it is not the executable's folder. `filled` receives the outcome of that
// fill (success when there was none); the directory is returned all the same, and opening its
// files then tells.
QString applicationDirectory(Outcome* filled = nullptr);
// The same with the failure's text (empty on success), for the callers not on Outcome yet
// (tools/tavemo-notes, whose conversion is under way apart from this one). To go with them.
QString applicationDirectory(QString* error);

// The full path of `relative` below `appDir`. Each part of the name that already exists on disk in
// some letter case takes that spelling (an exact match first); a part that does not exist yet
// takes the program's own spelling of its folders ("Data", "source", "DeskTopBG", "Month", "web")
// or else the spelling given.
QString appPath(const QString& appDir, const QString& relative);

// The note database below an application directory.
QString noteDatabasePath(const QString& appDir);

} // namespace tavemo::paths
