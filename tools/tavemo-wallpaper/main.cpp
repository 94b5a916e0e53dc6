// tavemo-wallpaper: puts a day's note on the desktop without the window, for a login script or a
// daily timer.
//
//   tavemo-wallpaper [--dir APPDIR] [--date YYYY-MM-DD] [--output FILE] [--no-install]
//
// The note (default: today's) is laid out in an editor of the size the window's editor has, off
// screen, and composed with the month over the background a fresh start of the window would use
// (the last entry of the background list), exactly as 添加到桌面 does: Content.bmp, Mix.bmp and
// Mix.Jpg in the wallpaper folder, and a fresh copy given to the desktop.
//
// Exit status: 0 done; 2 bad arguments, nothing written; 1 the note or the pictures could not be
// read, the composite not written or the desktop not set.

#include "paths/AppPath.h"
#include "wallpaper/ApplyToDesktop.h"
#include "wallpaper/CaptureNotePicture.h"
#include "notes/DateKey.h"
#include "drawing/FontSetup.h"
#include "wallpaper/MonthPicture.h"
#include "notes/NoteResult.h"
#include "notes/NoteStore.h"
#include "wallpaper/PictureCodecs.h"
#include "richtext/RtfCodec.h"
#include "TavemoVersion.h"
#include "platform/WallpaperInstaller.h"
#include "wallpaper/uGlobal.h"
#include "calendar_view/CalendarLook.h"
#include "calendar_view/MonthPicture.h"
#include "files/AtomicFile.h"
#include "files/WindowSettings.h"
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
#include <unistd.h>

namespace {

using namespace tavemo;

constexpr int kFailed = 1;
constexpr int kBadInput = 2;
constexpr int kLastYear = 2100; // the last year the calendar shows

const char kHelp[] =
    "用法：tavemo-wallpaper [--dir APPDIR] [--date YYYY-MM-DD] [--output FILE] [--no-install]\n"
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
    "\n"
    "完成后输出所用的桌面环境和壁纸文件。不需要显示器。\n"
    "\n"
    "退出状态：0 成功；1 无法合成或无法设置壁纸（原因见提示）；2 参数有误，此时不写入任何内容。\n";

struct Arguments {
    QString appDir; // empty: the application directory of the executable (AppPath.h)
    QString dateKey; // empty: today
    QString output;
    bool install = true;
};

// Every message is one line on stderr; control characters show as '?', line breaks as a blank.
int complain(int status, QString message)
{
    for (QChar &c : message) {
        if (c == u'\n')
            c = u' ';
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'?';
    }
    std::fprintf(stderr, "tavemo-wallpaper: %s\n", message.toUtf8().constData());
    return status;
}

QString usageError(const QString &message)
{
    return message + QStringLiteral("（用法见 tavemo-wallpaper --help）");
}

std::optional<Arguments> parseArguments(const QStringList &args, QString *error)
{
    Arguments parsed;
    bool dirGiven = false, dateGiven = false, outputGiven = false, noInstallGiven = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--dir" || arg == u"--date" || arg == u"--output") {
            if (i + 1 >= args.size()) {
                *error = usageError(arg + QStringLiteral(" 后面缺少取值"));
                return std::nullopt;
            }
            const QString &value = args[++i];
            bool &given = arg == u"--dir" ? dirGiven : arg == u"--date" ? dateGiven : outputGiven;
            if (given) {
                *error = usageError(arg + QStringLiteral(" 只能给出一次"));
                return std::nullopt;
            }
            given = true;
            if (value.isEmpty()) {
                *error = usageError(arg + QStringLiteral(" 的取值不能为空"));
                return std::nullopt;
            }
            if (arg == u"--dir") {
                parsed.appDir = value;
            } else if (arg == u"--output") {
                parsed.output = value;
            } else {
                const std::optional<QString> key = notes::parseDate(value);
                if (!key) {
                    *error = usageError(QStringLiteral("“%1”不是有效的日期（格式为 YYYY-MM-DD）").arg(value));
                    return std::nullopt;
                }
                if (key->left(4).toInt() > kLastYear) {
                    *error = usageError(QStringLiteral("“%1”不在日历的范围内（0001-01-01 至 2100-12-31）").arg(value));
                    return std::nullopt;
                }
                parsed.dateKey = *key;
            }
        } else if (arg == u"--no-install") {
            if (noInstallGiven) {
                *error = usageError(QStringLiteral("--no-install 只能给出一次"));
                return std::nullopt;
            }
            noInstallGiven = true;
            parsed.install = false;
        } else if (arg.startsWith(u'-')) {
            *error = usageError(QStringLiteral("未知选项“%1”").arg(arg));
            return std::nullopt;
        } else {
            *error = usageError(QStringLiteral("多余的参数“%1”").arg(arg));
            return std::nullopt;
        }
    }
    if (dirGiven && !QFileInfo(parsed.appDir).isDir()) {
        *error = usageError(QStringLiteral("程序目录 %1 不存在").arg(parsed.appDir));
        return std::nullopt;
    }
    if (outputGiven && QFileInfo(parsed.output).isDir()) {
        *error = usageError(QStringLiteral("%1 是文件夹，不是文件").arg(parsed.output));
        return std::nullopt;
    }
    return parsed;
}

// Qt's own diagnostics would break the one-line messages; the program reports its errors itself.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return;
    complain(kFailed, QStringLiteral("无法启动 Qt（%1）").arg(message.simplified()));
    std::fflush(stderr);
    ::_exit(kFailed);
}

// The note of the day as the window's editor holds it.
bool loadNote(const QString &appDir, const QString &key, QTextEdit &editor, QString *error)
{
    const QString databasePath = paths::noteDatabasePath(appDir);
    std::unique_ptr<notes::NoteStore> store;
    const notes::NoteResult opened = notes::NoteStore::open(databasePath, notes::NoteStore::Access::ReadOnly, &store);
    if (opened.failure == notes::NoteFailure::Missing) {
        *error = QStringLiteral("找不到记事数据库：%1").arg(databasePath);
        return false;
    }
    if (!opened.ok) {
        *error = QStringLiteral("无法打开记事数据库 %1：%2").arg(databasePath, opened.detail);
        return false;
    }
    std::optional<QByteArray> note;
    if (const notes::NoteResult loaded = store->load(key, &note); !loaded.ok) {
        *error = QStringLiteral("无法读取 %1 的记事：%2").arg(notes::keyToIsoDate(key), loaded.detail);
        return false;
    }
    const richtext::ReadResult read = richtext::readRtf(note.value_or(QByteArray()), *editor.document());
    if (!read.ok) {
        *error = QStringLiteral("无法读取 %1 的记事：%2").arg(notes::keyToIsoDate(key), read.error);
        return false;
    }
    return true;
}

// The window's size saved in "data\FormSize.ini"; nothing when the file is missing or unreadable.
std::optional<QSize> savedWindowSize(const QString &appDir)
{
    const std::optional<files::FormSize> saved =
        files::readFormSize(paths::appPath(appDir, QString::fromLatin1(files::kFormSizeFile)));
    if (!saved)
        return std::nullopt;
    return QSize(saved->width, saved->height);
}

// Writes the composite to `path` in the format its extension names.
Outcome writeOutput(const QString &composite, const QString &path)
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

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietQt);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() == 2 && (args[1] == u"--help" || args[1] == u"-h")) {
        std::fputs(kHelp, stdout);
        return std::fflush(stdout) == 0 ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
    }
    if (args.size() == 2 && args[1] == u"--version") {
        std::printf("tavemo-wallpaper %s\n", tavemo::kVersion);
        return std::fflush(stdout) == 0 ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
    }
    QString error;
    const std::optional<Arguments> parsed = parseArguments(args, &error);
    if (!parsed)
        return complain(kBadInput, error);

    // The note is drawn off screen: no display is needed unless the caller names a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    drawing::installFontSubstitutions();

    Outcome filled;
    const QString appDir = parsed->appDir.isEmpty() ? paths::applicationDirectory(&filled) : parsed->appDir;
    if (!filled.ok())
        return complain(kFailed, filled.text());
    const QDate today = QDate::currentDate();
    const QString key = parsed->dateKey.isEmpty() ? notes::dateKey(today.year(), today.month(), today.day()) : parsed->dateKey;

    // The editor as the window has it, at the size the window's editor has after a start.
    QTextEdit editor;
    editor.setAttribute(Qt::WA_DontShowOnScreen);
    widgets::setUpNoteEditor(editor);
    editor.resize(widgets::noteEditorSize(widgets::startWindowSize(savedWindowSize(appDir))));
    if (!loadNote(appDir, key, editor, &error))
        return complain(kFailed, error);
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
    pieces.drawnMonthPicture = [&] { return calendar_view::drawMonthPicture(today, &calendar_view::setUpCalendarLook); };
    pieces.installer = installer.get();
    pieces.install = parsed->install;
    const wallpaper::ApplyResult result = wallpaper::applyNotePicture(pieces);

    if (!result.outcome.ok())
        return complain(kFailed, result.outcome.text());
    if (!parsed->output.isEmpty())
        if (const Outcome written = writeOutput(result.compositePath, parsed->output); !written.ok())
            return complain(kFailed, written.text());

    if (result.ending == wallpaper::ApplyResult::Ending::Installed)
        std::printf("桌面：%s\n壁纸：%s\n", result.backend.toUtf8().constData(), result.installedPath.toUtf8().constData());
    else
        std::printf("桌面：未设置（--no-install）\n壁纸：%s\n", result.compositePath.toUtf8().constData());
    if (!parsed->output.isEmpty())
        std::printf("输出：%s\n", QFileInfo(parsed->output).absoluteFilePath().toUtf8().constData());
    return std::fflush(stdout) == 0 ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
}
