#include "app/SettingsFiles.h"

#include "app/Environment.h"
#include "files/LineFile.h"
#include "files/WindowSettings.h"
#include "paths/AppPath.h"
#include "widgets/WindowLook.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

namespace tavemo::app {

SettingsFiles::SettingsFiles(const QString& appDir, Environment& env, QWidget& window)
    : QObject(&window), m_appDir(appDir), m_env(env), m_window(window)
{
    setObjectName(QStringLiteral("settingsFiles"));
}

std::optional<files::FormSize> SettingsFiles::readFormSize() const
{
    return files::readFormSize(paths::appPath(m_appDir, QString::fromLatin1(files::kFormSizeFile)));
}

files::FormSize SettingsFiles::defaultFormSize() const
{
    const QRect screen = m_env.primaryScreen();
    files::FormSize size;
    size.currentPage = 1;
    size.width = widgets::kDefaultWindowSize.width();
    size.height = widgets::kDefaultWindowSize.height();
    size.left = (screen.width() - size.width) / 2;
    size.top = (screen.height() - 30 - size.height) / 2;
    return size;
}

void SettingsFiles::writeFormSize(const files::FormSize& size)
{
    write(files::kFormSizeFile, files::formSizeLines(size));
}

bool SettingsFiles::readWallpaperPrompt()
{
    // A file that is empty or does not start with a number counts as missing.
    if (const std::optional<bool> prompt = files::readWallpaperPrompt(flagFilePath()))
        return *prompt;
    write(files::kConfigSetBgFile, files::wallpaperPromptLines(true));
    return true;
}

QString SettingsFiles::flagFilePath() const
{
    return paths::appPath(m_appDir, QString::fromLatin1(files::kConfigSetBgFile));
}

void SettingsFiles::windowShown()
{
    m_shown = true;
    if (!m_unwritableFolder.isEmpty())
        QTimer::singleShot(0, this, &SettingsFiles::reportUnwritableFolder);
}

void SettingsFiles::write(const char* relative, const QStringList& lines)
{
    const QString path = paths::appPath(m_appDir, QString::fromLatin1(relative));
    const Outcome written = files::writeLines(path, lines);
    if (written.ok())
        return;
    m_unwritableFolder = QFileInfo(path).absolutePath();
    m_unwritableReason = written.text();
    if (m_shown)
        reportUnwritableFolder();
}

void SettingsFiles::reportUnwritableFolder()
{
    if (m_reported || m_unwritableFolder.isEmpty())
        return;
    m_reported = true;
    m_env.showMessage(&m_window,
                      QStringLiteral("无法写入文件夹 %1，窗口的大小、位置和设置将不会被保存。")
                          .arg(QDir::toNativeSeparators(m_unwritableFolder)),
                      m_unwritableReason);
}

} // namespace tavemo::app
