// How the window stays usable during a run. The wizard (offscreen) overwrites pages with backups
// while a timer probes the event loop every 2 ms; two sites: one page of 20 MB, and 500 pages of
// 100 KB. For each it prints the longest gap between two probes and the window's throughput as
// a ratio to the batch tool's over the same pages, measured in the same process run.
//
// The fair baseline is the batch tool's one-job path (`-j1`): the window converts the pages one
// after another as well. The all-cores figure is printed for information. Every run starts from
// freshly written sources; each configuration runs ROUNDS times (default 5), interleaved, the
// window and the one-job run taking turns at going first, and the fastest round counts, so a
// burst of other load on the machine hits one round rather than a figure. Beside it stands the
// median of each round's own ratio, the window against the one-job run just before or after it,
// which a slow spell of the disk over a whole round leaves alone. The longest gap is the worst of
// all rounds. The batch tool's times include its process start. The window shows its run page,
// as it does for a user, who starts the run there.
//
// Usage: bench_responsiveness [ROUNDS [gross|viele]]. With VELTRANO_BENCH_TRACE set, every gap
// over 16 ms is printed with the stacks at its start and its end (module+offset, for addr2line),
// the stacks the window's thread was in while the gap went on (taken every 4 ms from 12 ms on),
// and how the thread spent it: running, ready but waiting for a core, or blocked; beside it how
// long the process's other threads, which it may wait for, were ready but had no core. Time spent
// ready is the machine's share of a gap.
#include "host.h"
#include "mainwindow.h"
#include "options/optionset.h"
#include "pagegen.h"
#include "runpage.h"
#include "statusframe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <execinfo.h>
#include <optional>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace veltrano;

namespace {

// Seconds since this process started, from the kernel's account of it.
double secondsSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double started = fields.value(19).toDouble() / static_cast<double>(sysconf(_SC_CLK_TCK));
    const double now = uptime.readAll().split(' ').value(0).toDouble();
    return now - started;
}

struct Stack {
    void* frames[32];
    int size = 0;
    void take() { size = backtrace(frames, 32); }
    void print() const;
};

void Stack::print() const {
    for (int i = 2; i < size; ++i) {
        Dl_info info{};
        if (dladdr(frames[i], &info) && info.dli_fname)
            std::fprintf(stderr, "    %s+0x%lx\n", info.dli_fname,
                         static_cast<unsigned long>(static_cast<char*>(frames[i]) -
                                                    static_cast<char*>(info.dli_fbase) - 1));
    }
}

// A thread's account from the kernel's schedstat: how long it ran, and how long it was ready to
// run but waited for a core, in milliseconds.
struct ThreadUse {
    double ranMs = 0;
    double readyMs = 0;
    static ThreadUse of(const char* schedstat) {
        ThreadUse use;
        if (FILE* f = std::fopen(schedstat, "r")) {
            unsigned long long ran = 0;
            unsigned long long ready = 0;
            if (std::fscanf(f, "%llu %llu", &ran, &ready) == 2)
                use = {static_cast<double>(ran) / 1e6, static_cast<double>(ready) / 1e6};
            std::fclose(f);
        }
        return use;
    }
    // The window's thread, and all other threads of the process (the helpers it may wait for).
    static ThreadUse window() { return of("/proc/thread-self/schedstat"); }
    static ThreadUse others() {
        ThreadUse sum;
        QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const ThreadUse use = of(
                QFile::encodeName(tasks.filePath(task) + QStringLiteral("/schedstat")).constData());
            sum.ranMs += use.ranMs;
            sum.readyMs += use.readyMs;
        }
        const ThreadUse own = window();
        return {sum.ranMs - own.ranMs, sum.readyMs - own.readyMs};
    }
};

// Stacks of the window's thread taken while a gap goes on: a watchdog thread signals it every
// 4 ms once 12 ms have passed since the last probe.
struct GapSampler {
    static constexpr int kMax = 16;
    static inline Stack samples[kMax];
    static inline std::atomic<int> count{0};
    std::atomic<qint64> lastProbe{0}; // steady clock, nanoseconds
    std::atomic<bool> ending{false};
    std::atomic<bool> held{false}; // the probe is printing: no stack of its own counts
    pthread_t window = pthread_self();
    std::thread watchdog;

    static qint64 clock() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    static void onSignal(int) {
        const int i = count.load();
        if (i < kMax) {
            samples[i].take();
            count.store(i + 1);
        }
    }
    GapSampler() {
        Stack warm; // backtrace loads its unwinder on first use, which no handler may do
        warm.take();
        struct sigaction action {};
        action.sa_handler = &GapSampler::onSignal;
        action.sa_flags = SA_RESTART;
        sigaction(SIGUSR2, &action, nullptr);
        lastProbe = clock();
        watchdog = std::thread([this] {
            while (!ending) {
                std::this_thread::sleep_for(std::chrono::milliseconds(4));
                if (!held && clock() - lastProbe.load() > 12'000'000)
                    pthread_kill(window, SIGUSR2);
            }
        });
    }
    ~GapSampler() {
        ending = true;
        watchdog.join();
    }
    // The stacks of the gap that ends now; none is taken until probed().
    int hold() {
        held = true;
        return count;
    }
    void probed() {
        count = 0;
        lastProbe = clock();
        held = false;
    }
};

// A site of generated pages, written anew before every run, since a run replaces them.
struct Site {
    QString name;
    QString folder;
    QList<QByteArray> pages;
    QStringList paths;
    qint64 bytes = 0;

    Site(const QString& siteName, const QString& siteFolder, int count, qsizetype pageBytes)
        : name(siteName), folder(siteFolder) {
        for (int i = 0; i < count; ++i) {
            pages.append(bench::generatePage(pageBytes, static_cast<unsigned>(i + 1)));
            paths.append(folder + QStringLiteral("/seite%1.htm").arg(i));
            bytes += pages.constLast().size();
        }
    }
    // Written over the files of the last run, rather than anew: on a file system without a
    // journal, every file created scans past the recently deleted ones, which would make each
    // run slower than the one before.
    bool writeSources() const {
        QDir().mkpath(folder);
        for (int i = 0; i < pages.size(); ++i) {
            QFile file(paths[i]);
            if (!file.open(QIODevice::WriteOnly) || file.write(pages[i]) != pages[i].size())
                return false;
            // An empty backup, so the next run's backup is seen to be made.
            QFile backup(paths[i] + QStringLiteral(".bak"));
            if (backup.exists() && !backup.resize(0))
                return false;
        }
        ::sync(); // the sources' own write-back is no part of any run
        return true;
    }
};

// Processor time (user and system) of this process, or of its waited-for children.
double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct WindowRun {
    double seconds = -1;
    double cpu = -1;
    qint64 longestGap = 0;
    int probes = 0;
    bool completed = false;
};

WindowRun runWindow(ui::MainWindow& window, const Site& site) {
    window.list().Clear();
    const qsizetype shownBefore = window.host().messages().size();
    for (const QString& path : site.paths)
        window.list().Append(path);
    const bool trace = qEnvironmentVariableIsSet("VELTRANO_BENCH_TRACE");
    WindowRun result;
    QElapsedTimer sinceProbe;
    Stack before;
    ThreadUse useBefore = ThreadUse::window();
    ThreadUse othersBefore = ThreadUse::others();
    std::optional<GapSampler> sampler;
    if (trace)
        sampler.emplace();
    QTimer probe;
    probe.setInterval(2);
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 gap = sinceProbe.restart();
        result.longestGap = std::max(result.longestGap, gap);
        ++result.probes;
        if (!trace)
            return;
        const int during = sampler->hold();
        const ThreadUse use = ThreadUse::window();
        const ThreadUse others = ThreadUse::others();
        if (gap > 16) {
            std::fprintf(
                stderr,
                "gap %lld ms at page %d of %d, page position %d of %d; the thread ran "
                "%.1f ms, waited for a core %.1f ms, was blocked the rest; its helpers "
                "waited for a core %.1f ms; from\n",
                static_cast<long long>(gap), window.runPage->statusFrame->listBar()->value(),
                window.runPage->statusFrame->listBar()->maximum(),
                window.runPage->statusFrame->pageBar()->value(),
                window.runPage->statusFrame->pageBar()->maximum(), use.ranMs - useBefore.ranMs,
                use.readyMs - useBefore.readyMs, others.readyMs - othersBefore.readyMs);
            before.print();
            for (int i = 0; i < during; ++i) {
                std::fprintf(stderr, "  during (%d ms after its start)\n", 12 + 4 * i);
                GapSampler::samples[i].print();
            }
            std::fprintf(stderr, "  to\n");
            Stack now;
            now.take();
            now.print();
        }
        before.take();
        useBefore = ThreadUse::window();
        othersBefore = ThreadUse::others();
        sampler->probed();
    });
    probe.start();
    sinceProbe.start();
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds(RUSAGE_SELF);
    window.startRun();
    result.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    result.cpu = cpuSeconds(RUSAGE_SELF) - cpu;
    // The stretch from the last probe to the run's end counts as a gap too.
    result.longestGap = std::max(result.longestGap, sinceProbe.elapsed());
    probe.stop();
    const auto& messages = window.host().messages();
    result.completed = messages.size() == shownBefore + 1 &&
                       messages.constLast().title == QStringLiteral("Abschluss");
    // The window would look at the converted pages for what they break; an empty list leaves
    // its breakage watch nothing to read while the batch tool is timed.
    window.list().Clear();
    return result;
}

struct BatchRun {
    double seconds = -1;
    double cpu = -1;
};

// The batch tool over the same pages, as a process; -1 when it failed.
BatchRun runBatch(const QString& tool, const Site& site, const QString& jobs) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    process.start(tool, QStringList{QStringLiteral("--overwrite"), QStringLiteral("-q"),
                                    QStringLiteral("-j"), jobs} +
                            site.paths);
    process.waitForFinished(-1);
    const BatchRun result{static_cast<double>(timer.nsecsElapsed()) / 1e9,
                          cpuSeconds(RUSAGE_CHILDREN) - cpu};
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "veltrano-batch failed: %s\n",
                     process.readAllStandardError().constData());
        return {};
    }
    return result;
}

bool backedUp(const Site& site) {
    for (int i = 0; i < site.paths.size(); ++i) {
        QFile backup(site.paths[i] + QStringLiteral(".bak"));
        if (!backup.open(QIODevice::ReadOnly) || backup.size() < site.pages[i].size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = qMax(1, argc > 1 ? QByteArray(argv[1]).toInt() : 5);

    ui::MainWindow window(nullptr); // the advert panels stay off the network
    window.host().setModalBoxes(false);
    window.actions().exitProgram = [] {};
    window.wizardTabs->setCurrentWidget(window.runPage);
    window.show();
    QCoreApplication::processEvents();
    const double startUp = secondsSinceProcessStart();
    bench::printLoad("before");
    std::printf("responsiveness (best of %d rounds)\n", rounds);
    std::printf("  start-up to window shown: %.3f s (target < 0.5 s)\n", startUp);

    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/veltrano-batch");
    if (!QFileInfo(tool).isExecutable()) {
        std::fprintf(stderr, "veltrano-batch is not built beside this program\n");
        return 1;
    }
    window.options().setOverwrite(true);
    window.options().setCheck(CheckField::chkBkup, 1);

    QTemporaryDir dir(bench::workFolderPattern());
    bench::printNewFileCost(dir.path());
    const QList<Site> sites{
        Site(QStringLiteral("one page of 20 MB"), dir.filePath(QStringLiteral("gross")), 1,
             20 << 20),
        Site(QStringLiteral("500 pages of 100 KB"), dir.filePath(QStringLiteral("viele")), 500,
             100 << 10),
    };
    bool ok = true;
    for (const Site& site : sites) {
        if (argc > 2 && !site.folder.endsWith(QString::fromLocal8Bit(argv[2])))
            continue;
        WindowRun best;
        BatchRun one;
        BatchRun all;
        const auto keep = [](BatchRun& fastest, const BatchRun& run) {
            if (run.seconds > 0 && (fastest.seconds < 0 || run.seconds < fastest.seconds))
                fastest.seconds = run.seconds;
            if (run.cpu > 0 && (fastest.cpu < 0 || run.cpu < fastest.cpu))
                fastest.cpu = run.cpu;
        };
        const auto window1 = [&] {
            const WindowRun w = runWindow(window, site);
            ok = ok && w.completed && backedUp(site);
            if (ok && (best.seconds < 0 || w.seconds < best.seconds)) {
                best.seconds = w.seconds;
                best.probes = w.probes;
            }
            if (ok && (best.cpu < 0 || w.cpu < best.cpu))
                best.cpu = w.cpu;
            best.longestGap = std::max(best.longestGap, w.longestGap);
            return w.seconds;
        };
        const auto batch1 = [&] {
            const BatchRun b = runBatch(tool, site, QStringLiteral("1"));
            keep(one, b);
            ok = ok && backedUp(site);
            return b.seconds;
        };
        std::vector<double> ratios; // each round's -j1 time over its window time
        for (int round = 0; round < rounds && ok; ++round) {
            // The window and its baseline take turns at going first.
            double windowSeconds = 0;
            double batchSeconds = 0;
            ok = site.writeSources();
            round % 2 ? (batchSeconds = batch1()) : (windowSeconds = window1());
            ok = ok && site.writeSources();
            round % 2 ? (windowSeconds = window1()) : (batchSeconds = batch1());
            if (ok && windowSeconds > 0 && batchSeconds > 0)
                ratios.push_back(batchSeconds / windowSeconds);
            ok = ok && site.writeSources();
            keep(all, runBatch(tool, site, QString::number(QThread::idealThreadCount())));
            ok = ok && backedUp(site);
        }
        if (!ok || one.seconds < 0 || all.seconds < 0 || ratios.empty()) {
            std::fprintf(stderr, "the runs over %s did not complete\n", qPrintable(site.name));
            return 1;
        }
        const double mb = static_cast<double>(site.bytes) / (1 << 20);
        std::printf("%s (%.1f MB), overwrite with backup:\n", qPrintable(site.name), mb);
        std::printf("  longest event-loop gap:    %6.1f ms   (target <= 16 ms; worst of all "
                    "rounds, %d probes in the best)\n",
                    static_cast<double>(best.longestGap), best.probes);
        std::printf("                             wall clock   throughput   processor time\n");
        const auto row = [mb](const char* what, double seconds, double cpu, const char* note) {
            std::printf("  %-25s %7.3f s  %6.1f MB/s   %7.3f s%s\n", what, seconds, mb / seconds,
                        cpu, note);
        };
        row("window run", best.seconds, best.cpu, "");
        row("veltrano-batch -j1", one.seconds, one.cpu, "   (baseline)");
        const QByteArray allCores =
            "veltrano-batch -j" + QByteArray::number(QThread::idealThreadCount());
        row(allCores.constData(), all.seconds, all.cpu, "   (all cores, for information)");
        std::printf("  window / batch -j1:        %6.1f %% wall clock (target >= 95 %%), "
                    "%.1f %% processor time\n",
                    100.0 * one.seconds / best.seconds, 100.0 * one.cpu / best.cpu);
        std::sort(ratios.begin(), ratios.end());
        std::printf("  window / batch -j1, median of the rounds' own ratios: %.1f %% (rounds from "
                    "%.1f to %.1f %%)\n",
                    100.0 * ratios[ratios.size() / 2], 100.0 * ratios.front(),
                    100.0 * ratios.back());
        std::printf("  window / batch all cores:  %6.1f %% wall clock\n",
                    100.0 * all.seconds / best.seconds);
    }
    bench::printLoad("after");
    return 0;
}
