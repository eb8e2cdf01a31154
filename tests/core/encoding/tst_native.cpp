#include "encoding/native.h"
#include "support/pagebytes.h"
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
        const auto row = [](const char* tag, const char* page, int seo, const char* expected) {
            QTest::newRow(tag) << QByteArray(page) << seo << QByteArray(expected);
        };
        row("text encoded, tags kept, line breaks removed", "<b>Hi</b>\r\n", 0,
            "<b>&#72;&#105;</b>");
        row("blanks never encoded", "a b\r\n", 0, "&#97; &#98;");
        row("high characters by code page value", "\xe4\x80\xff\r\n", 0, "&#228;&#128;&#255;");
        row("references stay", "&auml;&#228;x\r\n", 0, "&auml;&#228;&#120;");
        row("tag attributes and quotes stay", "<a href=\"x y\">z</a>\r\n", 0,
            "<a href=\"x y\">&#122;</a>");
        row("stray quote: opening kept, closing encoded", "a\"b\"c\r\n", 0, "&#97;\"b&#34;&#99;");
        row("bare script element kept", "<script>var a=1;</script>x\r\n", 0,
            "<script>var a=1;</script>&#120;");
        row("script with attributes is not a script element", "<script type=x>v</script>\r\n", 0,
            "<script type=x>&#118;</script>");
        row("page's own blank and line-break references removed", "<i>&#32;&#13;&#10;</i>\r\n", 0,
            "<i></i>");
        row("removal order joins CR, blank, LF", "<i>&#13;&#32;&#10;</i>\r\n", 0, "<i></i>");
        row("head readable with chkSeo", "<head><title>T</title></head><p>x</p>\r\n", 1,
            "<head><title>T</title></head><p>&#120;</p>");
        row("dimmed chkSeo keeps head too", "<head>T</HEAD>x\r\n", 2, "<head>T</HEAD>&#120;");
        row("head encoded without chkSeo", "<head><title>T</title></head>\r\n", 0,
            "<head><title>&#84;</title></head>");
        row("no head end: nothing encoded with chkSeo", "<p>x</p>\r\n", 1, "<p>x</p>\r\n");
        row("everything removed gives the page back", "&#32;\r\n", 0, "&#32;\r\n");
    }
    void pass() {
        QFETCH(QByteArray, page);
        QFETCH(int, seo);
        QTEST(cripple(page, 1, CheckState(seo)), "expected");
    }

    void clearPassReturnsInput() {
        for (int seo : {0, 1})
            QCOMPARE(cripple("<p>&#32; a\r\n", 0, CheckState(seo)), QByteArray("<p>&#32; a\r\n"));
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
