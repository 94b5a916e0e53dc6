// The program started as a user starts it: from the start of the process to its first painted
// window, and the resident memory at that moment. Each start is a first start on a fresh
// application directory (an empty note database, no settings), so it also writes its settings.
// The program prints "first-paint rss-kb=N" when asked to by TAVEMO_EXIT_AFTER_FIRST_PAINT=1 and
// then ends. The platform is the offscreen one unless BENCH_QT_QPA_PLATFORM names another
// (xcb under Xvfb: BENCH_QT_QPA_PLATFORM=xcb xvfb-run -a bench_app_startup).

#include "notes/NoteStore.h"
#include "paths/AppPath.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Start {
    bool ok = false;
    double ms = 0;
    double rssMb = 0;
};

// Starts the program in `dir` and waits for its report line and its end.
Start startOnce(const QString& dir)
{
    Start result;
    const std::string program = QFile::encodeName(dir + "/tavemo-calendar").toStdString();
    int out[2];
    if (::pipe(out) != 0)
        return result;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            env.emplace_back(*e);
    const char* platform = std::getenv("BENCH_QT_QPA_PLATFORM");
    env.push_back(std::string("QT_QPA_PLATFORM=") + (platform ? platform : "offscreen"));
    env.emplace_back("TAVEMO_EXIT_AFTER_FIRST_PAINT=1");
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const auto begin = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return result;
    }
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    const auto painted = std::chrono::steady_clock::now();
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    long rssKb = 0;
    if (std::sscanf(line.c_str(), "first-paint rss-kb=%ld", &rssKb) == 1 && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0) {
        result.ok = true;
        result.ms = std::chrono::duration<double, std::milli>(painted - begin).count();
        result.rssMb = rssKb / 1024.0;
    }
    return result;
}

void BM_StartToFirstPaint(benchmark::State& state)
{
    std::vector<double> ms, rss;
    for (auto _ : state) {
        QTemporaryDir dir;
        tavemo::notes::NoteStore::create(tavemo::paths::noteDatabasePath(dir.path()));
        if (::link(TAVEMO_PROGRAM, QFile::encodeName(dir.path() + "/tavemo-calendar").constData()) != 0)
            QFile::copy(QStringLiteral(TAVEMO_PROGRAM), dir.path() + "/tavemo-calendar");
        const Start start = startOnce(dir.path());
        if (!start.ok) {
            state.SkipWithError("the program did not report its first paint");
            return;
        }
        state.SetIterationTime(start.ms / 1000.0);
        ms.push_back(start.ms);
        rss.push_back(start.rssMb);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(rss.begin(), rss.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["max_ms"] = ms.back();
    state.counters["rss_mb"] = rss[rss.size() / 2];
    state.counters["max_rss_mb"] = rss.back();
}
BENCHMARK(BM_StartToFirstPaint)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
