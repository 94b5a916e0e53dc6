// Build step: writes the program icon as the PNG files of the hicolor icon theme,
// OUTDIR/<n>x<n>/apps/tavemo-calendar.png for each size given.
//
//   tavemo-render-icons OUTDIR SIZE...

#include "widgets/WindowPictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: tavemo-render-icons OUTDIR SIZE...\n");
        return 2;
    }
    for (const QString& arg : args.mid(2)) {
        bool number = false;
        const int size = arg.toInt(&number);
        if (!number || size < 16 || size > 1024) {
            std::fprintf(stderr, "tavemo-render-icons: bad size %s\n", qPrintable(arg));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString path = folder + QStringLiteral("/tavemo-calendar.png");
        const QImage icon = tavemo::widgets::programIcon(size);
        if (!QDir().mkpath(folder) || icon.size() != QSize(size, size) || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "tavemo-render-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
