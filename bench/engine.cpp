// Throughput of the conversion engine with the default options: one large page and many
// ordinary pages, each converted and written to a file, against a bare write of the same number
// of bytes into the same folder. Each case runs in a child process so its peak memory is its own.

#include "encoding/encodepage.h"
#include "encoding/pagesink.h"
#include "encoding/random.h"
#include "host.h"
#include "options/optionset.h"
#include "pagegen.h"
#include "run/pageheader.h"
#include "run/pagewrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
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

int runCase(const QString& name, bool streamed, bool modern) {
    QTemporaryDir dir;
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
    QDir().mkpath(dir.filePath(QStringLiteral("out")));

    OptionSet options(dir.path());
    options.setModern(modern);
    NullHost host;
    Random random;
    PageEncoder encoder(random, host);
    ByteBuffer buffer;
    qint64 outputBytes = 0;
    QElapsedTimer t;
    t.start();
    for (const QString& source : sources) {
        const QByteArray header = BuildPageHeader(options);
        NewFile out;
        if (!out.create(dir.filePath(QStringLiteral("out/")) + QFileInfo(source).fileName()))
            return 2;
        PageSink sink(buffer, streamed ? out.fd() : -1);
        if (!encoder.ReadPage(source, options).isEmpty())
            return 3;
        encoder.EncodeReadPage(header, options, sink);
        AppendEndLines(sink, options);
        sink.append(QByteArrayView("\r\n"));
        outputBytes += sink.bytesWritten();
        if (!streamed)
            out.write(buffer.view());
        if (!sink.finish() || !out.close() || !out.putInPlace())
            return 4;
    }
    const double convert = seconds(t);
    const qint64 peak = peakMemoryKiB();
    const double bare = bareWrite(dir.filePath(QStringLiteral("out/bare")), outputBytes);

    const double mb = 1e6;
    std::printf("%-6s %-8s %-6s pages %4d  input %7.1f MB %7.1f MB/s  output %8.1f MB %7.1f MB/s  "
                "peak %7.1f MB  bare write %6.3f s  convert+write %6.3f s  ratio %.2f\n",
                qPrintable(name), streamed ? "streamed" : "memory", modern ? "modern" : "plain",
                pages, inputBytes / mb, inputBytes / mb / convert, outputBytes / mb,
                outputBytes / mb / convert, peak / 1024.0, bare, convert, convert / bare);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4)
        return runCase(args[1], args[2] == QLatin1String("streamed"),
                       args[3] == QLatin1String("modern"));

    std::printf("Engine throughput, default options (all protections on)\n");
    std::fflush(stdout);
    for (const char* name : {"large", "many"}) {
        for (const char* mode : {"streamed", "memory"}) {
            // The same pages with the modern-pages mode: decoded, converted per character and
            // written as UTF-8.
            for (const char* pages : {"plain", "modern"}) {
                QProcess child;
                child.setProcessChannelMode(QProcess::ForwardedChannels);
                child.start(app.applicationFilePath(),
                            {QString::fromLatin1(name), QString::fromLatin1(mode),
                             QString::fromLatin1(pages)});
                child.waitForFinished(-1);
                if (child.exitCode() != 0)
                    std::printf("%s %s %s failed with %d\n", name, mode, pages, child.exitCode());
            }
        }
    }
    return 0;
}
