// Throughput of the conversion engine with the default options: one large page and many
// ordinary pages, each converted and written to a file, against a bare write of the same number
// of bytes, each repetition into a fresh folder, with the modern-pages mode off and on. Each case
// runs in a child process so its peak memory is its own; the parent compares the modes.

#include "host.h"
#include "io/pagesink.h"
#include "io/pagewrite.h"
#include "options/optionset.h"
#include "pagegen.h"
#include "passes/encodepage.h"
#include "passes/pageheader.h"
#include "passes/random.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace veltrano;

namespace {

qint64 peakMemoryKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// Writes bytes in 1 MiB pieces to a new file, as a plain copy program would.
double bareWrite(const QString& path, qint64 bytes) {
    std::vector<char> buffer(static_cast<size_t>(1 << 20), 'x');
    QElapsedTimer t;
    t.start();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    for (qint64 left = bytes; left > 0;) {
        const qint64 n = qMin<qint64>(left, static_cast<qint64>(buffer.size()));
        file.write(buffer.data(), n);
        left -= n;
    }
    file.close();
    return seconds(t);
}

// Empties the files of the last repetition, waits until the disk has taken what was already on
// its way, and gives a new folder for the next one, so every repetition starts with the same
// amount of pending writes and no repetition pays for the one before it. The emptied files stay:
// on a file system without a journal, a file made soon after others were deleted pays a scan
// past them, and a bench that only added files would fill the memory with its outputs.
QString settle(const QString& parent) {
    static int made = 0;
    if (made > 0)
        bench::emptyFiles(parent + QStringLiteral("/out%1").arg(made - 1));
    const QString folder = parent + QStringLiteral("/out%1").arg(made++);
    QDir().mkpath(folder);
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    return folder;
}

constexpr int kRepetitions = 5;

int runCase(const QString& name, bool streamed, bool modern, int repetitions) {
    QTemporaryDir dir(bench::workFolderPattern());
    bench::printNewFileCost(dir.path());
    const bool big = name == QLatin1String("large");
    const int pages = big ? 1 : 500;
    const qsizetype pageSize = big ? 20 * 1000 * 1000 : 100 * 1000;
    QStringList sources;
    qint64 inputBytes = 0;
    for (int i = 0; i < pages; ++i) {
        const QByteArray page = bench::generatePage(pageSize, static_cast<unsigned>(i + 1));
        const QString path = dir.filePath(QStringLiteral("seite%1.htm").arg(i));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(page) != page.size())
            return 1;
        inputBytes += page.size();
        sources << path;
    }

    OptionSet options(dir.path());
    options.setModern(modern);
    NullHost host;
    Random random;
    PageEncoder encoder(random, host);
    ByteBuffer buffer;
    // All pages converted and written once, from reading the page files to putting the last
    // output in place; the number of bytes written, or -1.
    const auto convertAll = [&](const QString& outFolder) -> qint64 {
        qint64 outputBytes = 0;
        for (const QString& source : sources) {
            const QByteArray header = BuildPageHeader(options);
            NewFile out;
            const QString output = outFolder + QLatin1Char('/') + QFileInfo(source).fileName();
            if (out.create(output))
                return -1;
            PageSink sink(buffer, streamed ? out.fd() : -1);
            if (!encoder.readPage(source, options))
                return -1;
            encoder.encodeReadPage(header, options, sink);
            AppendEndLines(sink, options);
            sink.append(QByteArrayView("\r\n"));
            if (!streamed && out.write(buffer.view()))
                return -1;
            if (sink.finish() || out.close() || out.putInPlace())
                return -1;
            outputBytes += QFileInfo(output).size();
        }
        return outputBytes;
    };

    // A first round warms the caches and the buffers; then the conversion and the bare write of
    // the same number of bytes take turns, each from a settled disk, and the best of each
    // counts: on a shared machine the best time is the one least disturbed.
    const qint64 outputBytes = convertAll(settle(dir.path()));
    if (outputBytes < 0)
        return 2;
    double convert = 1e9;
    double bare = 1e9;
    std::vector<double> ratios; // each round's conversion against its own bare writes
    for (int r = 0; r < repetitions; ++r) {
        const QString outFolder = settle(dir.path());
        random.setState(Random::kStart);
        QElapsedTimer t;
        t.start();
        if (convertAll(outFolder) != outputBytes)
            return 3;
        const double round = seconds(t);
        convert = qMin(convert, round);
        // The bare write is short and varies most: three of them per conversion.
        double roundBare = 1e9;
        for (int b = 0; b < 3; ++b) {
            roundBare = qMin(roundBare,
                             bareWrite(settle(dir.path()) + QStringLiteral("/bare"), outputBytes));
        }
        bare = qMin(bare, roundBare);
        ratios.push_back(round / roundBare);
    }
    const qint64 peak = peakMemoryKiB();

    const double mb = 1e6;
    std::printf(
        "%-6s %-8s %-6s pages %4d  input %6.1f MB %6.1f MB/s  output %6.1f MB %6.1f MB/s  "
        "peak %6.1f MB  bare write %6.3f s  convert+write %6.3f s  ratio %5.2f  median of rounds "
        "%5.2f\n",
        qPrintable(name), streamed ? "streamed" : "memory", modern ? "modern" : "plain", pages,
        inputBytes / mb, inputBytes / mb / convert, outputBytes / mb, outputBytes / mb / convert,
        peak / 1024.0, bare, convert, convert / bare, bench::median(ratios));
    // For the parent, which compares the modes.
    std::printf("= %.6f %.6f %lld\n", convert, bare, static_cast<long long>(outputBytes));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    // One case in this process: NAME streamed|memory plain|modern [REPETITIONS].
    if (args.size() == 4 || args.size() == 5)
        return runCase(args[1], args[2] == QLatin1String("streamed"),
                       args[3] == QLatin1String("modern"),
                       args.size() == 5 ? args[4].toInt() : kRepetitions);

    bench::printLoad("before");
    std::printf("Engine throughput, default options (all protections on); best of %d "
                "repetitions after a warm-up, each against a bare write of the same bytes\n",
                kRepetitions);
    std::fflush(stdout);
    QStringList summary;
    for (const char* name : {"large", "many"}) {
        for (const char* mode : {"streamed", "memory"}) {
            // The same pages with the modern-pages mode: decoded, converted per character and
            // written as UTF-8.
            double convert[2] = {0, 0};
            double bare[2] = {0, 0};
            double bytes[2] = {0, 0};
            for (int modern = 0; modern < 2; ++modern) {
                const char* pages = modern ? "modern" : "plain";
                QProcess child;
                child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
                child.start(app.applicationFilePath(),
                            {QString::fromLatin1(name), QString::fromLatin1(mode),
                             QString::fromLatin1(pages)});
                child.waitForFinished(-1);
                for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
                    if (line.startsWith("= ")) {
                        const QList<QByteArray> figures = line.mid(2).split(' ');
                        convert[modern] = figures.value(0).toDouble();
                        bare[modern] = figures.value(1).toDouble();
                        bytes[modern] = figures.value(2).toDouble();
                    } else if (!line.isEmpty()) {
                        std::printf("%s\n", line.constData());
                    }
                }
                std::fflush(stdout);
                if (child.exitCode() != 0)
                    std::printf("%s %s %s failed with %d\n", name, mode, pages, child.exitCode());
            }
            // Both modes against a bare write of their own bytes at the best bare write rate
            // either child saw, so one unlucky bare write does not decide the comparison.
            if (convert[0] > 0 && convert[1] > 0) {
                const double rate = qMax(bytes[0] / bare[0], bytes[1] / bare[1]);
                const double plain = convert[0] / (bytes[0] / rate);
                const double modern = convert[1] / (bytes[1] / rate);
                summary << QString::asprintf(
                    "%-6s %-8s ratio plain %5.2f  modern %5.2f  modern / plain %.2f  (time %.2f)",
                    name, mode, plain, modern, modern / plain, convert[1] / convert[0]);
            }
        }
    }
    std::printf("\nEach mode against a bare write of its bytes at the better rate of both\n");
    for (const QString& line : summary)
        std::printf("%s\n", qPrintable(line));
    bench::printLoad("after");
    return 0;
}
