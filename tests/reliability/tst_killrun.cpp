// The batch tool killed with SIGKILL at random moments of runs that overwrite a site with
// backups. After every kill each source is its original or its complete converted page (in
// list order), every backup that exists is complete, at most the new files of the killed page
// lie beside them, and the next run removes those and gives exactly the uninterrupted pages.

#include "batchfixture.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

using namespace veltrano;
using namespace veltrano::test;
using namespace Qt::StringLiterals;

class TestKillRun : public QObject {
    Q_OBJECT

    static constexpr int kPages = 50;
    QTemporaryDir dir_{QStringLiteral("/dev/shm/tst_killrun-XXXXXX")};
    QStringList pages_;
    QList<QByteArray> originals_, converted_;

    void restore() {
        for (int i = 0; i < kPages; ++i) {
            writeFile(pages_[i], originals_[i]);
            QFile::remove(pages_[i] + u".bak"_s);
        }
    }
    qint64 run() {
        QElapsedTimer clock;
        clock.start();
        const BatchResult r = runBatch({dir_.filePath(QStringLiteral("site.vtp"))});
        return r.crashed || r.exitCode != 0 ? -1 : qMax<qint64>(1, clock.nsecsElapsed() / 1000);
    }

private slots:
    void killedRuns() {
        QVERIFY(dir_.isValid());
        for (int i = 1; i <= kPages; ++i) {
            pages_.append(dir_.filePath(QStringLiteral("site/seite %1.htm").arg(i)));
            originals_.append(makePage(i, 1500 + 100 * i));
        }
        restore();
        writeProject(dir_.filePath(QStringLiteral("site.vtp")), jobOptions(QString()), pages_);
        qint64 runTime = run();
        QVERIFY(runTime > 0);
        for (const QString& page : pages_)
            converted_.append(readFile(page));
        const int kills = qEnvironmentVariableIntValue("VELTRANO_KILLS") > 0
                              ? qEnvironmentVariableIntValue("VELTRANO_KILLS")
                              : 200;
        QRandomGenerator random(20261205);
        int leftovers = 0;
        for (int k = 0; k < kills; ++k) {
            restore();
            QProcess tool;
            tool.start(batchProgram(), {dir_.filePath(QStringLiteral("site.vtp"))});
            QVERIFY(tool.waitForStarted());
            QThread::usleep(static_cast<unsigned long>(random.bounded(runTime + runTime / 10)));
            tool.kill();
            QVERIFY(tool.waitForFinished(60000));
            int done = 0;
            for (int i = 0; i < kPages; ++i) {
                const QByteArray now = readFile(pages_[i]);
                const bool backedUp = QFile::exists(pages_[i] + u".bak"_s);
                QVERIFY2(now == originals_[i] || (now == converted_[i] && done == i && backedUp),
                         qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(pages_[i])));
                QVERIFY(!backedUp || readFile(pages_[i] + u".bak"_s) == originals_[i]);
                done += now == converted_[i] ? 1 : 0;
            }
            // The new files of the page in progress: its backup's and its own.
            const int left =
                static_cast<int>(hiddenEntries(dir_.filePath(QStringLiteral("site"))).size());
            QVERIFY2(left <= 2, qPrintable(QString::number(left)));
            leftovers += left;
            // Restore the converted pages from their backups and run again.
            for (int i = 0; i < done; ++i)
                writeFile(pages_[i], readFile(pages_[i] + u".bak"_s));
            const qint64 again = run();
            QVERIFY(again > 0);
            runTime = qMin(runTime, again);
            QCOMPARE(hiddenEntries(dir_.filePath(QStringLiteral("site"))), QStringList());
            for (int i = 0; i < kPages; ++i)
                QVERIFY2(readFile(pages_[i]) == converted_[i], qPrintable(pages_[i]));
        }
        recordFigure(QStringLiteral("killrun"), QStringLiteral("kills"), QString::number(kills));
        recordFigure(QStringLiteral("killrun"), QStringLiteral("leftovers_after_kill"),
                     QString::number(leftovers));
        recordFigure(QStringLiteral("killrun"), QStringLiteral("run_us"), QString::number(runTime));
    }
};

QTEST_GUILESS_MAIN(TestKillRun)
#include "tst_killrun.moc"
