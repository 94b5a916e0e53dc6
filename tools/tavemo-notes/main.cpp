// tavemo-notes: backup and scripting access to the day notes of an application directory.
//
//   tavemo-notes [--dir APPDIR] list
//   tavemo-notes [--dir APPDIR] show DATE [--format text|html|rtf]
//   tavemo-notes [--dir APPDIR] export DIR [--format html|rtf|text]
//   tavemo-notes [--dir APPDIR] put DATE FILE
//
// Exit status: 0 done; 2 bad input (usage, a bad date, a missing file or database), with nothing
// written; 1 a failure while working (a database error, a note that cannot be read, a file that
// cannot be written).

#include "AppPath.h"
#include "DateKey.h"
#include "NoteStore.h"
#include "RtfCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextDocument>

#include <cstdio>
#include <optional>

namespace {

using namespace tavemo;

constexpr int kFailed = 1;
constexpr int kBadInput = 2;

const char kHelp[] =
    "用法：tavemo-notes [--dir APPDIR] list\n"
    "      tavemo-notes [--dir APPDIR] show DATE [--format text|html|rtf]\n"
    "      tavemo-notes [--dir APPDIR] export DIR [--format html|rtf|text]\n"
    "      tavemo-notes [--dir APPDIR] put DATE FILE\n"
    "\n"
    "备份和批量处理日历的每日记事（保存在 APPDIR/Data/UserData.db 中）。\n"
    "\n"
    "命令：\n"
    "  list           列出所有有记事的日期及记事的大小（字节）。\n"
    "  show DATE      输出某一天的记事；默认 --format text，即纯文本，每段一行。\n"
    "  export DIR     把全部记事导出到文件夹 DIR，每天一个文件，文件名为\n"
    "                 YYYY-MM-DD.rtf（或 .html、.txt）；默认 --format rtf。\n"
    "  put DATE FILE  把 RTF 文件或纯文本文件（UTF-8 或 GB18030）存为该日的记事，\n"
    "                 替换原有记事；FILE 为 - 时从标准输入读取。\n"
    "\n"
    "DATE 的格式为 YYYY-MM-DD 或 YYYYMMDD。\n"
    "\n"
    "选项：\n"
    "  --dir APPDIR   程序目录，默认为本程序所在的目录。\n"
    "  --format 格式  show 和 export 的输出格式：text、html 或 rtf。\n"
    "  --help, -h     显示本帮助。\n"
    "\n"
    "退出状态：0 成功；1 处理中出错（数据库出错、记事无法读取、文件无法写入）；\n"
    "2 输入有误（用法不对、日期无效、文件或数据库不存在），此时不写入任何内容。\n";

enum class Format { Text, Html, Rtf };

struct Arguments {
    QString appDir;
    QString command;
    QStringList operands;
    std::optional<Format> format;
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
        if (!dirGiven)
            parsed.appDir = paths::applicationDirectory();
        return parsed;
    }
    *error = usageError(parsed.command.isEmpty()
                            ? QStringLiteral("缺少命令：list、show、export 或 put")
                            : QStringLiteral("未知命令“%1”").arg(parsed.command));
    return std::nullopt;
}

std::optional<QString> dateOperand(const QString &text, QString *error)
{
    std::optional<QString> key = notes::parseDate(text);
    if (!key)
        *error = QStringLiteral("“%1”不是有效的日期（格式为 YYYY-MM-DD 或 YYYYMMDD）").arg(text);
    return key;
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

// The stored bytes in the requested form. RTF that the reader understands is passed on as stored,
// so a backup keeps every byte; anything else goes through the editor's reader and writer.
std::optional<QByteArray> render(const QByteArray &stored, Format format, QString *error)
{
    QTextDocument document;
    const richtext::ReadResult read = richtext::readRtf(stored, document);
    if (!read.ok) {
        *error = read.error.isEmpty() ? QStringLiteral("记事内容无法读取") : read.error;
        return std::nullopt;
    }
    switch (format) {
    case Format::Text:
        return plainText(document);
    case Format::Html:
        return document.toHtml().toUtf8();
    case Format::Rtf:
        return read.mode == richtext::ReadMode::Rtf ? stored : richtext::writeRtf(document);
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
    QString error;
    if (!store.list(&entries, &error))
        return complain(kFailed, QStringLiteral("列出记事失败：%1").arg(error));
    QByteArray out;
    for (const auto &entry : entries)
        out += notes::keyToIsoDate(entry.key).toUtf8() + '\t' + QByteArray::number(entry.size) + '\n';
    return writeStdout(out) ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
}

int show(notes::NoteStore &store, const QString &key, Format format)
{
    std::optional<QByteArray> stored;
    QString error;
    if (!store.load(key, &stored, &error))
        return complain(kFailed, QStringLiteral("读取记事失败：%1").arg(error));
    if (!stored)
        return complain(kFailed, QStringLiteral("%1 没有记事").arg(notes::keyToIsoDate(key)));
    const std::optional<QByteArray> rendered = render(*stored, format, &error);
    if (!rendered)
        return complain(kFailed, QStringLiteral("%1: %2").arg(notes::keyToIsoDate(key), error));
    return writeStdout(*rendered) ? 0 : complain(kFailed, QStringLiteral("无法写出结果"));
}

int exportAll(notes::NoteStore &store, const QString &dir, Format format)
{
    const QFileInfo target(dir);
    if (target.exists() && !target.isDir())
        return complain(kBadInput, QStringLiteral("%1 不是文件夹").arg(dir));
    if (!QDir().mkpath(dir))
        return complain(kFailed, QStringLiteral("无法创建文件夹 %1").arg(dir));
    const char *suffix = format == Format::Text ? ".txt" : format == Format::Html ? ".html" : ".rtf";

    int status = 0;
    QString error;
    const bool read = store.forEach(
        [&](const QString &key, const QByteArray &stored) {
            // Only keys that name a day become file names: a stray row must not write elsewhere.
            if (notes::parseDate(key) != key) {
                status = complain(kFailed, QStringLiteral("已跳过键值不是日期的一条记录：“%1”").arg(key));
                return true;
            }
            const QString date = notes::keyToIsoDate(key);
            QString why;
            const std::optional<QByteArray> rendered = render(stored, format, &why);
            if (!rendered) {
                status = complain(kFailed, QStringLiteral("%1 的记事未导出：%2").arg(date, why));
                return true;
            }
            QSaveFile file(QDir(dir).filePath(date + QLatin1String(suffix)));
            if (!file.open(QIODevice::WriteOnly) || file.write(*rendered) != rendered->size() || !file.commit())
                status = complain(kFailed, QStringLiteral("无法写入 %1：%2").arg(file.fileName(), file.errorString()));
            return true;
        },
        &error);
    return read ? status : complain(kFailed, QStringLiteral("读取记事失败：%1").arg(error));
}

int put(notes::NoteStore &store, const QString &key, const QString &path)
{
    QFile file(path);
    if (path == u"-" ? !file.open(stdin, QIODevice::ReadOnly) : !file.open(QIODevice::ReadOnly))
        return complain(kBadInput, QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return complain(kBadInput, QStringLiteral("无法读取文件 %1：%2").arg(path, file.errorString()));
    // The same reader and writer as the window, so the note is stored as the window stores it.
    QTextDocument document;
    const richtext::ReadResult read = richtext::readRtf(bytes, document);
    if (!read.ok)
        return complain(kBadInput, QStringLiteral("无法读取文件 %1：%2").arg(path, read.error));
    QString error;
    if (!store.save(key, richtext::writeRtf(document), &error))
        return complain(kFailed, QStringLiteral("保存记事失败：%1").arg(error));
    return 0;
}

// Qt's own diagnostics would break the one-line messages; the program reports its errors itself.
void quietQt(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

int main(int argc, char **argv)
{
    // Documents need a GUI application for fonts; no display is needed or wanted.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQt);
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2 && (args[1] == u"--help" || args[1] == u"-h")) {
        std::fputs(kHelp, stdout);
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
    if (parsed->command == u"put" && parsed->operands[1] != u"-" && !QFileInfo(parsed->operands[1]).isFile())
        return complain(kBadInput, QStringLiteral("文件不存在：%1").arg(parsed->operands[1]));

    const QString databasePath = paths::noteDatabasePath(parsed->appDir);
    if (!QFileInfo(databasePath).isFile())
        return complain(kBadInput, QStringLiteral("找不到记事数据库：%1").arg(databasePath));
    const std::unique_ptr<notes::NoteStore> store = notes::NoteStore::open(databasePath, &error);
    if (!store)
        return complain(kBadInput, QStringLiteral("无法打开记事数据库：%1").arg(error));

    if (parsed->command == u"list")
        return list(*store);
    if (parsed->command == u"show")
        return show(*store, *key, parsed->format.value_or(Format::Text));
    if (parsed->command == u"export")
        return exportAll(*store, parsed->operands[0], parsed->format.value_or(Format::Rtf));
    return put(*store, *key, parsed->operands[1]);
}
