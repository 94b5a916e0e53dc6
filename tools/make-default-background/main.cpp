// Build step: gives an application directory its default background "source/DeskTopBG/A1.bmp"
// when it has none, and the empty folder "source/Month" for month pictures. A picture that is
// already there is never replaced: it may be the user's own.
//
//   tavemo-make-default-background APPDIR

#include "paths/AppPath.h"
#include "wallpaper/DefaultBackground.h"
#include "wallpaper/PictureCodecs.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tavemo-make-default-background APPDIR\n");
        return 2;
    }
    const QString appDir = args[1];
    const QString month = tavemo::paths::appPath(appDir, QStringLiteral("source/Month"));
    const QString folder = tavemo::paths::appPath(appDir, QStringLiteral("source/DeskTopBG"));
    if (!QDir().mkpath(month) || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "tavemo-make-default-background: cannot create the folders below %s\n",
                     qPrintable(appDir));
        return 1;
    }
    const QString path = tavemo::paths::appPath(appDir, QStringLiteral("source/DeskTopBG/A1.bmp"));
    if (QFileInfo::exists(path))
        return 0;
    const tavemo::Outcome written = tavemo::wallpaper::saveBmp24(tavemo::wallpaper::drawDefaultBackground(), path);
    if (!written.ok()) {
        std::fprintf(stderr, "tavemo-make-default-background: %s\n", qPrintable(written.text()));
        return 1;
    }
    std::printf("created the default background %s\n", qPrintable(path));
    return 0;
}
