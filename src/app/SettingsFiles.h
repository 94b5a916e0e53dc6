#pragma once
// The main window's two settings files below the application directory: "data\FormSize.ini" (the
// note page number and the window's size and position) and "data\configSetBg.ini" (ask before the
// wallpaper is replaced). One reader for each, the defaults of a first start, and the report of a
// folder they cannot be written to: told once per run, and never before the window shows (a
// failure while it is being created is told as soon as the event loop runs after the first show).
// A file that cannot be read as its format says counts as missing, and is written anew.

#include "files/WindowSettings.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace tavemo::app {

struct Environment;

class SettingsFiles : public QObject {
    Q_OBJECT
public:
    // `window` is the parent of the report and outlives this object (its child); `env` likewise.
    SettingsFiles(const QString& appDir, Environment& env, QWidget& window);

    // "data\FormSize.ini" as it was saved; nothing when it is missing or cannot be read (fewer than
    // five lines, or one of them not a number).
    std::optional<files::FormSize> readFormSize() const;
    // What a first start uses: page 1, the default size, centred on the primary screen above a
    // 30-pixel task bar.
    files::FormSize defaultFormSize() const;
    // Replaces "data\FormSize.ini" with the five values.
    void writeFormSize(const files::FormSize& size);

    // The prompt flag of "data\configSetBg.ini"; a file that is missing or cannot be read is written
    // with the line "1", and the flag is true.
    bool readWallpaperPrompt();
    // The flag file's full path (the confirmation dialog writes "0" into it).
    QString flagFilePath() const;

    // The window has shown for the first time: from now on a failed write is told at once, and one
    // that came before is told from the event loop.
    void windowShown();

private:
    void write(const char* relative, const QStringList& lines);
    void reportUnwritableFolder();

    QString m_appDir;
    Environment& m_env;
    QWidget& m_window;
    bool m_shown = false;
    QString m_unwritableFolder; // a folder the settings could not be written to
    QString m_unwritableReason;
    bool m_reported = false;
};

} // namespace tavemo::app
