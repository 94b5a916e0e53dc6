#include "AppPath.h"

#include <QCoreApplication>
#include <QDir>

namespace tavemo::paths {
namespace {

// The spelling a folder gets when the program creates it.
QString canonicalSpelling(const QString &part)
{
    static const QString folders[] = {QStringLiteral("Data"), QStringLiteral("source"),
                                      QStringLiteral("DeskTopBG"), QStringLiteral("Month"),
                                      QStringLiteral("web")};
    for (const QString &folder : folders)
        if (part.compare(folder, Qt::CaseInsensitive) == 0)
            return folder;
    return part;
}

// The entry of `dir` named `part` in any letter case; an exact match wins over the others, and
// among the others the first in name order, so the choice does not depend on the directory order.
QString existingSpelling(const QDir &dir, const QString &part)
{
    if (dir.exists(part))
        return part;
    QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                        QDir::Name);
    for (const QString &entry : entries)
        if (entry.compare(part, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

} // namespace

QString applicationDirectory()
{
    return QCoreApplication::applicationDirPath();
}

QString appPath(const QString &appDir, const QString &relative)
{
    QString path = QDir::cleanPath(appDir);
    bool onDisk = QDir(path).exists();
    const QStringList parts = QString(relative).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        QString spelling;
        if (onDisk)
            spelling = existingSpelling(QDir(path), part);
        onDisk = !spelling.isEmpty();
        if (!onDisk)
            spelling = canonicalSpelling(part);
        path += u'/' + spelling;
    }
    return path;
}

QString noteDatabasePath(const QString &appDir)
{
    return appPath(appDir, QStringLiteral("Data/UserData.db"));
}

} // namespace tavemo::paths

