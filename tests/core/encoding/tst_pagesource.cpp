#include "encoding/bytebuffer.h"
#include "encoding/pagesource.h"
#include "support/pagebytes.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace veltrano;

class TestPageSource : public QObject {
    Q_OBJECT

    static QByteArray split(const QByteArray& file, CheckState zange) {
        test::RecordingHost host;
        ByteBuffer page;
        SplitPageLines(file, zange, page, host);
        return page.view().toByteArray();
    }

private slots:
    void lineEnds_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("no final line end") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\n");
        QTest::newRow("final line end") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone LF stays in the line") << QByteArray("a\nb\n")
                                                  << QByteArray("a\nb\n\r\n");
        QTest::newRow("LF CR") << QByteArray("a\n\rb") << QByteArray("a\n\r\nb\r\n");
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << QByteArray("\r\n\r\n");
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\n") << QByteArray("a\r\n\r\n");
        QTest::newRow("NUL bytes kept") << QByteArray("a\0b", 3) << QByteArray("a\0b\r\n", 5);
        QTest::newRow("empty file") << QByteArray() << QByteArray();
    }
    void lineEnds() {
        QFETCH(QByteArray, file);
        QTEST(split(file, 0), "page");
    }

    void quelltextzange_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("text lines joined, last keeps CR LF")
            << QByteArray("<p>a\r\nb\r\nc\r\n") << QByteArray("<p>a b c\r\n");
        QTest::newRow("script lines keep their breaks")
            << QByteArray("x\r\n<SCRIPT>\r\nvar a;\r\n</script>\r\ny\r\nz")
            << QByteArray("x <SCRIPT>\r\nvar a;\r\n</script>\r\ny z\r\n");
        QTest::newRow("script start and end on one line")
            << QByteArray("<script>f()</script>\r\na\r\nb") << QByteArray("<script>f()</script>\r\na b\r\n");
        QTest::newRow("script opened after a closing one on the same line")
            << QByteArray("<script src=a.js></script><script>\r\nvar a = 1 // x\r\nf()\r\n</script>\r\na\r\nb")
            << QByteArray("<script src=a.js></script><script>\r\nvar a = 1 // x\r\nf()\r\n</script>\r\na b\r\n");
        QTest::newRow("word script in text counts")
            << QByteArray("manuscript\r\na\r\nb") << QByteArray("manuscript\r\na\r\nb\r\n");
        QTest::newRow("pre keeps its lines")
            << QByteArray("a\r\n<PRE>x\r\n  y\r\n</pre>\r\nb\r\nc")
            << QByteArray("a <PRE>x\r\n  y\r\n</pre>\r\nb c\r\n");
        QTest::newRow("textarea and listing")
            << QByteArray("<textarea>\r\n1\r\n</textarea>\r\n<listing>\r\n2\r\n</listing>\r\nz")
            << QByteArray("<textarea>\r\n1\r\n</textarea>\r\n<listing>\r\n2\r\n</listing>\r\nz\r\n");
        QTest::newRow("lone LF lines are one line")
            << QByteArray("a\nb\nc") << QByteArray("a\nb\nc\r\n");
    }
    void quelltextzange() {
        QFETCH(QByteArray, file);
        QTEST(split(file, 1), "page");
        // The dimmed state counts as set.
        QTEST(split(file, 2), "page");
    }

    void readsThroughTheFileSystem() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("seite.htm"));
        test::writeFile(path, QByteArray("\xe4\r\nx"));
        OptionSet options(dir.path());
        options.setCheck(CheckField::chkZange, 0);
        test::RecordingHost host;
        QString error;
        QCOMPARE(ReadPageSource(path, options, host, &error), QByteArray("\xe4\r\nx\r\n"));
        QVERIFY(error.isEmpty());
        QCOMPARE(ReadPageSource(dir.filePath(QStringLiteral("fehlt.htm")), options, host, &error),
                 QByteArray());
        QVERIFY(!error.isEmpty());
    }

    void yieldsWhileReadingLargePages() {
        test::RecordingHost host;
        ByteBuffer page;
        SplitPageLines(QByteArray(200000, 'a') + "\r\n" + QByteArray(200000, 'b'), 1, page, host);
        QVERIFY(host.pumps >= 10);
        QCOMPARE(page.size(), 400003);
    }
};

QTEST_GUILESS_MAIN(TestPageSource)
#include "tst_pagesource.moc"
