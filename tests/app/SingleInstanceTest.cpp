// One program per application directory: a second start hands over to the first and ends, and a
// program that crashed never blocks the next start. The real program runs here (offscreen).

#include "AppTestSupport.h"

#include "app/SingleInstance.h"
#include "notes/DateKey.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <future>

namespace tavemo::app::test {
namespace {

// Runs the event loop until `done` or `ms` have passed.
bool spinUntil(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

// True once the program of `dir` answers on its socket.
bool listening(const AppDir& dir)
{
    QLocalSocket probe;
    probe.connectToServer(SingleInstance::socketPath(dir.path()));
    const bool up = probe.waitForConnected(200);
    probe.abort();
    return up;
}

TEST(SingleInstance, SecondGuardOfTheSameDirectoryHandsOver)
{
    AppDir dir, other;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.start(), SingleInstance::Start::First);
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });

    // The second start waits for its answer: run it beside the event loop that gives it.
    auto second = std::async(std::launch::async, [&] {
        SingleInstance guard(dir.path() + "/Data/.."); // another spelling of the same folder
        return guard.start();
    });
    ASSERT_TRUE(spinUntil([&] { return second.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(second.get(), SingleInstance::Start::HandedOver);
    EXPECT_EQ(activations, 1);

    SingleInstance elsewhere(other.path());
    EXPECT_EQ(elsewhere.start(), SingleInstance::Start::First);
}

TEST(SingleInstance, SecondStartOfTheProgramBringsTheFirstForwardAndEndsWithZero)
{
    AppDir dir;
    const QString program = installProgram(dir);
    SingleInstance running(dir.path()); // stands for the program already running there
    ASSERT_EQ(running.start(), SingleInstance::Start::First);
    int activations = 0;
    QObject::connect(&running, &SingleInstance::activationRequested, [&] { ++activations; });

    QProcess second;
    second.start(program, {});
    ASSERT_TRUE(second.waitForStarted());
    ASSERT_TRUE(spinUntil([&] { return second.state() == QProcess::NotRunning; }));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(activations, 1);
    EXPECT_FALSE(dir.exists("data\\FormSize.ini")); // it never opened a window
}

TEST(SingleInstance, CrashedProgramNeverBlocksAndTerminationEndsNormally)
{
    AppDir dir;
    const QString program = installProgram(dir);
    QProcess crashed;
    crashed.start(program, {});
    ASSERT_TRUE(spinUntil([&] { return listening(dir); })) << crashed.readAllStandardError().toStdString();
    crashed.kill(); // SIGKILL: the lock file and the socket file stay behind
    ASSERT_TRUE(crashed.waitForFinished());

    QProcess next;
    next.start(program, {});
    ASSERT_TRUE(spinUntil([&] { return listening(dir) && dir.exists("data\\FormSize.ini"); }));
    EXPECT_EQ(next.state(), QProcess::Running); // it did not hand over to the dead one
    const QString today = notes::dateKey(engine::currentDateTime());
    const std::optional<QString> before = dir.noteText(today);
    next.terminate(); // SIGTERM
    ASSERT_TRUE(spinUntil([&] { return next.state() == QProcess::NotRunning; }));
    EXPECT_EQ(next.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
    EXPECT_FALSE(before);
    // The ending ran its save; today's note was never touched, so nothing is written back (a write
    // of what the user did not change is what overwrites other writers of the database).
    EXPECT_FALSE(dir.noteText(today));
}

} // namespace
} // namespace tavemo::app::test
