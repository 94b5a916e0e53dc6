// The process that the crash test kills: opens the note database and saves notes in a loop,
// writing "N\n" to stdout after save number N has returned, until it is killed.
//
//   notes-crash-child DATABASE FIRST-SAVE

#include "CrashPayload.h"
#include "notes/NoteStore.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

bool say(const std::string& line)
{
    // Unbuffered: a line in the pipe means its save had returned.
    return ::write(STDOUT_FILENO, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

} // namespace

int main(int argc, char** argv)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive the test
    if (argc != 3)
        return 2;
    std::unique_ptr<tavemo::notes::NoteStore> store;
    const tavemo::Outcome opened = tavemo::notes::NoteStore::open(QString::fromLocal8Bit(argv[1]),
                                                                  tavemo::notes::NoteStore::Access::ReadWrite, &store);
    if (!opened.ok()) {
        std::fprintf(stderr, "crash child: %s\n", opened.detail.toUtf8().constData());
        return 1;
    }
    if (!say("ready\n"))
        return 1;
    const long long first = std::atoll(argv[2]);
    for (long long save = first; save < first + 1000000; ++save) {
        const tavemo::Outcome saved =
            store->save(tavemo::notes::test::crashKey(save), tavemo::notes::test::crashPayload(save));
        if (!saved.ok()) {
            std::fprintf(stderr, "crash child: save %lld: %s\n", save, saved.detail.toUtf8().constData());
            return 1;
        }
        if (!say(std::to_string(save) + "\n"))
            return 1;
    }
    return 0;
}
