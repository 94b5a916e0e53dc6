#pragma once
// TMainFrm, the program's main window: a borderless window drawn by its own pictures, with the
// month calendar on the left and the note of the chosen day on the right.
//
// Life of the window:
//   - construction builds the components and places them (MainWindowLayout);
//   - FormCreate() (run once by the program right after construction) takes today's date into
//     the calendar, which loads today's note, writes today's label, reads the wallpaper prompt
//     setting and loads the background list;
//   - createWallpaperDialogs() (run by the program next) creates the picture selection dialog and
//     the confirmation dialog, hidden;
//   - the first show runs FormShow(): the saved size and position, the note again, the web panel;
//   - every way of ending stores the note first (the close picture, 退出程序, closing the window,
//     the end of the session, a termination signal); only the close picture writes the window's
//     size and position.
//
// The window is the shell: it makes and places the components, moves and minimises itself, runs
// the caption buttons, the options menu and the ending, and forwards the rest to its jobs, each a
// child object with its own contract: the note (NotePanel), the editing commands (EditCommands),
// the wallpaper buttons (WallpaperFlow) and the settings files (SettingsFiles). Every component
// carries its name as objectName, which is how checks find it.

#include "app/Environment.h"
#include "files/WindowSettings.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QTextEdit;

namespace tavemo::calendar_view {
class TChnCalendar;
}
namespace tavemo {
struct Outcome;
}
namespace tavemo::notes {
class TDM;
}
namespace tavemo::widgets {
class CaptionButton;
class CaptionButtons;
class WindowFrame;
} // namespace tavemo::widgets

namespace tavemo::app {

class EditCommands;
class NotePanel;
class SettingsFiles;
class WallpaperFlow;
class WebPanel;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    // `dm` must have its database open and outlive the window; it reads the day through
    // notePanel().selectedDay(). `appDir` is the application directory.
    TMainFrm(notes::TDM& dm, const QString& appDir, Environment env = Environment::system(), QWidget* parent = nullptr);
    ~TMainFrm() override;

    // The creation step; run once, right after construction.
    void FormCreate();
    // Creates the two wallpaper dialogs, hidden (the buttons create them when they are missing).
    void createWallpaperDialogs();
    // The showing step; the first show of the window runs it.
    void FormShow();

    // The note of the chosen day, the one caller of the data module.
    NotePanel& notePanel() const { return *m_notePanel; }

    // Brings the running window to the user: shown again when minimised or hidden, raised and
    // activated (a second start of the program asks for this).
    void bringToFront();

    // How the program is being ended; each stores the note first. Only the close picture writes
    // the window's size and position. EventLoopEnding: the event loop is ending already (the
    // program only stores the note); the others then end the event loop.
    enum class Ending { ClosePicture, ExitCommand, WindowClosed, Signal, EventLoopEnding };
    void endProgram(Ending how);
    // Stores the note without ending (the session manager asks so before the session ends).
    void saveNoteNow();

    // The note page number: 0 while the window is being created, then line 1 of
    // "data\FormSize.ini" (1 when the file is new); the note is saved on each change only while it
    // is not 0.
    std::int32_t CurrentPage() const { return m_saved.currentPage; }
    void setCurrentPage(std::int32_t page) { m_saved.currentPage = page; }
    // This month's picture, "source\Month\YYYYMM.bmp" below the application directory, of the
    // clock's month (not the calendar's).
    const QString& MonthPicturePath() const { return m_monthPicturePath; }

public slots:
    void chnCalendarChange();

    void imgBGMouseDown();
    void imgBGMouseMove();
    void img_close_normalMouseMove();
    void img_close_highlightMouseDown();
    void img_close_highlightClick();
    void img_mini_normalMouseMove();
    void img_mini_highlightMouseDown();
    void img_mini_highlightClick();

    void lblSetClick();
    void N_helpClick();
    void N_SubmitClick();
    void N_ExitPrjClick();

    // 选择壁纸: the picture selection dialog, then the background list again.
    void imgAddToDeskClick();
    // 添加到桌面: the note over the next background, as the desktop wallpaper.
    void imgAppToDeskClick();
    // Reads "Data\BGPicList.ini" into the background list state.
    void LoadBackgroundList(bool selectCurrent);

    void rdtAbcChange();
    void rdtAbcExit();
    void btnGouClick();
    void btnXClick();
    void imgDateClick();
    void imgRedColorClick();
    void imgFontClick();
    void N1Click();
    void N2Click();
    void N9Click();
    void N3Click();
    void V1Click();
    void X1Click();
    void CtrlZ1Click();
    void N_RedTagClick();
    void N_BlueTagClick();
    void N_FRedTagClick();

    void LoadWindowSize();
    void SaveWindowSize();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createComponents(notes::TDM& dm);
    void configureCalendar();
    void createMenus();
    void layoutComponents();
    void FormResize();
    void applyGeometry(const files::FormSize& size);
    QString monthPicturePathNow() const;
    QUrl sitePage(const QString& relative) const;

    QString m_appDir;
    Environment m_env;
    files::FormSize m_saved{.currentPage = 0}; // what "data\FormSize.ini" gave or is to get
    QString m_monthPicturePath;

    // Jobs (children of the window, or owned by it).
    NotePanel* m_notePanel = nullptr;
    SettingsFiles* m_settings = nullptr;
    WallpaperFlow* m_wallpaper = nullptr;
    std::unique_ptr<EditCommands> m_edit;
    std::unique_ptr<widgets::CaptionButtons> m_captions;

    // Components the shell works with.
    calendar_view::TChnCalendar* m_chnCalendar = nullptr;
    QTextEdit* m_rdtAbc = nullptr;
    widgets::CaptionButton* m_imgClose = nullptr;
    widgets::CaptionButton* m_imgMini = nullptr;
    QLabel* m_lblDateTime = nullptr;
    QLabel* m_lblSet = nullptr;
    WebPanel* m_webLink = nullptr;
    QMenu* m_popSysset = nullptr;
    QMenu* m_pmDeskTopMonCal = nullptr;
    widgets::WindowFrame* m_frame = nullptr;

    bool m_created = false;
    bool m_shown = false;
    bool m_optionsMenuAttached = false;
    bool m_ended = false; // the note has been stored for the end of the program
    bool m_calendarChanged = false;
};

} // namespace tavemo::app
