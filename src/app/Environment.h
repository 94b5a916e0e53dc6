#pragma once
// What the main window asks of the world around it: the clock, the colour, font and picture
// dialogs, the browser, message boxes, the screens, the desktop's wallpaper and the end of the
// event loop. The program uses the real
// ones (system()); checks hand the window their own.

#include "widgets/DialogParts.h"

#include <QColor>
#include <QDate>
#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace tavemo::platform {
class WallpaperInstaller;
}

namespace tavemo::app {

// What the font dialog hands back: the font (family, size in points, pitch, bold, italic,
// underline, strike-out) and its colour.
struct ChosenFont {
    QFont font;
    QColor color = Qt::black;
};

struct Environment {
    // The current local date and time as a date-time value (days since 1899-12-30).
    std::function<double()> now;
    // Modal colour dialog with its custom colours shown, starting at `initial`; nothing when cancelled.
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> chooseColor;
    // Modal font dialog starting at `initial`; nothing when cancelled.
    std::function<std::optional<ChosenFont>(QWidget* parent, const ChosenFont& initial)> chooseFont;
    // Modal open dialog for pictures, several selectable; the chosen files, none when cancelled.
    widgets::ChoosePictures choosePictures;
    // The wallpaper installer of the desktop the program runs on; null when there is none.
    std::function<std::unique_ptr<platform::WallpaperInstaller>()> makeWallpaperInstaller;
    // Opens a page in the user's web browser; failures are not reported.
    std::function<void(const QUrl& url)> openUrl;
    // A modal message box with `text`, and `detail` as its detailed text when not empty.
    widgets::ShowMessage showMessage;
    // The geometry of the primary screen and of every screen, in screen pixels.
    std::function<QRect()> primaryScreen;
    std::function<QList<QRect>()> screens;
    // Ends the event loop (the program then ends).
    std::function<void()> quit;

    static Environment system();
};

// The local date of a date-time value such as now() gives; a null date for a value outside the
// years 1 to 9999.
QDate localDate(double value);

} // namespace tavemo::app
