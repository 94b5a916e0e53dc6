// The window and another program writing the same day: tavemo-notes put while the window shows
// that day. Nothing either of them wrote is lost.

#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

namespace tavemo::app::test {
namespace {

class NotesElsewhere : public ::testing::Test {
protected:
    NotesElsewhere() { env.now = dateTime(2011, 6, 29, 10, 0); }

    std::unique_ptr<Program> start()
    {
        dir.write(QStringLiteral("data\\FormSize.ini"), "1\r\n750\r\n500\r\n137\r\n119\r\n");
        dir.putNote("20110629", QStringLiteral("窗口里的记事"));
        auto program = std::make_unique<Program>(dir, env);
        program->focusEditor();
        return program;
    }

    // tavemo-notes put, as a user runs it from a terminal while the window is open.
    void putFromTheCommandLine(const QString& text)
    {
        QTemporaryDir scratch;
        const QString file = scratch.filePath(QStringLiteral("note.txt"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
        out.close();
        QProcess put;
        put.start(QStringLiteral(TAVEMO_APP_DIR "/tavemo-notes"),
                  {QStringLiteral("--dir"), dir.path(), QStringLiteral("put"), QStringLiteral("2011-06-29"), file});
        ASSERT_TRUE(put.waitForFinished(30000));
        ASSERT_EQ(put.exitCode(), 0) << put.readAllStandardError().toStdString();
    }

    AppDir dir;
    Recorder env;
};

TEST_F(NotesElsewhere, TypingAfterAPutKeepsBothTextsAndSaysSo)
{
    auto program = start();
    putFromTheCommandLine(QStringLiteral("终端里写的记事"));
    program->type(QStringLiteral("！"));

    const std::optional<QString> stored = dir.noteText("20110629");
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->startsWith(QStringLiteral("窗口里的记事！"))) << stored->toStdString();
    EXPECT_TRUE(stored->contains(QStringLiteral("终端里写的记事"))) << "the other program's text is kept";
    EXPECT_TRUE(stored->contains(QStringLiteral("由 tavemo-notes"))) << "the divider says where it came from";
    EXPECT_EQ(program->editor().toPlainText(), *stored) << "the editor shows what is stored";

    auto* notice = find<QLabel>(program->window(), "saveNotice");
    EXPECT_FALSE(notice->isHidden());
    EXPECT_TRUE(notice->text().contains(QStringLiteral("两份都已保留"))) << notice->text().toStdString();

    // The caret stays in the user's text; typing on stores the merged note as it is, and the
    // notice stays until another day is shown.
    EXPECT_EQ(program->editor().textCursor().position(), QStringLiteral("窗口里的记事！").size());
    program->type(QStringLiteral("好")); // at the end, after the other text
    EXPECT_TRUE(dir.noteText("20110629")->endsWith(QStringLiteral("终端里写的记事好")));
    EXPECT_FALSE(notice->isHidden());
}

TEST_F(NotesElsewhere, WithoutTypingTheWindowShowsThePutText)
{
    struct Case {
        const char* name;
        bool byActivation; // else by waiting for the window's own look
    };
    for (const Case c : {Case{"activated", true}, Case{"waited", false}}) {
        SCOPED_TRACE(c.name);
        auto program = start();
        putFromTheCommandLine(QStringLiteral("终端里写的记事"));
        if (c.byActivation) {
            // Another window takes the focus, then the user comes back.
            QWidget other;
            other.show();
            other.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
            program->focusEditor();
            EXPECT_EQ(program->editor().toPlainText(), QStringLiteral("终端里写的记事"));
        } else {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return program->editor().toPlainText() == QStringLiteral("终端里写的记事"); }, 8000));
        }
        EXPECT_TRUE(find<QLabel>(program->window(), "saveNotice")->isHidden());
        // Nothing was written back: the stored note is the put one, byte for byte as put stored it.
        EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("终端里写的记事"));
        program.reset();
        EXPECT_EQ(dir.noteText("20110629"), QStringLiteral("终端里写的记事")) << "ending stores nothing unchanged";
    }
}

} // namespace
} // namespace tavemo::app::test
