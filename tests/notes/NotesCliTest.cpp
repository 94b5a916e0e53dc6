// tavemo-notes as a user runs it: storing, listing, showing and exporting notes; refusing bad
// input with one line on stderr, exit status 2 and nothing written; failing with status 1 and a
// Chinese reason; and reading without ever changing the database.

#include "TestSupport.h"
#include "richtext/RtfCodec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextDocument>

#include <sqlite3.h>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tavemo::notes {
namespace {

using test::ProgramRun;
using test::readFile;
using test::storedNote;
using test::writeFile;

const QString kNotes = QStringLiteral(TAVEMO_APP_DIR "/tavemo-notes");

ProgramRun runNotes(const QStringList& args, const test::RunOptions& options = {})
{
    return test::run(kNotes, args, options);
}

// The text of a stored note as the window shows it.
QString noteText(const QByteArray& stored)
{
    QTextDocument document;
    EXPECT_TRUE(richtext::readRtf(stored, document).ok());
    return document.toPlainText();
}

// A failure is one line on stderr, naming the program, with nothing on stdout.
void expectOneLineComplaint(const ProgramRun& result, int status, const QString& phrase)
{
    EXPECT_EQ(result.status, status);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_TRUE(result.err.startsWith("tavemo-notes: ")) << result.err.toStdString();
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(result.err).contains(phrase)) << result.err.toStdString();
}

class NotesCli : public ::testing::Test {
protected:
    void SetUp() override { app.createDatabase(); }
    ProgramRun run(QStringList args, const test::RunOptions& options = {})
    {
        args.prepend(app.path());
        args.prepend(QStringLiteral("--dir"));
        return runNotes(args, options);
    }
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = files.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    void put(const QString& date, const QByteArray& bytes)
    {
        const ProgramRun result = run({QStringLiteral("put"), date, file(QStringLiteral("put-input"), bytes)});
        ASSERT_EQ(result.status, 0) << result.err.toStdString();
    }
    int rowCount() const
    {
        return test::queryText(app.databasePath(), QStringLiteral("SELECT count(*) FROM UserCon")).toInt();
    }

    test::TempAppDir app;
    QTemporaryDir files;
};

TEST_F(NotesCli, PutListShowAndExport)
{
    const QString text = file(QStringLiteral("june.txt"), "第一行\n第二行\n");
    ASSERT_EQ(run({QStringLiteral("put"), QStringLiteral("2011-06-29"), text}).status, 0);
    const QString rtf = file(QStringLiteral("july.rtf"), "{\\rtf1\\ansi\\ansicpg936 {\\b bold} plain\\par}");
    ASSERT_EQ(run({QStringLiteral("put"), QStringLiteral("20110701"), rtf}).status, 0);
    // Stored the way the window stores notes: as the editor's RTF.
    EXPECT_TRUE(storedNote(app.databasePath(), QStringLiteral("20110629"))->startsWith("{\\rtf"));

    const ProgramRun list = run({QStringLiteral("list")});
    EXPECT_EQ(list.status, 0);
    const QList<QByteArray> rows = list.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], "2011-06-29\t" + QByteArray::number(storedNote(app.databasePath(), "20110629")->size()));
    EXPECT_TRUE(rows[1].startsWith("2011-07-01\t"));

    const ProgramRun shown = run({QStringLiteral("show"), QStringLiteral("20110629")});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(QString::fromUtf8(shown.out), QStringLiteral("第一行\n第二行\n"));
    EXPECT_TRUE(shown.err.isEmpty());
    EXPECT_EQ(
        run({QStringLiteral("show"), QStringLiteral("2011-06-29"), QStringLiteral("--format"), QStringLiteral("rtf")})
            .out,
        *storedNote(app.databasePath(), QStringLiteral("20110629")));
    const ProgramRun html =
        run({QStringLiteral("show"), QStringLiteral("2011-07-01"), QStringLiteral("--format"), QStringLiteral("html")});
    EXPECT_TRUE(html.out.contains("font-weight") && html.out.contains("bold")) << html.out.toStdString();
    // Every option that takes a value takes it joined as well.
    EXPECT_EQ(runNotes({QStringLiteral("--dir=") + app.path(), QStringLiteral("show"), QStringLiteral("2011-07-01"),
                        QStringLiteral("--format=html")})
                  .out,
              html.out);

    const QString exported = files.filePath(QStringLiteral("backup/notes"));
    ASSERT_EQ(run({QStringLiteral("export"), exported, QStringLiteral("--format"), QStringLiteral("text")}).status, 0);
    EXPECT_EQ(QDir(exported).entryList(QDir::Files), (QStringList{"2011-06-29.txt", "2011-07-01.txt"}));
    EXPECT_EQ(readFile(exported + QStringLiteral("/2011-07-01.txt")), "bold plain\n");
    ASSERT_EQ(run({QStringLiteral("export"), exported}).status, 0); // RTF by default, the stored bytes
    EXPECT_EQ(readFile(exported + QStringLiteral("/2011-06-29.rtf")),
              *storedNote(app.databasePath(), QStringLiteral("20110629")));
}

QByteArray utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes;
    for (QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8), low = static_cast<char>(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1} : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return bytes;
}

// What put stores, and what it refuses: only bytes it can read faithfully become a note. A refusal
// names the fault, exits 2 and leaves the day's previous note as it was.
TEST_F(NotesCli, PutStoresOnlyWhatItCanReadFaithfully)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    const QString chinese = QStringLiteral("记事 note");
    const QByteArray deep = "{\\rtf1 " + QByteArray(300, '{') + "x" + QByteArray(300, '}') + "}";
    const struct {
        const char* name;
        QByteArray bytes;
        int status;
        QString result; // the stored text, or the phrase of the refusal
    } cases[] = {
        {"utf-8", "第一行\r\n第二行", 0, "第一行\n第二行"},
        {"utf-8 with BOM", bom + chinese.toUtf8(), 0, chinese},
        {"utf-16 little endian with BOM", "\xFF\xFE" + utf16(chinese, false), 0, chinese},
        {"utf-16 big endian with BOM", "\xFE\xFF" + utf16(chinese + QStringLiteral("😀"), true), 0,
         chinese + QStringLiteral("😀")},
        {"gb18030", "\xd6\xd0\xce\xc4\xb1\xca\xbc\xc7", 0, "中文笔记"},
        {"rtf", "{\\rtf1\\ansi {\\b bold} text}", 0, "bold text"},
        {"rtf with BOM", bom + "{\\rtf1 x}", 0, "x"},
        {"empty file", "", 0, ""},
        {"utf-8 with one bad byte", "第一行\xff第二行", 2, "第 10 字节不是有效的 UTF-8 文本"},
        {"latin-1", "caf\xe9 au lait\n", 2, "第 4 字节不是有效的 UTF-8 或 GB18030 文本"},
        {"bad byte far in", QByteArray(1233, 'a') + "\xff", 2, "第 1 234 字节不是有效的 UTF-8 或 GB18030 文本"},
        {"gb18030 cut in a pair", "\xd6\xd0\xce", 2, "第 3 字节不是有效的 UTF-8 或 GB18030 文本"},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 2, "第 7 字节是控制字符 0x1A，不是文本"},
        {"utf-16 without BOM", utf16(QStringLiteral("note"), false), 2, "第 2 字节是控制字符 0x00，不是文本"},
        {"utf-16 with a lone surrogate",
         QByteArray("\xFF\xFE"
                    "a\0"
                    "\0\xD8"
                    "b\0",
                    8),
         2, "第 5 字节不是有效的 UTF-16 文本"},
        {"utf-16 with an odd byte count",
         QByteArray("\xFF\xFE"
                    "a\0"
                    "b",
                    5),
         2, "第 5 字节不是有效的 UTF-16 文本"},
        {"rtf nested too deep", deep, 2, "RTF 的分组嵌套超过 256 层"},
        {"rtf cut off", "{\\rtf1 {\\b bold", 2, "RTF 不完整：结尾缺少 2 个“}”"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(QStringLiteral("2011-06-29"), "the previous note");
        const QByteArray before = *storedNote(app.databasePath(), QStringLiteral("20110629"));
        const ProgramRun result =
            run({QStringLiteral("put"), QStringLiteral("2011-06-29"), file(QStringLiteral("input"), c.bytes)});
        if (c.status == 0) {
            EXPECT_EQ(result.status, 0) << result.err.toStdString();
            EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
            EXPECT_EQ(noteText(*storedNote(app.databasePath(), QStringLiteral("20110629"))), c.result);
        } else {
            expectOneLineComplaint(result, c.status, c.result);
            EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110629")), before);
        }
    }
    EXPECT_EQ(rowCount(), 1);
}

// A document written by LibreOffice keeps the bold, size and font of its Chinese runs through put
// and show.
TEST_F(NotesCli, LibreOfficeDocumentKeepsItsChineseFormatting)
{
    const QString fixture = QStringLiteral(TAVEMO_TEST_DATA_DIR "/rtf/libreoffice-chinese.rtf");
    const ProgramRun stored = run({QStringLiteral("put"), QStringLiteral("2024-02-10"), fixture});
    ASSERT_EQ(stored.status, 0) << stored.err.toStdString();
    const ProgramRun html =
        run({QStringLiteral("show"), QStringLiteral("2024-02-10"), QStringLiteral("--format"), QStringLiteral("html")});
    ASSERT_EQ(html.status, 0);
    const QString page = QString::fromUtf8(html.out);
    // The first run: 黑体, 16 points, bold; the last: 9 points (the page's own size, so the run
    // states none), italic.
    EXPECT_TRUE(page.contains(QStringLiteral("font-family:'黑体'; font-size:16pt; font-weight:700;\">重要通知</span>")))
        << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("font-size:9pt;")));
    EXPECT_TRUE(page.contains(QStringLiteral("font-family:'Noto Sans CJK SC'; font-style:italic;\">小字备注</span>")))
        << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("font-weight:700;\">Bold 粗体</span>"))) << page.toStdString();
}

// put takes its bytes from wherever a shell hands them over: a pipe on standard input, a named
// pipe, /dev/stdin (what `put DATE <(…)` passes is such a path).
TEST_F(NotesCli, PutReadsPipesAndStandardInput)
{
    test::RunOptions piped;
    piped.input = "从标准输入";
    ASSERT_EQ(run({QStringLiteral("put"), QStringLiteral("2011-06-29"), QStringLiteral("-")}, piped).status, 0);
    EXPECT_EQ(noteText(*storedNote(app.databasePath(), QStringLiteral("20110629"))), QStringLiteral("从标准输入"));

    piped.input = "via /dev/stdin";
    const ProgramRun devStdin =
        run({QStringLiteral("put"), QStringLiteral("2011-06-30"), QStringLiteral("/dev/stdin")}, piped);
    ASSERT_EQ(devStdin.status, 0) << devStdin.err.toStdString();
    EXPECT_EQ(noteText(*storedNote(app.databasePath(), QStringLiteral("20110630"))), QStringLiteral("via /dev/stdin"));

    const QString fifo = files.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::thread writer([&fifo] {
        QFile pipe(fifo);
        if (pipe.open(QIODevice::WriteOnly))
            pipe.write("从命名管道");
    });
    const ProgramRun named = run({QStringLiteral("put"), QStringLiteral("2011-07-01"), fifo});
    writer.join();
    ASSERT_EQ(named.status, 0) << named.err.toStdString();
    EXPECT_EQ(noteText(*storedNote(app.databasePath(), QStringLiteral("20110701"))), QStringLiteral("从命名管道"));
}

TEST_F(NotesCli, BadInputIsRefusedWithOneLineAndNothingWritten)
{
    const QString good = file(QStringLiteral("note.txt"), "text");
    ASSERT_EQ(run({QStringLiteral("put"), QStringLiteral("2011-06-29"), good}).status, 0);
    const QByteArray stored = *storedNote(app.databasePath(), QStringLiteral("20110629"));
    const QString exported = files.filePath(QStringLiteral("out"));
    const QString missingApp = files.filePath(QStringLiteral("nowhere"));

    // Each case with the phrase of its message that names what is wrong.
    const struct {
        QStringList args;
        QString phrase;
    } cases[] = {
        {{"--dir", app.path(), "show", "2011-02-30"},
         "不是 0001-01-01 至 2100-12-31 之间的日期：2011-02-30（用法见 tavemo-notes --help）"},
        {{"--dir", app.path(), "put", "2011-06-31", good}, "之间的日期：2011-06-31"},
        {{"--dir", app.path(), "put", "29.06.2011", good}, "之间的日期：29.06.2011"},
        {{"--dir", app.path(), "put", "2101-01-01", good}, "不是 0001-01-01 至 2100-12-31 之间的日期：2101-01-01"},
        {{"--dir", app.path(), "show", "99991231"}, "之间的日期：99991231"},
        {{"--dir", app.path(), "show", "1582-10-10"}, "这十天在历史上不存在"},
        {{"--dir", app.path(), "put", "2011-06-29", files.filePath(QStringLiteral("missing.rtf"))}, "文件不存在"},
        {{"--dir", app.path(), "put", "2011-06-29", files.path()}, "是文件夹，不是文件"},
        {{"--dir", app.path(), "put", "2011-06-29"}, "put 需要日期 DATE 和文件 FILE"},
        {{"--dir", app.path(), "show", "2011-06-29", "--format", "pdf"}, "未知格式“pdf”"},
        {{"--dir", app.path(), "list", "--format", "text"}, "list 不接受 --format"},
        {{"--dir", app.path(), "export", exported, "--format", "text", "--format", "rtf"}, "--format 只能给出一次"},
        {{"--dir", app.path(), "erase", "2011-06-29"}, "未知命令“erase”"},
        {{"--dir", app.path()}, "缺少命令"},
        {{"--dir", app.path(), "list", "--bogus"}, "未知选项“--bogus”"},
        {{"--dir", "", "list"}, "--dir 的取值不能为空"},
        {{"--dir=", "list"}, "--dir 的取值不能为空"},
        {{"--dir=" + app.path(), "show", "2011-06-29", "--format="}, "--format 的取值不能为空"},
        {{"--dir", app.path(), "export", exported, "--overwrite=yes"}, "--overwrite 不带取值"},
        {{"--dir", app.path(), "export", exported, "--overwrite", "--overwrite"}, "--overwrite 只能给出一次"},
        {{"--dir", app.path(), "list", "--help"}, "未知选项“--help”"},
        {{"--dir", missingApp, "list"}, "找不到记事数据库"},
        {{"--dir", missingApp, "put", "2011-06-29", good}, "找不到记事数据库"},
        {{"--dir", missingApp, "export", exported}, "找不到记事数据库"},
        {{"--dir", app.path(), "export", good}, "不是文件夹"},
        // An echoed argument never breaks the one-line message nor reaches the terminal raw.
        {{"--dir", app.path(), "show", "2011-06\n-29\x1b[2J"}, "：2011-06?-29?[2J（"},
    };
    for (const auto& [args, phrase] : cases) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        expectOneLineComplaint(runNotes(args), 2, phrase);
    }
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110629")), stored);
    EXPECT_EQ(rowCount(), 1);
    EXPECT_FALSE(QFile::exists(exported));
    EXPECT_FALSE(QFile::exists(missingApp));
}

TEST_F(NotesCli, ShowingADayWithoutNoteFails)
{
    expectOneLineComplaint(run({QStringLiteral("show"), QStringLiteral("2011-06-29")}), 1,
                           QStringLiteral("2011-06-29 没有记事"));
}

// Each target of one exported day, as export finds it, and what it leaves there.
TEST_F(NotesCli, ExportNeverFollowsLinksAndReplacesFilesOnlyWhenAskedTo)
{
    put(QStringLiteral("2011-06-29"), "六月二十九日");
    put(QStringLiteral("2011-06-30"), "六月三十日");
    const QString note = QStringLiteral("2011-06-29.txt");
    enum Target { Nothing, File, LinkToFile, DanglingLink, Folder, NamedPipe };
    const struct {
        const char* name;
        Target target;
        bool overwrite;
        bool written;    // the day's note replaced what was there
        QString skipped; // the reason export gives, when it skipped the day
    } cases[] = {
        {"nothing there", Nothing, false, true, {}},
        {"a file", File, false, false, "文件已存在（加 --overwrite 可覆盖）"},
        {"a file, overwrite", File, true, true, {}},
        {"a link to a file outside", LinkToFile, false, false, "是符号链接，不会跟随"},
        {"a link to a file outside, overwrite", LinkToFile, true, false, "是符号链接，不会跟随"},
        {"a dangling link", DanglingLink, false, false, "是符号链接，不会跟随"},
        {"a dangling link, overwrite", DanglingLink, true, false, "是符号链接，不会跟随"},
        {"a folder", Folder, true, false, "不是普通文件"},
        {"a named pipe", NamedPipe, true, false, "不是普通文件"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir target, outside;
        const QString path = QDir(target.path()).filePath(note);
        const QString outsideFile = QDir(outside.path()).filePath(QStringLiteral("victim"));
        const QByteArray path8 = QFile::encodeName(path), outside8 = QFile::encodeName(outsideFile);
        switch (c.target) {
        case Nothing:
            break;
        case File:
            writeFile(path, "older backup");
            break;
        case LinkToFile:
            writeFile(outsideFile, "not yours");
            ASSERT_EQ(::symlink(outside8.constData(), path8.constData()), 0);
            break;
        case DanglingLink:
            ASSERT_EQ(::symlink(outside8.constData(), path8.constData()), 0);
            break;
        case Folder:
            ASSERT_TRUE(QDir(target.path()).mkdir(note));
            break;
        case NamedPipe:
            ASSERT_EQ(::mkfifo(path8.constData(), 0600), 0);
            break;
        }
        const auto outsideBefore = test::folderState(outside.path());

        QStringList args{QStringLiteral("export"), target.path(), QStringLiteral("--format"), QStringLiteral("text")};
        if (c.overwrite)
            args << QStringLiteral("--overwrite");
        const ProgramRun result = run(args);

        EXPECT_EQ(test::folderState(outside.path()), outsideBefore);
        EXPECT_EQ(readFile(QDir(target.path()).filePath(QStringLiteral("2011-06-30.txt"))), "六月三十日\n");
        if (c.written) {
            EXPECT_EQ(result.status, 0) << result.err.toStdString();
            EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
            EXPECT_EQ(readFile(path), "六月二十九日\n");
        } else {
            EXPECT_EQ(result.status, 1);
            const QString err = QString::fromUtf8(result.err);
            EXPECT_TRUE(err.contains(QStringLiteral("已跳过 %1：%2").arg(path, c.skipped))) << err.toStdString();
            EXPECT_TRUE(err.contains(QStringLiteral("跳过 1 个"))) << err.toStdString();
            if (c.target == File)
                EXPECT_EQ(readFile(path), "older backup");
            else
                EXPECT_FALSE(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink());
        }
        // Nothing else appears in the folder: no temporary files left behind.
        EXPECT_EQ(
            QDir(target.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
            2);
    }
}

QList<QPair<QString, QByteArray>> appState(const test::TempAppDir& app) { return test::folderState(app.path()); }

// A database from an older build: rollback journal, no schema version. Reading it changes nothing;
// the first write brings it up to date.
TEST_F(NotesCli, ReadingNeverChangesTheDatabase)
{
    QFile::remove(app.databasePath());
    test::makeDatabase(app.databasePath(), "CREATE TABLE UserCon(conIndex TEXT PRIMARY KEY, data BLOB);"
                                           "INSERT INTO UserCon VALUES('20110629', CAST('old note' AS BLOB));");
    const auto before = appState(app);
    ASSERT_EQ(before.size(), 1);

    EXPECT_EQ(run({QStringLiteral("list")}).status, 0);
    EXPECT_EQ(run({QStringLiteral("show"), QStringLiteral("2011-06-29")}).out, "old note\n");
    QTemporaryDir exported;
    EXPECT_EQ(run({QStringLiteral("export"), exported.path()}).status, 0);
    EXPECT_EQ(appState(app), before);

    put(QStringLiteral("2011-06-30"), "new");
    EXPECT_EQ(test::queryText(app.databasePath(), QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
    EXPECT_EQ(test::queryText(app.databasePath(), QStringLiteral("PRAGMA user_version")),
              QString::number(NoteStore::kSchemaVersion));
}

// A folder the user may read but not write (a shared or read-only installation): every read works,
// put fails saying why, and nothing changes.
TEST_F(NotesCli, ReadOnlyFolderCanBeReadButNotWritten)
{
    put(QStringLiteral("2011-06-29"), "可以读");
    test::setReadOnly(app.path(), true);
    const auto before = appState(app);
    test::RunOptions unprivileged;
    unprivileged.withoutPrivileges = true;

    const ProgramRun list = run({QStringLiteral("list")}, unprivileged);
    EXPECT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.startsWith("2011-06-29\t"));
    const ProgramRun show = run({QStringLiteral("show"), QStringLiteral("2011-06-29")}, unprivileged);
    EXPECT_EQ(show.status, 0) << show.err.toStdString();
    EXPECT_EQ(show.out, "可以读\n");
    QTemporaryDir exported;
    ::chmod(QFile::encodeName(exported.path()).constData(), 0777);
    const ProgramRun exportResult = run({QStringLiteral("export"), exported.path()}, unprivileged);
    EXPECT_EQ(exportResult.status, 0) << exportResult.err.toStdString();
    EXPECT_TRUE(QFile::exists(exported.filePath(QStringLiteral("2011-06-29.rtf"))));

    const QString input = file(QStringLiteral("new.txt"), "new");
    test::setReadOnly(files.path(), false); // readable for whoever runs put
    expectOneLineComplaint(run({QStringLiteral("put"), QStringLiteral("2011-06-29"), input}, unprivileged), 1,
                           QStringLiteral("没有写入权限"));
    EXPECT_EQ(appState(app), before);
    test::setReadOnly(app.path(), false);
}

// The same database on a file system of its own, as the script below leaves it, with tavemo-notes
// run on it: "full" fills it to the last byte, "read-only" mounts it read-only.
std::optional<ProgramRun> runOnOwnFileSystem(const char* state, const test::TempAppDir& app, const QStringList& args)
{
    // $1 the state, $2 the database, $3 tavemo-notes, then its arguments. Status 99: the database
    // file changed.
    const QString script =
        QStringLiteral("set -e; m=$(mktemp -d); mount -t tmpfs -o size=512k tmpfs \"$m\"; mkdir \"$m/Data\";"
                       "cp \"$2\" \"$m/Data/UserData.db\";"
                       "case \"$1\" in full) dd if=/dev/zero of=\"$m/filler\" bs=4k >/dev/null 2>&1 || true;;"
                       " read-only) mount -o remount,ro \"$m\";; esac;"
                       "database=$2; notes=$3; shift 3; set +e; \"$notes\" --dir \"$m\" \"$@\"; status=$?;"
                       "cmp -s \"$m/Data/UserData.db\" \"$database\" || { echo 'the database changed' >&2; status=99; "
                       "}; exit $status");
    return test::runInPrivateMount(script, QStringList{QLatin1String(state), app.databasePath(), kNotes} + args);
}

TEST_F(NotesCli, FullDiskAndReadOnlyMediaCanBeRead)
{
    put(QStringLiteral("2011-06-29"), "满了也能读");
    for (const char* state : {"full", "read-only"}) {
        SCOPED_TRACE(state);
        const std::optional<ProgramRun> list = runOnOwnFileSystem(state, app, {QStringLiteral("list")});
        if (!list)
            GTEST_SKIP() << "this machine allows no mount namespace";
        EXPECT_EQ(list->status, 0) << list->err.toStdString();
        EXPECT_TRUE(list->out.startsWith("2011-06-29\t"));
        const std::optional<ProgramRun> show =
            runOnOwnFileSystem(state, app, {QStringLiteral("show"), QStringLiteral("2011-06-29")});
        EXPECT_EQ(show->status, 0) << show->err.toStdString();
        EXPECT_EQ(show->out, "满了也能读\n");
    }
}

// A failure while working exits 1 and says why in Chinese, with the system's own detail after it.
TEST_F(NotesCli, FailuresExitOneWithAChineseReason)
{
    put(QStringLiteral("2011-06-29"), "note");
    const QString input = file(QStringLiteral("new.txt"), "new");

    // Another program holds the write lock past the wait.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(app.databasePath()).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        expectOneLineComplaint(run({QStringLiteral("put"), QStringLiteral("2011-06-29"), input}), 1,
                               QStringLiteral("保存记事失败：数据库被其他程序锁定（"));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    const std::optional<ProgramRun> full =
        runOnOwnFileSystem("full", app, {QStringLiteral("put"), QStringLiteral("2011-06-29"), input});
    if (full) {
        expectOneLineComplaint(*full, 1, QStringLiteral("保存记事失败：磁盘已满（"));
        const std::optional<ProgramRun> readOnly =
            runOnOwnFileSystem("read-only", app, {QStringLiteral("put"), QStringLiteral("2011-06-29"), input});
        expectOneLineComplaint(*readOnly, 1, QStringLiteral("保存记事失败：存储介质是只读的（"));
    }

    // A damaged file: every command reports it, none calls it bad input.
    QByteArray damaged = readFile(app.databasePath());
    for (qsizetype i = 100; i < damaged.size(); ++i)
        damaged[i] = static_cast<char>(0xA5);
    writeFile(app.databasePath(), damaged);
    for (const QStringList& args :
         {QStringList{QStringLiteral("list")}, QStringList{QStringLiteral("show"), QStringLiteral("2011-06-29")},
          QStringList{QStringLiteral("put"), QStringLiteral("2011-06-29"), input}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        expectOneLineComplaint(run(args), 1, QStringLiteral("数据库文件已损坏（"));
    }
}

// No command shows a window, so none needs a display: whatever platform the environment names.
TEST_F(NotesCli, NoDisplayIsNeeded)
{
    put(QStringLiteral("2011-06-29"), "无需显示器");
    const QString input = file(QStringLiteral("new.txt"), "new");
    QTemporaryDir exported;
    for (const char* platform : {"xcb", "wayland", "no-such-platform"}) {
        SCOPED_TRACE(platform);
        test::RunOptions options;
        options.environment = QProcessEnvironment::systemEnvironment();
        options.environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(platform));
        options.environment.remove(QStringLiteral("DISPLAY"));
        options.environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        for (const QStringList& args :
             {QStringList{QStringLiteral("--dir"), app.path(), QStringLiteral("list")},
              QStringList{QStringLiteral("--dir"), app.path(), QStringLiteral("show"), QStringLiteral("2011-06-29")},
              QStringList{QStringLiteral("--dir"), app.path(), QStringLiteral("export"), exported.path(),
                          QStringLiteral("--overwrite")},
              QStringList{QStringLiteral("--dir"), app.path(), QStringLiteral("put"), QStringLiteral("2011-06-30"),
                          input},
              QStringList{QStringLiteral("--help")}}) {
            SCOPED_TRACE(args.join(u' ').toStdString());
            const ProgramRun result = runNotes(args, options);
            EXPECT_EQ(result.status, 0);
            EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        }
    }
}

TEST(NotesCliHelp, HelpDescribesEveryCommand)
{
    for (const char* option : {"--help", "-h"}) {
        const ProgramRun result = runNotes({QString::fromLatin1(option)});
        EXPECT_EQ(result.status, 0) << option;
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        const QString help = QString::fromUtf8(result.out);
        EXPECT_TRUE(help.startsWith(QStringLiteral("用法：tavemo-notes"))) << result.out.toStdString();
        for (const char* phrase :
             {"list", "show DATE", "export DIR", "--overwrite", "put DATE FILE", "--dir APPDIR", "YYYYMMDD"})
            EXPECT_TRUE(help.contains(QLatin1String(phrase))) << phrase;
    }
}

} // namespace
} // namespace tavemo::notes
