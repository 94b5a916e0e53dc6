#pragma once
// TMainFrm, the program's main window: a borderless window drawn by its own pictures, with the
// month calendar on the left and the note of the chosen day on the right.
//
// Life of the window:
//   - construction builds the components as the window's description lays them out;
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
// The note is saved on every change of the text while CurrentPage is not 0 and the note store's
// NoteReady is true, whenever the editor loses the keyboard focus, and on every way of ending.
// While saves fail the window shows a red notice with the reason, until a save succeeds again.

#include "widgets/CaptionButton.h"
#include "app/Environment.h"
#include "wallpaper/uGlobal.h"

#include <QColor>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

class QFrame;
class QLabel;
class QMenu;
class QTextEdit;
class QToolButton;

namespace tavemo::calendar_view {
class TChnCalendar;
}
namespace tavemo {
struct Outcome;
}
namespace tavemo::notes {
class TDM;
}
namespace tavemo::platform {
class WallpaperInstaller;
}
namespace tavemo::wallpaper {
class ApplyToDesktop;
struct ApplyResult;
}
namespace tavemo::dialogs {
class TInforFrm;
class TPicSelFrm;
}
namespace tavemo::widgets {
class PictureBox;
class WindowFrame;
}

namespace tavemo::app {

using widgets::CaptionButton;
using widgets::PictureBox;
using widgets::WindowFrame;
class WebPanel;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    // `dm` must have its database open and outlive the window, which hands it the calendar's date
    // (calendarDateTime()) and the editor's document. `appDir` is the application directory.
    TMainFrm(notes::TDM &dm, const QString &appDir, Environment env = Environment::system(), QWidget *parent = nullptr);
    ~TMainFrm() override;

    // The creation step; run once, right after construction.
    void FormCreate();
    // Creates the two wallpaper dialogs, hidden (the buttons create them when they are missing).
    void createWallpaperDialogs();
    // The showing step; the first show of the window runs it.
    void FormShow();

    // The calendar's date-time value, for the note store.
    double calendarDateTime() const;

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

    // Working state (the wallpaper commands read and write the background and prompt fields).
    QString MonthPicturePath;
    std::int32_t CurrentPage = 0;
    std::int32_t SavedWidth = 0;
    std::int32_t SavedHeight = 0;
    std::int32_t SavedLeft = 0;
    std::int32_t SavedTop = 0;
    // The background list, its current name and the background index (the list entry the next
    // wallpaper uses).
    wallpaper::BackgroundListState Backgrounds;
    bool WallpaperPrompt = true;        // ask before the wallpaper is replaced
    std::int32_t ConfirmResult = 0;     // the confirmation dialog's answer, 0 or 1
    QString FlagFilePath;               // "data\configSetBg.ini" below the application directory

    const QString &applicationDirectory() const { return m_appDir; }
    Environment &environment() { return m_env; }

    // Components.
    calendar_view::TChnCalendar *chnCalendar() const { return m_chnCalendar; }
    QTextEdit *rdtAbc() const { return m_rdtAbc; }
    PictureBox *imgBG() const { return m_imgBG; }
    PictureBox *imgLogo() const { return m_imgLogo; }
    CaptionButton *img_close() const { return m_imgClose; }
    CaptionButton *img_mini() const { return m_imgMini; }
    QLabel *lblDateTime() const { return m_lblDateTime; }
    QLabel *lblSet() const { return m_lblSet; }
    PictureBox *imgAppToDesk() const { return m_imgAppToDesk; }
    PictureBox *imgAddToDesk() const { return m_imgAddToDesk; }
    PictureBox *imgFont() const { return m_imgFont; }
    QToolButton *btnGou() const { return m_btnGou; }
    QToolButton *btnX() const { return m_btnX; }
    PictureBox *imgDate() const { return m_imgDate; }
    PictureBox *imgRedColor() const { return m_imgRedColor; }
    QWidget *pngRight() const { return m_pngRight; }
    QFrame *pnlABC() const { return m_pnlABC; }
    QWidget *pnlLeft() const { return m_pnlLeft; }
    QWidget *pnlWeb() const { return m_pnlWeb; }
    WebPanel *webLink() const { return m_webLink; }
    QMenu *popSysset() const { return m_popSysset; }
    QMenu *pmDeskTopMonCal() const { return m_pmDeskTopMonCal; }
    WindowFrame *frame() const { return m_frame; }
    dialogs::TPicSelFrm *picSelFrm() const { return m_picSelFrm; }
    dialogs::TInforFrm *inforFrm() const { return m_inforFrm; }
    // The road of 添加到桌面 while it waits after the confirmation.
    bool isApplyingWallpaper() const;
    // The red notice shown while saves fail; hidden otherwise.
    QLabel *saveNotice() const { return m_saveNotice; }

    // The last colour and font the dialogs returned (where the next dialog starts).
    QColor lastColor() const { return m_lastColor; }
    ChosenFont lastFont() const { return m_lastFont; }

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
    // Reads "Data\BGPicList.ini" into Backgrounds.
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
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createComponents();
    void configureCalendar();
    void createMenus();
    void layoutComponents();
    void FormResize();

    void loadNote();
    void saveNote();
    void showSaveResult(const Outcome &result);
    void replaceSelection(const QString &text);
    void setSelectionColor(const QColor &color);
    void tag(const QColor &color);
    void setCaptionStates(CaptionButton::State close, CaptionButton::State mini);
    QString monthPicturePathNow() const;
    void applyGeometry(int width, int height, int left, int top);
    void writeSettings(const QString &relative, const QStringList &lines);
    void reportUnwritableFolder();
    QUrl sitePage(const QString &relative) const;
    void wallpaperApplied(const wallpaper::ApplyResult &result);

    notes::TDM &m_dm;
    QString m_appDir;
    Environment m_env;

    calendar_view::TChnCalendar *m_chnCalendar = nullptr;
    QTextEdit *m_rdtAbc = nullptr;
    PictureBox *m_imgBG = nullptr;
    PictureBox *m_imgLogo = nullptr;
    CaptionButton *m_imgClose = nullptr;
    CaptionButton *m_imgMini = nullptr;
    QLabel *m_lblDateTime = nullptr;
    QLabel *m_lblSet = nullptr;
    PictureBox *m_imgAppToDesk = nullptr;
    PictureBox *m_imgAddToDesk = nullptr;
    PictureBox *m_imgFont = nullptr;
    QToolButton *m_btnGou = nullptr;
    QToolButton *m_btnX = nullptr;
    PictureBox *m_imgDate = nullptr;
    PictureBox *m_imgRedColor = nullptr;
    QWidget *m_pngRight = nullptr;
    QFrame *m_pnlABC = nullptr;
    QWidget *m_pnlLeft = nullptr;
    QWidget *m_shpLeft = nullptr;
    QWidget *m_pnlWeb = nullptr;
    WebPanel *m_webLink = nullptr;
    QLabel *m_saveNotice = nullptr;
    QMenu *m_popSysset = nullptr;
    QMenu *m_pmDeskTopMonCal = nullptr;
    WindowFrame *m_frame = nullptr;
    dialogs::TPicSelFrm *m_picSelFrm = nullptr;
    dialogs::TInforFrm *m_inforFrm = nullptr;
    std::unique_ptr<wallpaper::ApplyToDesktop> m_road;
    std::unique_ptr<platform::WallpaperInstaller> m_installer;
    bool m_installerMade = false;

    QColor m_lastColor = Qt::black;
    ChosenFont m_lastFont;
    bool m_created = false;
    bool m_shown = false;
    bool m_optionsMenuAttached = false;
    bool m_ended = false;          // the note has been stored for the end of the program
    bool m_calendarChanged = false;
    QString m_unwritableFolder;    // a folder the settings could not be written to
    QString m_unwritableReason;
    bool m_unwritableReported = false;
};

} // namespace tavemo::app
