#pragma once
// The installers of WallpaperInstaller.h, for the desktops that have one. makeWallpaperInstaller
// picks among them; checks build them directly to point them at a private settings store or bus.

#include "platform/WallpaperInstaller.h"

#include <QDBusConnection>
#include <QStringList>

#include <functional>
#include <vector>

namespace tavemo::platform {

// A desktop whose wallpaper lives in GSettings.
struct GSettingsKeys {
    enum class Value { FileUri, FilePath, Stretched };
    struct Key {
        const char* name;
        Value value;
        bool optional; // set only when the schema has it (picture-uri-dark came with GNOME 42)
    };
    QString desktopName;
    const char* schema;
    std::vector<Key> keys;
};
GSettingsKeys gnomeBackgroundKeys();    // org.gnome.desktop.background
GSettingsKeys cinnamonBackgroundKeys(); // org.cinnamon.desktop.background
GSettingsKeys mateBackgroundKeys();     // org.mate.background

// Writes the keys through GSettings' default backend (dconf on a desktop) and reads each back.
// The schema is looked up first: a schema that is not installed is an error, not the abort that
// opening it would be.
class GSettingsWallpaper final : public WallpaperInstaller {
public:
    explicit GSettingsWallpaper(GSettingsKeys keys);
    QString name() const override { return m_keys.desktopName; }
    Outcome SetWallpaper(const QString& path) override;

private:
    GSettingsKeys m_keys;
};

// KDE Plasma: one script through org.kde.plasmashell's evaluateScript sets the image and the
// stretched fill mode of every desktop, then prints every desktop's image, which must be the new one.
class KdePlasmaWallpaper final : public WallpaperInstaller {
public:
    explicit KdePlasmaWallpaper(QDBusConnection bus = QDBusConnection::sessionBus());
    QString name() const override { return QStringLiteral("KDE Plasma"); }
    Outcome SetWallpaper(const QString& path) override;

    // The script for the picture whose file URL is `url`.
    static QString script(const QString& url);

private:
    QDBusConnection m_bus;
};

// XFCE: xfconf's channel xfce4-desktop holds one last-image and image-style per monitor and
// workspace; every one is set (stretched is style 3) and read back. On a desktop that has none
// yet, workspace 0 of every monitor named by `monitorNames` gets them.
class XfceWallpaper final : public WallpaperInstaller {
public:
    using MonitorNames = std::function<QStringList()>;
    // Without `monitorNames`, the names of the application's screens (when it has a GUI).
    explicit XfceWallpaper(QDBusConnection bus = QDBusConnection::sessionBus(), MonitorNames monitorNames = {});
    QString name() const override { return QStringLiteral("XFCE"); }
    Outcome SetWallpaper(const QString& path) override;

    static constexpr int kStretched = 3;

private:
    QDBusConnection m_bus;
    MonitorNames m_monitorNames;
};

// For a desktop we do not know: says so.
class UnsupportedDesktopWallpaper final : public WallpaperInstaller {
public:
    QString name() const override { return QStringLiteral("未知桌面"); }
    Outcome SetWallpaper(const QString& path) override;
};

} // namespace tavemo::platform
