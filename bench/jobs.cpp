// veltrano-batch with one job against two on a generated site, in the same run: pages per
// second, their ratio, peak memory of each (the child's maximum resident set) and the input
// MB/s with two jobs. The outputs of both are compared byte for byte.
// Usage: bench_jobs [PAGES [PAGE_BYTES [ROUNDS]]]   (defaults 500, 100000 and 2)

#include "pagegen.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Figures {
    double seconds = 0;
    long peakKiB = 0;
    int exitCode = -1;
};

// Runs the batch tool as a child and returns its wall time and maximum resident set.
Figures runTool(const QString& tool, const QStringList& args) {
    QList<QByteArray> bytes{QFile::encodeName(tool)};
    for (const QString& a : args)
        bytes << QFile::encodeName(a);
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    Figures f;
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return f;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    f.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    f.peakKiB = usage.ru_maxrss;
    f.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return f;
}

bool sameTrees(const QString& a, const QString& b) {
    QDirIterator it(a, QDir::Files, QDirIterator::Subdirectories);
    int n = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        QFile x(path);
        QFile y(b + path.mid(a.size()));
        if (!x.open(QIODevice::ReadOnly) || !y.open(QIODevice::ReadOnly) ||
            x.readAll() != y.readAll())
            return false;
        ++n;
    }
    return n > 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pages = args.size() > 1 ? args[1].toInt() : 500;
    const qsizetype pageBytes = args.size() > 2 ? args[2].toLongLong() : 100000;
    const int rounds = args.size() > 3 ? args[3].toInt() : 2;
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/veltrano-batch");

    QTemporaryDir dir;
    const QString site = dir.filePath(QStringLiteral("site"));
    qint64 inputBytes = 0;
    for (int i = 0; i < pages; ++i) {
        const QString folder = site + QStringLiteral("/%1/%2").arg(i % 7).arg(i % 3);
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/page%1.html").arg(i));
        const QByteArray page =
            veltrano::bench::generatePage(pageBytes, static_cast<unsigned>(i + 1));
        if (!f.open(QIODevice::WriteOnly) || f.write(page) != page.size())
            return 1;
        inputBytes += page.size();
    }
    veltrano::bench::printLoad("before");
    std::printf("%d pages, %.1f MB input\n", pages, inputBytes / 1e6);

    Figures best[2];
    bool same = true;
    std::vector<double> ratios; // each round's -j 1 time over its -j 2 time
    for (int round = 0; round < rounds; ++round) {
        double roundSeconds[2] = {0, 0};
        for (int jobs = 1; jobs <= 2; ++jobs) {
            const QString out = dir.filePath(QStringLiteral("out%1").arg(jobs));
            QDir(out).removeRecursively();
            const Figures f =
                runTool(tool, {QStringLiteral("-q"), QStringLiteral("-j"), QString::number(jobs),
                               QStringLiteral("-o"), out, site});
            if (f.exitCode != 0) {
                std::printf("veltrano-batch -j %d ended with %d\n", jobs, f.exitCode);
                return 1;
            }
            std::printf("round %d  -j %d: %6.2f s  %7.1f pages/s  peak %ld MiB\n", round + 1, jobs,
                        f.seconds, pages / f.seconds, f.peakKiB / 1024);
            roundSeconds[jobs - 1] = f.seconds;
            // The fastest time, and the highest peak of all rounds.
            Figures& b = best[jobs - 1];
            const long peak = qMax(b.peakKiB, f.peakKiB);
            if (b.seconds == 0 || f.seconds < b.seconds)
                b = f;
            b.peakKiB = peak;
        }
        ratios.push_back(roundSeconds[0] / roundSeconds[1]);
        same = same && sameTrees(dir.filePath(QStringLiteral("out1")),
                                 dir.filePath(QStringLiteral("out2")));
    }
    std::printf("best  -j 1: %.1f pages/s, peak %ld MiB\n", pages / best[0].seconds,
                best[0].peakKiB / 1024);
    std::printf("best  -j 2: %.1f pages/s, peak %ld MiB, input %.1f MB/s\n",
                pages / best[1].seconds, best[1].peakKiB / 1024,
                inputBytes / 1e6 / best[1].seconds);
    std::printf("ratio -j 2 / -j 1: %.2f best, %.2f median of paired rounds (target 1.70)\n",
                best[0].seconds / best[1].seconds, veltrano::bench::median(ratios));
    std::printf("outputs of -j 1 and -j 2 identical: %s\n", same ? "yes" : "NO");
    veltrano::bench::printLoad("after");
    return same ? 0 : 1;
}
