#pragma once
// File names below the application directory. The program names its files the way its Windows
// form did, with "\" or "/" and without regard to letter case ("Data\UserData.db" and
// "data/userdata.db" are one file). appPath maps every such name to one spelling on disk, so two
// spellings never become two files.

#include <QString>

namespace tavemo::paths {

// The directory that holds the running executable (QCoreApplication must exist).
QString applicationDirectory();

// The full path of `relative` below `appDir`. Each part of the name that already exists on disk in
// some letter case takes that spelling (an exact match first); a part that does not exist yet
// takes the program's own spelling of its folders ("Data", "source", "DeskTopBG", "Month", "web")
// or else the spelling given.
QString appPath(const QString &appDir, const QString &relative);

// The note database below an application directory.
QString noteDatabasePath(const QString &appDir);

} // namespace tavemo::paths
