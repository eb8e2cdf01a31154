#include "encoding/native.h"
#include "support/recordinghost.h"

#include <QtTest>

using namespace veltrano;

class TestNative : public QObject {
    Q_OBJECT

    static QByteArray cripple(const QByteArray& page, CheckState nativ, CheckState seo) {
        OptionSet options(QStringLiteral("/p"));
        options.setCheck(CheckField::chkNativ, nativ);
        options.setCheck(CheckField::chkSeo, seo);
        test::RecordingHost host;
        return CrippleNative(page, options, host);
    }

private slots:
    void pass_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("seo");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("text encoded, tags kept, line breaks removed")
            << QByteArray("<b>Hi</b>\r\n") << 0 << QByteArray("<b>&#72;&#105;</b>");
        QTest::newRow("blanks never encoded") << QByteArray("a b\r\n") << 0
                                              << QByteArray("&#97; &#98;");
        QTest::newRow("high characters by code page value")
            << QByteArray("\xe4\x80\xff\r\n") << 0 << QByteArray("&#228;&#128;&#255;");
        QTest::newRow("references stay")
            << QByteArray("&auml;&#228;x\r\n") << 0 << QByteArray("&auml;&#228;&#120;");
        QTest::newRow("tag attributes and quotes stay")
            << QByteArray("<a href=\"x y\">z</a>\r\n") << 0
            << QByteArray("<a href=\"x y\">&#122;</a>");
        QTest::newRow("stray quote: opening kept, closing encoded")
            << QByteArray("a\"b\"c\r\n") << 0 << QByteArray("&#97;\"b&#34;&#99;");
        QTest::newRow("bare script element kept")
            << QByteArray("<script>var a=1;</script>x\r\n") << 0
            << QByteArray("<script>var a=1;</script>&#120;");
        QTest::newRow("script with attributes is not a script element")
            << QByteArray("<script type=x>v</script>\r\n") << 0
            << QByteArray("<script type=x>&#118;</script>");
        QTest::newRow("page's own blank and line-break references removed")
            << QByteArray("<i>&#32;&#13;&#10;</i>\r\n") << 0 << QByteArray("<i></i>");
        QTest::newRow("removal order joins CR, blank, LF")
            << QByteArray("<i>&#13;&#32;&#10;</i>\r\n") << 0 << QByteArray("<i></i>");
        QTest::newRow("head readable with chkSeo")
            << QByteArray("<head><title>T</title></head><p>x</p>\r\n") << 1
            << QByteArray("<head><title>T</title></head><p>&#120;</p>");
        QTest::newRow("dimmed chkSeo keeps head too")
            << QByteArray("<head>T</HEAD>x\r\n") << 2 << QByteArray("<head>T</HEAD>&#120;");
        QTest::newRow("head encoded without chkSeo")
            << QByteArray("<head><title>T</title></head>\r\n") << 0
            << QByteArray("<head><title>&#84;</title></head>");
        QTest::newRow("no head end: nothing encoded with chkSeo")
            << QByteArray("<p>x</p>\r\n") << 1 << QByteArray("<p>x</p>\r\n");
        QTest::newRow("everything removed gives the page back")
            << QByteArray("&#32;\r\n") << 0 << QByteArray("&#32;\r\n");
    }
    void pass() {
        QFETCH(QByteArray, page);
        QFETCH(int, seo);
        QTEST(cripple(page, 1, CheckState(seo)), "expected");
    }

    void clearPassReturnsInput() {
        const QByteArray page("<p>&#32; a\r\n");
        QCOMPARE(cripple(page, 0, 0), page);
        QCOMPARE(cripple(page, 0, 1), page);
    }

    void reportsProgressOverLargePages() {
        OptionSet options(QStringLiteral("/p"));
        test::RecordingHost host;
        const QByteArray page = QByteArray(100000, 'x');
        CrippleNative(page, options, host);
        QCOMPARE(host.pageMaximum, qint64(page.size()));
        QCOMPARE(host.pageValue, qint64(page.size()));
        QVERIFY(host.pumps >= 5);
    }
};

QTEST_GUILESS_MAIN(TestNative)
#include "tst_native.moc"
