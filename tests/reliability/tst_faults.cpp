// Bad input, faults, guards and ended runs through the batch tool, from the case files beside
// this test. No file changes unless the case allows it, a backup is complete, and no new file
// of the tool is left: only the leftover that another process holds.

#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectfile.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace veltrano;
using namespace veltrano::test;
using namespace Qt::StringLiterals;
using Case = QMap<QString, QString>;

namespace {

struct BatchResult {
    int exitCode = -1;
    bool crashed = false; // ended by a signal, or hung and was killed
    QString messages;     // standard error
};

const QString kBatch = QStringLiteral(VELTRANO_BATCH_PROGRAM);

// Runs the batch tool, pages in list order; `during` acts on it once it has started.
BatchResult runBatch(const QStringList& args, int timeoutMs = 120000,
                     const std::function<void(QProcess&)>& during = {}) {
    QProcess process;
    process.start(kBatch, QStringList{u"-j"_s, u"1"_s} + args);
    const bool started = process.waitForStarted();
    if (started && during)
        during(process);
    const bool finished = started && process.waitForFinished(timeoutMs);
    if (!finished)
        process.kill();
    process.waitForFinished();
    return {process.exitCode(), !finished || process.exitStatus() != QProcess::NormalExit,
            QString::fromUtf8(process.readAllStandardError())};
}

OptionValues jobOptions(const QString& outputFolder) {
    OptionValues v = OptionValues::defaults(QStringLiteral("/programm"));
    v.texts[static_cast<size_t>(TextField::txtStart)] = QStringLiteral("3");
    v.texts[static_cast<size_t>(TextField::txtEnd)] = QStringLiteral("2");
    v.chkNewFiles = !outputFolder.isEmpty();
    v.chkOverwrite = outputFolder.isEmpty();
    v.texts[static_cast<size_t>(TextField::txtPath)] = outputFolder;
    return v;
}

QString writeProject(const QString& project, const OptionValues& values, const QStringList& pages) {
    OptionSet options;
    options.setValues(values);
    FileList list;
    list.Initialise();
    for (const QString& page : pages)
        list.Append(page);
    return WriteProject(project, options, list) ? QString() : project;
}

QByteArray makePage(int index, int bytes) {
    QByteArray page = "<html><head><title>" + QByteArray::number(index) + "</title></head>\r\n";
    for (int line = 1; page.size() < bytes; ++line)
        page += "<p>Absatz " + QByteArray::number(line) + ": \xe4\xf6\xfc &amp;</p>\r\n";
    return page + "</body></html>\r\n";
}

QStringList hiddenEntries(const QString& folder) {
    return QDir(folder).entryList({u".*"_s}, QDir::Files | QDir::Hidden, QDir::Name);
}

bool mount(const QString& folder, unsigned long flags) {
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", flags, "size=262144") ==
           0;
}

} // namespace

class TestFaults : public QObject {
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

    QTemporaryDir work_;
    bool mounts_ = false;
    int serial_ = 0;

private slots:
    void initTestCase() {
        // A mount namespace of its own, so the test's file systems end with it.
        mounts_ = ::unshare(CLONE_NEWNS) == 0 &&
                  ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    void cases_data() {
        QTest::addColumn<Case>("c");
        for (const char* name : {"/badinput.txt", "/faults.txt"}) {
            const QString text = QString::fromUtf8(
                readFile(QStringLiteral(VELTRANO_CASES_FOLDER) + QLatin1String(name)));
            for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
                Case c;
                for (const QString& field : line.split(u" | "_s))
                    c[field.section(u'=', 0, 0)] = field.section(u'=', 1);
                if (!line.startsWith(u'#'))
                    QTest::newRow(qPrintable(line.section(u" | "_s, 0, 0))) << c;
            }
        }
    }
    void cases() {
        QFETCH(Case, c);
        const QString dir = work_.filePath(QString::number(++serial_));
        const QString src = dir + u"/src"_s, out = dir + u"/out"_s;
        const QString written = c.value(u"mode"_s) == u"ueber"_s ? src : out;
        const QString fs = c.value(u"fs"_s);
        QVERIFY(QDir().mkpath(src) && QDir().mkpath(out));
        if (!fs.isEmpty() && !(mounts_ && mount(written, 0)))
            QSKIP("a tmpfs cannot be mounted here");
        const auto unmount =
            qScopeGuard([&] { ::umount2(QFile::encodeName(written).constData(), MNT_DETACH); });
        for (const QString& f : c.value(u"files"_s).split(u';', Qt::SkipEmptyParts))
            writeFile(dir + u'/' + f.section(u'=', 0, 0), expand(f.section(u'=', 1)));
        QStringList pages;
        const QStringList entries = c.value(u"pages"_s).split(u';', Qt::SkipEmptyParts);
        for (const QString& entry : entries) {
            pages.append(src + u'/' + QString::fromUtf8(expand(entry.section(u'=', 0, 0))));
            const QString what = entry.section(u'=', 1);
            if (what == u"@ordner"_s)
                QDir().mkpath(pages.last());
            else if (what == u"@fifo"_s)
                QCOMPARE(::mkfifo(QFile::encodeName(pages.last()).constData(), 0644), 0);
            else if (what != u"@fehlt"_s)
                writeFile(pages.last(),
                          what.startsWith(u'@') ? makePage(1, what.mid(1).toInt()) : expand(what));
        }
        // Leftovers of ended runs: one another process holds locked, one nobody holds.
        const QString stale = written + u"/.alt.htm.veltrano-B2c3d4"_s;
        const int held = ::open(QFile::encodeName(stale).constData(), O_CREAT | O_RDONLY, 0644);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        const auto release = qScopeGuard([&] { ::close(held); });
        if (c.contains(u"leftovers"_s))
            writeFile(written + u"/.alt.htm.veltrano-A1b2c3"_s, "unfertig");

        OptionValues v = jobOptions(written == src ? QString() : out);
        for (const QString& set : c.value(u"set"_s).split(u',', Qt::SkipEmptyParts)) {
            const QString field = set.section(u'=', 0, 0), value = set.section(u'=', 1);
            for (size_t f = 0; f < v.checks.size(); ++f)
                if (field == QLatin1String(fieldName(CheckField(f))))
                    v.checks[f] = static_cast<CheckState>(value.toInt());
            for (size_t f = 0; f < v.texts.size(); ++f)
                if (field == QLatin1String(fieldName(TextField(f))))
                    v.texts[f] = value;
        }
        QString project = writeProject(dir + u"/p.vtp"_s, v, pages);
        if (c.contains(u"project"_s)) {
            const QByteArray bytes = expand(c.value(u"project"_s).replace(u"$D"_s, dir));
            project = dir + u"/kaputt.vtp"_s;
            if (bytes == "@ordner")
                QDir().mkpath(project);
            else if (bytes != "@fehlt")
                writeFile(project, bytes);
        }
        QFile filler(written + u"/fuellung"_s);
        if (fs == u"voll"_s && filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            filler.write(QByteArray(1 << 20, 'x')); // as much as fits
        if (fs == u"nurlesen"_s)
            QVERIFY(mount(written, MS_REMOUNT | MS_RDONLY));

        for (int run = c.value(u"runs"_s).toInt(); run > 1; --run)
            runBatch({project});
        const QMap<QString, QByteArray> before = tree(dir);
        // With a signal: ended while the page "gross.htm" is written, once its new file is there.
        const int signal = c.value(u"signal"_s).toInt();
        const BatchResult r = runBatch({project}, 600000, [&](QProcess& tool) {
            for (int i = 0;
                 signal && i < 100000 && hiddenEntries(written).filter(u"gross"_s).isEmpty(); ++i)
                QThread::usleep(200);
            if (signal)
                ::kill(static_cast<pid_t>(tool.processId()), signal);
        });
        QVERIFY2(!r.crashed, qPrintable(r.messages));
        QCOMPARE(r.exitCode, c.value(u"exit"_s).toInt());
        for (const QString& part : c.value(u"says"_s).replace(u"$D"_s, dir).split(u'~'))
            QVERIFY2(r.messages.contains(part), qPrintable(part + u'\n' + r.messages));
        QCOMPARE(hiddenEntries(written), QStringList{stale.mid(written.size() + 1)});
        const QMap<QString, QByteArray> after = tree(dir);
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            const QString path = dir + u'/' + it.key();
            if (path.contains(u".veltrano-"_s))
                continue;
            if (c.contains(u"unchanged"_s) || !(path.startsWith(out) || pages.contains(path)))
                QVERIFY2(after.value(it.key()) == it.value(), qPrintable(path));
            const QString bak = it.key() + u".bak"_s;
            if (pages.contains(path) && after.contains(bak))
                QVERIFY2(after[bak] == it.value() || after[bak] == before.value(bak),
                         qPrintable(bak));
        }
        if (c.contains(u"output"_s))
            QVERIFY(readFile(out + u'/' + QFileInfo(pages.value(0)).fileName())
                        .contains(expand(c.value(u"output"_s))));
    }

    // A page reaches the disk before it counts: the tool's system calls (strace) show each file
    // flushed before its rename into place, and its folder flushed after, before the next rename.
    void durable_data() {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("placed");
        QTest::newRow("overwrite") << u"--overwrite"_s << u"a.htm.bak a.htm"_s;
        QTest::newRow("sync") << u"--sync -o "_s + work_.filePath(u"out"_s) << u"out/a.htm"_s;
    }
    void durable() {
        QFETCH(QString, args);
        QFETCH(QString, placed);
        const QString dir = work_.path() + u'/', trace = dir + u"trace"_s;
        writeFile(dir + u"a.htm"_s, makePage(1, 3000));
        QProcess strace;
        // The leak check of a sanitizer build traces the process itself, which it cannot do
        // under strace.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"ASAN_OPTIONS"_s, env.value(u"ASAN_OPTIONS"_s) + u":detect_leaks=0"_s);
        strace.setProcessEnvironment(env);
        strace.start(u"strace"_s, QStringList{u"-f"_s, u"-y"_s, u"-o"_s, trace, u"-e"_s,
                                              u"trace=fsync,fdatasync,rename"_s, kBatch, u"-q"_s} +
                                      args.split(u' ') + QStringList{dir + u"a.htm"_s});
        QVERIFY2(strace.waitForFinished(60000) && strace.exitCode() == 0,
                 strace.readAllStandardError().constData());
        const QRegularExpression call(
            u"^\\d+ +(\\w+)\\((?:\\d+<([^>]*)>|\"([^\"]*)\", \"([^\"]*)\")"_s);
        QStringList flushed, renamed;
        QString folderDue; // the folder of the last rename, until it is flushed
        for (const QString& line : QString::fromUtf8(readFile(trace)).split(u'\n')) {
            const QRegularExpressionMatch m = call.match(line);
            if (!m.hasMatch() || line.endsWith(u"= -1"_s))
                continue;
            if (m.captured(1) == u"rename"_s) {
                QVERIFY2(folderDue.isEmpty() && flushed.contains(m.captured(3)), qPrintable(line));
                renamed << m.captured(4).mid(dir.size());
                folderDue = QFileInfo(m.captured(4)).path();
            } else if (m.captured(2) == folderDue) {
                folderDue.clear();
            } else {
                flushed << m.captured(2);
            }
        }
        QVERIFY2(folderDue.isEmpty(), qPrintable(folderDue));
        QCOMPARE(renamed, placed.split(u' '));
    }

    // SIGKILL at random moments of runs that overwrite a site with backups: each source is its
    // original or its converted page (in list order) with a complete backup, at most the new
    // files of the killed page are left, and the next run removes them.
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
        int kills = qEnvironmentVariableIntValue("VELTRANO_KILLS");
        kills = kills > 0 ? kills : 200;
        QRandomGenerator random(20261205);
        int leftovers = 0;
        for (int k = 0; k < kills; ++k) {
            restore();
            runBatch({dir_.filePath(u"site.vtp"_s)}, 60000, [&](QProcess& tool) {
                QThread::usleep(static_cast<unsigned long>(random.bounded(runTime + runTime / 10)));
                tool.kill();
            });
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
        qInfo("%d kills, %d new files left by them, all removed by the next run; run %lld us",
              kills, leftovers, runTime);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
