// The three-pass folder scan over a generated tree, beside one `find` over the same tree.
// Usage: bench_scan [FOLDERS [FILES_PER_FOLDER]]   (defaults 2000 and 25: 50,000 files)

#include "filelist/filelist.h"
#include "filelist/folderscan.h"
#include "host.h"

#include "pagegen.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace veltrano;

namespace {

double timeFind(const QString& root) {
    QElapsedTimer timer;
    timer.start();
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.start(QStringLiteral("find"), {root});
    if (!find.waitForFinished(-1) || find.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int folders = args.size() > 1 ? args[1].toInt() : 2000;
    const int perFolder = args.size() > 2 ? args[2].toInt() : 25;

    veltrano::bench::printLoad("before");
    QTemporaryDir dir(bench::workFolderPattern());
    const QString root = dir.filePath(QStringLiteral("site"));
    static const char* kinds[] = {".htm", ".html", ".shtml", ".css", ".png"};
    // Two levels: 40 folders of up to 50 folders each.
    int files = 0;
    for (int f = 0; f < folders; ++f) {
        const QString folder = root + QStringLiteral("/part%1/sub%2").arg(f / 50).arg(f % 50);
        QDir().mkpath(folder);
        for (int i = 0; i < perFolder; ++i) {
            QFile file(folder + QStringLiteral("/file%1").arg(i) + QLatin1String(kinds[i % 5]));
            if (!file.open(QIODevice::WriteOnly))
                return 1;
            ++files;
        }
    }

    timeFind(root); // the same warm caches for both
    const double find = timeFind(root);

    FileList list;
    NullHost host;
    QElapsedTimer timer;
    timer.start();
    QStringList found;
    for (const QString& pattern : kScanPatterns)
        found += FindFiles(root, pattern, host);
    const double walks = timer.nsecsElapsed() / 1e9;
    timer.restart();
    {
        FileList appended;
        appended.appendAll(found);
    }
    const double appends = timer.nsecsElapsed() / 1e9;
    timer.restart();
    scanFolder([&] { return root; }, list, host);
    const double scan = timer.nsecsElapsed() / 1e9;

    std::printf("bench_scan: %d files in %d folders, %d pages found\n", files, folders,
                list.count());
    std::printf("  three-pass scan %8.3f s (list appends included)\n", scan);
    std::printf("  three walks     %8.3f s (without appending to the list)\n", walks);
    std::printf("  appends         %8.3f s (measuring every page's size)\n", appends);
    std::printf("  one find        %8.3f s\n", find);
    std::printf("  ratio           %8.2f (target at most 4)\n", scan / find);
    veltrano::bench::printLoad("after");
    return 0;
}
