// tavemo-wallpaper: puts a day's note on the desktop without the window, for a login script or a
// daily timer.
//
//   tavemo-wallpaper [--dir APPDIR] [--date YYYY-MM-DD|YYYYMMDD] [--output FILE] [--no-install]
//
// The note (default: today's) is laid out in an editor of the size the window's editor has, off
// screen, and composed with the month over the background a fresh start of the window would use
// (the last entry of the background list), exactly as 添加到桌面 does: Content.bmp, Mix.bmp and
// Mix.Jpg in the wallpaper folder, and a fresh copy given to the desktop.
//
// Exit status: 0 done; 2 bad arguments, nothing written; 1 the note or the pictures could not be
// read, the composite not written or the desktop not set.

#include "QtCli.h"

#include "calendar_view/CalendarLook.h"
#include "calendar_view/MonthPicture.h"
#include "drawing/FontSetup.h"
#include "files/AtomicFile.h"
#include "files/WindowSettings.h"
#include "notes/NoteBook.h"
#include "paths/AppPath.h"
#include "platform/WallpaperInstaller.h"
#include "wallpaper/ApplyToDesktop.h"
#include "wallpaper/CaptureNotePicture.h"
#include "wallpaper/MonthPicture.h"
#include "wallpaper/PictureCodecs.h"
#include "wallpaper/uGlobal.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QBuffer>
#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QTextEdit>

#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace {

using namespace tavemo;

using cli::kBadInput;
using cli::kFailed;

const char kHelp[] = "用法：tavemo-wallpaper [--dir APPDIR] [--date YYYY-MM-DD] [--output FILE] [--no-install]\n"
                     "\n"
                     "把某一天的记事放到桌面上，与窗口的“添加到桌面”相同，但不需要窗口：记事按窗口中记事框\n"
                     "的大小排版，与本月的月历一起叠加在背景图片上（用窗口新启动时会用的那一张，即背景列表的\n"
                     "最后一项），写成 source/DeskTopBG/Mix.bmp 和 Mix.Jpg，再设为桌面壁纸。\n"
                     "\n"
                     "选项：\n"
                     "  --dir APPDIR    程序目录。默认为本程序所在的目录；程序安装在系统中（或所在目录\n"
                     "                  不可写）时为 ~/.local/share/tavemo-calendar（$XDG_DATA_HOME）。\n"
                     "  --date 日期     记事的日期，格式为 YYYY-MM-DD（或 YYYYMMDD），年份为 1 至 2100；\n"
                     "                  默认为今天。\n"
                     "  --output FILE   另把合成的壁纸写到 FILE：扩展名为 .png 时为 PNG，.jpg 或 .jpeg 时为\n"
                     "                  JPEG，否则为 24 位 BMP。\n"
                     "  --no-install    只合成，不设为桌面壁纸。\n"
                     "  --help, -h      显示本帮助。\n"
                     "  --version       显示版本。\n"
                     "带取值的选项也可以写成 --date=2024-02-10 的形式。\n"
                     "\n"
                     "完成后输出所用的桌面环境和壁纸文件。不需要显示器。\n"
                     "\n"
                     "退出状态：0 成功；1 无法合成或无法设置壁纸（原因见提示）；2 参数有误，此时不写入任何内容。\n";

struct Arguments {
    QString appDir;                      // empty: the application directory of the executable (AppPath.h)
    std::optional<engine::DateTime> day; // nothing: today
    QString output;
    bool install = true;
};

const cli::Tool kTool{"tavemo-wallpaper", kHelp};

const cli::Option kOptions[] = {{"--dir", true}, {"--date", true}, {"--output", true}, {"--no-install", false}};

int complain(int status, const QString& message) { return cli::complain(kTool, status, message); }

std::optional<Arguments> parseArguments(std::span<const std::string_view> args, std::string* error)
{
    const cli::ScannedArguments scanned = cli::scanArguments(args, kOptions);
    if (!scanned.error.empty()) {
        *error = kTool.usageError(scanned.error);
        return std::nullopt;
    }
    if (!scanned.operands.empty()) {
        *error = kTool.usageError("多余的参数“" + scanned.operands.front() + "”");
        return std::nullopt;
    }
    Arguments parsed;
    parsed.appDir = cli::qtText(scanned.value("--dir").value_or(std::string()));
    parsed.output = cli::qtText(scanned.value("--output").value_or(std::string()));
    parsed.install = !scanned.has("--no-install");
    if (const std::optional<std::string> date = scanned.value("--date")) {
        std::string why;
        parsed.day = cli::dateOperand(*date, true, &why);
        if (!parsed.day) {
            *error = kTool.usageError(why);
            return std::nullopt;
        }
    }
    if (!parsed.appDir.isEmpty() && !QFileInfo(parsed.appDir).isDir()) {
        *error = kTool.usageError(QStringLiteral("程序目录 %1 不存在").arg(parsed.appDir).toStdString());
        return std::nullopt;
    }
    if (!parsed.output.isEmpty() && QFileInfo(parsed.output).isDir()) {
        *error = kTool.usageError(QStringLiteral("%1 是文件夹，不是文件").arg(parsed.output).toStdString());
        return std::nullopt;
    }
    return parsed;
}

// The note of the day as the window's editor holds it.
bool loadNote(const QString& appDir, engine::DateTime day, QTextEdit& editor, QString* error)
{
    Result<std::unique_ptr<notes::NoteBook>> opened = notes::NoteBook::open(appDir, notes::NoteBook::Access::ReadOnly);
    Outcome loaded = opened.ok() ? opened.value->load(day, *editor.document()) : opened.outcome;
    if (!loaded.ok())
        *error = loaded.text();
    return loaded.ok();
}

// The window's size saved in "data\FormSize.ini"; nothing when the file is missing or unreadable.
std::optional<QSize> savedWindowSize(const QString& appDir)
{
    const std::optional<files::FormSize> saved =
        files::readFormSize(paths::appPath(appDir, QString::fromLatin1(files::kFormSizeFile)));
    if (!saved)
        return std::nullopt;
    return QSize(saved->width, saved->height);
}

// Writes the composite to `path` in the format its extension names.
Outcome writeOutput(const QString& composite, const QString& path)
{
    const Result<QImage> picture = wallpaper::readPicture(composite);
    if (!picture.ok())
        return picture.outcome;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"jpg" || suffix == u"jpeg")
        return wallpaper::saveJpeg(picture.value, path, 90);
    if (suffix != u"png")
        return wallpaper::saveBmp24(picture.value, path);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.value.save(&buffer, "PNG"))
        return Outcome::failedSaying(Failure::Other, QStringLiteral("无法生成 PNG 文件 %1").arg(path));
    return files::saveAtomically(path, png);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args = cli::argumentsOf(argc, argv);
    if (const std::optional<int> answered = kTool.preamble(args))
        return *answered;
    cli::quietQt(kTool);
    std::string error;
    const std::optional<Arguments> parsed = parseArguments(args, &error);
    if (!parsed)
        return kTool.complain(kBadInput, error);

    // The note is drawn off screen: no display is needed unless the caller names a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    drawing::installFontSubstitutions();

    const Result<QString> found = cli::applicationDirectory(parsed->appDir);
    if (!found.ok())
        return cli::complain(kTool, kFailed, found.outcome);
    const QString& appDir = found.value;
    const QDate today = QDate::currentDate();
    engine::DateTime todayValue = 0;
    engine::tryEncodeDate(today.year(), today.month(), today.day(), todayValue);
    const engine::DateTime day = parsed->day.value_or(todayValue);

    // The editor as the window has it, at the size the window's editor has after a start.
    QTextEdit editor;
    editor.setAttribute(Qt::WA_DontShowOnScreen);
    widgets::setUpNoteEditor(editor);
    editor.resize(widgets::noteEditorSize(widgets::startWindowSize(savedWindowSize(appDir))));
    QString loadError;
    if (!loadNote(appDir, day, editor, &loadError))
        return complain(kFailed, loadError);
    editor.show();

    wallpaper::BackgroundListState backgrounds;
    if (const Result<bool> loaded = wallpaper::LoadBackgroundList(backgrounds, appDir, false); !loaded.ok())
        return complain(kFailed, loaded.outcome.text());

    std::unique_ptr<platform::WallpaperInstaller> installer;
    if (parsed->install)
        installer = platform::makeWallpaperInstaller(platform::currentDesktop());
    wallpaper::ApplyPieces pieces;
    pieces.appDir = appDir;
    pieces.list = &backgrounds;
    pieces.capture = [&] { return wallpaper::CaptureNotePicture(editor, wallpaper::wallpaperFolder(appDir)); };
    pieces.monthPicturePath = [&] { return wallpaper::monthPicturePath(appDir, today); };
    pieces.drawnMonthPicture = [&] {
        return calendar_view::drawMonthPicture(today, &calendar_view::setUpCalendarLook);
    };
    pieces.installer = installer.get();
    pieces.install = parsed->install;
    const wallpaper::ApplyResult result = wallpaper::applyNotePicture(pieces);

    if (!result.outcome.ok())
        return complain(kFailed, result.outcome.text());
    if (!parsed->output.isEmpty())
        if (const Outcome written = writeOutput(result.compositePath, parsed->output); !written.ok())
            return complain(kFailed, written.text());

    if (result.ending == wallpaper::ApplyResult::Ending::Installed)
        std::printf("桌面：%s\n壁纸：%s\n", result.backend.toUtf8().constData(),
                    result.installedPath.toUtf8().constData());
    else
        std::printf("桌面：未设置（--no-install）\n壁纸：%s\n", result.compositePath.toUtf8().constData());
    if (!parsed->output.isEmpty())
        std::printf("输出：%s\n", QFileInfo(parsed->output).absoluteFilePath().toUtf8().constData());
    return kTool.finish();
}
