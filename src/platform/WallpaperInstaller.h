#pragma once
// Setting the desktop wallpaper on Linux desktops. Each desktop keeps its wallpaper in its own
// settings store; one installer per desktop writes it there, stretched to the screen, and reads it
// back to be sure the desktop took it.
//
//   GNOME, Ubuntu, Budgie, Unity, Pantheon  GSettings org.gnome.desktop.background
//   Cinnamon                                 GSettings org.cinnamon.desktop.background
//   MATE                                     GSettings org.mate.background
//   KDE Plasma                               D-Bus org.kde.plasmashell evaluateScript
//   XFCE                                     xfconf channel xfce4-desktop over D-Bus
//   anything else                            an installer that says it cannot

#include "core/Outcome.h"

#include <QString>

#include <memory>

namespace tavemo::platform {

class WallpaperInstaller {
public:
    virtual ~WallpaperInstaller() = default;
    // The desktop this installer writes to, for messages and the command line ("GNOME", "KDE Plasma").
    virtual QString name() const = 0;
    // Makes the picture file at `path` (absolute) the wallpaper of the desktop, stretched to the
    // screen. Succeeds only when the desktop's store holds the new value afterwards; a failure's
    // message is a Chinese sentence for the user.
    virtual Outcome SetWallpaper(const QString& path) = 0;
};

enum class Desktop { GnomeFamily, Cinnamon, Mate, KdePlasma, Xfce, Unknown };

// The desktop named by XDG_CURRENT_DESKTOP (a colon-separated list, first known name wins), else by
// DESKTOP_SESSION. Letter case is ignored.
Desktop detectDesktop(const QString& xdgCurrentDesktop, const QString& desktopSession);
// The same from this process's environment.
Desktop currentDesktop();

// The installer for a desktop; Unknown gives the one that reports it cannot set the wallpaper.
std::unique_ptr<WallpaperInstaller> makeWallpaperInstaller(Desktop desktop);

} // namespace tavemo::platform
