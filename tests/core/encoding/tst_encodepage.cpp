#include "encoding/encodepage.h"
#include "encoding/random.h"
#include "support/pagebytes.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace veltrano;
using Checks = QList<std::pair<CheckField, int>>;

class TestEncodePage : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QByteArray encode(const QByteArray& file, const Checks& checks) {
        const QString path = dir_.filePath(QStringLiteral("seite.htm"));
        test::writeFile(path, file);
        OptionSet options(dir_.path());
        for (const auto& [field, value] : checks)
            options.setCheck(field, CheckState(value));
        Random random;
        test::RecordingHost host;
        QString error;
        const QByteArray out = EncodePage(path, "HEADER\r\n", options, random, host, &error);
        [&] { QVERIFY2(error.isEmpty(), qPrintable(error)); }();
        return out;
    }

private slots:
    void passOrder_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Checks>("checks");
        QTest::addColumn<QByteArray>("expected");
        using F = CheckField;
        QTest::newRow("both passes clear: header then lines")
            << QByteArray("<p>a\r\nb") << Checks{{F::chkNativ, 0}, {F::chkJava, 0}, {F::chkZange, 0}}
            << QByteArray("HEADER\r\n<p>a\r\nb\r\n");
        QTest::newRow("zange joins text lines before the native pass")
            << QByteArray("<p>a\r\nb") << Checks{{F::chkJava, 0}, {F::chkSeo, 0}}
            << QByteArray("HEADER\r\n<p>&#97; &#98;");
        QTest::newRow("native only, line breaks removed")
            << QByteArray("<p>a\r\nb") << Checks{{F::chkJava, 0}, {F::chkSeo, 0}, {F::chkZange, 0}}
            << QByteArray("HEADER\r\n<p>&#97;&#98;");
        QTest::newRow("native then javascript")
            << QByteArray("b") << Checks{{F::chkSeo, 0}, {F::chkZange, 0}}
            // "&#98;" written by the script: & # 9 8 ;
            << QByteArray("HEADER\r\n<!--crippled with Veltrano--><script>\r\n")
            + "c = new Array(255);\r\nvar z = 0\r\nwhile (z < 255){\r\n c[z] = String.fromCharCode(z)\r\n z++;\r\n}\r\n"
            + "document.write (c[38],c[35],c[57],c[56],c[59]);\r\n";
    }
    void passOrder() {
        QFETCH(QByteArray, file);
        QFETCH(Checks, checks);
        QFETCH(QByteArray, expected);
        const QByteArray out = encode(file, checks);
        QCOMPARE(out.left(expected.size()), expected);
        QCOMPARE(out.contains("<noscript>"), !checks.contains({CheckField::chkJava, 0}));
    }

    void unreadablePageReportsWhy() {
        OptionSet options(dir_.path());
        Random random;
        test::RecordingHost host;
        QString error;
        const QByteArray out =
            EncodePage(dir_.path(), "H\r\n", options, random, host, &error); // a folder
        QVERIFY(!error.isEmpty());
        QVERIFY(out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEncodePage)
#include "tst_encodepage.moc"
