#include "app/WallpaperFlow.h"

#include "app/Environment.h"
#include "calendar_view/CalendarLook.h"
#include "calendar_view/MonthPicture.h"
#include "dialogs/uInfoFrm.h"
#include "dialogs/uPicSel.h"
#include "platform/WallpaperInstaller.h"
#include "wallpaper/ApplyToDesktop.h"
#include "wallpaper/CaptureNotePicture.h"

#include <QTextEdit>
#include <QWidget>

namespace tavemo::app {

WallpaperFlow::WallpaperFlow(QWidget& window, QTextEdit& note, const QString& appDir, Environment& env,
                             std::function<QString()> monthPicturePath)
    : QObject(&window), m_window(window), m_note(note), m_appDir(appDir), m_env(env),
      m_monthPicturePath(std::move(monthPicturePath))
{
    setObjectName(QStringLiteral("wallpaperFlow"));
}

WallpaperFlow::~WallpaperFlow() = default;

void WallpaperFlow::reset(bool prompt, const QString& flagFilePath)
{
    m_backgrounds.currentBackgroundName.clear();
    m_backgrounds.entryCount = 0;
    m_backgrounds.list.clear();
    m_prompt = prompt;
    m_confirmResult = 0;
    m_flagFilePath = flagFilePath;
}

void WallpaperFlow::createDialogs()
{
    if (m_picSelFrm)
        return;
    dialogs::TPicSelFrm::Services services;
    services.choosePictures = m_env.choosePictures;
    services.showMessage = m_env.showMessage;
    m_picSelFrm = new dialogs::TPicSelFrm(m_appDir, services, &m_window);
    m_inforFrm = new dialogs::TInforFrm(services.showMessage, &m_window);
}

void WallpaperFlow::loadBackgroundList(bool selectCurrent)
{
    const Result<bool> loaded = wallpaper::LoadBackgroundList(m_backgrounds, m_appDir, selectCurrent);
    if (!loaded.ok())
        m_env.showMessage(m_window.isVisible() ? &m_window : nullptr, loaded.outcome.text(), {});
}

void WallpaperFlow::chooseBackground()
{
    createDialogs();
    m_picSelFrm->CurrentName = m_backgrounds.currentBackgroundName;
    m_picSelFrm->exec();
    if (m_picSelFrm->CurrentName == m_backgrounds.currentBackgroundName) {
        loadBackgroundList(false);
    } else {
        // The entry just chosen is the one the next application uses.
        m_backgrounds.currentBackgroundName = m_picSelFrm->CurrentName;
        loadBackgroundList(true);
    }
}

bool WallpaperFlow::isApplying() const { return m_road && m_road->isRunning(); }

void WallpaperFlow::applyToDesktop()
{
    createDialogs();
    if (!m_road) {
        wallpaper::ApplyPieces pieces;
        pieces.appDir = m_appDir;
        pieces.list = &m_backgrounds;
        pieces.askFirst = [this] { return m_prompt; };
        pieces.confirm = [this] { return m_inforFrm->ask(m_prompt, m_confirmResult, m_flagFilePath); };
        pieces.repaint = [this] { m_window.repaint(); };
        pieces.capture = [this] { return wallpaper::CaptureNotePicture(m_note, wallpaper::wallpaperFolder(m_appDir)); };
        pieces.monthPicturePath = m_monthPicturePath;
        pieces.drawnMonthPicture = [this] {
            return calendar_view::drawMonthPicture(localDate(m_env.now()), &calendar_view::setUpCalendarLook);
        };
        m_road = std::make_unique<wallpaper::ApplyToDesktop>(std::move(pieces));
    }
    if (!m_installerMade) {
        m_installerMade = true;
        if (m_env.makeWallpaperInstaller)
            m_installer = m_env.makeWallpaperInstaller();
    }
    m_road->pieces().installer = m_installer.get();
    m_road->imgAppToDeskClick([this](const wallpaper::ApplyResult& result) { applied(result); });
}

void WallpaperFlow::applied(const wallpaper::ApplyResult& result)
{
    if (!result.outcome.message.isEmpty())
        m_env.showMessage(&m_window, result.outcome.message, {});
}

} // namespace tavemo::app
