#include <pthread.h>

#include <csignal>
#include <system_error>
#include <thread>

#include "cli/interrupt.h"
#include "core/work_folder.h"
#include "platform/replace_file.h"

namespace {

constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

// Waits on its own thread, where ordinary code may run, unlike in a signal handler; then lets
// the signal do what it would have done.
void AwaitInterruption(sigset_t watched) {
    int number = 0;
    if (sigwait(&watched, &number) != 0) return;
    RemoveWorkFoldersInUse();
    RemoveUnfinishedReplacements();
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    std::signal(number, SIG_DFL);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(number);
}

}  // namespace

void WatchForInterruptions() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    sigset_t watched;
    sigemptyset(&watched);
    for (int number : kInterruptions) {
        // A signal the caller chose to ignore (a background job's Ctrl+C) stays ignored.
        struct sigaction current;
        if (sigaction(number, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            sigaddset(&watched, number);
    }
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &watched, &before);
    try {
        std::thread(AwaitInterruption, watched).detach();
    } catch (const std::system_error&) {
        // Without a watcher the signals end the process at once, as they would any program.
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
    }
}
