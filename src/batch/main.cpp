#include "batchtool.h"
#include "io/pagewrite.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

// SIGTERM, SIGINT and SIGHUP end the tool at once, as they would without a handler, but first
// the new file of the page in progress is removed; the first SIGINT of a run with "Moderne
// Seiten" ends that run after its pages under way instead. The endSignals are taken by a thread of
// their own (sigwait), so the clean-up runs as ordinary code and waits for a file being made.
void endCleanlyOnSignals() {
    sigset_t endSignals;
    sigemptyset(&endSignals);
    for (const int s : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&endSignals, s);
    // Blocked before any other thread starts, so every thread inherits the mask.
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    std::thread([endSignals] {
        for (;;) {
            int received = 0;
            if (sigwait(&endSignals, &received) != 0)
                continue;
            if (received == SIGINT && veltrano::interruptRun())
                continue;
            veltrano::removeTemporaryFilesAndExit(128 + received);
        }
    }).detach();
}

} // namespace

int main(int argc, char* argv[]) {
    veltrano::setCreationMask(veltrano::readUmask()); // before any thread starts
    endCleanlyOnSignals();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return veltrano::runBatch(args, out, err, ::isatty(STDERR_FILENO) != 0);
}
