#include "batchtool.h"
#include "encoding/encodepage.h"
#include "encoding/random.h"
#include "filelist/filelist.h"
#include "host.h"
#include "options/optionset.h"
#include "project/projectfile.h"
#include "run/pageheader.h"
#include "support/pagebytes.h"
#include "support/testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTextStream>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kDoneLine =
    "Abschluss: Das verschl\xc3\xbcsseln der Dateien ist erfolgreich abgeschlossen!\n";

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

Outcome runInProcess(const QStringList& args, bool terminal = false) {
    Outcome o;
    QTextStream out(&o.out);
    QTextStream err(&o.err);
    Random::program().setState(Random::kStart);
    o.code = runBatch(args, out, err, terminal);
    return o;
}

// A project with small blank-line counts, the given pair and output folder, and pages.
QByteArray project(const QString& outFolder, bool overwrite, const QStringList& pages,
                   const QByteArray& version = "3.0.0") {
    QByteArray b = version + "\r\n";
    for (int i = 0; i < 9; ++i)
        b += " 1 \r\n";
    b += overwrite ? "Falsch\r\nWahr\r\n" : "Wahr\r\nFalsch\r\n";
    b += " 1 \r\n3\r\n2\r\nError 404, file not found!\r\nJavaskript fehlt\r\n";
    b += outFolder.toUtf8() + "\r\n";
    for (const QString& p : pages)
        b += p.toUtf8() + "\r\n";
    return b;
}

// The pages a fresh process writes for the project's pages, in order.
QList<QByteArray> expectedPages(const QString& projectFile) {
    OptionSet options;
    FileList list;
    if (ReadProject(projectFile, options, list).status != ProjectReadResult::Status::Ok)
        return {};
    Random random;
    NullHost host;
    QList<QByteArray> result;
    for (int i = 0; i < list.count(); ++i) {
        const QByteArray page =
            EncodePage(list.path(i), BuildPageHeader(options), options, random, host);
        result << AppendEndLines(page, options) + "\r\n";
    }
    return result;
}

} // namespace

class TestBatchTool : public QObject {
    Q_OBJECT

    test::TestFolder dir_;
    QString at(const QString& name) const { return dir_.at(name); }

private slots:
    void init() {
        dir_.reset();
        test::writeFile(at(u"web/a.htm"_s), "<html><head></head><body>A</body></html>\r\n");
        test::writeFile(at(u"web/b.htm"_s), "<p>B\r\nzwei\r\n");
        QDir().mkpath(at(u"out"_s));
    }

    void help() {
        for (const QString& arg : {u"--help"_s, u"-h"_s}) {
            const Outcome o = runInProcess({arg});
            QCOMPARE(o.code, 0);
            QVERIFY(o.out.contains(u"Rückgabewert"_s));
            QVERIFY(o.out.contains(u"Exit status"_s));
            QVERIFY(o.err.isEmpty());
        }
    }

    void usage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("two projects") << QStringList({u"a.vtp"_s, u"b.vtp"_s});
        QTest::newRow("unknown option") << QStringList({u"--fast"_s, u"a.vtp"_s});
        QTest::newRow("empty name") << QStringList({QString()});
    }
    void usage() {
        QFETCH(QStringList, args);
        const Outcome o = runInProcess(args);
        QCOMPARE(o.code, 64);
        QVERIFY(!o.err.isEmpty());
    }

    void exitCodes_data() {
        QTest::addColumn<QString>("outFolder");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("firstLine");
        const QString a = at(u"web/a.htm"_s);
        const QString missing = at(u"web/missing.htm"_s);
        const QString out = at(u"out"_s);
        QTest::newRow("completed") << out << QStringList({a}) << 0 << QString::fromUtf8(kDoneLine);
        QTest::newRow("write errors") << at(u"nowhere"_s) << QStringList({a}) << 1
                                      << u"Fehler: Fehler (Ist das Ausgabeverzeichnis "_s +
                                             at(u"nowhere"_s) + u" vorhanden?): "_s;
        QTest::newRow("stopped")
            << out << QStringList({missing, a}) << 2
            << u"Schwerwiegender Fehler: Datei konnte nicht gefunden werden: "_s + missing +
                   u"\n"_s;
        QTest::newRow("other version")
            << out << QStringList({a}) << 3
            << u"Fehler: Die Datei wurde mit Version 2.0.0 erstellt, und ist zu 3.0.0 nicht kompatibel!\n"_s;
        QTest::newRow("damaged") << out << QStringList() << 3 << u"Fehler: Die Projektdatei"_s;
        // A project file that is not there is named in the message.
        QTest::newRow("missing project") << out << QStringList() << 3 << u"Fehler: "_s;
    }
    void exitCodes() {
        QFETCH(QString, outFolder);
        QFETCH(QStringList, pages);
        QFETCH(int, code);
        QFETCH(QString, firstLine);
        const QByteArray tag = QTest::currentDataTag();
        QByteArray bytes =
            project(outFolder, false, pages, tag == "other version" ? "2.0.0" : "3.0.0");
        if (tag == "damaged")
            bytes.replace("Wahr", "Jein");
        if (tag != "missing project")
            test::writeFile(at(u"p.vtp"_s), bytes);
        const Outcome o = runInProcess({at(u"p.vtp"_s)});
        QCOMPARE(o.code, code);
        QVERIFY2(o.err.startsWith(firstLine), qPrintable(o.err));
        QVERIFY(o.out.isEmpty());
        // Every message is one line.
        for (const QString& line : o.err.split(u'\n', Qt::SkipEmptyParts))
            QVERIFY(line.contains(u": "_s));
        if (tag == "missing project")
            QVERIFY(o.err.contains(at(u"p.vtp"_s)));
    }

    // On a terminal a progress line shows the page; it is cleared before every message.
    void progressLine() {
        test::writeFile(at(u"p.vtp"_s), project(at(u"out"_s), false, {at(u"web/a.htm"_s)}));
        const Outcome o = runInProcess({at(u"p.vtp"_s)}, true);
        QCOMPARE(o.code, 0);
        QVERIFY(o.err.startsWith(u"\r\x1b[K[1/1] 0% "_s + at(u"web/a.htm"_s)));
        QVERIFY(o.err.endsWith(u"\r\x1b[K"_s + QString::fromUtf8(kDoneLine)));
    }

    // A fresh process: the pages byte for byte, the generator continuing from page to page,
    // and no progress line on a pipe.
    void endToEnd_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("output folder") << false;
        QTest::newRow("overwrite with backup") << true;
    }
    void endToEnd() {
        QFETCH(bool, overwrite);
        const QStringList pages = {at(u"web/a.htm"_s), at(u"web/b.htm"_s)};
        const QByteArray sourceB = test::readFile(pages[1]);
        test::writeFile(at(u"p.vtp"_s), project(at(u"out/"_s), overwrite, pages));
        const QList<QByteArray> expected = expectedPages(at(u"p.vtp"_s));
        QCOMPARE(expected.size(), 2);

        QProcess process;
        process.start(QStringLiteral(VELTRANO_BATCH_EXE), {at(u"p.vtp"_s)});
        QVERIFY(process.waitForFinished(120000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardError(), kDoneLine);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        const QString folder = overwrite ? at(u"web"_s) : at(u"out"_s);
        QCOMPARE(test::readFile(folder + u"/a.htm"_s), expected[0]);
        QCOMPARE(test::readFile(folder + u"/b.htm"_s), expected[1]);
        if (overwrite)
            QCOMPARE(test::readFile(pages[1] + u".bak"_s), sourceB);
    }
};

QTEST_GUILESS_MAIN(TestBatchTool)
#include "tst_batchtool.moc"
