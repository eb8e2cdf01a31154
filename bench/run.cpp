// The batch tool over a generated site, one page at a time, beside the engine over the same
// pages, in paired rounds; then the cost of durable overwrites: the batch tool overwrites 500 of
// the pages with backups, once as it does (backup, new page and folder flushed to disk), once
// with every flush made a no-op, on one core and on all; last a site of 500 pages with 2,000
// other files, its pages' conversion against the copy of the other files.
// Usage: bench_run [PAGES [PAGE_BYTES]]   (defaults 2000 and 50000, about 100 MB)

#include "batchtool.h"
#include "host.h"
#include "io/pagesink.h"
#include "io/pagewrite.h"
#include "options/optionset.h"
#include "pagegen.h"
#include "passes/encodepage.h"
#include "passes/pageheader.h"
#include "passes/random.h"
#include "run/sitecopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>

#include <QThread>

#include <cstdio>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>
#include <vector>

using namespace veltrano;

namespace {

bool flushesSkipped = false;

} // namespace

// The program's flushes to disk come here: passed on, or skipped for the run without them.
extern "C" int fsync(int fd) {
    if (flushesSkipped)
        return 0;
    using Fsync = int (*)(int);
    static const auto next = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    return next(fd);
}

namespace {

// Processor time of this process (user and system), which other load on the machine does not
// inflate the way it inflates wall-clock time.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pages = args.size() > 1 ? args[1].toInt() : 2000;
    const qsizetype pageBytes = args.size() > 2 ? args[2].toLongLong() : 50000;

    bench::printLoad("before");
    QTemporaryDir dir(bench::workFolderPattern());
    bench::printNewFileCost(dir.path());
    const QString web = dir.filePath(QStringLiteral("web"));
    QDir().mkpath(web);

    qint64 inputBytes = 0;
    QStringList paths;
    for (int i = 0; i < pages; ++i) {
        const QString path = web + QStringLiteral("/page%1.htm").arg(i);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray page = bench::generatePage(pageBytes, static_cast<unsigned>(i + 1));
        f.write(page);
        inputBytes += page.size();
        paths << path;
    }

    // The engine alone: pages converted with the default options and each written to its file,
    // as the engine benchmark does, without the run's steps around it. Each pass writes into an
    // empty folder of its own, as the run does, and no file is removed before the end, only
    // emptied: on a file system without a journal, a file made soon after others were removed
    // costs a scan past them, and a file made in a folder of many costs a longer search.
    const auto engineSeconds = [&](const QString& name) -> std::pair<double, double> {
        const QString folder = dir.filePath(name);
        QDir().mkpath(folder);
        OptionSet options;
        NullHost host;
        Random random;
        PageEncoder encoder(random, host);
        ByteBuffer buffer;
        ::sync(); // what was written before is no part of this pass
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = cpuSeconds();
        for (int i = 0; i < pages; ++i) {
            NewFile file;
            if (file.create(folder + QStringLiteral("/page%1.htm").arg(i)))
                return {-1, -1};
            PageSink sink(buffer, file.fd());
            if (!encoder.readPage(paths[i], options))
                return {-1, -1};
            encoder.encodeReadPage(BuildPageHeader(options), options, sink);
            AppendEndLines(sink, options);
            sink.append(QByteArrayView("\r\n"));
            if (sink.finish() || file.close() || file.putInPlace())
                return {-1, -1};
        }
        return std::pair<double, double>{clock.nsecsElapsed() / 1e9 / pages,
                                         (cpuSeconds() - cpuStart) / pages};
    };

    // The batch run, one page at a time as the engine pass goes, into an empty folder of its
    // own: wall-clock and processor seconds per page, -1 when it failed.
    QString sink;
    QTextStream toNothing(&sink);
    const auto runSeconds = [&](const QString& name) -> std::pair<double, double> {
        // The project: default options, output into the folder given.
        QByteArray project = "3.0.0\r\n";
        for (int i = 0; i < 9; ++i)
            project += " 1 \r\n";
        project += "Wahr\r\nFalsch\r\n 1 \r\n200\r\n200\r\nError 404, file not found!\r\n"
                   "Diese Webseite ben\xf6tigt Javaskript um korrekt dargestellt werden zu "
                   "k\xf6nnen.\r\n";
        project += QFile::encodeName(dir.filePath(name)) + "\r\n";
        for (const QString& p : paths)
            project += QFile::encodeName(p) + "\r\n";
        const QString projectFile = dir.filePath(name + QStringLiteral(".vtp"));
        QFile pf(projectFile);
        if (!pf.open(QIODevice::WriteOnly) || pf.write(project) != project.size())
            return {-1, -1};
        pf.close();
        QDir().mkpath(dir.filePath(name));
        ::sync(); // what was written before is no part of this pass
        QElapsedTimer clock;
        clock.start();
        const double cpuStart = cpuSeconds();
        if (runBatch({QStringLiteral("-j"), QStringLiteral("1"), projectFile}, toNothing,
                     toNothing) != 0) {
            std::fprintf(stderr, "batch run failed: %s\n", qPrintable(sink));
            return {-1, -1};
        }
        return {clock.nsecsElapsed() / 1e9 / pages, (cpuSeconds() - cpuStart) / pages};
    };

    // Like with like: the run and the engine pass take turns at going first, each round into
    // fresh folders, and each round's own ratio counts.
    constexpr int kRounds = 3;
    qint64 outputBytes = 0; // of the first round's run
    std::vector<double> wallRatios;
    std::vector<double> cpuRatios;
    std::pair<double, double> bestRun{1e9, 1e9};
    std::pair<double, double> bestEngine{1e9, 1e9};
    for (int round = 0; round < kRounds; ++round) {
        const QString runName = QStringLiteral("run%1").arg(round);
        const QString engineName = QStringLiteral("engine%1").arg(round);
        std::pair<double, double> run;
        std::pair<double, double> engine;
        if (round % 2) {
            engine = engineSeconds(engineName);
            run = runSeconds(runName);
        } else {
            run = runSeconds(runName);
            engine = engineSeconds(engineName);
        }
        if (run.first < 0 || engine.first < 0)
            return 1;
        if (round == 0) {
            for (const QFileInfo& info : QDir(dir.filePath(runName)).entryInfoList(QDir::Files))
                outputBytes += info.size();
        }
        // Emptied, not deleted: kept outputs would fill the memory and slow the later rounds.
        bench::emptyFiles(dir.filePath(runName));
        bench::emptyFiles(dir.filePath(engineName));
        wallRatios.push_back(run.first / engine.first);
        cpuRatios.push_back(run.second / engine.second);
        bestRun = {qMin(bestRun.first, run.first), qMin(bestRun.second, run.second)};
        bestEngine = {qMin(bestEngine.first, engine.first), qMin(bestEngine.second, engine.second)};
    }

    const double seconds = bestRun.first * pages;
    std::printf("bench_run: %d pages, input %.1f MB, output %.1f MB; %d rounds, each the run and "
                "the engine into fresh folders, in turns\n",
                pages, inputBytes / 1e6, outputBytes / 1e6, kRounds);
    std::printf("  batch run -j1   %8.2f s   %8.1f pages/s   %7.1f MB/s input (best round)\n",
                seconds, pages / seconds, inputBytes / 1e6 / seconds);
    std::printf("  engine per page %8.2f ms, run per page %8.2f ms (best rounds)\n",
                bestEngine.first * 1e3, bestRun.first * 1e3);
    std::printf("  run / engine, median of the rounds: wall clock %.3f, processor time %.3f "
                "(overhead %+.1f%%, target at most +20%%)\n",
                bench::median(wallRatios), bench::median(cpuRatios),
                (bench::median(cpuRatios) - 1) * 100);

    // Durable overwrites: the same pages replaced in place with backups, with and without the
    // flushes, each configuration three times in turn from freshly written sources in a folder
    // of their own (nothing is deleted before the end); the fastest round counts.
    const int overwritten = qMin(pages, 500);
    int sites = 0;
    const auto overwrite = [&](bool flushed, const QString& jobs) -> double {
        const QString site = dir.filePath(QStringLiteral("site%1").arg(sites++));
        QStringList sitePaths;
        for (int i = 0; i < overwritten; ++i)
            sitePaths << site + QStringLiteral("/page%1.htm").arg(i);
        QDir().mkpath(site);
        for (int i = 0; i < overwritten; ++i) {
            if (!QFile::copy(paths[i], sitePaths[i]))
                return -1;
        }
        ::sync(); // the sources' own write-back is no part of the run
        flushesSkipped = !flushed;
        QString text;
        QTextStream messages(&text);
        ::sync(); // what the run wrote is no part of this pass
        QElapsedTimer clock;
        clock.start();
        const int result = runBatch(QStringList{QStringLiteral("--overwrite"), QStringLiteral("-q"),
                                                QStringLiteral("-j"), jobs} +
                                        sitePaths,
                                    messages, messages);
        const double elapsed = clock.nsecsElapsed() / 1e9;
        flushesSkipped = false;
        if (result != 0 || !QFileInfo::exists(sitePaths.constLast() + QStringLiteral(".bak"))) {
            std::fprintf(stderr, "overwrite run failed (%d): %s\n", result, qPrintable(text));
            return -1;
        }
        return elapsed;
    };
    const QString allCores = QString::number(QThread::idealThreadCount());
    for (const QString& jobs : {QStringLiteral("1"), allCores}) {
        double flushed = -1;
        double unflushed = -1;
        for (int round = 0; round < 3; ++round) {
            const double a = overwrite(true, jobs);
            const double b = overwrite(false, jobs);
            if (a < 0 || b < 0)
                return 1;
            flushed = flushed < 0 ? a : qMin(flushed, a);
            unflushed = unflushed < 0 ? b : qMin(unflushed, b);
        }
        std::printf("overwrite with backup, %d pages, -j%s (best of 3):\n", overwritten,
                    qPrintable(jobs));
        std::printf("  flushed to disk  %8.2f s   %8.2f ms per page\n", flushed,
                    flushed / overwritten * 1e3);
        std::printf("  without flushes  %8.2f s   %8.2f ms per page\n", unflushed,
                    unflushed / overwritten * 1e3);
        std::printf("  flushed / without: ratio %.2f\n", flushed / unflushed);
    }

    // A whole site: 500 of the pages in ten folders with 2,000 other files beside them
    // (stylesheets, scripts, pictures of 1 KB to 200 KB). The pages' conversion with every core
    // (--pages-only) against the copy of the other files as the batch tool makes it.
    const QString whole = dir.filePath(QStringLiteral("whole"));
    qint64 otherBytes = 0;
    QSet<QString> wholePages;
    for (int i = 0; i < overwritten; ++i) {
        const QString folder = whole + QStringLiteral("/f%1").arg(i % 10);
        QDir().mkpath(folder + QStringLiteral("/img"));
        const QString page = folder + QStringLiteral("/page%1.htm").arg(i);
        if (!QFile::copy(paths[i], page))
            return 1;
        wholePages.insert(fileKey(page));
    }
    for (int i = 0; i < 2000; ++i) {
        QFile f(whole + QStringLiteral("/f%1/img/file%2.bin").arg(i % 10).arg(i));
        const qsizetype size = 1000 + (static_cast<qsizetype>(i) * 7919) % 199000;
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray(size, char('a' + i % 26))) != size)
            return 1;
        otherBytes += size;
    }
    ::sync();
    const auto timed = [&](const QStringList& flags, const QString& into) -> double {
        QString text;
        QTextStream messages(&text);
        ::sync(); // what was written before is no part of this pass
        QElapsedTimer clock;
        clock.start();
        const int result =
            runBatch(flags + QStringList{QStringLiteral("-q"), QStringLiteral("-o"), into, whole},
                     messages, messages);
        if (result != 0)
            std::fprintf(stderr, "site run failed (%d): %s\n", result, qPrintable(text));
        return result == 0 ? clock.nsecsElapsed() / 1e9 : -1;
    };
    const double convert =
        timed({QStringLiteral("--pages-only")}, dir.filePath(QStringLiteral("wholeA")));
    ::sync();
    QElapsedTimer copyClock;
    copyClock.start();
    NullHost quiet;
    const OtherFiles others =
        findOtherFiles(whole, dir.filePath(QStringLiteral("wholeB")), wholePages);
    const QList<FileError> failed = copyOtherFiles(others.files, quiet);
    const double copy = copyClock.nsecsElapsed() / 1e9;
    const double both = timed({}, dir.filePath(QStringLiteral("wholeC")));
    if (convert < 0 || both < 0 || !failed.isEmpty() || others.files.size() != 2000) {
        std::fprintf(stderr, "site copy failed: %lld files listed, %lld not copied\n",
                     static_cast<long long>(others.files.size()),
                     static_cast<long long>(failed.size()));
        return 1;
    }
    std::printf("site of %d pages and 2000 other files (%.1f MB), -j%s:\n", overwritten,
                otherBytes / 1e6, qPrintable(allCores));
    std::printf("  pages converted  %8.2f s\n  other files copied %6.2f s   ratio copy / "
                "conversion %.3f\n  both in one run  %8.2f s\n",
                convert, copy, copy / convert, both);
    bench::printLoad("after");
    return 0;
}
