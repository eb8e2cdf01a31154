// Bad input and faults, end to end through the batch tool, walked from the case files beside
// this test (badinput.txt, faults.txt). A case sets up sources, files and file systems, runs
// the tool, and expects its exit code and messages; whatever happens, no file that was there
// changes unless the case allows it, and no new file of the tool is left behind.

#include "batchfixture.h"
#include "support/testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace veltrano;
using namespace veltrano::test;
using namespace Qt::StringLiterals;
using Case = QMap<QString, QString>;

namespace {

// Escapes of the case files: \r \n \t \0 \\ \xNN, and c{N}: the character c N times.
QByteArray expand(const QString& text) {
    const QByteArray in = text.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '{' && !out.isEmpty() && in.indexOf('}', i) > i) {
            const qsizetype end = in.indexOf('}', i);
            out += QByteArray(in.mid(i + 1, end - i - 1).toInt() - 1, out.back());
            i = end;
        } else if (in[i] == '\\' && i + 1 < in.size()) {
            const char c = in[++i];
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c == '0' ? '\0' : c;
            if (c == 'x')
                out.back() = static_cast<char>(in.mid(i + 1, 2).toInt(nullptr, 16)), i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

QByteArray content(const QString& spec, int index) {
    if (spec.startsWith(u"@zufall:"_s)) {
        QByteArray bytes(spec.mid(8).toInt(), Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& c : bytes)
            c = static_cast<char>(random.bounded(256));
        return bytes;
    }
    return spec.startsWith(u'@') ? makePage(index, spec.mid(1).toInt()) : expand(spec);
}

// Every file below folder with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        files[path] = readFile(path);
    }
    return files;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QTemporaryDir work_;
    QString mountProblem_;
    int serial_ = 0;

private slots:
    void initTestCase() { mountProblem_ = prepareMounts(); }

    void cases_data() {
        QTest::addColumn<Case>("c");
        for (const char* name : {"badinput.txt", "faults.txt"}) {
            QFile file(QStringLiteral(VELTRANO_CASES_FOLDER "/") + QLatin1String(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            while (!file.atEnd()) {
                const QString line = QString::fromUtf8(file.readLine()).trimmed();
                if (line.isEmpty() || line.startsWith(u'#'))
                    continue;
                Case c;
                for (const QString& field : line.split(QStringLiteral(" | ")))
                    c[field.section(u'=', 0, 0)] = field.section(u'=', 1);
                QTest::newRow(qPrintable(line.section(QStringLiteral(" | "), 0, 0))) << c;
            }
        }
    }
    void cases() {
        QFETCH(Case, c);
        const QString dir = work_.filePath(QString::number(++serial_));
        const bool over = c.value(QStringLiteral("mode")) == u"ueber"_s;
        const QString src = dir + u"/src"_s, out = dir + u"/out"_s;
        const QString written = over ? src : out;
        QDir().mkpath(src);
        QDir().mkpath(out);
        if (c.contains(QStringLiteral("fs"))) {
            VELTRANO_REQUIRE_MOUNTS(mountProblem_);
            QCOMPARE(mountTmpfs(written, 256 * 1024), QString());
        }
        const auto unmount = qScopeGuard([&] {
            if (c.contains(u"fs"_s))
                ::umount2(QFile::encodeName(written).constData(), MNT_DETACH);
        });
        for (const QString& f : c.value(QStringLiteral("files")).split(u';', Qt::SkipEmptyParts))
            writeFile(dir + u'/' + f.section(u'=', 0, 0), expand(f.section(u'=', 1)));
        QStringList pages;
        const QStringList specs = c.value(QStringLiteral("pages")).split(u';', Qt::SkipEmptyParts);
        for (int i = 0; i < specs.size(); ++i) {
            const QString page =
                src + u'/' + QString::fromUtf8(expand(specs[i].section(u'=', 0, 0)));
            const QString spec = specs[i].section(u'=', 1);
            pages.append(page);
            if (spec == u"@ordner"_s)
                QDir().mkpath(page);
            else if (spec == u"@fifo"_s)
                QCOMPARE(::mkfifo(QFile::encodeName(page).constData(), 0644), 0);
            else if (spec != u"@fehlt"_s)
                writeFile(page, content(spec, i + 1));
        }
        // Leftovers of ended runs: one nobody holds, one another process still holds locked.
        const QString stale = written + u"/.alt.htm.veltrano-B2c3d4"_s;
        const bool sweeps = c.contains(QStringLiteral("leftovers"));
        const int held = ::open(QFile::encodeName(stale).constData(), O_CREAT | O_RDONLY, 0644);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        if (sweeps)
            writeFile(written + u"/.alt.htm.veltrano-A1b2c3"_s, "unfertig");
        OptionValues v = jobOptions(over ? QString() : out);
        for (const QString& set : c.value(QStringLiteral("set")).split(u',', Qt::SkipEmptyParts)) {
            const QString field = set.section(u'=', 0, 0), value = set.section(u'=', 1);
            for (int f = 0; f < kCheckFieldCount; ++f)
                if (field == QLatin1String(fieldName(CheckField(f))))
                    v.checks[f] = static_cast<CheckState>(value.toInt());
            for (int f = 0; f < kTextFieldCount; ++f)
                if (field == QLatin1String(fieldName(TextField(f))))
                    v.texts[f] = value;
        }
        QString project = writeProject(dir + u"/p.vtp"_s, v, pages);
        if (c.contains(QStringLiteral("project"))) {
            project = dir + u"/kaputt.vtp"_s;
            const QByteArray bytes =
                expand(c.value(QStringLiteral("project")).replace(u"$D"_s, dir));
            if (bytes == "@ordner")
                QDir().mkpath(project);
            else if (bytes != "@fehlt")
                writeFile(project, bytes);
        }
        if (c.contains(QStringLiteral("fs")) && c.value(QStringLiteral("fs")) == u"voll"_s)
            fillFileSystem(written);
        if (c.contains(QStringLiteral("fs")) && c.value(QStringLiteral("fs")) == u"nurlesen"_s)
            QCOMPARE(remountReadOnly(written), QString());

        BatchResult r;
        for (int run = c.value(QStringLiteral("runs"), QStringLiteral("1")).toInt(); run > 1; --run)
            runBatch({project});
        const QMap<QString, QByteArray> before = snapshot(dir);
        if (c.contains(QStringLiteral("signal"))) {
            // Ended while the large page is written: wait for its new file, then signal.
            QProcess tool;
            tool.start(batchProgram(), {project});
            QVERIFY(tool.waitForStarted());
            for (int i = 0; i < 100000 && hiddenEntries(written).filter(u"gross"_s).isEmpty(); ++i)
                QThread::usleep(200);
            ::kill(static_cast<pid_t>(tool.processId()), c.value(QStringLiteral("signal")).toInt());
            QVERIFY(tool.waitForFinished(60000));
            r = {tool.exitCode(), tool.exitStatus() != QProcess::NormalExit,
                 QString::fromUtf8(tool.readAllStandardError())};
        } else {
            r = runBatch({project}, 600000);
        }
        ::close(held);
        QVERIFY2(!r.crashed, qPrintable(r.messages));
        QCOMPARE(r.exitCode, c.value(QStringLiteral("exit")).toInt());
        const QString says = c.value(QStringLiteral("says")).replace(QStringLiteral("$D"), dir);
        for (const QString& part : says.split(u'~', Qt::SkipEmptyParts))
            QVERIFY2(r.messages.contains(part), qPrintable(part + u"\n"_s + r.messages));
        QCOMPARE(hiddenEntries(written), QStringList{QStringLiteral(".alt.htm.veltrano-B2c3d4")});
        const QMap<QString, QByteArray> after = snapshot(dir);
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            const bool mayChange = !c.contains(QStringLiteral("unchanged")) &&
                                   (it.key().startsWith(out) || pages.contains(it.key()));
            if (!mayChange)
                QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
        }
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            if (it.key().endsWith(u".bak"_s) && pages.contains(it.key().chopped(4)))
                QVERIFY2(!before.contains(it.key().chopped(4)) ||
                             it.value() == before.value(it.key().chopped(4)) ||
                             it.value() == before.value(it.key()),
                         qPrintable(it.key()));
        if (c.contains(QStringLiteral("output")))
            QVERIFY(readFile(out + u'/' + QFileInfo(pages.value(0)).fileName())
                        .contains(expand(c.value(QStringLiteral("output")))));
        recordFigure(QStringLiteral("faults"),
                     c.value(QStringLiteral("kind"), QStringLiteral("Fehler")),
                     QString::fromUtf8(QTest::currentDataTag()));
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
