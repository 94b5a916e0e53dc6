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

#include "QtCli.h"

#include "notes/DateKey.h"
#include "notes/NoteBook.h"
#include "notes/NoteFormats.h"
#include "richtext/RtfCodec.h"

#include <QCoreApplication>
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
using cli::kBadInput;
using cli::kFailed;

constexpr qsizetype kMaxInputBytes = 64 * 1024 * 1024;

const char kHelp[] = "用法：tavemo-notes [--dir APPDIR] list\n"
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
                     "带取值的选项也可以写成 --dir=APPDIR、--format=html 的形式。\n"
                     "\n"
                     "list、show 和 export 只读取数据库，从不改动它，在只读的文件夹或介质上、磁盘已满时也能使用。\n"
                     "\n"
                     "退出状态：0 成功；1 处理中出错（数据库被锁定或已损坏、磁盘已满、没有写入权限、\n"
                     "记事无法读取、export 跳过了文件或未能写入）；2 输入有误（用法不对、日期无效、\n"
                     "文件或数据库不存在、文件无法如实读取），此时不写入任何内容。\n";

const cli::Tool kTool{"tavemo-notes", kHelp};

const cli::Option kOptions[] = {{"--dir", true}, {"--format", true}, {"--overwrite", false}};

struct Command {
    std::string_view name;
    std::size_t operands;
    const char16_t* defaultFormat; // null: takes no --format
    const char* operandError;
};
const Command kCommands[] = {
    {"list", 0, nullptr, "list 不带参数"},
    {"show", 1, u"text", "show 需要一个日期 DATE"},
    {"export", 1, u"rtf", "export 需要一个文件夹 DIR"},
    {"put", 2, nullptr, "put 需要日期 DATE 和文件 FILE"},
};

int complain(int status, const QString& message) { return cli::complain(kTool, status, message); }
int refuse(const std::string& message) { return kTool.complain(kBadInput, kTool.usageError(message)); }

// The reason of a failed system call on a file that is read, in Chinese with the system's words.
QString readFailure(int error)
{
    if (error == EACCES || error == EPERM)
        return QStringLiteral("没有读取权限（%1）").arg(QString::fromLocal8Bit(std::strerror(error)));
    return Outcome::failedWithErrno(error).detail;
}

// The bytes of `path`, which may be a pipe, a FIFO, a device such as /dev/stdin, or "-" for
// standard input. Nothing, with the reason, for a missing file, a folder or a read error.
std::optional<QByteArray> readInput(const QString& path, QString* error)
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

bool writeStdout(const QByteArray& bytes)
{
    return std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) ==
           static_cast<size_t>(bytes.size());
}

int list(notes::NoteBook& book)
{
    std::vector<notes::NoteStore::Entry> entries;
    if (const Outcome listed = book.list(&entries); !listed.ok())
        return complain(kFailed, QStringLiteral("列出记事失败：%1").arg(listed.detail));
    QByteArray out;
    for (const auto& entry : entries)
        out += notes::keyToIsoDate(entry.key).toUtf8() + '\t' + QByteArray::number(entry.size) + '\n';
    writeStdout(out);
    return kTool.finish();
}

int show(notes::NoteBook& book, engine::DateTime day, const notes::NoteFormat& format)
{
    const Result<QByteArray> rendered = book.render(day, format);
    if (!rendered.ok())
        return cli::complain(kTool, kFailed, rendered.outcome);
    writeStdout(rendered.value);
    return kTool.finish();
}

int exportAll(notes::NoteBook& book, const QString& dir, const notes::NoteFormat& format, bool overwrite)
{
    const Outcome exported =
        book.exportAll(dir, format, overwrite, [](const QString& line) { complain(kFailed, line); });
    return exported.ok() ? cli::kDone : cli::complain(kTool, kFailed, exported);
}

int put(notes::NoteBook& book, engine::DateTime day, const QByteArray& note)
{
    static const QString origin = notes::originOf(u"tavemo-notes");
    if (const Outcome saved = book.replace(day, note, origin); !saved.ok())
        return complain(kFailed, QStringLiteral("保存记事失败：%1").arg(saved.detail));
    return cli::kDone;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args = cli::argumentsOf(argc, argv);
    if (const std::optional<int> answered = kTool.preamble(args))
        return *answered;
    cli::quietQt(kTool);

    const cli::ScannedArguments scanned = cli::scanArguments(args, kOptions);
    if (!scanned.error.empty())
        return refuse(scanned.error);
    if (scanned.operands.empty())
        return refuse("缺少命令：list、show、export 或 put");
    const std::string& name = scanned.operands.front();
    const Command* command = nullptr;
    for (const Command& known : kCommands)
        if (known.name == name)
            command = &known;
    if (!command)
        return refuse("未知命令“" + name + "”");
    const std::vector<std::string> operands(scanned.operands.begin() + 1, scanned.operands.end());
    if (operands.size() != command->operands)
        return refuse(command->operandError);
    const std::optional<std::string> formatName = scanned.value("--format");
    if (formatName && !command->defaultFormat)
        return refuse(name + " 不接受 --format");
    if (scanned.has("--overwrite") && name != "export")
        return refuse(name + " 不接受 --overwrite");
    const notes::NoteFormat* format = nullptr;
    if (command->defaultFormat) {
        const QString wanted = formatName ? cli::qtText(*formatName) : QString::fromUtf16(command->defaultFormat);
        format = notes::findNoteFormat(wanted);
        if (!format)
            return refuse(QStringLiteral("未知格式“%1”，可用 %2").arg(wanted, notes::noteFormatNames()).toStdString());
    }

    // Validate every operand before anything is opened or written.
    engine::DateTime day = 0;
    if (name == "show" || name == "put") {
        std::string why;
        const std::optional<engine::DateTime> parsed = cli::dateOperand(operands[0], true, &why);
        if (!parsed)
            return refuse(why);
        day = *parsed;
    }
    if (name == "export") {
        const QFileInfo target(cli::qtText(operands[0]));
        if (target.exists() && !target.isDir())
            return complain(kBadInput, QStringLiteral("%1 不是文件夹").arg(target.filePath()));
    }

    // Listing needs no GUI; rendering notes needs fonts, which live in a GUI application, always on
    // the offscreen platform: no command shows a window, whatever display the environment names.
    std::unique_ptr<QCoreApplication> app;
    if (name == "list") {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    // put reads and checks its file first: a file it refuses never reaches the database.
    QByteArray note;
    if (name == "put") {
        const QString path = cli::qtText(operands[1]);
        QString error;
        const std::optional<QByteArray> bytes = readInput(path, &error);
        if (!bytes)
            return complain(kBadInput, error);
        // The same reader and writer as the window, so the note is stored as the window stores it;
        // but only what reads faithfully.
        QTextDocument document;
        const richtext::ReadResult read = richtext::importNote(*bytes, document);
        if (!read.ok())
            return complain(
                kBadInput,
                QStringLiteral("未存入 %1：%2").arg(path == u"-" ? QStringLiteral("标准输入") : path, read.error()));
        note = richtext::writeRtf(document);
    }

    const Result<QString> appDir =
        cli::applicationDirectory(cli::qtText(scanned.value("--dir").value_or(std::string())));
    if (!appDir.ok())
        return cli::complain(kTool, kFailed, appDir.outcome);
    std::unique_ptr<notes::NoteBook> book;
    const auto access = name == "put" ? notes::NoteBook::Access::ReadWrite : notes::NoteBook::Access::ReadOnly;
    if (const std::optional<int> failed = cli::openNotes(kTool, appDir.value, access, &book))
        return *failed;

    if (name == "list")
        return list(*book);
    if (name == "show")
        return show(*book, day, *format);
    if (name == "export")
        return exportAll(*book, cli::qtText(operands[0]), *format, scanned.has("--overwrite"));
    return put(*book, day, note);
}
