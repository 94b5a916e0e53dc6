// tavemo-notes as a user runs it: storing, listing, showing and exporting notes, and refusing bad
// input with one line on stderr, exit status 2 and nothing written.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

namespace tavemo::notes {
namespace {

using test::readFile;
using test::storedNote;
using test::writeFile;

struct Outcome {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Outcome runNotes(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(TAVEMO_APP_DIR "/tavemo-notes"), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

class NotesCli : public ::testing::Test {
protected:
    void SetUp() override { app.createDatabase(); }
    Outcome run(QStringList args)
    {
        args.prepend(app.path());
        args.prepend(QStringLiteral("--dir"));
        return runNotes(args);
    }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = files.filePath(name);
        writeFile(path, bytes);
        return path;
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

    const Outcome list = run({QStringLiteral("list")});
    EXPECT_EQ(list.status, 0);
    const QList<QByteArray> rows = list.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], "2011-06-29\t" + QByteArray::number(storedNote(app.databasePath(), "20110629")->size()));
    EXPECT_TRUE(rows[1].startsWith("2011-07-01\t"));

    const Outcome shown = run({QStringLiteral("show"), QStringLiteral("20110629")});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(QString::fromUtf8(shown.out), QStringLiteral("第一行\n第二行\n"));
    EXPECT_TRUE(shown.err.isEmpty());
    EXPECT_EQ(run({QStringLiteral("show"), QStringLiteral("2011-06-29"), QStringLiteral("--format"), QStringLiteral("rtf")}).out,
              *storedNote(app.databasePath(), QStringLiteral("20110629")));
    const Outcome html = run({QStringLiteral("show"), QStringLiteral("2011-07-01"), QStringLiteral("--format"), QStringLiteral("html")});
    EXPECT_TRUE(html.out.contains("font-weight") && html.out.contains("bold")) << html.out.toStdString();

    const QString exported = files.filePath(QStringLiteral("backup/notes"));
    ASSERT_EQ(run({QStringLiteral("export"), exported, QStringLiteral("--format"), QStringLiteral("text")}).status, 0);
    EXPECT_EQ(QDir(exported).entryList(QDir::Files), (QStringList{"2011-06-29.txt", "2011-07-01.txt"}));
    EXPECT_EQ(readFile(exported + QStringLiteral("/2011-07-01.txt")), "bold plain\n");
    ASSERT_EQ(run({QStringLiteral("export"), exported}).status, 0); // RTF by default, the stored bytes
    EXPECT_EQ(readFile(exported + QStringLiteral("/2011-06-29.rtf")), *storedNote(app.databasePath(), QStringLiteral("20110629")));
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
        {{"--dir", app.path(), "show", "2011-02-30"}, "“2011-02-30”不是有效的日期"},
        {{"--dir", app.path(), "put", "2011-06-31", good}, "不是有效的日期"},
        {{"--dir", app.path(), "put", "29.06.2011", good}, "不是有效的日期"},
        {{"--dir", app.path(), "put", "2011-06-29", files.filePath(QStringLiteral("missing.rtf"))}, "文件不存在"},
        {{"--dir", app.path(), "put", "2011-06-29"}, "put 需要日期 DATE 和文件 FILE"},
        {{"--dir", app.path(), "show", "2011-06-29", "--format", "pdf"}, "未知格式“pdf”"},
        {{"--dir", app.path(), "list", "--format", "text"}, "list 不接受 --format"},
        {{"--dir", app.path(), "export", exported, "--format", "text", "--format", "rtf"}, "--format 只能给出一次"},
        {{"--dir", app.path(), "erase", "2011-06-29"}, "未知命令“erase”"},
        {{"--dir", app.path()}, "缺少命令"},
        {{"--dir", app.path(), "list", "--bogus"}, "未知选项“--bogus”"},
        {{"--dir", missingApp, "list"}, "找不到记事数据库"},
        {{"--dir", missingApp, "put", "2011-06-29", good}, "找不到记事数据库"},
        {{"--dir", missingApp, "export", exported}, "找不到记事数据库"},
        // An echoed argument never breaks the one-line message nor reaches the terminal raw.
        {{"--dir", app.path(), "show", "2011-06\n-29\x1b[2J"}, "“2011-06?-29?[2J”"},
    };
    for (const auto &[args, phrase] : cases) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const Outcome result = runNotes(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.startsWith("tavemo-notes: ")) << result.err.toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(result.err).contains(phrase)) << result.err.toStdString();
    }
    EXPECT_EQ(storedNote(app.databasePath(), QStringLiteral("20110629")), stored);
    EXPECT_EQ(test::queryText(app.databasePath(), QStringLiteral("SELECT count(*) FROM UserCon")), QStringLiteral("1"));
    EXPECT_FALSE(QFile::exists(exported));
    EXPECT_FALSE(QFile::exists(missingApp));
}

TEST_F(NotesCli, ShowingADayWithoutNoteFails)
{
    const Outcome result = run({QStringLiteral("show"), QStringLiteral("2011-06-29")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(result.err).contains(QStringLiteral("2011-06-29 没有记事"))) << result.err.toStdString();
}

TEST(NotesCliHelp, HelpDescribesEveryCommand)
{
    for (const char *option : {"--help", "-h"}) {
        const Outcome result = runNotes({QString::fromLatin1(option)});
        EXPECT_EQ(result.status, 0) << option;
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        const QString help = QString::fromUtf8(result.out);
        EXPECT_TRUE(help.startsWith(QStringLiteral("用法：tavemo-notes"))) << result.out.toStdString();
        for (const char *phrase : {"list", "show DATE", "export DIR", "put DATE FILE", "--dir APPDIR", "YYYYMMDD"})
            EXPECT_TRUE(help.contains(QLatin1String(phrase))) << phrase;
    }
}

} // namespace
} // namespace tavemo::notes
