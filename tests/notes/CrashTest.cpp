// A crash at any moment neither corrupts the note database nor loses a save that returned: a child
// process saves notes in a loop and is killed with SIGKILL at a random moment, 200 times. After
// every kill the database must pass its integrity check and hold, for every day, the bytes of the
// last save the child acknowledged (or of the one save it had started and not acknowledged).

#include "CrashPayload.h"
#include "TestSupport.h"
#include "notes/NoteStore.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <optional>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tavemo::notes {
namespace {

using Clock = std::chrono::steady_clock;

struct Child {
    pid_t pid = -1;
    int output = -1;
};

Child spawnSaver(const QString& database, long long firstSave)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {};
    const QByteArray path = QFile::encodeName(database);
    const std::string first = std::to_string(firstSave);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::execl(NOTES_CRASH_CHILD, NOTES_CRASH_CHILD, path.constData(), first.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

// Reads the child's lines until `done` says so or `deadline` passes; false at end of output.
template <typename Done>
bool readLines(int fd, std::string& pending, std::vector<std::string>& lines, Clock::time_point deadline, Done done)
{
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return true;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        pending.append(buffer, static_cast<size_t>(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            lines.push_back(pending.substr(0, end));
    }
    return true;
}

QString integrityCheck(NoteStore& store)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(store.handle(), "PRAGMA integrity_check", -1, &statement, nullptr);
    QString result;
    if (statement && sqlite3_step(statement) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return result;
}

TEST(NoteCrash, KilledSaverNeverCorruptsOrLosesAnAcknowledgedSave)
{
    test::TempAppDir app;
    app.createDatabase();
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    std::map<QString, long long> expected; // day -> the save whose bytes it must hold
    long long nextSave = 0;
    long long acknowledged = 0;
    for (int run = 0; run < 200; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const Child child = spawnSaver(app.databasePath(), nextSave);
        ASSERT_GT(child.pid, 0);
        std::string pending;
        std::vector<std::string> lines;
        // Mostly while saving, once a first save has returned (on a loaded machine, or under the
        // sanitizers, one save can take longer than the whole random wait); now and then while the
        // child is still starting and opening.
        if (random() % 10 == 0) {
            readLines(child.output, pending, lines, Clock::now() + std::chrono::microseconds(random() % 20000),
                      [] { return false; });
        } else {
            readLines(child.output, pending, lines, Clock::now() + std::chrono::seconds(60),
                      [&] { return lines.size() >= 2; });
            ASSERT_GE(lines.size(), 2u) << "the child never opened the database or never saved";
            readLines(child.output, pending, lines, Clock::now() + std::chrono::microseconds(random() % 30000),
                      [] { return false; });
        }
        ::kill(child.pid, SIGKILL);
        // What the child wrote before it died still counts.
        readLines(child.output, pending, lines, Clock::now() + std::chrono::seconds(60), [] { return false; });
        ::close(child.output);
        int status = 0;
        ASSERT_EQ(::waitpid(child.pid, &status, 0), child.pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended by itself: " << status;

        long long inFlight = nextSave; // the save that may have committed without its acknowledgement
        for (const std::string& line : lines) {
            if (line == "ready")
                continue;
            const long long save = std::stoll(line);
            ASSERT_EQ(save, inFlight);
            expected[test::crashKey(save)] = save;
            inFlight = save + 1;
            ++acknowledged;
        }

        std::unique_ptr<NoteStore> store;
        const Outcome opened = NoteStore::open(app.databasePath(), NoteStore::Access::ReadOnly, &store);
        ASSERT_TRUE(opened.ok()) << opened.detail.toStdString();
        ASSERT_EQ(integrityCheck(*store), QStringLiteral("ok"));
        for (int day = 0; day < test::kCrashDays; ++day) {
            const QString key = test::crashKey(day);
            std::optional<QByteArray> note;
            const Outcome loaded = store->load(key, &note);
            ASSERT_TRUE(loaded.ok()) << loaded.detail.toStdString();
            const auto found = expected.find(key);
            const bool matchesExpected = found == expected.end() ? !note : note == test::crashPayload(found->second);
            if (matchesExpected)
                continue;
            ASSERT_TRUE(test::crashKey(inFlight) == key && note == test::crashPayload(inFlight))
                << "day " << key.toStdString() << " holds neither its last acknowledged save nor the one in flight";
            expected[key] = inFlight;
        }
        nextSave = inFlight + 1;
    }
    RecordProperty("acknowledged_saves", static_cast<int>(acknowledged));
    EXPECT_GE(acknowledged, 150) << "too few saves happened between the kills to show anything";
}

} // namespace
} // namespace tavemo::notes
