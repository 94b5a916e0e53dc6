// Build step: gives an application directory an empty note database when it has none. An existing
// database is never replaced, since it holds the user's notes.
//
//   tavemo-make-note-db APPDIR

#include "AppPath.h"
#include "NoteStore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tavemo-make-note-db APPDIR\n");
        return 2;
    }
    const QString path = tavemo::paths::noteDatabasePath(args[1]);
    QString error;
    switch (tavemo::notes::NoteStore::create(path, &error)) {
    case tavemo::notes::NoteStore::CreateResult::Created:
        std::printf("created the empty note database %s\n", qPrintable(path));
        return 0;
    case tavemo::notes::NoteStore::CreateResult::AlreadyThere:
        return 0;
    case tavemo::notes::NoteStore::CreateResult::Failed:
        break;
    }
    std::fprintf(stderr, "tavemo-make-note-db: %s\n", qPrintable(error));
    return 1;
}
