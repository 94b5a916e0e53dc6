// Build step: gives an application directory an empty note database when it has none. An existing
// database is never replaced, since it holds the user's notes.
//
//   tavemo-make-note-db APPDIR

#include "notes/NoteStore.h"
#include "paths/AppPath.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || args[1].isEmpty()) {
        std::fprintf(stderr, "用法：tavemo-make-note-db APPDIR\n");
        return 2;
    }
    const QString path = tavemo::paths::noteDatabasePath(args[1]);
    bool created = false;
    const tavemo::Outcome result = tavemo::notes::NoteStore::create(path, &created);
    if (!result.ok()) {
        std::fprintf(stderr, "tavemo-make-note-db: 无法建立记事数据库 %s：%s\n", path.toUtf8().constData(),
                     result.detail.toUtf8().constData());
        return 1;
    }
    if (created)
        std::printf("已建立空的记事数据库 %s\n", path.toUtf8().constData());
    return 0;
}
