// Bad input through the batch tool: pages that are no text, counts that make no sense, damaged
// project files and awkward file names. Each gets a clear German message and none a crash.

#include "batchfixture.h"
#include "support/reference.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace veltrano;
using namespace veltrano::test;

namespace {

const QString kTest = QStringLiteral("badinput");
const QByteArray kConverted = "crippled with Veltrano";

QByteArray randomBytes(int size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    return bytes;
}

QByteArray projectHead(const QString& out) {
    return "3.0.0\r\n 1 \r\n 0 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\nWahr\r\n"
           "Falsch\r\n 1 \r\n3\r\n2\r\nError 404\r\nBitte Javaskript\r\n" +
           QFile::encodeName(out) + "\r\n";
}

// The blank lines between the fake comment and the protection script.
int startLines(const QByteArray& page) {
    qsizetype at = page.indexOf("-->");
    int n = 0;
    for (at += 3; at >= 3 && page.mid(at, 2) == "\r\n"; at += 2)
        ++n;
    return at < 3 ? -1 : n;
}

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT

private:
    Workspace ws_;
    int cases_ = 0;

    void counted(const QString& kind, const QString& what = QString()) {
        ++cases_;
        recordFigure(kTest, kind,
                     what.isEmpty() ? QString::fromUtf8(QTest::currentDataTag()) : what);
    }
    // A source named name in a fresh folder, holding bytes.
    QString source(const QString& stem, const QString& name, const QByteArray& bytes) {
        const QString file = QDir(ws_.fresh(stem)).filePath(name);
        writeFile(file, bytes);
        return file;
    }

private slots:
    void initTestCase() {
        QVERIFY(ws_.isValid());
        clearFigures(kTest);
    }

    void cleanupTestCase() {
        recordFigure(kTest, QStringLiteral("cases"), QString::number(cases_));
        // Folders deeper than a path may be long are beyond QDir; rm works from inside.
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), ws_.root()});
    }

    // Pages that are not what a web page should be. Those that can be read are converted, and
    // their calls spell exactly the page after the native pass.
    void pages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("Binärdatei") << randomBytes(65536, 6) << 0;
        QTest::newRow("NUL-Bytes") << QByteArray("<p>a\0b</p>\0\r\n\0\0", 15) << 0;
        QTest::newRow("0 Byte") << QByteArray() << 2;
        QTest::newRow("1 Byte") << QByteArray("x") << 0;
        QTest::newRow("nur CR") << QByteArray("\r\r\r") << 0;
        QTest::newRow("nur LF") << QByteArray("\n\n\n") << 0;
    }
    void pages() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        const QString src = source(QStringLiteral("seiten"), QStringLiteral("p.htm"), bytes);
        const QString out = ws_.fresh(QStringLiteral("aus"));
        QVERIFY(QDir().mkpath(out));
        // Native pass and JavaScript form, head not kept, so the page reads back from its calls.
        const OptionValues v = without(jobOptions(out), {CheckField::chkSeo, CheckField::chkZange});
        const BatchResult r = runBatch(ws_.project(QStringLiteral("p"), v, {src}));
        VELTRANO_COMPARE_RUN(r, exitCode);
        QCOMPARE(readFile(src), bytes);
        const QString output = QDir(out).filePath(QStringLiteral("p.htm"));
        if (exitCode == 2) {
            QVERIFY2(r.hasMessage(kMissingMessage, src), qPrintable(r.messagesText()));
            QVERIFY(!QFile::exists(output));
        } else {
            QVERIFY(r.messages.contains(kDoneMessage));
            const QByteArray page = readFile(output);
            QVERIFY(page.endsWith("\r\n"));
            QByteArray text;
            for (const QByteArray& line : fuzz::pageLines(bytes))
                text += line + "\r\n";
            QString why;
            QVERIFY2(spells(page, fuzz::nativeReference(text, false), &why), qPrintable(why));
        }
        counted(QStringLiteral("Seite"));
    }

    // One line of 200 MB, generated here: read, converted and written whole.
    void hugeLine() {
        constexpr qint64 kSize = 200LL * 1024 * 1024;
        const QString src = source(QStringLiteral("riesig"), QStringLiteral("zeile.htm"), "<p>");
        {
            QFile file(src);
            QVERIFY(file.open(QIODevice::Append));
            const QByteArray block(1 << 20, 'a');
            for (qint64 size = 3; size < kSize; size += block.size())
                QVERIFY(file.write(block.left(qMin<qint64>(block.size(), kSize - size))) > 0);
            QCOMPARE(file.size(), kSize);
        }
        const QString out = ws_.fresh(QStringLiteral("aus"));
        QVERIFY(QDir().mkpath(out));
        // The plain form: the encodings multiply the size many times over.
        const OptionValues v =
            without(jobOptions(out), {CheckField::chkNativ, CheckField::chkJava});
        const BatchResult r = runBatch(ws_.project(QStringLiteral("riesig"), v, {src}), 600000);
        VELTRANO_COMPARE_RUN(r, 0);
        QVERIFY(r.messages.contains(kDoneMessage));
        QFile output(QDir(out).filePath(QStringLiteral("zeile.htm")));
        QVERIFY(output.open(QIODevice::ReadOnly));
        // Header, the line with its CR LF, two end lines and the final CR LF.
        const qint64 tail = 2 + 2 * 2 + 2;
        QVERIFY(output.size() > kSize + tail);
        QVERIFY(output.seek(output.size() - kSize - tail));
        QCOMPARE(output.read(3), QByteArray("<p>"));
        QVERIFY(output.seek(output.size() - tail - 3));
        QCOMPARE(output.readAll(), QByteArray("aaa\r\n\r\n\r\n\r\n"));
        output.close();
        QFile::remove(src);
        QFile::remove(output.fileName());
        counted(QStringLiteral("Seite"), QStringLiteral("eine Zeile von 200 MB"));
    }

    // Counts of blank lines as typed: a leading number counts, anything else is none, and a
    // number too large for a page is refused before anything is written.
    void counts_data() {
        QTest::addColumn<bool>("end");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines"); // -1: refused
        const auto row = [](const char* tag, const char* text, int lines) {
            QTest::newRow(tag) << (tag[0] == 'E') << QString::fromLatin1(text) << lines;
        };
        row("Anfang 99999999999", "99999999999", -1);
        row("Anfang 2^63-1", "9223372036854775807", -1);
        row("Anfang 10^22", "10000000000000000000000", -1);
        row("Anfang 1e9", "1e9", 1);
        row("Anfang -0", "-0", 0);
        row("Anfang -5", "-5", 0);
        row("Anfang abc", "abc", 0);
        row("Anfang leer", "", 0);
        row("Ende 99999999999", "99999999999", -1);
        row("Ende 1e9", "1e9", 1);
        row("Ende abc", "abc", 0);
    }
    void counts() {
        QFETCH(bool, end);
        QFETCH(QString, text);
        QFETCH(int, lines);
        const QString src =
            source(QStringLiteral("zahlen"), QStringLiteral("z.htm"), "<p>Zahl</p>\r\n");
        const QString out = ws_.fresh(QStringLiteral("aus"));
        const QString output = QDir(out).filePath(QStringLiteral("z.htm"));
        const QByteArray old = "alte Ausgabe\r\n";
        writeFile(output, old);
        OptionValues v = jobOptions(out);
        v.texts[static_cast<size_t>(end ? TextField::txtEnd : TextField::txtStart)] = text;
        const BatchResult r = runBatch(ws_.project(QStringLiteral("z"), v, {src}));
        VELTRANO_COMPARE_RUN(r, lines < 0 ? 1 : 0);
        const QByteArray page = readFile(output);
        if (lines < 0) {
            QVERIFY2(r.hasMessage(QStringLiteral("Fehler: Die Zahl der Leerzeilen"), src),
                     qPrintable(r.messagesText()));
            QCOMPARE(page, old);
        } else if (end) {
            // The noscript notice, the end lines, the final line end.
            QVERIFY(page.endsWith("</noscript>" + QByteArray("\r\n").repeated(lines + 1)));
        } else {
            QCOMPARE(startLines(page), lines);
        }
        counted(QStringLiteral("Zahl"));
    }

    // Project files that are not what this program writes, or no file at all.
    void projects_data() {
        QTest::addColumn<QByteArray>("bytes"); // "ordner": a folder, "fehlt": no such file
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QByteArray head = projectHead(ws_.path(QStringLiteral("aus-projekt")));
        const QString damaged = QStringLiteral("Fehler: Die Projektdatei ");
        const QString version = QStringLiteral("Fehler: Die Datei wurde mit Version ");
        const QByteArray garbage = randomBytes(4096, 7);
        QByteArray badNumber = head;
        badNumber.replace("\r\n 0 \r\n", "\r\n 7 \r\n");
        QTest::newRow("leer") << QByteArray() << 3 << damaged;
        QTest::newRow("fehlt") << QByteArray("fehlt") << 3 << damaged;
        QTest::newRow("ist ein Ordner") << QByteArray("ordner") << 3 << damaged;
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
        QTest::newRow("Zahl 7") << badNumber << 3 << damaged;
        QTest::newRow("LF im Pfad") << head + "/gibt/es\nnicht.htm\r\n" << 2 << kMissingMessage;
        QTest::newRow("CR im Pfad") << head + "/gibt/es\rnicht.htm\r\n" << 2 << kMissingMessage;
    }
    void projects() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString project = ws_.fresh(QStringLiteral("kaputt")) + QStringLiteral(".vtp");
        if (bytes == "ordner")
            QVERIFY(QDir().mkpath(project));
        else if (bytes != "fehlt")
            writeFile(project, bytes);
        const BatchResult r = runBatch(project);
        VELTRANO_COMPARE_RUN(r, exitCode);
        QVERIFY2(r.hasMessage(message), qPrintable(r.messagesText()));
        // A message is one readable line, however long the damaged text.
        for (const QString& line : r.messages)
            QVERIFY2(line.size() < 1000, qPrintable(line.left(200)));
        if (bytes != "ordner" && bytes != "fehlt")
            QCOMPARE(readFile(project), bytes);
        counted(QStringLiteral("Projekt"));
    }

    // 100,000 list lines naming one page: overwriting converts it once and backs it up once.
    void hundredThousandLines() {
        const QByteArray original = makePage(1, 2000);
        const QString src = source(QStringLiteral("viele"), QStringLiteral("v.htm"), original);
        QByteArray bytes = projectHead(QString());
        bytes.replace("Wahr\r\nFalsch", "Falsch\r\nWahr");
        bytes += (QFile::encodeName(src) + "\r\n").repeated(100000);
        const QString project = ws_.fresh(QStringLiteral("viele")) + QStringLiteral(".vtp");
        writeFile(project, bytes);

        const BatchResult r = runBatch(project, 600000);
        VELTRANO_COMPARE_RUN(r, 0);
        QVERIFY(r.messages.contains(kDoneMessage));
        QCOMPARE(readFile(src + QStringLiteral(".bak")), original);
        QVERIFY(readFile(src).contains(kConverted));
        counted(QStringLiteral("Projekt"), QStringLiteral("100000 Listenzeilen"));
    }

    // File names with blanks, umlauts, at the longest a name may be, in a path near the longest
    // a path may be, and beyond: overwritten with backups, or refused with a message.
    void fileNames_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        const QString lang = QStringLiteral("lang");
        const QString seite = QStringLiteral("seite.htm");
        QString deep;
        for (int i = 0; i < 15; ++i)
            deep += QString(200, QLatin1Char('a' + i)) + QLatin1Char('/');
        QString deeper = deep;
        for (int i = 0; i < 8; ++i)
            deeper += QString(200, QLatin1Char('p' + i)) + QLatin1Char('/');
        QTest::newRow("Blanks") << QStringLiteral("mein ordner")
                                << QStringLiteral("Seite mit Blanks .htm") << 0;
        QTest::newRow("Umlaute") << QStringLiteral("Überblick")
                                 << QStringLiteral("Grüße äöüß ÄÖÜ.htm") << 0;
        QTest::newRow("Name 240 Zeichen")
            << lang << QString(236, u'n') + QStringLiteral(".htm") << 0;
        QTest::newRow("Name 255 Zeichen")
            << lang << QString(251, u'n') + QStringLiteral(".htm") << 0;
        QTest::newRow("Pfad 3000 Zeichen") << deep << seite << 0;
        QTest::newRow("Pfad über 4096 Zeichen") << deeper << seite << 2;
    }
    void fileNames() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        const QString base = ws_.fresh(QStringLiteral("namen"));
        const QString src = base + QLatin1Char('/') + folder + QLatin1Char('/') + name;
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
        const BatchResult r =
            runBatch(ws_.project(QStringLiteral("namen"), jobOptions(QString()), {src}));
        VELTRANO_COMPARE_RUN(r, exitCode);
        if (exitCode == 0) {
            QVERIFY(r.messages.contains(kDoneMessage));
            const bool backedUp = readFile(src + QStringLiteral(".bak")) == original;
            if (!backedUp && readFile(src) != original)
                recordFigure(kTest, QStringLiteral("lost"),
                             QString::fromUtf8(QTest::currentDataTag()));
            QEXPECT_FAIL("Name 255 Zeichen",
                         "name + \".bak\" is longer than a file name may be: the backup fails "
                         "silently and the source is replaced all the same",
                         Abort);
            QVERIFY2(backedUp, "the original is kept in the backup");
            QVERIFY(readFile(src).contains(kConverted));
        } else {
            QVERIFY2(r.hasMessage(kMissingMessage, name), qPrintable(r.messagesText()));
        }
        counted(QStringLiteral("Dateiname"));
    }
};

QTEST_GUILESS_MAIN(TestBadInput)
#include "tst_badinput.moc"
