#pragma once
// The road of "添加到桌面": after an optional confirmation, the note's picture and the month
// picture are laid over the next background of the list, the composite is written as "Mix.bmp",
// passed once through JPEG ("Mix.Jpg", which leaves "Mix.bmp" as its decoded pixels) and installed
// as the desktop wallpaper; then the background index steps to the next entry.
//
// The window provides the pieces that belong to it (the dialog, its repaint, the capture of its
// editor, its list state, its month picture path); the road does the rest, so the window's click
// handler is one call that shows the result's message, if any.

#include "wallpaper/PictureCodecs.h"
#include "wallpaper/uGlobal.h"

#include <QImage>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace tavemo::platform {
class WallpaperInstaller;
}

namespace tavemo::wallpaper {

// How a road ended, and the outcome: ok() exactly for Installed and Composed. Every other ending
// fails, with a `detail` that says why (also for the command line); the outcome's `message` is
// what the window shows in one message box, empty where the road ends silently (declined, busy, an
// empty list or a missing background: the next click simply goes on).
struct ApplyResult {
    enum class Ending {
        Installed,         // the desktop shows the new composite; the index moved
        Declined,          // the user said no: no file was touched
        Busy,              // a road was already running; this click did nothing
        EmptyList,         // no background list: only Content.bmp was written
        MissingBackground, // the entry's picture is gone: only Content.bmp was written (index moved past it)
        Failed,            // an error; the message says what and, once composed, names Mix.bmp
        Composed,          // Mix.bmp is written and installing was not asked for; the index stays
    };
    Ending ending = Ending::Failed;
    Outcome outcome;
    QString backgroundPath; // the background chosen (or found missing)
    QString compositePath;  // "Mix.bmp", once written
    QString installedPath;  // the copy the desktop was given
    QString backend;        // the installer's desktop name
};

// The files of one composition, in the wallpaper folder.
struct CompositeFiles {
    QString mixBmp; // the composite, finally the pixels decoded from mixJpg
    QString mixJpg;
    bool composed = false; // mixBmp holds the composite or its JPEG form (even when the outcome failed)
    Outcome outcome;
};

// Lays the content picture, 10 pixels from the right edge and 30 from the top, and the month
// picture (when not null) 25 pixels left of it, over the background; each picture's white pixels
// let the background show and the others are mixed half and half. Pictures that do not fit are
// clipped. Returns the composite (the background's size, unless the background is not taller than
// the content picture: then the content picture is the one laid on).
QImage composeWallpaper(QImage background, QImage content, QImage month);

// Reads the background and "Content.bmp", composes them with `month`, writes the composite as
// "Mix.Jpg" (quality 90, baseline) and the JPEG's decoded pixels as "Mix.bmp". When the JPEG step
// fails, "Mix.bmp" holds the composite itself (`composed`, with the failed outcome).
CompositeFiles writeComposite(const QString& wallpaperFolder, const QString& backgroundPath, const QImage& month);

// What the window lends to the road.
struct ApplyPieces {
    QString appDir;
    BackgroundListState* list = nullptr;       // the window's list state; the road moves its index
    std::function<bool()> askFirst;            // the wallpaper prompt flag (absent: never ask)
    std::function<int()> confirm;              // shows the confirmation dialog modally: 1 go on, 0 stop
    std::function<void()> repaint;             // repaints the main window at once (may be absent)
    std::function<Outcome()> capture;          // writes "Content.bmp" (CaptureNotePicture)
    std::function<QString()> monthPicturePath; // the window's MonthPicturePath (may be absent)
    // The month picture when no month picture file exists; a null picture means none. Absent: none.
    std::function<QImage()> drawnMonthPicture;
    platform::WallpaperInstaller* installer = nullptr; // absent: the desktop cannot be set
    bool install = true;                               // false: the road ends once Mix.bmp is written
    int pauseMs = 100;                                 // after the dialog, before the capture
};

class ApplyToDesktop {
public:
    explicit ApplyToDesktop(ApplyPieces pieces);
    ~ApplyToDesktop();
    ApplyToDesktop(const ApplyToDesktop&) = delete;
    ApplyToDesktop& operator=(const ApplyToDesktop&) = delete;

    using Done = std::function<void(const ApplyResult&)>;
    // Runs the road. When the prompt flag is set the dialog runs first; after a confirmation the
    // window is repainted and the rest follows pauseMs later from the event loop (which keeps
    // running), else at once. `done` gets the outcome exactly once; a click while a road is
    // pausing gets Busy.
    void imgAppToDeskClick(Done done);
    bool isRunning() const { return m_running; }

    ApplyPieces& pieces() { return m_pieces; }

private:
    void finish(const ApplyResult& result);

    ApplyPieces m_pieces;
    QTimer m_pause;
    Done m_done;
    bool m_running = false;
};

// Steps 2 to 6 of the road at once, without the dialog: capture, choose the background, compose,
// re-encode, install, move the index.
ApplyResult applyNotePicture(ApplyPieces& pieces);

// The wallpaper copies the road hands to the desktop are named "Mix-<date>-<time>-<ms>.bmp":
// desktops keep a picture by its path, so the same name twice would show the old picture.
bool isInstalledCopyName(const QString& fileName);

} // namespace tavemo::wallpaper
