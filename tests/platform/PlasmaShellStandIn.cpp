// A stand-in for the Plasma shell on a private session bus: it owns org.kde.plasmashell, keeps
// every script it is given in a file, and answers evaluateScript the way the shell answers ours.
// Its desktops take the image of a script that writes `url` to "Image" and print it back.
//
//   plasmashell-standin --record FILE [--desktops N] [--keep-old] [--fail MESSAGE] [--silent]
//     --keep-old  the desktops do not take a new image (a locked shell)
//     --fail      every script ends in an error reply with MESSAGE
//     --silent    the reply carries no text (shells that print nothing back)

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>

class PlasmaShell : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")

public:
    QString record;
    int desktops = 2;
    bool keepOld = false;
    bool silent = false;
    QString failure;
    QStringList images;

public slots:
    QString evaluateScript(const QString& script)
    {
        QFile file(record);
        if (file.open(QIODevice::Append))
            file.write(script.toUtf8() + "\n----\n");
        if (!failure.isEmpty()) {
            sendErrorReply(QStringLiteral("org.kde.PlasmaShell.Error"), failure);
            return {};
        }
        const auto url = QRegularExpression(QStringLiteral("var url = \"([^\"]*)\";")).match(script);
        if (url.hasMatch() && script.contains(QLatin1String("writeConfig(\"Image\", url)")) && !keepOld)
            images.fill(url.captured(1), desktops);
        if (silent) {
            setDelayedReply(true);
            connection().send(message().createReply());
            return {};
        }
        QString printed;
        if (script.contains(QLatin1String("print(d.readConfig(\"Image\")")))
            for (const QString& image : images)
                printed += image + u'\n';
        return printed;
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PlasmaShell shell;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--record") && i + 1 < args.size())
            shell.record = args[++i];
        else if (args[i] == QLatin1String("--desktops") && i + 1 < args.size())
            shell.desktops = args[++i].toInt();
        else if (args[i] == QLatin1String("--fail") && i + 1 < args.size())
            shell.failure = args[++i];
        else if (args[i] == QLatin1String("--keep-old"))
            shell.keepOld = true;
        else if (args[i] == QLatin1String("--silent"))
            shell.silent = true;
    }
    shell.images.fill(QStringLiteral("file:///usr/share/wallpapers/old.png"), shell.desktops);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/PlasmaShell"), &shell, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.kde.plasmashell"))) {
        std::fprintf(stderr, "plasmashell-standin: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    return app.exec();
}

#include "PlasmaShellStandIn.moc"
