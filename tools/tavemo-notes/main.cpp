// tavemo-notes: backup and scripting access to the day notes of an application directory.
//
//   tavemo-notes [--dir APPDIR] list
//   tavemo-notes [--dir APPDIR] show DATE [--format text|html|rtf]
//   tavemo-notes [--dir APPDIR] export DIR [--format html|rtf|text] [--overwrite]
//   tavemo-notes [--dir APPDIR] put DATE FILE
//
// Exit status: 0 done; 2 bad input (usage, a bad date, a missing or unreadable file, a missing
// database), with nothing written; 1 a failure while working (the database locked, damaged or not
// writable, a full disk, a note that cannot be read, an exported file skipped or not written).
//
// The reading commands open the database read-only and never change it. No command shows a window:
// the documents that render notes live on the offscreen platform, and listing needs no GUI at all.

#include "paths/AppPath.h"
#include "notes/DateKey.h"
#include "notes/NoteResult.h"
#include "notes/NoteStore.h"
#include "richtext/RtfCodec.h"
#include "TavemoVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace tavemo;

constexpr int kFailed = 1;
constexpr int kBadInput = 2;
constexpr int kLastYear = 2100; // the last year the calendar shows
constexpr qsizetype kMaxInputBytes = 64 * 1024 * 1024;

const char kHelp[] =
    "用法：tavemo-notes [--dir APPDIR] list\n"
    "      tavemo-notes [--dir APPDIR] show DATE [--format text|html|rtf]\n"
    "      tavemo-notes [--dir APPDIR] export DIR [--format html|rtf|text] [--overwrite]\n"
    "      tavemo-notes [--dir APPDIR] put DATE FILE\n"
    "\n"
    "备份和批量处理日历的每日记事（保存在 APPDIR/Data/UserData.db 中）。\n"
    "\n"
    "命令：\n"
    "  list           列出所有有记事的日期及记事的大小（字节）。\n"
    "  show DATE      输出某一天的记事；默认 --format text，即纯文本，每段一行。\n"
    "  export DIR     把全部记事导出到文件夹 DIR，每天一个文件，文件名为\n"
    "                 YYYY-MM-DD.rtf（或 .html、.txt）；默认 --format rtf，即原样保存的字节。\n"
    "                 不覆盖已有的文件（除非给出 --overwrite），从不跟随符号链接；\n"
    "                 跳过的文件逐一列出。\n"
    "  put DATE FILE  把文件存为该日的记事，替换原有记事。FILE 可以是 RTF 文件，或 UTF-8、\n"
    "                 带字节顺序标记的 UTF-16、GB18030 编码的纯文本文件，也可以是管道；\n"
    "                 为 - 时从标准输入读取。无法如实读取的文件（编码有误、二进制内容、\n"
    "                 不完整的 RTF）会被拒绝，并指出出错的字节。\n"
    "\n"
    "DATE 的格式为 YYYY-MM-DD 或 YYYYMMDD，年份为 1 至 2100。\n"
    "\n"
    "选项：\n"
    "  --dir APPDIR   程序目录。默认为本程序所在的目录；程序安装在系统中（或所在目录\n"
    "                 不可写）时为 ~/.local/share/tavemo-calendar（$XDG_DATA_HOME）。\n"
    "  --format 格式  show 和 export 的输出格式：text、html 或 rtf。\n"
    "  --overwrite    export 时覆盖 DIR 中已有的同名文件。\n"
    "  --help, -h     显示本帮助。\n"
    "  --version      显示版本号。\n"
    "\n"
    "list、show 和 export 只读取数据库，从不改动它，在只读的文件夹或介质上、磁盘已满时也能使用。\n"
    "\n"
    "退出状态：0 成功；1 处理中出错（数据库被锁定或已损坏、磁盘已满、没有写入权限、\n"
    "记事无法读取、export 跳过了文件或未能写入）；2 输入有误（用法不对、日期无效、\n"
    "文件或数据库不存在、文件无法如实读取），此时不写入任何内容。\n";

enum class Format { Text, Html, Rtf };

struct Arguments {
    QString appDir; // empty: the folder of the executable
    QString command;
    QStringList operands;
    std::optional<Format> format;
    bool overwrite = false;
};

// Every message is one line on stderr. Control characters (from an argument or a file name
// echoed in it) would break the line or drive the terminal, so each shows as '?'.
int complain(int status, QString message)
{
    for (QChar &c : message)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'?';
    std::fprintf(stderr, "tavemo-notes: %s\n", message.toUtf8().constData());
    return status;
}

QString usageError(const QString &message)
{
    return message + QStringLiteral("（用法见 tavemo-notes --help）");
}

std::optional<Format> parseFormat(const QString &name)
{
    if (name == u"text")
        return Format::Text;
    if (name == u"html")
        return Format::Html;
    if (name == u"rtf")
        return Format::Rtf;
    return std::nullopt;
}

// Options may stand anywhere; everything else is the command and its operands.
std::optional<Arguments> parseArguments(const QStringList &args, QString *error)
{
    Arguments parsed;
    bool dirGiven = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--dir" || arg == u"--format") {
            if (i + 1 >= args.size()) {
                *error = usageError(arg + QStringLiteral(" 后面缺少取值"));
                return std::nullopt;
            }
            const QString &value = args[++i];
            if (arg == u"--dir") {
                if (dirGiven) {
                    *error = usageError(QStringLiteral("--dir 只能给出一次"));
                    return std::nullopt;
                }
                if (value.isEmpty()) {
                    *error = usageError(QStringLiteral("--dir 的取值不能为空"));
                    return std::nullopt;
                }
                dirGiven = true;
                parsed.appDir = value;
            } else {
                if (parsed.format) {
                    *error = usageError(QStringLiteral("--format 只能给出一次"));
                    return std::nullopt;
                }
                parsed.format = parseFormat(value);
                if (!parsed.format) {
                    *error = usageError(QStringLiteral("未知格式“%1”，可用 text、html 或 rtf").arg(value));
                    return std::nullopt;
                }
            }
        } else if (arg == u"--overwrite") {
            parsed.overwrite = true;
        } else if (arg.startsWith(u'-') && arg != u"-") {
            *error = usageError(QStringLiteral("未知选项“%1”").arg(arg));
            return std::nullopt;
        } else if (parsed.command.isEmpty()) {
            parsed.command = arg;
        } else {
            parsed.operands << arg;
        }
    }
    const struct {
        const char16_t *name;
        qsizetype operands;
        bool takesFormat;
        const char16_t *operandError;
    } commands[] = {
        {u"list", 0, false, u"list 不带参数"},
        {u"show", 1, true, u"show 需要一个日期 DATE"},
        {u"export", 1, true, u"export 需要一个文件夹 DIR"},
        {u"put", 2, false, u"put 需要日期 DATE 和文件 FILE"},
    };
    for (const auto &command : commands) {
        if (parsed.command != command.name)
            continue;
        if (parsed.operands.size() != command.operands) {
            *error = usageError(QString::fromUtf16(command.operandError));
            return std::nullopt;
        }
        if (parsed.format && !command.takesFormat) {
            *error = usageError(QStringLiteral("%1 不接受 --format").arg(parsed.command));
            return std::nullopt;
        }
        if (parsed.overwrite && parsed.command != u"export") {
            *error = usageError(QStringLiteral("%1 不接受 --overwrite").arg(parsed.command));
            return std::nullopt;
        }
        return parsed;
    }
    *error = usageError(parsed.command.isEmpty()
                            ? QStringLiteral("缺少命令：list、show、export 或 put")
                            : QStringLiteral("未知命令“%1”").arg(parsed.command));
    return std::nullopt;
}

// A day the calendar can show: the years 1 to 2100.
std::optional<QString> dateOperand(const QString &text, QString *error)
{
    const std::optional<QString> key = notes::parseDate(text);
    if (!key) {
        *error = QStringLiteral("“%1”不是有效的日期（格式为 YYYY-MM-DD 或 YYYYMMDD）").arg(text);
        return std::nullopt;
    }
    if (key->left(4).toInt() > kLastYear) {
        *error = QStringLiteral("“%1”不在日历的范围内（0001-01-01 至 2100-12-31）").arg(text);
        return std::nullopt;
    }
    return key;
}

// The reason of a failed system call on a file that is read, in Chinese with the system's words.
QString readFailure(int error)
{
    if (error == EACCES || error == EPERM)
        return QStringLiteral("没有读取权限（%1）").arg(QString::fromLocal8Bit(std::strerror(error)));
    return notes::NoteResult::failedWithErrno(error).detail;
}

// The bytes of `path`, which may be a pipe, a FIFO, a device such as /dev/stdin, or "-" for
// standard input. Nothing, with the reason, for a missing file, a folder or a read error.
std::optional<QByteArray> readInput(const QString &path, QString *error)
{
    int fd = STDIN_FILENO;
    if (path != u"-") {
        const QByteArray name = QFile::encodeName(path);
        struct stat info {};
        if (::stat(name.constData(), &info) != 0) {
            *error = errno == ENOENT ? QStringLiteral("文件不存在：%1").arg(path)
                                     : QStringLiteral("无法读取文件 %1：%2").arg(path, readFailure(errno));
            return std::nullopt;
        }
        if (S_ISDIR(info.st_mode)) {
            *error = QStringLiteral("%1 是文件夹，不是文件").arg(path);
            return std::nullopt;
        }
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            *error = QStringLiteral("无法读取文件 %1：%2").arg(path, readFailure(errno));
            return std::nullopt;
        }
    }
    QByteArray bytes;
    char buffer[65536];
    int readError = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readError = errno;
        if (n <= 0)
            break;
        if (bytes.size() + n > kMaxInputBytes) {
            readError = EFBIG;
            break;
        }
        bytes.append(buffer, n);
    }
    if (fd != STDIN_FILENO)
        ::close(fd);
    if (readError == EFBIG) {
        *error = QStringLiteral("文件 %1 超过 64 MiB，不像是一则记事").arg(path);
        return std::nullopt;
    }
    if (readError) {
        *error = QStringLiteral("无法读取文件 %1：%2").arg(path, readFailure(readError));
        return std::nullopt;
    }
    return bytes;
}

// The note as a person reads it: one line per paragraph, UTF-8.
QByteArray plainText(const QTextDocument &document)
{
    QString text = document.toPlainText(); // paragraph and line separators become "\n"
    text.remove(QChar::ObjectReplacementCharacter);
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += u'\n';
    return text.toUtf8();
}

// The stored bytes in the requested form. Stored RTF is passed on as it is, so a backup keeps
// every byte, also of a note the reader cannot read; anything else goes through the editor's
// reader (lenient, as the window reads) and writer.
std::optional<QByteArray> render(const QByteArray &stored, Format format, QString *error)
{
    if (format == Format::Rtf && stored.startsWith("{\\rtf"))
        return stored;
    QTextDocument document;
    const richtext::ReadResult read = richtext::readRtf(stored, document);
    if (!read.ok) {
        *error = read.error;
        return std::nullopt;
    }
    switch (format) {
    case Format::Text:
        return plainText(document);
    case Format::Html:
        return document.toHtml().toUtf8();
    case Format::Rtf:
        return richtext::writeRtf(document);
    }
    return std::nullopt;
}

bool writeStdout(const QByteArray &bytes)
{
    return std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout)
               == static_cast<size_t>(bytes.size())
        && std::fflush(stdout) == 0;
}

int list(notes::NoteStore &store)
{
    std::vector<notes::NoteStore::Entry> entries;
    if (const notes::NoteResult listed = store.list(&entries); !listed.ok)
        return complain(kFailed, QStringLiteral("列出记事失败：%1").arg(listed.detail));
    QByteArray out;
    for (const auto &entry : entries)
        out += notes::keyToIsoDate(entry.key).toUtf8() + '\t' + QByteArray::number(entry.size) + '\n';
    return writeStdout(out) ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
}

int show(notes::NoteStore &store, const QString &key, Format format)
{
    std::optional<QByteArray> stored;
    if (const notes::NoteResult loaded = store.load(key, &stored); !loaded.ok)
        return complain(kFailed, QStringLiteral("读取记事失败：%1").arg(loaded.detail));
    if (!stored)
        return complain(kFailed, QStringLiteral("%1 没有记事").arg(notes::keyToIsoDate(key)));
    QString error;
    const std::optional<QByteArray> rendered = render(*stored, format, &error);
    if (!rendered)
        return complain(kFailed, QStringLiteral("%1 的记事无法读取：%2").arg(notes::keyToIsoDate(key), error));
    return writeStdout(*rendered) ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
}

// Writes one exported file `name` in the folder `folder` without following a symbolic link and
// without replacing anything but a regular file, and that only when `overwrite` is set. The bytes
// go to a temporary file first, so the name holds the whole file or (after a crash) nothing.
// Empty on success; else the reason, and whether the file was skipped rather than failed.
struct ExportOutcome {
    bool skipped = false;
    QString why; // empty: written
};

ExportOutcome writeExport(int folder, const QByteArray &name, const QByteArray &bytes, bool overwrite)
{
    const auto failed = [](int error) { return ExportOutcome{false, notes::NoteResult::failedWithErrno(error).detail}; };
    struct stat existing {};
    const bool exists = ::fstatat(folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return failed(errno);
    if (exists && S_ISLNK(existing.st_mode))
        return {true, QStringLiteral("是符号链接，不会跟随")};
    if (exists && !S_ISREG(existing.st_mode))
        return {true, QStringLiteral("不是普通文件")};
    if (exists && !overwrite)
        return {true, QStringLiteral("文件已存在（加 --overwrite 可覆盖）")};

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = "." + name + ".tavemo-" + QByteArray::number(::getpid()) + "-" + QByteArray::number(attempt);
        fd = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            return failed(errno);
    }
    if (fd < 0)
        return failed(EEXIST);
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && !error;) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (errno != EINTR)
            error = n == 0 ? ENOSPC : errno;
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    const auto dropTemporary = [&] { ::unlinkat(folder, temporary.constData(), 0); };
    if (error) {
        dropTemporary();
        return failed(error);
    }
    // A new name is claimed with O_EXCL, which never replaces what may have appeared meanwhile;
    // the rename then puts the whole file over the empty claim.
    if (!exists) {
        const int claim = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (claim < 0) {
            const int claimError = errno;
            dropTemporary();
            return claimError == EEXIST ? ExportOutcome{true, QStringLiteral("文件已存在（加 --overwrite 可覆盖）")}
                                        : failed(claimError);
        }
        ::close(claim);
    }
    if (::renameat(folder, temporary.constData(), folder, name.constData()) != 0) {
        const int renameError = errno;
        dropTemporary();
        if (!exists)
            ::unlinkat(folder, name.constData(), 0);
        return failed(renameError);
    }
    return {};
}

int exportAll(notes::NoteStore &store, const QString &dir, Format format, bool overwrite)
{
    if (!QFileInfo::exists(dir) && !QDir().mkpath(dir))
        return complain(kFailed, QStringLiteral("无法创建文件夹 %1").arg(dir));
    // The folder named by the user may itself be a link; what lies inside it is never followed.
    const int folder = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return complain(kFailed, QStringLiteral("无法打开文件夹 %1：%2").arg(dir, readFailure(errno)));
    const char *suffix = format == Format::Text ? ".txt" : format == Format::Html ? ".html" : ".rtf";

    int written = 0, skipped = 0, failed = 0;
    const notes::NoteResult read = store.forEach([&](const QString &key, const QByteArray &stored) {
        // Only keys that name a day become file names: a stray row must not write elsewhere.
        if (notes::parseDate(key) != key) {
            complain(kFailed, QStringLiteral("已跳过键值不是日期的一条记录：“%1”").arg(key));
            ++skipped;
            return true;
        }
        const QString date = notes::keyToIsoDate(key);
        QString why;
        const std::optional<QByteArray> rendered = render(stored, format, &why);
        if (!rendered) {
            complain(kFailed, QStringLiteral("%1 的记事未导出：%2").arg(date, why));
            ++failed;
            return true;
        }
        const QString name = date + QLatin1String(suffix);
        const ExportOutcome outcome = writeExport(folder, QFile::encodeName(name), *rendered, overwrite);
        if (outcome.why.isEmpty()) {
            ++written;
        } else if (outcome.skipped) {
            complain(kFailed, QStringLiteral("已跳过 %1：%2").arg(QDir(dir).filePath(name), outcome.why));
            ++skipped;
        } else {
            complain(kFailed, QStringLiteral("无法写入 %1：%2").arg(QDir(dir).filePath(name), outcome.why));
            ++failed;
        }
        return true;
    });
    ::close(folder);
    if (!read.ok)
        return complain(kFailed, QStringLiteral("读取记事失败：%1").arg(read.detail));
    if (skipped == 0 && failed == 0)
        return 0;
    QString summary = QStringLiteral("导出了 %1 则记事，跳过 %2 个").arg(written).arg(skipped);
    if (failed)
        summary += QStringLiteral("，%1 个未能导出").arg(failed);
    return complain(kFailed, summary);
}

int put(notes::NoteStore &store, const QString &key, const QByteArray &note)
{
    if (const notes::NoteResult saved = store.save(key, note); !saved.ok)
        return complain(kFailed, QStringLiteral("保存记事失败：%1").arg(saved.detail));
    return 0;
}

// Qt's own diagnostics would break the one-line messages; the program reports its errors itself.
// A fatal one (Qt cannot start at all) ends the program with a message of ours, not an abort.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg)
        return;
    complain(kFailed, QStringLiteral("无法启动 Qt（%1）").arg(message.simplified()));
    std::fflush(stderr);
    ::_exit(kFailed);
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
        std::printf("tavemo-notes %s\n", tavemo::kVersion);
        return std::fflush(stdout) == 0 ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
    }
    QString error;
    const std::optional<Arguments> parsed = parseArguments(args, &error);
    if (!parsed)
        return complain(kBadInput, error);

    // Validate every operand before anything is opened or written.
    std::optional<QString> key;
    if (parsed->command == u"show" || parsed->command == u"put") {
        key = dateOperand(parsed->operands[0], &error);
        if (!key)
            return complain(kBadInput, error);
    }
    if (parsed->command == u"export") {
        const QFileInfo target(parsed->operands[0]);
        if (target.exists() && !target.isDir())
            return complain(kBadInput, QStringLiteral("%1 不是文件夹").arg(parsed->operands[0]));
    }

    // Listing needs no GUI; rendering notes needs fonts, which live in a GUI application, always on
    // the offscreen platform: no command shows a window, whatever display the environment names.
    std::unique_ptr<QCoreApplication> app;
    if (parsed->command == u"list") {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    // put reads and checks its file first: a file it refuses never reaches the database.
    QByteArray note;
    if (parsed->command == u"put") {
        const QString &path = parsed->operands[1];
        const std::optional<QByteArray> bytes = readInput(path, &error);
        if (!bytes)
            return complain(kBadInput, error);
        // The same reader and writer as the window, so the note is stored as the window stores it;
        // but only what reads faithfully.
        QTextDocument document;
        const richtext::ReadResult read = richtext::importNote(*bytes, document);
        if (!read.ok)
            return complain(kBadInput, QStringLiteral("未存入 %1：%2").arg(path == u"-" ? QStringLiteral("标准输入") : path, read.error));
        note = richtext::writeRtf(document);
    }

    QString appDirError;
    const QString appDir = parsed->appDir.isEmpty() ? paths::applicationDirectory(&appDirError) : parsed->appDir;
    if (!appDirError.isEmpty())
        return complain(kFailed, appDirError);
    const QString databasePath = paths::noteDatabasePath(appDir);
    std::unique_ptr<notes::NoteStore> store;
    const notes::NoteResult opened = notes::NoteStore::open(
        databasePath, parsed->command == u"put" ? notes::NoteStore::Access::ReadWrite : notes::NoteStore::Access::ReadOnly,
        &store);
    if (opened.failure == notes::NoteFailure::Missing)
        return complain(kBadInput, QStringLiteral("找不到记事数据库：%1").arg(databasePath));
    if (!opened.ok)
        return complain(kFailed, QStringLiteral("无法打开记事数据库 %1：%2").arg(databasePath, opened.detail));

    if (parsed->command == u"list")
        return list(*store);
    if (parsed->command == u"show")
        return show(*store, *key, parsed->format.value_or(Format::Text));
    if (parsed->command == u"export")
        return exportAll(*store, parsed->operands[0], parsed->format.value_or(Format::Rtf), parsed->overwrite);
    return put(*store, *key, note);
}
