#pragma once
// The window's two wallpaper buttons. 选择壁纸 opens the picture selection dialog and then reads
// the background list again (the entry just chosen is the one the next wallpaper uses); 添加到桌面
// runs the road that lays the note over the next background and makes it the desktop's wallpaper,
// asking first while the prompt flag says so. The flow holds the background list state, the prompt
// flag, the confirmation's answer and the flag file's path, makes the two dialogs (hidden, once),
// the road and the desktop's installer (once: the desktop does not change while the program runs),
// and tells the user what went wrong in a message box.

#include "wallpaper/uGlobal.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QTextEdit;
class QWidget;

namespace tavemo::dialogs {
class TInforFrm;
class TPicSelFrm;
} // namespace tavemo::dialogs
namespace tavemo::platform {
class WallpaperInstaller;
}
namespace tavemo::wallpaper {
class ApplyToDesktop;
struct ApplyResult;
} // namespace tavemo::wallpaper

namespace tavemo::app {

struct Environment;

class WallpaperFlow : public QObject {
    Q_OBJECT
public:
    // `window` owns the flow and the dialogs; `note` is the editor whose picture goes on the
    // desktop; `monthPicturePath` gives the window's path of this month's picture. All of them, and
    // `env`, outlive the flow.
    WallpaperFlow(QWidget& window, QTextEdit& note, const QString& appDir, Environment& env,
                  std::function<QString()> monthPicturePath);
    ~WallpaperFlow() override;

    // The creation step's part: no background list yet (no current name, no entries); the prompt
    // flag as the flag file at `flagFilePath` says, and no answer yet.
    void reset(bool prompt, const QString& flagFilePath);
    // Makes the two dialogs, hidden; later calls do nothing.
    void createDialogs();
    // Reads "Data\BGPicList.ini" into the background list state.
    void loadBackgroundList(bool selectCurrent);

    // 选择壁纸.
    void chooseBackground();
    // 添加到桌面.
    void applyToDesktop();
    // The road waits after the confirmation, before it captures the note.
    bool isApplying() const;

    wallpaper::BackgroundListState& backgrounds() { return m_backgrounds; }
    bool prompt() const { return m_prompt; }                       // ask before the wallpaper is replaced
    std::int32_t confirmResult() const { return m_confirmResult; } // the last answer, 0 or 1
    const QString& flagFilePath() const { return m_flagFilePath; }

private:
    void applied(const wallpaper::ApplyResult& result);

    QWidget& m_window;
    QTextEdit& m_note;
    QString m_appDir;
    Environment& m_env;
    std::function<QString()> m_monthPicturePath;

    wallpaper::BackgroundListState m_backgrounds;
    bool m_prompt = true;
    std::int32_t m_confirmResult = 0;
    QString m_flagFilePath;

    dialogs::TPicSelFrm* m_picSelFrm = nullptr;
    dialogs::TInforFrm* m_inforFrm = nullptr;
    std::unique_ptr<wallpaper::ApplyToDesktop> m_road;
    std::unique_ptr<platform::WallpaperInstaller> m_installer;
    bool m_installerMade = false;
};

} // namespace tavemo::app
