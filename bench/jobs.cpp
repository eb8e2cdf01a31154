// veltrano-batch with one job against two, in paired rounds, on two sites: a generated one
// (PAGES pages of about PAGE_BYTES) and the real pages of the browser corpus copied COPIES times
// into sub-folders (--pages-only). Every run writes into a fresh folder after the disk has taken
// what the runs before it wrote; a round's files are emptied once compared, and deleted only
// with the bench's folder at its end. Prints pages/s, input MB/s, peak memory (the child's
// maximum resident set), the median of the rounds' own ratios and the load before and after;
// the outputs of both runs of each round are compared byte for byte. Each round also writes the
// files of its -j 2 output bare, by two threads, into a fresh folder: the file system's own limit
// for that many files of those sizes, which no conversion can beat.
// Usage: bench_jobs [PAGES [PAGE_BYTES [ROUNDS [COPIES]]]]   (defaults 500, 100000, 3 and 200)

#include "pagegen.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

struct TreeFile {
    QByteArray relative; // below the tree's folder, starting with "/"
    qint64 size = 0;
};

std::vector<TreeFile> listTree(const QString& tree) {
    std::vector<TreeFile> files;
    QDirIterator it(tree, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.push_back({QFile::encodeName(path.mid(tree.size())), it.fileInfo().size()});
    }
    return files;
}

// Makes the files below into, the folders first, with one write each of plain bytes, the way a
// copy program does, taking turns over two threads; the wall time in seconds.
double writeTreeBare(const std::vector<TreeFile>& files, const QString& into) {
    qint64 largest = 0;
    for (const TreeFile& f : files)
        largest = std::max(largest, f.size);
    const std::vector<char> bytes(static_cast<size_t>(largest), 'x');
    const QByteArray root = QFile::encodeName(into);
    QElapsedTimer clock;
    clock.start();
    QByteArray made; // the folder made last: the files of a folder come together
    for (const TreeFile& f : files) {
        const QByteArray folder = root + f.relative.left(f.relative.lastIndexOf('/'));
        if (folder != made)
            QDir().mkpath(QFile::decodeName(folder));
        made = folder;
    }
    const auto part = [&](size_t first) {
        for (size_t i = first; i < files.size(); i += 2) {
            const int fd = ::open((root + files[i].relative).constData(),
                                  O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                continue;
            if (::write(fd, bytes.data(), static_cast<size_t>(files[i].size)) < 0)
                std::perror("write");
            ::close(fd);
        }
    };
    std::thread other(part, 1);
    part(0);
    other.join();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

struct Site {
    const char* name;
    QString path;
    int pages = 0;
    qint64 inputBytes = 0;
    QStringList flags;
    qint64 siteBytes = 0; // with the files beside the pages
};

// The generated site: pages of about pageBytes in 21 folders.
bool generateSite(Site& site, int pages, qsizetype pageBytes) {
    for (int i = 0; i < pages; ++i) {
        const QString folder = site.path + QStringLiteral("/%1/%2").arg(i % 7).arg(i % 3);
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/page%1.html").arg(i));
        const QByteArray page =
            veltrano::bench::generatePage(pageBytes, static_cast<unsigned>(i + 1));
        if (!f.open(QIODevice::WriteOnly) || f.write(page) != page.size())
            return false;
        site.inputBytes += page.size();
    }
    site.pages = pages;
    return true;
}

// The corpus copied `copies` times, twenty copies to a folder; its pages are counted.
bool copyCorpus(Site& site, const QString& corpus, int copies) {
    for (int c = 0; c < copies; ++c) {
        const QString into = site.path + QStringLiteral("/c%1/s%2").arg(c / 20).arg(c);
        QDirIterator it(corpus, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = into + from.mid(corpus.size());
            QDir().mkpath(QFileInfo(to).path());
            if (!QFile::copy(from, to))
                return false;
            site.siteBytes += QFileInfo(to).size();
            if (to.endsWith(QLatin1String(".htm")) || to.endsWith(QLatin1String(".html"))) {
                ++site.pages;
                site.inputBytes += QFileInfo(to).size();
            }
        }
    }
    return site.pages > 0;
}

// Paired rounds of -j 1 and -j 2 over the site, taking turns at going first; false when a run
// failed or the outputs differ.
bool compareJobs(const QString& tool, const Site& site, const QString& work, int rounds) {
    std::printf("%s: %d pages, %.1f MB input", site.name, site.pages, site.inputBytes / 1e6);
    if (site.siteBytes > 0)
        std::printf(" (%.1f MB with the files beside them)", site.siteBytes / 1e6);
    std::printf("\n");
    Figures best[2];
    bool same = true;
    std::vector<double> ratios;   // each round's -j 1 time over its -j 2 time
    std::vector<double> rates;    // each round's input MB/s with -j 2
    std::vector<double> overBare; // each round's -j 2 time over its bare write of the same files
    double bestBare = 0;
    for (int round = 0; round < rounds; ++round) {
        double roundSeconds[2] = {0, 0};
        QString out[2];
        for (int turn = 0; turn < 2; ++turn) {
            const int jobs = 1 + (turn + round) % 2;
            out[jobs - 1] = work + QStringLiteral("/%1-%2-j%3")
                                       .arg(QString::fromLatin1(site.name))
                                       .arg(round)
                                       .arg(jobs);
            ::sync(); // what the runs before wrote is no part of this one
            const Figures f =
                runTool(tool, site.flags + QStringList{QStringLiteral("-q"), QStringLiteral("-j"),
                                                       QString::number(jobs), QStringLiteral("-o"),
                                                       out[jobs - 1], site.path});
            if (f.exitCode != 0) {
                std::printf("veltrano-batch -j %d ended with %d\n", jobs, f.exitCode);
                return false;
            }
            std::printf("round %d  -j %d: %6.3f s  %8.1f pages/s  %6.1f MB/s  peak %ld MiB\n",
                        round + 1, jobs, f.seconds, site.pages / f.seconds,
                        site.inputBytes / 1e6 / f.seconds, f.peakKiB / 1024);
            roundSeconds[jobs - 1] = f.seconds;
            // The fastest time, and the highest peak of all rounds.
            Figures& b = best[jobs - 1];
            const long peak = qMax(b.peakKiB, f.peakKiB);
            if (b.seconds == 0 || f.seconds < b.seconds)
                b = f;
            b.peakKiB = peak;
        }
        ratios.push_back(roundSeconds[0] / roundSeconds[1]);
        rates.push_back(site.inputBytes / 1e6 / roundSeconds[1]);
        same = same && sameTrees(out[0], out[1]);
        const QString bareFolder =
            work + QStringLiteral("/%1-%2-bare").arg(QString::fromLatin1(site.name)).arg(round);
        ::sync();
        const double bare = writeTreeBare(listTree(out[1]), bareFolder);
        std::printf("round %d  bare:  %6.3f s  the same files written bare by two threads\n",
                    round + 1, bare);
        overBare.push_back(roundSeconds[1] / bare);
        for (const QString& tree : {out[0], out[1], bareFolder})
            veltrano::bench::emptyFiles(tree);
        bestBare = bestBare == 0 ? bare : std::min(bestBare, bare);
    }
    std::printf("best  -j 1: %.1f pages/s, peak %ld MiB\n", site.pages / best[0].seconds,
                best[0].peakKiB / 1024);
    std::printf("best  -j 2: %.1f pages/s, peak %ld MiB, input %.1f MB/s\n",
                site.pages / best[1].seconds, best[1].peakKiB / 1024,
                site.inputBytes / 1e6 / best[1].seconds);
    std::printf("-j 2: input %.1f MB/s, median of the rounds\n", veltrano::bench::median(rates));
    std::printf("ratio -j 2 / -j 1: %.2f best, %.2f median of paired rounds (target 1.70)\n",
                best[0].seconds / best[1].seconds, veltrano::bench::median(ratios));
    std::printf("bare write of the -j 2 output's files: best %.3f s, so input at most %.1f MB/s; "
                "-j 2 / bare %.2f, median of the rounds\n",
                bestBare, site.inputBytes / 1e6 / bestBare, veltrano::bench::median(overBare));
    std::printf("outputs of -j 1 and -j 2 identical: %s\n\n", same ? "yes" : "NO");
    return same;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pages = args.size() > 1 ? args[1].toInt() : 500;
    const qsizetype pageBytes = args.size() > 2 ? args[2].toLongLong() : 100000;
    const int rounds = args.size() > 3 ? args[3].toInt() : 3;
    const int copies = args.size() > 4 ? args[4].toInt() : 200;
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/veltrano-batch");

    QTemporaryDir dir(veltrano::bench::workFolderPattern());
    Site generated{"generated", dir.filePath(QStringLiteral("site")), 0, 0, {}};
    Site corpus{
        "corpus", dir.filePath(QStringLiteral("corpus")), 0, 0, {QStringLiteral("--pages-only")}};
    if (!generateSite(generated, pages, pageBytes) ||
        !copyCorpus(corpus, QStringLiteral(VELTRANO_CORPUS), copies)) {
        std::printf("the sites could not be written\n");
        return 1;
    }
    const QString work = dir.filePath(QStringLiteral("out"));
    veltrano::bench::printLoad("before");
    veltrano::bench::printNewFileCost(dir.path());
    bool same = compareJobs(tool, generated, work, rounds);
    same = compareJobs(tool, corpus, work, rounds) && same;
    veltrano::bench::printLoad("after");
    return same ? 0 : 1;
}
