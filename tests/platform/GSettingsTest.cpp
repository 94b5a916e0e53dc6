// Which desktop we are on, and the GSettings installers against the real schemas of GNOME,
// Cinnamon and MATE in a keyfile store; every value is read back by the gsettings program.

#include "platform/DesktopInstallers.h"
#include "platform/WallpaperInstaller.h"

#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

namespace tavemo::platform {
namespace {

TEST(DetectDesktop, FromXdgCurrentDesktopThenDesktopSession)
{
    struct Case {
        const char* xdg;
        const char* session;
        Desktop desktop;
    };
    const Case cases[] = {
        {"GNOME", "", Desktop::GnomeFamily},
        {"ubuntu:GNOME", "ubuntu", Desktop::GnomeFamily},
        {"Budgie:GNOME", "", Desktop::GnomeFamily},
        {"Unity", "", Desktop::GnomeFamily},
        {"Pantheon", "", Desktop::GnomeFamily},
        {"GNOME-Flashback:GNOME", "", Desktop::GnomeFamily},
        {"X-Cinnamon", "", Desktop::Cinnamon},
        {"MATE", "", Desktop::Mate},
        {"KDE", "", Desktop::KdePlasma},
        {"XFCE", "", Desktop::Xfce},
        {"sway", "", Desktop::Unknown},
        {"X-Generic:XFCE", "", Desktop::Xfce},    // the first name we know wins
        {"", "gnome-xorg", Desktop::GnomeFamily}, // only the session names it
        {"", "cinnamon", Desktop::Cinnamon},
        {"", "mate", Desktop::Mate},
        {"", "plasmawayland", Desktop::KdePlasma},
        {"", "xubuntu", Desktop::Xfce},
        {"i3", "budgie-desktop", Desktop::GnomeFamily},
        {"", "", Desktop::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.xdg << "' '" << c.session << "'");
        EXPECT_EQ(detectDesktop(QString::fromLatin1(c.xdg), QString::fromLatin1(c.session)), c.desktop);
    }
}

TEST(UnsupportedDesktop, SaysItCannotSetTheWallpaper)
{
    const auto installer = makeWallpaperInstaller(Desktop::Unknown);
    const Outcome result = installer->SetWallpaper(QStringLiteral("/tmp/x.bmp"));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.text().contains(QStringLiteral("壁纸")));
}

// What the gsettings program reads from the store now (a process of its own, like the desktop).
QString storedValue(const char* schema, const char* key)
{
    QProcess gsettings;
    gsettings.start(QStringLiteral("gsettings"),
                    {QStringLiteral("get"), QString::fromLatin1(schema), QString::fromLatin1(key)});
    EXPECT_TRUE(gsettings.waitForFinished(10000));
    EXPECT_EQ(gsettings.exitCode(), 0) << gsettings.readAllStandardError().toStdString();
    return QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed();
}

TEST(GSettingsWallpaper, WritesEachDesktopsKeysAndTheStoreHoldsThem)
{
    const QString path = QStringLiteral("/home/user/壁纸 folder/Mix-1.bmp");
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    struct Case {
        Desktop desktop;
        const char* schema;
        std::vector<std::pair<const char*, QString>> stored;
    };
    const Case cases[] = {
        {Desktop::GnomeFamily,
         "org.gnome.desktop.background",
         {{"picture-uri", uri}, {"picture-uri-dark", uri}, {"picture-options", "stretched"}}},
        {Desktop::Cinnamon,
         "org.cinnamon.desktop.background",
         {{"picture-uri", uri}, {"picture-options", "stretched"}}},
        {Desktop::Mate, "org.mate.background", {{"picture-filename", path}, {"picture-options", "stretched"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.schema);
        const auto installer = makeWallpaperInstaller(c.desktop);
        const Outcome result = installer->SetWallpaper(path);
        ASSERT_TRUE(result.ok()) << result.text().toStdString();
        for (const auto& [key, value] : c.stored)
            EXPECT_EQ(storedValue(c.schema, key), u'\'' + value + u'\'') << key;
    }
    EXPECT_TRUE(
        QFileInfo::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/glib-2.0/settings/keyfile")));
}

TEST(GSettingsWallpaper, AMissingSchemaOrKeyIsAnErrorNotAnAbort)
{
    using V = GSettingsKeys::Value;
    GSettingsWallpaper noSchema(
        {QStringLiteral("Nothing"), "org.example.not-installed", {{"picture-uri", V::FileUri, false}}});
    Outcome result = noSchema.SetWallpaper(QStringLiteral("/tmp/a.bmp"));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.text().contains(QStringLiteral("org.example.not-installed")));

    GSettingsWallpaper noKey(
        {QStringLiteral("GNOME"), "org.gnome.desktop.background", {{"no-such-key", V::FileUri, false}}});
    result = noKey.SetWallpaper(QStringLiteral("/tmp/a.bmp"));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.text().contains(QStringLiteral("no-such-key")));

    // An optional key the schema lacks is left out, the rest is written.
    GSettingsWallpaper optional({QStringLiteral("GNOME"),
                                 "org.gnome.desktop.background",
                                 {{"picture-uri", V::FileUri, false}, {"picture-uri-sepia", V::FileUri, true}}});
    EXPECT_TRUE(optional.SetWallpaper(QStringLiteral("/tmp/b.bmp")).ok());
    EXPECT_EQ(storedValue("org.gnome.desktop.background", "picture-uri"), QStringLiteral("'file:///tmp/b.bmp'"));
}

} // namespace
} // namespace tavemo::platform
