// The installers that talk D-Bus, each on a private session bus started by dbus-run-session:
// XFCE against a real xfconfd (read back by xfconf-query), KDE Plasma against a stand-in shell
// that keeps the scripts it runs.

#include "platform/DesktopInstallers.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>

namespace tavemo::platform {
namespace {

// `program` running on a session bus of its own: dbus-run-session starts the bus, a shell prints
// its address and process id and then becomes the program.
class PrivateBus {
public:
    PrivateBus(const QString& program, const QStringList& arguments, const QString& service,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        m_session.setProcessEnvironment(environment);
        m_session.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_session.start(QStringLiteral("dbus-run-session"),
                        QStringList{QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
                                    QStringLiteral("echo \"$DBUS_SESSION_BUS_ADDRESS\"; echo $$; exec \"$@\""),
                                    QStringLiteral("sh"), program} +
                            arguments);
        if (!m_session.waitForStarted(10000))
            return;
        QStringList lines;
        QElapsedTimer clock;
        clock.start();
        while (lines.size() < 2 && clock.elapsed() < 10000) {
            if (!m_session.canReadLine())
                m_session.waitForReadyRead(200);
            while (m_session.canReadLine())
                lines << QString::fromUtf8(m_session.readLine()).trimmed();
        }
        if (lines.size() < 2)
            return;
        m_address = lines[0];
        m_pid = lines[1].toLongLong();
        m_bus = QDBusConnection::connectToBus(m_address, QStringLiteral("test-bus-%1").arg(m_pid));
        // Wait until the program owns its name.
        while (m_bus.isConnected() && !m_bus.interface()->isServiceRegistered(service) && clock.elapsed() < 15000)
            QThread::msleep(20);
        m_ready = m_bus.isConnected() && m_bus.interface()->isServiceRegistered(service);
    }
    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(m_bus.name());
        if (m_pid > 0)
            ::kill(pid_t(m_pid), SIGTERM); // the program we started; its session then ends the bus
        if (!m_session.waitForFinished(10000))
            m_session.kill();
    }
    bool ready() const { return m_ready; }
    QDBusConnection bus() const { return m_bus; }
    QString address() const { return m_address; }

private:
    QProcess m_session;
    QString m_address;
    qint64 m_pid = 0;
    QDBusConnection m_bus{QString()};
    bool m_ready = false;
};

// --- XFCE ----------------------------------------------------------------------------------

QString xfconfd()
{
    QFile service(QStringLiteral("/usr/share/dbus-1/services/org.xfce.Xfconf.service"));
    if (service.open(QIODevice::ReadOnly))
        for (const QByteArray& line : service.readAll().split('\n'))
            if (line.startsWith("Exec="))
                return QString::fromUtf8(line.mid(5).trimmed());
    return {};
}

class Xfce : public testing::Test {
protected:
    Xfce()
    {
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        m_bus =
            std::make_unique<PrivateBus>(xfconfd(), QStringList(), QStringLiteral("org.xfce.Xfconf"), m_environment);
    }
    // xfconf-query on the same bus: the desktop's own tool, reading or setting one property.
    QString query(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = m_environment;
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("xfconf-query"),
                      QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-desktop")} + arguments);
        EXPECT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    QString property(const QString& key) { return query({QStringLiteral("-p"), key}); }

    QTemporaryDir m_config;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<PrivateBus> m_bus;
};

TEST_F(Xfce, SetsEveryMonitorAndWorkspaceStretchedAndReadsThemBack)
{
    ASSERT_TRUE(m_bus->ready());
    const QStringList prefixes = {QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0/"),
                                  QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace1/"),
                                  QStringLiteral("/backdrop/screen0/monitoreDP-1/workspace0/"),
                                  QStringLiteral("/backdrop/screen0/monitoreDP-1/workspace1/")};
    for (const QString& prefix : prefixes) {
        query({QStringLiteral("-p"), prefix + QStringLiteral("last-image"), QStringLiteral("-n"), QStringLiteral("-t"),
               QStringLiteral("string"), QStringLiteral("-s"), QStringLiteral("/usr/share/backgrounds/old.png")});
        query({QStringLiteral("-p"), prefix + QStringLiteral("image-style"), QStringLiteral("-n"), QStringLiteral("-t"),
               QStringLiteral("int"), QStringLiteral("-s"), QStringLiteral("5")});
    }
    XfceWallpaper installer(m_bus->bus(), [] { return QStringList{QStringLiteral("unused")}; });
    const QString path = QStringLiteral("/tmp/壁纸/Mix-2.bmp");
    const Outcome result = installer.SetWallpaper(path);
    ASSERT_TRUE(result.ok()) << result.text().toStdString();
    for (const QString& prefix : prefixes) {
        SCOPED_TRACE(prefix.toStdString());
        EXPECT_EQ(property(prefix + QStringLiteral("last-image")), path);
        EXPECT_EQ(property(prefix + QStringLiteral("image-style")), QStringLiteral("3"));
    }
    EXPECT_FALSE(query({QStringLiteral("-l")}).contains(QLatin1String("monitorunused"))) << "no new monitors invented";
}

TEST_F(Xfce, ADesktopWithoutBackdropsGetsOneForEachMonitor)
{
    ASSERT_TRUE(m_bus->ready());
    XfceWallpaper installer(m_bus->bus(), [] { return QStringList{QStringLiteral("DP-1"), QStringLiteral("DP-2")}; });
    ASSERT_TRUE(installer.SetWallpaper(QStringLiteral("/tmp/Mix-3.bmp")).ok());
    for (const char* monitor : {"DP-1", "DP-2"}) {
        const QString prefix = QStringLiteral("/backdrop/screen0/monitor%1/workspace0/").arg(QLatin1String(monitor));
        EXPECT_EQ(property(prefix + QStringLiteral("last-image")), QStringLiteral("/tmp/Mix-3.bmp"));
        EXPECT_EQ(property(prefix + QStringLiteral("image-style")), QStringLiteral("3"));
    }
}

// --- KDE Plasma ----------------------------------------------------------------------------

class Plasma : public testing::Test {
protected:
    std::unique_ptr<PrivateBus> start(const QStringList& options)
    {
        return std::make_unique<PrivateBus>(QStringLiteral(PLASMASHELL_STANDIN),
                                            QStringList{QStringLiteral("--record"), recordPath()} + options,
                                            QStringLiteral("org.kde.plasmashell"));
    }
    QString recordPath() const { return m_dir.filePath(QStringLiteral("scripts")); }
    QString recorded() const
    {
        QFile file(recordPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QTemporaryDir m_dir;
};

TEST_F(Plasma, OneScriptSetsEveryDesktopStretchedAndItsPrintedImagesAreChecked)
{
    const auto shell = start({QStringLiteral("--desktops"), QStringLiteral("3")});
    ASSERT_TRUE(shell->ready());
    KdePlasmaWallpaper installer(shell->bus());
    const QString path = QStringLiteral("/home/user/桌面 \"日历\"/Mix-4.bmp");
    const Outcome result = installer.SetWallpaper(path);
    ASSERT_TRUE(result.ok()) << result.text().toStdString();

    const QString script = recorded();
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    EXPECT_EQ(script.count(QStringLiteral("\n----\n")), 1) << "one call";
    EXPECT_TRUE(script.contains(QStringLiteral("var url = \"%1\";").arg(url))) << script.toStdString();
    EXPECT_TRUE(script.contains(QLatin1String("desktops()")));
    EXPECT_TRUE(script.contains(QLatin1String("d.wallpaperPlugin = \"org.kde.image\"")));
    EXPECT_TRUE(script.contains(QLatin1String("d.writeConfig(\"FillMode\", 0)")));
    EXPECT_FALSE(url.contains(u'"') || url.contains(u' ')) << "the URL needs no escaping in the script";
}

TEST_F(Plasma, AShellThatKeepsItsImageOrRefusesIsReported)
{
    struct Case {
        const char* name;
        QStringList options;
        bool ok;
        const char* says;
    };
    const Case cases[] = {
        {"keeps the old image", {QStringLiteral("--keep-old")}, false, "old.png"},
        {"error reply", {QStringLiteral("--fail"), QStringLiteral("Widgets are locked")}, false, "Widgets are locked"},
        {"no desktops", {QStringLiteral("--desktops"), QStringLiteral("0")}, true, ""},
        {"prints nothing back", {QStringLiteral("--silent")}, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto shell = start(c.options);
        ASSERT_TRUE(shell->ready());
        const Outcome result = KdePlasmaWallpaper(shell->bus()).SetWallpaper(QStringLiteral("/tmp/Mix-5.bmp"));
        EXPECT_EQ(result.ok(), c.ok) << result.text().toStdString();
        EXPECT_TRUE(result.text().contains(QString::fromUtf8(c.says))) << result.text().toStdString();
    }
}

TEST_F(Plasma, NoShellOnTheBusIsReported)
{
    // A bus with the XFCE daemon but no Plasma shell.
    PrivateBus bus(xfconfd(), {}, QStringLiteral("org.xfce.Xfconf"));
    ASSERT_TRUE(bus.ready());
    const Outcome result = KdePlasmaWallpaper(bus.bus()).SetWallpaper(QStringLiteral("/tmp/Mix-6.bmp"));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.text().contains(QStringLiteral("没有运行"))) << result.text().toStdString();
}

} // namespace
} // namespace tavemo::platform
