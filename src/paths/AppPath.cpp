#include "paths/AppPath.h"

#include "files/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace tavemo::paths {
namespace {

// The spelling a folder gets when the program creates it.
QString canonicalSpelling(const QString& part)
{
    static const QString folders[] = {QStringLiteral("Data"), QStringLiteral("source"), QStringLiteral("DeskTopBG"),
                                      QStringLiteral("Month"), QStringLiteral("web")};
    for (const QString& folder : folders)
        if (part.compare(folder, Qt::CaseInsensitive) == 0)
            return folder;
    return part;
}

// The entry of `dir` named `part` in any letter case; an exact match wins over the others, and
// among the others the first in name order, so the choice does not depend on the directory order.
QString existingSpelling(const QDir& dir, const QString& part)
{
    if (dir.exists(part))
        return part;
    QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(part, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

} // namespace

QString installedDataFolder() { return QStringLiteral(TAVEMO_INSTALLED_DATA_FOLDER); }

QString chooseApplicationDirectory(const QString& executableDir, const QString& dataHome, QString* deliveredTree)
{
    const QString exe = QDir::cleanPath(executableDir);
    const QString perUser = QDir::cleanPath(dataHome) + QStringLiteral("/tavemo-calendar");
    const QString installedTree = QDir::cleanPath(exe + u'/' + installedDataFolder());
    if (QDir(exe).dirName() == u"bin" && QFileInfo(appPath(installedTree, QStringLiteral("Data"))).isDir()) {
        if (deliveredTree)
            *deliveredTree = installedTree;
        return perUser;
    }
    // access() rather than the permission bits: a read-only mount or an ACL decides too.
    if (::access(QFile::encodeName(exe).constData(), W_OK | X_OK) == 0) {
        if (deliveredTree)
            deliveredTree->clear();
        return exe;
    }
    if (deliveredTree)
        *deliveredTree = exe;
    return perUser;
}

Outcome fillFromDeliveredTree(const QString& deliveredTree, const QString& appDir)
{
    const auto cannotCreate = [](const QString& folder) {
        return Outcome::failedSaying(Failure::Io, QStringLiteral("无法创建文件夹 %1").arg(folder));
    };
    if (!QDir().mkpath(appDir))
        return Outcome::failedSaying(Failure::Io, QStringLiteral("无法创建数据文件夹 %1").arg(appDir));
    const QDir tree(deliveredTree);
    for (const QString& top : {QStringLiteral("Data"), QStringLiteral("source"), QStringLiteral("web")}) {
        const QString from = appPath(deliveredTree, top);
        if (!QFileInfo(from).isDir())
            continue;
        // The folders too, so that an empty delivered folder (source/Month) exists as well.
        QDirIterator entries(from, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
        if (!QDir().mkpath(appPath(appDir, top)))
            return cannotCreate(appPath(appDir, top));
        while (entries.hasNext()) {
            const QString source = entries.next();
            const QString target = appPath(appDir, tree.relativeFilePath(source));
            if (QFileInfo::exists(target))
                continue;
            if (entries.fileInfo().isDir()) {
                if (!QDir().mkpath(target))
                    return cannotCreate(target);
                continue;
            }
            const QString folder = QFileInfo(target).absolutePath();
            if (!QDir().mkpath(folder))
                return cannotCreate(folder);
            // What an interrupted start left of its copy goes (".copying" is the name earlier
            // versions gave it). The copy is a new file of the user's (writable, whatever the
            // delivered file's mode); a file that appeared meanwhile stays: a Conflict, no failure.
            files::AtomicFile::removeLeftovers(target);
            QFile::remove(target + QStringLiteral(".copying"));
            const Outcome copied = files::copyAtomically(source, target, files::AtomicFile::Replace::Never);
            if (!copied.ok() && copied.failure != Failure::Conflict)
                return copied.saying(QStringLiteral("无法复制 %1 到 %2：%3").arg(source, target, copied.detail));
        }
    }
    return Outcome::success();
}

QString applicationDirectory(Outcome* filled)
{
    QString deliveredTree;
    const QString appDir = chooseApplicationDirectory(
        QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        &deliveredTree);
    const Outcome fill = deliveredTree.isEmpty() ? Outcome::success() : fillFromDeliveredTree(deliveredTree, appDir);
    if (filled)
        *filled = fill;
    return appDir;
}

QString applicationDirectory(QString* error)
{
    Outcome filled;
    const QString appDir = applicationDirectory(&filled);
    if (error)
        *error = filled.text();
    return appDir;
}

QString appPath(const QString& appDir, const QString& relative)
{
    QString path = QDir::cleanPath(appDir);
    bool onDisk = QDir(path).exists();
    const QStringList parts = QString(relative).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
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

QString noteDatabasePath(const QString& appDir) { return appPath(appDir, QStringLiteral("Data/UserData.db")); }

} // namespace tavemo::paths
