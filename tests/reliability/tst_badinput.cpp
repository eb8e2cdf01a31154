// Bad input through the batch tool: pages that are no text, counts that make no sense, damaged
// project files and awkward file names. Each gets a clear German message and none a crash.

#include "batchfixture.h"
#include "support/reference.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace veltrano;
using namespace veltrano::test;

namespace {

const QString kTest = QStringLiteral("badinput");
const QString kDone = QStringLiteral("Abschluss: Das verschlüsseln der Dateien ist erfolgreich "
                                     "abgeschlossen!");
const QString kMissing =
    QStringLiteral("Schwerwiegender Fehler: Datei konnte nicht gefunden werden: ");

// Native pass and JavaScript form, head not kept, so the page can be read back from its calls.
OptionValues readableOptions(const QString& out) {
    OptionValues v = jobOptions(out);
    v.checks[static_cast<size_t>(CheckField::chkSeo)] = 0;
    v.checks[static_cast<size_t>(CheckField::chkZange)] = 0;
    return v;
}

QByteArray pageText(const QByteArray& file) {
    QByteArray text;
    for (const QByteArray& line : fuzz::pageLines(file))
        text += line + "\r\n";
    return text;
}

QByteArray projectHead(const QString& out) {
    return "3.0.0\r\n 1 \r\n 0 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\nWahr\r\n"
           "Falsch\r\n 1 \r\n3\r\n2\r\nError 404\r\nBitte Javaskript\r\n" +
           QFile::encodeName(out) + "\r\n";
}

// The blank lines between the fake comment and the protection script.
int startLines(const QByteArray& page) {
    qsizetype at = page.indexOf("-->");
    if (at < 0)
        return -1;
    at += 3;
    int n = 0;
    while (page.mid(at, 2) == "\r\n") {
        ++n;
        at += 2;
    }
    return n;
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    int cases_ = 0;
    int serial_ = 0;

    QString path(const QString& name) const { return dir_.filePath(name); }
    QString fresh(const QString& stem) { return path(stem + QString::number(++serial_)); }
    void counted(const QString& kind, const QString& what) {
        ++cases_;
        recordFigure(kTest, kind, what);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        clearFigures(kTest);
    }

    void cleanupTestCase() {
        recordFigure(kTest, QStringLiteral("cases"), QString::number(cases_));
        // Folders deeper than a path may be long are beyond QDir; rm works from inside.
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), dir_.path()});
    }

    // Pages that are not what a web page should be. Those that can be read are converted, and
    // their calls spell exactly the page after the native pass.
    void pages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("exitCode");
        QByteArray binary(65536, Qt::Uninitialized);
        QRandomGenerator random(6);
        for (char& c : binary)
            c = static_cast<char>(random.bounded(256));
        QTest::newRow("Binärdatei") << binary << 0;
        QTest::newRow("NUL-Bytes") << QByteArray("<p>a\0b</p>\0\r\n\0\0", 15) << 0;
        QTest::newRow("0 Byte") << QByteArray() << 2;
        QTest::newRow("1 Byte") << QByteArray("x") << 0;
        QTest::newRow("nur CR") << QByteArray("\r\r\r") << 0;
        QTest::newRow("nur LF") << QByteArray("\n\n\n") << 0;
    }
    void pages() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        const QString source =
            QDir(fresh(QStringLiteral("seiten"))).filePath(QStringLiteral("p.htm"));
        writeFile(source, bytes);
        const QString out = fresh(QStringLiteral("aus"));
        QVERIFY(QDir().mkpath(out));
        const QString project = fresh(QStringLiteral("p")) + QStringLiteral(".vtp");
        writeProject(project, readableOptions(out), {source});

        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(readFile(source), bytes);
        const QString output = QDir(out).filePath(QStringLiteral("p.htm"));
        if (exitCode == 2) {
            QVERIFY2(r.hasMessage(kMissing, source), qPrintable(r.messagesText()));
            QVERIFY(!QFile::exists(output));
        } else {
            QVERIFY(r.messages.contains(kDone));
            const QByteArray page = readFile(output);
            QVERIFY(page.endsWith("\r\n"));
            fuzz::ScriptForm form;
            const char* why = "";
            QVERIFY2(fuzz::parseScriptForm(page, form, &why), why);
            QVERIFY(fuzz::spelledText(form) == fuzz::nativeReference(pageText(bytes), false));
        }
        counted(QStringLiteral("Seite"), QString::fromUtf8(QTest::currentDataTag()));
    }

    // One line of 200 MB, generated here: read, converted and written whole.
    void hugeLine() {
        const QString source =
            QDir(fresh(QStringLiteral("riesig"))).filePath(QStringLiteral("zeile.htm"));
        QDir().mkpath(QFileInfo(source).absolutePath());
        constexpr qint64 kSize = 200LL * 1024 * 1024;
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QByteArray block = "<p>" + QByteArray(1 << 20, 'a');
            for (qint64 written = 0; written < kSize; written += block.size())
                QCOMPARE(file.write(block.left(qMin<qint64>(block.size(), kSize - written))),
                         qMin<qint64>(block.size(), kSize - written));
        }
        const QString out = fresh(QStringLiteral("aus"));
        QVERIFY(QDir().mkpath(out));
        OptionValues v = jobOptions(out);
        // The plain form: the encodings multiply the size many times over.
        v.checks[static_cast<size_t>(CheckField::chkNativ)] = 0;
        v.checks[static_cast<size_t>(CheckField::chkJava)] = 0;
        const QString project = fresh(QStringLiteral("riesig")) + QStringLiteral(".vtp");
        writeProject(project, v, {source});

        const BatchResult r = runBatch(project, 600000);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.messages.contains(kDone));
        QFile output(QDir(out).filePath(QStringLiteral("zeile.htm")));
        QVERIFY(output.open(QIODevice::ReadOnly));
        // Header, the line with its CR LF, two end lines and the final CR LF.
        const qint64 tail = 2 + 2 * 2 + 2;
        QVERIFY(output.size() > kSize + tail);
        const qint64 header = output.size() - kSize - tail;
        QVERIFY(output.seek(header));
        QCOMPARE(output.read(3), QByteArray("<p>"));
        QVERIFY(output.seek(output.size() - tail - 3));
        QCOMPARE(output.readAll(), QByteArray("aaa\r\n\r\n\r\n\r\n"));
        output.close();
        QFile::remove(source);
        QFile::remove(output.fileName());
        counted(QStringLiteral("Seite"), QStringLiteral("eine Zeile von 200 MB"));
    }

    // Counts of blank lines as typed: a leading number counts, anything else is none, and a
    // number too large for a page is refused before anything is written.
    void counts_data() {
        QTest::addColumn<bool>("end");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines"); // -1: refused
        QTest::newRow("Anfang 99999999999") << false << QStringLiteral("99999999999") << -1;
        QTest::newRow("Anfang 2^63-1") << false << QStringLiteral("9223372036854775807") << -1;
        QTest::newRow("Anfang 10^22") << false << QStringLiteral("10000000000000000000000") << -1;
        QTest::newRow("Anfang 1e9") << false << QStringLiteral("1e9") << 1;
        QTest::newRow("Anfang -0") << false << QStringLiteral("-0") << 0;
        QTest::newRow("Anfang -5") << false << QStringLiteral("-5") << 0;
        QTest::newRow("Anfang abc") << false << QStringLiteral("abc") << 0;
        QTest::newRow("Anfang leer") << false << QString() << 0;
        QTest::newRow("Ende 99999999999") << true << QStringLiteral("99999999999") << -1;
        QTest::newRow("Ende 1e9") << true << QStringLiteral("1e9") << 1;
        QTest::newRow("Ende abc") << true << QStringLiteral("abc") << 0;
    }
    void counts() {
        QFETCH(bool, end);
        QFETCH(QString, text);
        QFETCH(int, lines);
        const QString source =
            QDir(fresh(QStringLiteral("zahlen"))).filePath(QStringLiteral("z.htm"));
        writeFile(source, "<p>Zahl</p>\r\n");
        const QString out = fresh(QStringLiteral("aus"));
        const QString output = QDir(out).filePath(QStringLiteral("z.htm"));
        const QByteArray old = "alte Ausgabe\r\n";
        writeFile(output, old);
        OptionValues v = jobOptions(out);
        v.texts[static_cast<size_t>(end ? TextField::txtEnd : TextField::txtStart)] = text;
        const QString project = fresh(QStringLiteral("z")) + QStringLiteral(".vtp");
        writeProject(project, v, {source});

        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        if (lines < 0) {
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.hasMessage(QStringLiteral("Fehler: Die Zahl der Leerzeilen"), source),
                     qPrintable(r.messagesText()));
            QCOMPARE(readFile(output), old);
        } else {
            QCOMPARE(r.exitCode, 0);
            const QByteArray page = readFile(output);
            if (end) {
                // The noscript notice, the end lines, the final line end.
                QVERIFY(page.endsWith("</noscript>" + QByteArray("\r\n").repeated(lines + 1)));
            } else {
                QCOMPARE(startLines(page), lines);
            }
        }
        counted(QStringLiteral("Zahl"), QString::fromUtf8(QTest::currentDataTag()));
    }

    // Project files that are not what this program writes.
    void projects_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QByteArray head = projectHead(path(QStringLiteral("aus-projekt")));
        const QString damaged = QStringLiteral("Fehler: Die Projektdatei ");
        const QString version = QStringLiteral("Fehler: Die Datei wurde mit Version ");
        QByteArray garbage(4096, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& c : garbage)
            c = static_cast<char>(random.bounded(256));
        QTest::newRow("leer") << QByteArray() << 3 << damaged;
        QTest::newRow("nach Zeile 10 abgeschnitten")
            << head.left(head.indexOf(" 1 \r\nWahr")) << 3 << damaged;
        QTest::newRow("mitten in Zeile 1 abgeschnitten") << QByteArray("3.0") << 3 << version;
        QTest::newRow("Datenmüll") << garbage << 3 << version;
        QTest::newRow("Datenmüll ohne Zeilenende")
            << QByteArray(100000, '\x01') + "\xff\x00 " << 3 << version;
        QTest::newRow("Müll nach der Version") << "3.0.0\r\n" + garbage << 3 << damaged;
        QTest::newRow("lange Müllzeile nach der Version")
            << "3.0.0\r\n" + QByteArray(100000, '\x02') + "\r\n"
            << 3 << damaged;
        QTest::newRow("Version 2.0.0") << "2.0.0" + head.mid(5) << 3 << version;
        QTest::newRow("Version mit Blank") << "3.0.0 " + head.mid(5) << 3 << version;
        QByteArray badNumber = head;
        badNumber.replace("\r\n 0 \r\n", "\r\n 7 \r\n");
        QTest::newRow("Zahl 7") << badNumber << 3 << damaged;
        QTest::newRow("LF im Pfad") << head + "/gibt/es\nnicht.htm\r\n" << 2 << kMissing;
        QTest::newRow("CR im Pfad") << head + "/gibt/es\rnicht.htm\r\n" << 2 << kMissing;
    }
    void projects() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString project = fresh(QStringLiteral("kaputt")) + QStringLiteral(".vtp");
        writeFile(project, bytes);
        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.hasMessage(message), qPrintable(r.messagesText()));
        // A message is one readable line, however long the damaged text.
        for (const QString& line : r.messages)
            QVERIFY2(line.size() < 1000, qPrintable(line.left(200)));
        QCOMPARE(readFile(project), bytes);
        counted(QStringLiteral("Projekt"), QString::fromUtf8(QTest::currentDataTag()));
    }

    // A project that is not a file at all.
    void projectNotAFile() {
        const BatchResult missing = runBatch(path(QStringLiteral("gibt-es-nicht.vtp")));
        QVERIFY(!missing.crashed);
        QCOMPARE(missing.exitCode, 3);
        QVERIFY(missing.hasMessage(QStringLiteral("Fehler: Die Projektdatei ")));
        const QString folder = fresh(QStringLiteral("ordner")) + QStringLiteral(".vtp");
        QDir().mkpath(folder);
        const BatchResult isFolder = runBatch(folder);
        QVERIFY(!isFolder.crashed);
        QCOMPARE(isFolder.exitCode, 3);
        QVERIFY(isFolder.hasMessage(QStringLiteral("Fehler: Die Projektdatei ")));
        counted(QStringLiteral("Projekt"), QStringLiteral("fehlt, ist ein Ordner"));
    }

    // 100,000 list lines naming one page: overwriting converts it once and backs it up once.
    void hundredThousandLines() {
        const QString source =
            QDir(fresh(QStringLiteral("viele"))).filePath(QStringLiteral("v.htm"));
        const QByteArray original = makePage(1, 2000);
        writeFile(source, original);
        OptionValues v = jobOptions(QString());
        QByteArray bytes = projectHead(QString());
        bytes.replace("Wahr\r\nFalsch", "Falsch\r\nWahr");
        const QByteArray line = QFile::encodeName(source) + "\r\n";
        bytes += line.repeated(100000);
        const QString project = fresh(QStringLiteral("viele")) + QStringLiteral(".vtp");
        writeFile(project, bytes);

        const BatchResult r = runBatch(project, 600000);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.messages.contains(kDone));
        QCOMPARE(readFile(source + QStringLiteral(".bak")), original);
        QVERIFY(readFile(source).contains("crippled with Veltrano"));
        counted(QStringLiteral("Projekt"), QStringLiteral("100000 Listenzeilen"));
    }

    // File names with blanks, umlauts, at the longest a name may be, in a path near the longest
    // a path may be, and beyond: overwritten with backups, or refused with a message.
    void fileNames_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("Blanks") << QStringLiteral("mein ordner")
                                << QStringLiteral("Seite mit Blanks .htm") << 0;
        QTest::newRow("Umlaute") << QStringLiteral("Überblick")
                                 << QStringLiteral("Grüße äöüß ÄÖÜ.htm") << 0;
        QTest::newRow("Name 240 Zeichen")
            << QStringLiteral("lang") << QString(236, QLatin1Char('n')) + QStringLiteral(".htm")
            << 0;
        QTest::newRow("Name 255 Zeichen")
            << QStringLiteral("lang") << QString(251, QLatin1Char('n')) + QStringLiteral(".htm")
            << 0;
        QString deep;
        for (int i = 0; i < 15; ++i)
            deep += QString(200, QLatin1Char('a' + i)) + QLatin1Char('/');
        QTest::newRow("Pfad 3000 Zeichen") << deep << QStringLiteral("seite.htm") << 0;
        QString deeper = deep;
        for (int i = 0; i < 8; ++i)
            deeper += QString(200, QLatin1Char('p' + i)) + QLatin1Char('/');
        QTest::newRow("Pfad über 4096 Zeichen") << deeper << QStringLiteral("seite.htm") << 2;
    }
    void fileNames() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        const QString base = fresh(QStringLiteral("namen"));
        const QString source = base + QLatin1Char('/') + folder + QLatin1Char('/') + name;
        const QByteArray original = makePage(2, 1000);
        // Paths beyond the limit of the system are made step by step from inside.
        {
            const int back = ::open(".", O_RDONLY | O_DIRECTORY);
            QVERIFY(back >= 0);
            QVERIFY(QDir().mkpath(base));
            QCOMPARE(::chdir(QFile::encodeName(base).constData()), 0);
            for (const QString& part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
                const QByteArray p = QFile::encodeName(part);
                QCOMPARE(::mkdir(p.constData(), 0755), 0);
                QCOMPARE(::chdir(p.constData()), 0);
            }
            const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, original.constData(), static_cast<size_t>(original.size())),
                     static_cast<ssize_t>(original.size()));
            ::close(fd);
            QCOMPARE(::fchdir(back), 0);
            ::close(back);
        }
        const QString project = fresh(QStringLiteral("namen")) + QStringLiteral(".vtp");
        writeProject(project, jobOptions(QString()), {source});

        const BatchResult r = runBatch(project);
        QVERIFY2(!r.crashed, qPrintable(r.messagesText()));
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 0) {
            QVERIFY(r.messages.contains(kDone));
            const bool backedUp = readFile(source + QStringLiteral(".bak")) == original;
            if (!backedUp && readFile(source) != original)
                recordFigure(kTest, QStringLiteral("lost"),
                             QString::fromUtf8(QTest::currentDataTag()));
            QEXPECT_FAIL("Name 255 Zeichen",
                         "name + \".bak\" is longer than a file name may be: the backup fails "
                         "silently and the source is replaced all the same",
                         Abort);
            QVERIFY2(backedUp, "the original is kept in the backup");
            QVERIFY(readFile(source).contains("crippled with Veltrano"));
        } else {
            QVERIFY2(r.hasMessage(kMissing, name), qPrintable(r.messagesText()));
        }
        counted(QStringLiteral("Dateiname"), QString::fromUtf8(QTest::currentDataTag()));
    }
};

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_badinput.moc"
