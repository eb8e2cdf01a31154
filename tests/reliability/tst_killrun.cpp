// The batch tool killed with SIGKILL at random moments of runs that overwrite a site with
// backups. After every kill each source is its original bytes or its complete converted page,
// every backup that exists is complete, and restoring the converted sources from their backups
// and running again gives exactly the pages of an uninterrupted run.

#include "batchfixture.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <limits>

using namespace veltrano;
using namespace veltrano::test;

namespace {

const QString kTest = QStringLiteral("killrun");
constexpr int kPages = 50;

// 200 kills; fewer in the sanitizer build, where every run takes several times as long and
// the point is the memory checks.
int killCount() {
    const int n = qEnvironmentVariableIntValue("VELTRANO_KILLS");
#ifdef VELTRANO_SANITIZED
    return n > 0 ? n : 50;
#else
    return n > 0 ? n : 200;
#endif
}

} // namespace

class TestKillRun : public QObject {
    Q_OBJECT

private:
    // The site lies in memory when it can, so the many restores cost little.
    QTemporaryDir dir_{QDir(QStringLiteral("/dev/shm")).exists()
                           ? QStringLiteral("/dev/shm/tst_killrun-XXXXXX")
                           : QDir::tempPath() + QStringLiteral("/tst_killrun-XXXXXX")};
    QString site_;
    QString project_;
    QStringList pages_;
    QList<QByteArray> originals_;
    QList<QByteArray> converted_; // the pages of an uninterrupted run

    void restoreOriginals() {
        for (int i = 0; i < kPages; ++i) {
            writeFile(pages_[i], originals_[i]);
            QFile::remove(pages_[i] + QStringLiteral(".bak"));
        }
    }

    // Runs the tool to its end; returns how long that took.
    qint64 fullRun() {
        QElapsedTimer clock;
        clock.start();
        const BatchResult r = runBatch(project_);
        const qint64 elapsed = clock.nsecsElapsed() / 1000;
        if (r.crashed || r.exitCode != 0)
            qWarning("uninterrupted run: %s", qPrintable(r.messagesText()));
        return (r.crashed || r.exitCode != 0) ? -1 : elapsed;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        clearFigures(kTest);
        site_ = dir_.filePath(QStringLiteral("website"));
        for (int i = 1; i <= kPages; ++i) {
            const QString path = QDir(site_).filePath(QStringLiteral("seite %1.htm").arg(i));
            originals_.append(makePage(i, 1500 + 100 * i));
            pages_.append(path);
        }
        project_ = dir_.filePath(QStringLiteral("website.vtp"));
        restoreOriginals();
        writeProject(project_, jobOptions(QString()), pages_);

        // The pages of an uninterrupted run, and its backups.
        QVERIFY(fullRun() >= 0);
        for (int i = 0; i < kPages; ++i) {
            QCOMPARE(readFile(pages_[i] + QStringLiteral(".bak")), originals_[i]);
            converted_.append(readFile(pages_[i]));
            QVERIFY(converted_[i] != originals_[i]);
        }
        QCOMPARE(hiddenEntries(site_), QStringList());
        restoreOriginals();
    }

    void killedRuns() {
        // Kill moments spread over an uninterrupted run: one in five anywhere, its start-up
        // included, the others after the start-up, while pages are converted. The quickest run
        // seen so far is the estimate, so a slow moment of the machine does not push the kills
        // past the end of the work.
        restoreOriginals();
        qint64 runTime = std::numeric_limits<qint64>::max();
        qint64 startTime = std::numeric_limits<qint64>::max();
        for (int i = 0; i < 3; ++i) {
            const qint64 t = fullRun();
            QVERIFY(t > 0);
            runTime = qMin(runTime, t);
            restoreOriginals();
            QElapsedTimer clock;
            clock.start();
            QProcess help;
            help.start(batchProgram(), {QStringLiteral("--help")});
            QVERIFY(help.waitForFinished(60000));
            startTime = qMin(startTime, clock.nsecsElapsed() / 1000);
        }
        startTime = qMin(startTime, runTime / 2);
        const quint32 seed = 20261205;
        QRandomGenerator random(seed);

        const int kills = killCount();
        QMap<QString, int> points;
        int strays = 0;
        for (int k = 0; k < kills; ++k) {
            const qint64 end = runTime + runTime / 10;
            const qint64 delay =
                random.bounded(5) == 0 ? random.bounded(end) : random.bounded(startTime, end);
            QProcess process;
            // One job: the pages are converted in list order.
            process.start(batchProgram(), {QStringLiteral("-j"), QStringLiteral("1"), project_});
            QVERIFY(process.waitForStarted());
            QThread::usleep(static_cast<unsigned long>(delay));
            const bool wasRunning = process.state() == QProcess::Running;
            process.kill();
            QVERIFY(process.waitForFinished(60000));

            // Every source is its original or its complete converted page, converted ones in
            // list order, and every converted one has its complete backup.
            int done = 0;
            bool backupOnly = false;
            for (int i = 0; i < kPages; ++i) {
                const QByteArray now = readFile(pages_[i]);
                const QString bak = pages_[i] + QStringLiteral(".bak");
                const bool isConverted = now == converted_[i];
                const bool backedUp = QFile::exists(bak);
                QString fault;
                if (!isConverted && now != originals_[i])
                    fault = QStringLiteral("is neither original nor converted");
                else if (backedUp && readFile(bak) != originals_[i])
                    fault = QStringLiteral("has an incomplete backup");
                else if (isConverted && !backedUp)
                    fault = QStringLiteral("is converted without backup");
                else if (isConverted && done != i)
                    fault = QStringLiteral("is converted before an earlier page");
                QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("kill %1 (after %2 us): %3 %4")
                                                         .arg(k)
                                                         .arg(delay)
                                                         .arg(pages_[i], fault)));
                backupOnly = backupOnly || (backedUp && !isConverted);
                done += isConverted ? 1 : 0;
            }
            const QStringList stray = hiddenEntries(site_);
            strays += stray.size();
            QString point;
            if (!wasRunning)
                point = QStringLiteral("nach dem Ende des Laufs");
            else if (done == 0 && !backupOnly && stray.isEmpty())
                point = QStringLiteral("vor der ersten Seite");
            else if (!stray.isEmpty())
                point = QStringLiteral("während eine Datei geschrieben wurde");
            else if (backupOnly)
                point = QStringLiteral("zwischen Sicherung und Ersetzen");
            else if (done == kPages)
                point = QStringLiteral("nach der letzten Seite");
            else
                point = QStringLiteral("zwischen zwei Seiten");
            ++points[point];
            for (const QString& name : stray)
                QVERIFY(QFile::remove(QDir(site_).filePath(name)));

            // Restore what was converted from its backup, then run again.
            for (int i = 0; i < done; ++i) {
                const QString bak = pages_[i] + QStringLiteral(".bak");
                writeFile(pages_[i], readFile(bak));
                QCOMPARE(readFile(pages_[i]), originals_[i]);
            }
            const qint64 again = fullRun();
            QVERIFY(again >= 0);
            runTime = qMax(startTime + 1, qMin(runTime, again));
            for (int i = 0; i < kPages; ++i)
                QVERIFY2(readFile(pages_[i]) == converted_[i],
                         qPrintable(QStringLiteral("kill %1: the run after restoring gives "
                                                   "another page %2")
                                        .arg(k)
                                        .arg(pages_[i])));
            restoreOriginals();
        }

        recordFigure(kTest, QStringLiteral("kills"), QString::number(kills));
        recordFigure(kTest, QStringLiteral("pages"), QString::number(kPages));
        recordFigure(kTest, QStringLiteral("run_us"), QString::number(runTime));
        for (auto it = points.cbegin(); it != points.cend(); ++it)
            recordFigure(kTest, QStringLiteral("point"),
                         it.key() + QLatin1Char('\t') + QString::number(it.value()));
        recordFigure(kTest, QStringLiteral("leftover_temp_files"), QString::number(strays));
        recordFigure(kTest, QStringLiteral("lost"), QStringLiteral("0"));
    }
};

QTEST_GUILESS_MAIN(TestKillRun)
#include "tst_killrun.moc"
