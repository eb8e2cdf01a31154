// How the window stays usable during a run: the wizard (offscreen) converts a 20 MB page
// while a timer probes the event loop every 5 ms. Prints the longest gap between two probes,
// the run's throughput beside the batch conversion of the same page, and the time from process
// start to the window shown.
#include "encoding/random.h"
#include "filelist/filelist.h"
#include "host.h"
#include "mainwindow.h"
#include "options/optionset.h"
#include "project/projectfile.h"
#include "run/encryptionrun.h"
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
#include <QTimer>

#include <cstdio>
#include <unistd.h>

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

QByteArray makePage(qint64 bytes) {
    QByteArray page = "<html>\r\n<head>\r\n<title>Produktkatalog</title>\r\n"
                      "<meta name=\"description\" content=\"Ein langer Katalog\">\r\n</head>\r\n"
                      "<body>\r\n";
    const QByteArray row =
        "<tr><td class=\"name\">Artikel &Auml;rmel-Hemd</td><td>Gr&ouml;&szlig;e L</td>"
        "<td align=\"right\">19,99 EUR</td><td><a href=\"warenkorb.html?id=4711\">kaufen</a>"
        "</td></tr>\r\n<p>Beschreibung: ein schlichtes Hemd aus Baumwolle, waschbar bei 40 Grad."
        "</p>\r\n";
    page.reserve(bytes + row.size());
    while (page.size() < bytes - 20)
        page.append(row);
    page.append("</body>\r\n</html>\r\n");
    return page;
}

class QuietHost final : public Host {};

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    ui::MainWindow window(nullptr); // the advert panels stay off the network
    window.host().setModalBoxes(false);
    window.actions().exitProgram = [] {};
    window.show();
    QCoreApplication::processEvents();
    const double startUp = secondsSinceProcessStart();

    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("katalog.htm"));
    const QString out = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    {
        QFile file(page);
        if (!file.open(QIODevice::WriteOnly) || file.write(makePage(20 << 20)) < 0) {
            std::fprintf(stderr, "cannot write the test page\n");
            return 1;
        }
    }
    const double megabytes = static_cast<double>(QFileInfo(page).size()) / (1 << 20);

    // The same conversion without a window, as the batch tool runs it.
    double batchSeconds = 0;
    {
        OptionSet options(programFolder());
        options.setText(TextField::txtPath, out);
        FileList list;
        list.Append(page);
        QuietHost host;
        Random random;
        QElapsedTimer timer;
        timer.start();
        EncryptionRun(options, list, host, random).RunEncryption();
        batchSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    }
    // And through the batch tool itself, when it is built beside this program.
    double toolSeconds = -1;
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/veltrano-batch");
    if (QFileInfo(tool).isExecutable()) {
        OptionSet options(programFolder());
        options.setText(TextField::txtPath, out);
        FileList list;
        list.Append(page);
        const QString project = dir.filePath(QStringLiteral("bench.vtp"));
        if (WriteProject(project, options, list).isEmpty()) {
            QProcess process;
            QElapsedTimer timer;
            timer.start();
            process.start(tool, {project});
            process.waitForFinished(-1);
            toolSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        }
    }

    // The window's run, with a probe of the event loop every 5 ms.
    window.options().setText(TextField::txtPath, out);
    window.list().Append(page);
    QElapsedTimer sinceProbe;
    qint64 longestGap = 0;
    int probes = 0;
    QTimer probe;
    probe.setInterval(5);
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 gap = sinceProbe.restart();
        longestGap = std::max(longestGap, gap);
        ++probes;
        if (qEnvironmentVariableIsSet("VELTRANO_BENCH_TRACE") && gap > 50)
            std::fprintf(stderr, "gap %lld ms before page position %d of %d\n",
                         static_cast<long long>(gap),
                         window.runPage->statusFrame->pageBar()->value(),
                         window.runPage->statusFrame->pageBar()->maximum());
    });
    probe.start();
    sinceProbe.start();
    QElapsedTimer runTimer;
    runTimer.start();
    window.startRun();
    const double windowSeconds = static_cast<double>(runTimer.nsecsElapsed()) / 1e9;
    // The stretch after the last probe holds the write of the converted page, which the run
    // does in one step without yielding, so that ending the program never leaves half a page.
    const qint64 finalStretch = sinceProbe.elapsed();
    probe.stop();

    const bool completed =
        !window.host().messages().isEmpty() &&
        window.host().messages().constLast().title == QStringLiteral("Abschluss");
    std::printf("responsiveness: page %.1f MB, run %s\n", megabytes,
                completed ? "completed" : "did not complete");
    std::printf("  start-up to window shown:   %7.3f s   (target < 0.5 s)\n", startUp);
    std::printf("  longest event-loop gap:     %7.1f ms  (target <= 50 ms; %d probes)\n",
                static_cast<double>(std::max(longestGap, finalStretch)), probes);
    std::printf("    while converting:         %7.1f ms\n", static_cast<double>(longestGap));
    std::printf(
        "    last probe to run's end:  %7.1f ms  (writing the %.0f MB result in one step)\n",
        static_cast<double>(finalStretch),
        static_cast<double>(QFileInfo(QDir(out).filePath(QStringLiteral("katalog.htm"))).size()) /
            (1 << 20));
    std::printf("  window run:                 %7.3f s   %7.1f MB/s\n", windowSeconds,
                megabytes / windowSeconds);
    std::printf("  batch conversion (engine):  %7.3f s   %7.1f MB/s\n", batchSeconds,
                megabytes / batchSeconds);
    if (toolSeconds > 0)
        std::printf("  veltrano-batch process:     %7.3f s   %7.1f MB/s\n", toolSeconds,
                    megabytes / toolSeconds);
    std::printf("  window / batch throughput:  %7.1f %%   (target >= 80 %%)\n",
                100.0 * batchSeconds / windowSeconds);
    return completed ? 0 : 1;
}
