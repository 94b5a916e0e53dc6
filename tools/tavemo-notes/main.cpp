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

const char kUsage[] = "usage: tavemo-notes [--dir APPDIR] list | show DATE [--format text|html|rtf]"
                      " | export DIR [--format html|rtf|text] | put DATE FILE";

enum class Format { Text, Html, Rtf };

struct Arguments {
    QString appDir;
    QString command;
    QStringList operands;
    std::optional<Format> format;
};

// Every message is one line on stderr.
int complain(int status, const QString &message)
{
    std::fprintf(stderr, "tavemo-notes: %s\n", message.toLocal8Bit().constData());
    return status;
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
                *error = arg + QStringLiteral(" needs a value");
                return std::nullopt;
            }
            const QString &value = args[++i];
            if (arg == u"--dir") {
                if (dirGiven) {
                    *error = QStringLiteral("--dir given twice");
                    return std::nullopt;
                }
                dirGiven = true;
                parsed.appDir = value;
            } else {
                if (parsed.format) {
                    *error = QStringLiteral("--format given twice");
                    return std::nullopt;
                }
                parsed.format = parseFormat(value);
                if (!parsed.format) {
                    *error = QStringLiteral("unknown format '%1'").arg(value);
                    return std::nullopt;
                }
            }
        } else if (arg.startsWith(u'-') && arg != u"-") {
            *error = QStringLiteral("unknown option '%1'").arg(arg);
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
    } commands[] = {{u"list", 0, false}, {u"show", 1, true}, {u"export", 1, true}, {u"put", 2, false}};
    for (const auto &command : commands) {
        if (parsed.command != command.name)
            continue;
        if (parsed.operands.size() != command.operands || (parsed.format && !command.takesFormat)) {
            *error = QString::fromLatin1(kUsage);
            return std::nullopt;
        }
        if (!dirGiven)
            parsed.appDir = notes::applicationDirectory();
        return parsed;
    }
    *error = parsed.command.isEmpty() ? QString::fromLatin1(kUsage)
                                      : QStringLiteral("unknown command '%1'").arg(parsed.command);
    return std::nullopt;
}

std::optional<QString> dateOperand(const QString &text, QString *error)
{
    std::optional<QString> key = notes::parseDate(text);
    if (!key)
        *error = QStringLiteral("'%1' is not a date (YYYY-MM-DD or YYYYMMDD)").arg(text);
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
        *error = read.error.isEmpty() ? QStringLiteral("the note cannot be read") : read.error;
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
        return complain(kFailed, error);
    QByteArray out;
    for (const auto &entry : entries)
        out += notes::keyToIsoDate(entry.key).toUtf8() + '\t' + QByteArray::number(entry.size) + '\n';
    return writeStdout(out) ? 0 : complain(kFailed, QStringLiteral("cannot write the output"));
}

int show(notes::NoteStore &store, const QString &key, Format format)
{
    std::optional<QByteArray> stored;
    QString error;
    if (!store.load(key, &stored, &error))
        return complain(kFailed, error);
    if (!stored)
        return complain(kFailed, QStringLiteral("no note for %1").arg(notes::keyToIsoDate(key)));
    const std::optional<QByteArray> rendered = render(*stored, format, &error);
    if (!rendered)
        return complain(kFailed, QStringLiteral("%1: %2").arg(notes::keyToIsoDate(key), error));
    return writeStdout(*rendered) ? 0 : complain(kFailed, QStringLiteral("cannot write the output"));
}

int exportAll(notes::NoteStore &store, const QString &dir, Format format)
{
    const QFileInfo target(dir);
    if (target.exists() && !target.isDir())
        return complain(kBadInput, QStringLiteral("%1 is not a folder").arg(dir));
    if (!QDir().mkpath(dir))
        return complain(kFailed, QStringLiteral("cannot create the folder %1").arg(dir));
    const char *suffix = format == Format::Text ? ".txt" : format == Format::Html ? ".html" : ".rtf";

    int status = 0;
    QString error;
    const bool read = store.forEach(
        [&](const QString &key, const QByteArray &stored) {
            // Only keys that name a day become file names: a stray row must not write elsewhere.
            if (notes::parseDate(key) != key) {
                status = complain(kFailed, QStringLiteral("skipped a row whose key is not a date: '%1'").arg(key));
                return true;
            }
            const QString date = notes::keyToIsoDate(key);
            QString why;
            const std::optional<QByteArray> rendered = render(stored, format, &why);
            if (!rendered) {
                status = complain(kFailed, QStringLiteral("%1: %2").arg(date, why));
                return true;
            }
            QSaveFile file(QDir(dir).filePath(date + QLatin1String(suffix)));
            if (!file.open(QIODevice::WriteOnly) || file.write(*rendered) != rendered->size() || !file.commit())
                status = complain(kFailed, QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
            return true;
        },
        &error);
    return read ? status : complain(kFailed, error);
}

int put(notes::NoteStore &store, const QString &key, const QString &path)
{
    QFile file(path);
    if (path == u"-" ? !file.open(stdin, QIODevice::ReadOnly) : !file.open(QIODevice::ReadOnly))
        return complain(kBadInput, QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return complain(kBadInput, QStringLiteral("%1: %2").arg(path, file.errorString()));
    // The same reader and writer as the window, so the note is stored as the window stores it.
    QTextDocument document;
    const richtext::ReadResult read = richtext::readRtf(bytes, document);
    if (!read.ok)
        return complain(kBadInput, QStringLiteral("%1: %2").arg(path, read.error));
    QString error;
    if (!store.save(key, richtext::writeRtf(document), &error))
        return complain(kFailed, error);
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
        std::printf("%s\n", kUsage);
        return 0;
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
        return complain(kBadInput, QStringLiteral("%1: no such file").arg(parsed->operands[1]));

    const std::unique_ptr<notes::NoteStore> store
        = notes::NoteStore::open(notes::noteDatabasePath(parsed->appDir), &error);
    if (!store)
        return complain(kBadInput, error);

    if (parsed->command == u"list")
        return list(*store);
    if (parsed->command == u"show")
        return show(*store, *key, parsed->format.value_or(Format::Text));
    if (parsed->command == u"export")
        return exportAll(*store, parsed->operands[0], parsed->format.value_or(Format::Rtf));
    return put(*store, *key, parsed->operands[1]);
}
