// tavemo-calendar: the desktop calendar and day-notebook. Takes no arguments but --help and
// --version; everything it stores lives below its application directory (the folder of the
// executable, or the per-user data folder when installed; see AppPath.h).
//
// Diagnostics: with TAVEMO_EXIT_AFTER_FIRST_PAINT=1 in the environment the program prints
// "first-paint rss-kb=N" on standard output once its window has been painted for the first time,
// and ends as by a termination signal (the start-up benchmark runs it so).

#include "TavemoVersion.h"
#include "app/Environment.h"
#include "app/NotePanel.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "app/uMain.h"
#include "drawing/FontSetup.h"
#include "notes/uDM.h"
#include "paths/AppPath.h"
#include "widgets/WindowPictures.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

using namespace tavemo;

void showStartFailure(const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    box.exec();
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(widgets::programIcon(size)));
    return icon;
}

// Prints the resident memory once the window has been painted, then ends the program.
class FirstPaintReport : public QObject {
public:
    FirstPaintReport(app::TMainFrm* window) : QObject(window), m_window(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, m_window, [this] {
                long pages = 0, resident = 0;
                if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
                        resident = 0;
                    std::fclose(statm);
                }
                std::printf("first-paint rss-kb=%ld\n", resident * (::sysconf(_SC_PAGESIZE) / 1024));
                std::fflush(stdout);
                m_window->endProgram(app::TMainFrm::Ending::Signal);
            });
        }
        return false;
    }

private:
    app::TMainFrm* m_window;
    bool m_done = false;
};

constexpr const char kHelp[] = "用法：tavemo-calendar [--help | --version]\n"
                               "\n"
                               "Tavemo桌面日历：左边是农历月历，右边是所选日期的记事，可以把记事放到桌面壁纸上。\n"
                               "记事和设置保存在程序目录中：程序所在的目录可写时就是该目录，程序安装在系统中时为\n"
                               "~/.local/share/tavemo-calendar（$XDG_DATA_HOME/tavemo-calendar）。\n"
                               "\n"
                               "--help, -h   显示本帮助。\n"
                               "--version    显示版本号。\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before any window system is touched, so that they work without a display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return std::fputs(kHelp, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return std::printf("tavemo-calendar %s\n", tavemo::kVersion) > 0 && std::fflush(stdout) == 0 ? 0 : 1;

    // 1. The application and its title.
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavemo-calendar"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tavemo桌面日历"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tavemo-calendar"));
    QApplication::setWindowIcon(programIcon());
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QTranslator qtTexts; // the Chinese texts of Qt's own dialogs (colour, font, message boxes)
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    drawing::installFontSubstitutions();

    Outcome filled;
    const QString appDir = paths::applicationDirectory(&filled);
    if (!filled.ok()) {
        showStartFailure(QStringLiteral("无法准备数据文件夹，程序无法启动。"), filled.text());
        return 1;
    }

    // One program per application directory: a second start brings the first to the front.
    app::SingleInstance instance(appDir);
    QString instanceError;
    switch (instance.start(&instanceError)) {
    case app::SingleInstance::Start::HandedOver:
        return 0;
    case app::SingleInstance::Start::Failed:
        showStartFailure(instanceError, {});
        return 1;
    case app::SingleInstance::Start::First:
        break;
    }

    // 2. The data module opens the note database; without it the program cannot go on.
    notes::TDM dm;
    const notes::OpenResult opened = dm.DataModuleCreate(appDir);
    if (!opened.ok()) {
        showStartFailure(opened.message, opened.detail);
        return 1;
    }

    // 3. The main window and its creation step.
    app::TMainFrm mainFrm(dm, appDir);
    mainFrm.FormCreate();

    // 4. The picture selection dialog and the confirmation dialog, hidden.
    mainFrm.createWallpaperDialogs();

    // Every way of ending stores the note first.
    app::TerminationSignals terminations;
    QObject::connect(&terminations, &app::TerminationSignals::received, &mainFrm,
                     [&mainFrm](int) { mainFrm.endProgram(app::TMainFrm::Ending::Signal); });
    QObject::connect(
        &application, &QGuiApplication::commitDataRequest, &mainFrm,
        [&mainFrm](QSessionManager&) { mainFrm.saveNoteNow(); }, Qt::DirectConnection);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &mainFrm,
                     [&mainFrm] { mainFrm.endProgram(app::TMainFrm::Ending::EventLoopEnding); });
    QObject::connect(&instance, &app::SingleInstance::activationRequested, &mainFrm, &app::TMainFrm::bringToFront);
    if (qEnvironmentVariableIntValue("TAVEMO_EXIT_AFTER_FIRST_PAINT") == 1)
        new FirstPaintReport(&mainFrm);

    // 5. Show the window (its showing step runs) and run until the program is asked to end.
    mainFrm.show();
    return application.exec();
}
