// Faults of the file system and of the sources, end to end through the batch tool: whatever
// fails, the user is told in German, the tool ends normally, and no source and no earlier output
// is changed or lost.

#include "batchfixture.h"
#include "support/reference.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace veltrano;
using namespace veltrano::test;

namespace {

const QString kTest = QStringLiteral("faults");
const QString kDone = QStringLiteral("Abschluss: Das verschlüsseln der Dateien ist erfolgreich "
                                     "abgeschlossen!");

QString writeErrorStart(const QString& txtPath) {
    return QStringLiteral("Fehler: Fehler (Ist das Ausgabeverzeichnis ") + txtPath +
           QStringLiteral(" vorhanden?): ");
}

// Writes pages named seite1.htm ... into folder; returns their paths.
QStringList writePages(const QString& folder, int count, int bytes) {
    QStringList paths;
    for (int i = 1; i <= count; ++i) {
        const QString path = QDir(folder).filePath(QStringLiteral("seite%1.htm").arg(i));
        writeFile(path, makePage(i, bytes));
        paths.append(path);
    }
    return paths;
}

QStringList hidden(const QString& folder) {
    QStringList names;
    for (const QString& name : folderEntries(folder)) {
        if (name.startsWith(QLatin1Char('.')))
            names.append(name);
    }
    return names;
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
    QTemporaryDir dir_;
    QString mountProblem_;
    int faults_ = 0;

    QString path(const QString& name) const { return dir_.filePath(name); }
    void counted(const QString& fault) {
        ++faults_;
        recordFigure(kTest, QStringLiteral("fault"), fault);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        clearFigures(kTest);
        mountProblem_ = prepareMounts();
    }

    void cleanupTestCase() {
        recordFigure(kTest, QStringLiteral("faults"), QString::number(faults_));
    }

    // The output folder is a small file system that is full: every page gets its write error,
    // an output file of an earlier run stays as it was, and nothing half written is left.
    void fullOutputFileSystem() {
        VELTRANO_REQUIRE_MOUNTS(mountProblem_);
        const QStringList pages = writePages(path(QStringLiteral("quellen1")), 3, 20000);
        const QString out = path(QStringLiteral("voll"));
        TmpfsMount mount;
        QString why;
        QVERIFY2(mount.mount(out, 256 * 1024, &why), qPrintable(why));
        const QByteArray old = "alte Ausgabe, die bleiben muss\r\n";
        writeFile(QDir(out).filePath(QStringLiteral("seite1.htm")), old);
        fillFileSystem(out);
        const QString project = path(QStringLiteral("voll.vtp"));
        writeProject(project, jobOptions(out), pages);

        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.hasMessage(writeErrorStart(out), QStringLiteral("(28)")),
                 qPrintable(r.messagesText()));
        QVERIFY(r.messages.contains(kDone));
        QCOMPARE(readFile(QDir(out).filePath(QStringLiteral("seite1.htm"))), old);
        for (int i = 0; i < pages.size(); ++i)
            QCOMPARE(readFile(pages[i]), makePage(i + 1, 20000));
        QCOMPARE(folderEntries(out),
                 QStringList({QStringLiteral("fuellung"), QStringLiteral("seite1.htm")}));
        counted(QStringLiteral("Ausgabeordner auf vollem Dateisystem"));
    }

    // Overwriting with backups where the sources lie on a full file system: neither page nor
    // backup fits, so every source must stay as it is.
    void fullSourceFileSystem() {
        VELTRANO_REQUIRE_MOUNTS(mountProblem_);
        const QString src = path(QStringLiteral("vollquellen"));
        TmpfsMount mount;
        QString why;
        QVERIFY2(mount.mount(src, 256 * 1024, &why), qPrintable(why));
        const QStringList pages = writePages(src, 3, 20000);
        fillFileSystem(src);
        const QString project = path(QStringLiteral("vollquellen.vtp"));
        writeProject(project, jobOptions(QString()), pages);

        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.hasMessage(writeErrorStart(QString()), QStringLiteral("(28)")),
                 qPrintable(r.messagesText()));
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(readFile(pages[i]), makePage(i + 1, 20000));
            // A backup that exists is complete.
            if (QFile::exists(pages[i] + QStringLiteral(".bak")))
                QCOMPARE(readFile(pages[i] + QStringLiteral(".bak")), makePage(i + 1, 20000));
        }
        QCOMPARE(hidden(src), QStringList());
        counted(QStringLiteral("Quellen auf vollem Dateisystem, Überschreiben mit Sicherung"));
    }

    // A read-only output folder, and read-only sources to be overwritten.
    void readOnly_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("Ausgabeordner") << false;
        QTest::newRow("Quellen überschreiben") << true;
    }
    void readOnly() {
        QFETCH(bool, overwrite);
        VELTRANO_REQUIRE_MOUNTS(mountProblem_);
        const QString folder = path(QStringLiteral("nurlesen-%1").arg(overwrite));
        TmpfsMount mount;
        QString why;
        QVERIFY2(mount.mount(folder, 1024 * 1024, &why), qPrintable(why));
        QStringList pages;
        QString out;
        const QByteArray old = "alte Ausgabe\r\n";
        if (overwrite) {
            pages = writePages(folder, 2, 3000);
        } else {
            pages = writePages(path(QStringLiteral("quellen-ro")), 2, 3000);
            out = folder;
            writeFile(QDir(out).filePath(QStringLiteral("seite1.htm")), old);
        }
        QVERIFY2(mount.remountReadOnly(&why), qPrintable(why));
        const QString project = path(QStringLiteral("nurlesen-%1.vtp").arg(overwrite));
        writeProject(project, jobOptions(out), pages);

        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.hasMessage(writeErrorStart(out), QStringLiteral("(30)")),
                 qPrintable(r.messagesText()));
        QVERIFY(r.messages.contains(kDone));
        for (int i = 0; i < pages.size(); ++i)
            QCOMPARE(readFile(pages[i]), makePage(i + 1, 3000));
        if (!overwrite)
            QCOMPARE(readFile(QDir(out).filePath(QStringLiteral("seite1.htm"))), old);
        counted(overwrite ? QStringLiteral("schreibgeschützte Quellen beim Überschreiben")
                          : QStringLiteral("schreibgeschützter Ausgabeordner"));
    }

    // The output path of a page is a folder: that page gets its error, the folder and what it
    // holds stay, the other pages are written.
    void outputPathIsFolder() {
        const QStringList pages = writePages(path(QStringLiteral("quellen-ordner")), 3, 2000);
        const QString out = path(QStringLiteral("ausgabe-ordner"));
        const QString blocker = QDir(out).filePath(QStringLiteral("seite2.htm"));
        writeFile(QDir(blocker).filePath(QStringLiteral("inhalt.txt")), "bleibt\r\n");
        const QString project = path(QStringLiteral("ordner.vtp"));
        writeProject(project, jobOptions(out), pages);

        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.hasMessage(writeErrorStart(out)), qPrintable(r.messagesText()));
        QVERIFY(QFileInfo(blocker).isDir());
        QCOMPARE(readFile(QDir(blocker).filePath(QStringLiteral("inhalt.txt"))),
                 QByteArray("bleibt\r\n"));
        QVERIFY(QFileInfo(QDir(out).filePath(QStringLiteral("seite1.htm"))).isFile());
        QVERIFY(QFileInfo(QDir(out).filePath(QStringLiteral("seite3.htm"))).isFile());
        QCOMPARE(hidden(out), QStringList());
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
        const QString missing =
            QStringLiteral("Schwerwiegender Fehler: Datei konnte nicht gefunden werden: ");
        const QString unreadable = QStringLiteral("Fehler: Datei konnte nicht gelesen werden: ");
        QTest::newRow("verschwunden") << QStringLiteral("gone") << 2 << missing;
        QTest::newRow("Ordner") << QStringLiteral("folder") << 1 << unreadable;
        QTest::newRow("FIFO") << QStringLiteral("fifo") << 2 << missing;
    }
    void badSource() {
        QFETCH(QString, kind);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString src = path(QStringLiteral("quelle-") + kind);
        const QStringList pages = writePages(src, 3, 2000);
        const QString project = path(kind + QStringLiteral(".vtp"));
        writeProject(project, jobOptions(QString()), pages);
        const QString bad = pages[1];
        QVERIFY(QFile::remove(bad));
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(bad));
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(bad).constData(), 0644), 0);

        const BatchResult r = runBatch(project, 30000);
        QVERIFY2(!r.timedOut, "the run hangs on the source");
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, exitCode);
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
        OptionValues v = jobOptions(QString());
        v.checks[static_cast<size_t>(CheckField::chkNativ)] = 0;
        v.checks[static_cast<size_t>(CheckField::chkSeo)] = 0;
        const QString project = path(QStringLiteral("ersetzt.vtp"));
        writeProject(project, v, {big, later});

        QProcess process;
        process.start(batchProgram(), {project});
        QVERIFY(process.waitForStarted());
        // Wait until the large page is being backed up or written: a hidden file of it lies
        // beside it. It must still lie there once the tool is stopped, or the tool may have gone
        // on to the later page in between; then it runs on and is caught at the next file.
        const auto writingBig = [&] {
            const QStringList names = hidden(src);
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
        fuzz::ScriptForm form;
        const char* why = "";
        QVERIFY2(fuzz::parseScriptForm(readFile(later), form, &why), why);
        QCOMPARE(fuzz::spelledText(form), after);
        QCOMPARE(readFile(big + QStringLiteral(".bak")), makePage(1, 8 * 1024 * 1024));
        QCOMPARE(hidden(src), QStringList());
        counted(QStringLiteral("Quelle ersetzt, während der Lauf angehalten ist"));
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
