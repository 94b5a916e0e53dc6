#include "platform/WallpaperInstaller.h"

#include "platform/DesktopInstallers.h"

#include <QStringList>

namespace tavemo::platform {
namespace {

Desktop desktopOfName(const QString& rawName)
{
    const QString name = rawName.trimmed().toLower();
    if (name.isEmpty())
        return Desktop::Unknown;
    auto startsWithAny = [&name](std::initializer_list<const char*> prefixes) {
        for (const char* prefix : prefixes)
            if (name.startsWith(QLatin1String(prefix)))
                return true;
        return false;
    };
    // Cinnamon first: its sessions also carry "gnome" in some names ("cinnamon" vs "gnome-…").
    if (startsWithAny({"x-cinnamon", "cinnamon"}))
        return Desktop::Cinnamon;
    if (startsWithAny({"gnome", "ubuntu", "budgie", "unity", "pantheon"}))
        return Desktop::GnomeFamily;
    if (startsWithAny({"mate"}))
        return Desktop::Mate;
    if (startsWithAny({"kde", "plasma"}))
        return Desktop::KdePlasma;
    if (startsWithAny({"xfce", "xubuntu"}))
        return Desktop::Xfce;
    return Desktop::Unknown;
}

} // namespace

Desktop detectDesktop(const QString& xdgCurrentDesktop, const QString& desktopSession)
{
    for (const QString& name : xdgCurrentDesktop.split(u':', Qt::SkipEmptyParts))
        if (const Desktop desktop = desktopOfName(name); desktop != Desktop::Unknown)
            return desktop;
    return desktopOfName(desktopSession);
}

Desktop currentDesktop()
{
    return detectDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), qEnvironmentVariable("DESKTOP_SESSION"));
}

std::unique_ptr<WallpaperInstaller> makeWallpaperInstaller(Desktop desktop)
{
    switch (desktop) {
    case Desktop::GnomeFamily:
        return std::make_unique<GSettingsWallpaper>(gnomeBackgroundKeys());
    case Desktop::Cinnamon:
        return std::make_unique<GSettingsWallpaper>(cinnamonBackgroundKeys());
    case Desktop::Mate:
        return std::make_unique<GSettingsWallpaper>(mateBackgroundKeys());
    case Desktop::KdePlasma:
        return std::make_unique<KdePlasmaWallpaper>();
    case Desktop::Xfce:
        return std::make_unique<XfceWallpaper>();
    case Desktop::Unknown:
        break;
    }
    return std::make_unique<UnsupportedDesktopWallpaper>();
}

Outcome UnsupportedDesktopWallpaper::SetWallpaper(const QString&)
{
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP", qEnvironmentVariable("DESKTOP_SESSION"));
    if (desktop.isEmpty())
        return Outcome::failedSaying(Failure::Unsupported,
                                     QStringLiteral("无法识别当前的桌面环境，不知道怎样设置它的壁纸。"));
    return Outcome::failedSaying(Failure::Unsupported,
                                 QStringLiteral("不知道怎样设置桌面环境“%1”的壁纸。").arg(desktop));
}

} // namespace tavemo::platform
