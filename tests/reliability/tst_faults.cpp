// Faults of the file system and of the sources, end to end through the batch tool: whatever
// fails, the user is told in German, the tool ends normally, and no source and no earlier output
// is changed or lost.

#include "batchfixture.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace veltrano;
using namespace veltrano::test;

namespace {

const QString kTest = QStringLiteral("faults");

QString writeErrorStart(const QString& txtPath) {
    return QStringLiteral("Fehler: Fehler (Ist das Ausgabeverzeichnis ") + txtPath +
           QStringLiteral(" vorhanden?): ");
}

// Stops a process and waits until it no longer runs.
void stopProcess(pid_t pid) {
    ::kill(pid, SIGSTOP);
    const QString stat = QStringLiteral("/proc/%1/stat").arg(pid);
    for (int i = 0; i < 100000; ++i) {
        const QByteArray text = readFile(stat);
        const qsizetype close = text.lastIndexOf(')');
        if (close < 0 || text.mid(close + 2, 1) == "T")
            return;
        QThread::usleep(50);
    }
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private:
    Workspace ws_;
    QString mountProblem_;
    int faults_ = 0;

    QString path(const QString& name) const { return ws_.path(name); }
    void counted(const QString& fault) {
        ++faults_;
        recordFigure(kTest, QStringLiteral("fault"), fault);
    }

private slots:
    void initTestCase() {
        QVERIFY(ws_.isValid());
        clearFigures(kTest);
        mountProblem_ = prepareMounts();
    }

    void cleanupTestCase() {
        recordFigure(kTest, QStringLiteral("faults"), QString::number(faults_));
    }

    // The output folder, or the sources overwritten with backups, on a small file system that
    // is full or read-only: every page gets its write error, no source, backup or output of an
    // earlier run is changed, and nothing half written is left.
    void fileSystem_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("full"); // else read-only
        QTest::addColumn<QString>("fault");
        QTest::newRow("voll, Ausgabeordner")
            << false << true << QStringLiteral("Ausgabeordner auf vollem Dateisystem");
        QTest::newRow("voll, Quellen überschreiben")
            << true << true
            << QStringLiteral("Quellen auf vollem Dateisystem, Überschreiben mit Sicherung");
        QTest::newRow("nur lesen, Ausgabeordner")
            << false << false << QStringLiteral("schreibgeschützter Ausgabeordner");
        QTest::newRow("nur lesen, Quellen überschreiben")
            << true << false << QStringLiteral("schreibgeschützte Quellen beim Überschreiben");
    }
    void fileSystem() {
        QFETCH(bool, overwrite);
        QFETCH(bool, full);
        QFETCH(QString, fault);
        VELTRANO_REQUIRE_MOUNTS(mountProblem_);
        const int count = full ? 3 : 2;
        const int bytes = full ? 20000 : 3000;
        const QString folder = ws_.fresh(QStringLiteral("dateisystem"));
        TmpfsMount mount;
        QString why;
        QVERIFY2(mount.mount(folder, full ? 256 * 1024 : 1024 * 1024, &why), qPrintable(why));
        const QString out = overwrite ? QString() : folder;
        const QStringList pages =
            writePages(overwrite ? folder : ws_.fresh(QStringLiteral("quellen")), count, bytes);
        const QString oldOutput = QDir(folder).filePath(QStringLiteral("seite1.htm"));
        const QByteArray old = "alte Ausgabe, die bleiben muss\r\n";
        if (!overwrite)
            writeFile(oldOutput, old);
        if (full)
            fillFileSystem(folder);
        else
            QVERIFY2(mount.remountReadOnly(&why), qPrintable(why));

        const BatchResult r = runBatch(ws_.project(QStringLiteral("p"), jobOptions(out), pages));
        VELTRANO_COMPARE_RUN(r, 1);
        QVERIFY2(r.hasMessage(writeErrorStart(out),
                              full ? QStringLiteral("(28)") : QStringLiteral("(30)")),
                 qPrintable(r.messagesText()));
        if (!(full && overwrite))
            QVERIFY(r.messages.contains(kDoneMessage));
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(readFile(pages[i]), makePage(i + 1, bytes));
            // A backup that exists is complete.
            if (QFile::exists(pages[i] + QStringLiteral(".bak")))
                QCOMPARE(readFile(pages[i] + QStringLiteral(".bak")), makePage(i + 1, bytes));
        }
        if (!overwrite)
            QCOMPARE(readFile(oldOutput), old);
        QCOMPARE(hiddenEntries(folder), QStringList());
        if (full && !overwrite)
            QCOMPARE(folderEntries(out),
                     QStringList({QStringLiteral("fuellung"), QStringLiteral("seite1.htm")}));
        counted(fault);
    }

    // The output path of a page is a folder: that page gets its error, the folder and what it
    // holds stay, the other pages are written.
    void outputPathIsFolder() {
        const QStringList pages = writePages(path(QStringLiteral("quellen-ordner")), 3, 2000);
        const QString out = path(QStringLiteral("ausgabe-ordner"));
        const QString blocker = QDir(out).filePath(QStringLiteral("seite2.htm"));
        writeFile(QDir(blocker).filePath(QStringLiteral("inhalt.txt")), "bleibt\r\n");
        const BatchResult r =
            runBatch(ws_.project(QStringLiteral("ordner"), jobOptions(out), pages));
        VELTRANO_COMPARE_RUN(r, 1);
        QVERIFY2(r.hasMessage(writeErrorStart(out)), qPrintable(r.messagesText()));
        QVERIFY(QFileInfo(blocker).isDir());
        QCOMPARE(readFile(QDir(blocker).filePath(QStringLiteral("inhalt.txt"))),
                 QByteArray("bleibt\r\n"));
        QVERIFY(QFileInfo(QDir(out).filePath(QStringLiteral("seite1.htm"))).isFile());
        QVERIFY(QFileInfo(QDir(out).filePath(QStringLiteral("seite3.htm"))).isFile());
        QCOMPARE(hiddenEntries(out), QStringList());
        counted(QStringLiteral("Ausgabepfad ist ein Ordner"));
    }

    // Sources that are not readable pages, on a run that overwrites with backups: a source that
    // vanished after the project listed it, a folder and a FIFO. The run ends with its message,
    // never hangs, and leaves them and the pages before them intact.
    void badSource_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        // A missing page stops the run; one that is there but cannot be read is reported and
        // passed over.
        QTest::newRow("verschwunden") << QStringLiteral("gone") << 2 << kMissingMessage;
        QTest::newRow("Ordner") << QStringLiteral("folder") << 1
                                << QStringLiteral("Fehler: Datei konnte nicht gelesen werden: ");
        QTest::newRow("FIFO") << QStringLiteral("fifo") << 2 << kMissingMessage;
    }
    void badSource() {
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString src = path(QStringLiteral("quelle-") + kind);
        const QStringList pages = writePages(src, 3, 2000);
        const QString project = ws_.project(kind, jobOptions(QString()), pages);
        const QString bad = pages[1];
        QVERIFY(QFile::remove(bad));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(bad));
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(bad).constData(), 0644), 0);

        const BatchResult r = runBatch(project, 30000);
        QVERIFY2(!r.timedOut, "the run hangs on the source");
        VELTRANO_COMPARE_RUN(r, exitCode);
        QVERIFY2(r.hasMessage(message, bad), qPrintable(r.messagesText()));
        // The page before is converted and backed up; the one after too when the run goes on,
        // otherwise it is untouched.
        QCOMPARE(readFile(pages[0] + QStringLiteral(".bak")), makePage(1, 2000));
        QVERIFY(readFile(pages[0]) != makePage(1, 2000));
        if (exitCode == 2) {
            QCOMPARE(readFile(pages[2]), makePage(3, 2000));
            QVERIFY(!QFile::exists(pages[2] + QStringLiteral(".bak")));
        } else {
            QCOMPARE(readFile(pages[2] + QStringLiteral(".bak")), makePage(3, 2000));
        }
        QVERIFY(!QFile::exists(bad + QStringLiteral(".bak")));
        if (kind == QLatin1String("folder"))
            QVERIFY(QFileInfo(bad).isDir());
        if (kind == QLatin1String("fifo")) {
            struct stat st {};
            QCOMPARE(::lstat(QFile::encodeName(bad).constData(), &st), 0);
            QVERIFY(S_ISFIFO(st.st_mode));
        }
        counted(QStringLiteral("Quelle: ") + QString::fromUtf8(QTest::currentDataTag()));
    }

    // A source is replaced by another file while the run is held (stopped) on an earlier large
    // page: the run converts what it finds when it gets there, and backs that up.
    void sourceReplacedWhileWaiting() {
        const QString src = path(QStringLiteral("ersetzt"));
        QDir().mkpath(src);
        const QString big = QDir(src).filePath(QStringLiteral("gross.htm"));
        const QString later = QDir(src).filePath(QStringLiteral("spaeter.htm"));
        writeFile(big, makePage(1, 8 * 1024 * 1024));
        const QByteArray before = "<p>vorher</p>\r\n";
        const QByteArray after = "<p>nachher, neu geschrieben</p>\r\n";
        writeFile(later, before);
        const QString project =
            ws_.project(QStringLiteral("ersetzt"),
                        without(jobOptions(QString()), {CheckField::chkNativ, CheckField::chkSeo}),
                        {big, later});

        // One job, so the later page is read only after the large one.
        QProcess process;
        process.start(batchProgram(), {QStringLiteral("-j"), QStringLiteral("1"), project});
        QVERIFY(process.waitForStarted());
        // Wait until the large page is being backed up or written: a hidden file of it lies
        // beside it. It must still lie there once the tool is stopped, or the tool may have gone
        // on to the later page in between; then it runs on and is caught at the next file.
        const auto writingBig = [&] {
            const QStringList names = hiddenEntries(src);
            if (names.isEmpty())
                return false;
            for (const QString& name : names) {
                if (!name.startsWith(QStringLiteral(".gross.htm")))
                    return false;
            }
            return true;
        };
        const auto pid = static_cast<pid_t>(process.processId());
        QElapsedTimer clock;
        clock.start();
        bool held = false;
        while (!held && clock.elapsed() < 120000 && process.state() == QProcess::Running) {
            if (writingBig()) {
                stopProcess(pid);
                held = writingBig();
                if (!held)
                    ::kill(pid, SIGCONT);
            } else {
                QThread::usleep(200);
            }
        }
        QVERIFY2(held, "the run never reached the large page");
        // The later page is not reached yet.
        QCOMPARE(readFile(later), before);
        QVERIFY(!QFile::exists(later + QStringLiteral(".bak")));
        writeFile(later + QStringLiteral(".neu"), after);
        QVERIFY(::rename(QFile::encodeName(later + QStringLiteral(".neu")).constData(),
                         QFile::encodeName(later).constData()) == 0);
        ::kill(pid, SIGCONT);
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);

        QCOMPARE(readFile(later + QStringLiteral(".bak")), after);
        QString why;
        QVERIFY2(spells(readFile(later), after, &why), qPrintable(why));
        QCOMPARE(readFile(big + QStringLiteral(".bak")), makePage(1, 8 * 1024 * 1024));
        QCOMPARE(hiddenEntries(src), QStringList());
        counted(QStringLiteral("Quelle ersetzt, während der Lauf angehalten ist"));
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
