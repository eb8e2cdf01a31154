#include "encoding/javascript.h"
#include "encoding/random.h"
#include "support/pagebytes.h"
#include "support/recordinghost.h"

#include <QtTest>

using namespace veltrano;

namespace {

const QByteArray kTable = "<!--crippled with Veltrano--><script>\r\n"
                          "c = new Array(255);\r\n"
                          "var z = 0\r\n"
                          "while (z < 255){\r\n"
                          " c[z] = String.fromCharCode(z)\r\n"
                          " z++;\r\n"
                          "}\r\n";

QByteArray notice(const QByteArray& txtJava) {
    return "</script><noscript>" + txtJava +
           "<br><br>Diese Seite wurde mit <a href=http://www.veltrano.example/>Veltrano</a> "
           "[3.00] verschl\xfcsselt, da der Webmaster die Javaskript Option gew\xe4hlt hat "
           "m\xfcssen Sie leider Javaskript aktivieren um sich diese Seite anzusehen."
           "</center></noscript>";
}

// The items of one write call for these bytes: c[code] joined by commas.
QByteArray items(const QByteArray& bytes) {
    QByteArrayList list;
    for (char c : bytes)
        list << "c[" + QByteArray::number(static_cast<unsigned char>(c)) + "]";
    return list.join(',');
}

} // namespace

class TestJavaScript : public QObject {
    Q_OBJECT
private slots:
    void form_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<int>("seo");
        QTest::addColumn<QString>("txtJava");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("short page is one call")
            << QByteArray("ab\r\n") << QByteArray("H\r\n") << 0 << QStringLiteral("J")
            << "H\r\n" + kTable + "document.write (c[97],c[98],c[13],c[10]);\r\n" + notice("J");

        const QByteArray a58 = QByteArray(56, 'a') + "\r\n";
        QTest::newRow("first split of a fresh generator after position 56")
            << a58 << QByteArray("H\r\n") << 0 << QString()
            << "H\r\n" + kTable + "document.write (" + items(a58.left(56)) +
                   ");document.write (c[13],c[10]);\r\n" + notice("");

        const QByteArray a56 = QByteArray(54, 'a') + "\r\n";
        QTest::newRow("split on the last character leaves no empty call")
            << a56 << QByteArray() << 0 << QString()
            << kTable + "document.write (" + items(a56) + ");\r\n" + notice("");

        const QByteArray head = "<HTML><HEAD><title>T</title></HEAD>";
        const QByteArray body = "<body>" + QByteArray(70, 'y') + "</body>\r\n";
        QTest::newRow("readable head; positions count from the page start")
            << head + body << QByteArray("H\r\n") << 1 << QString()
            << head + "H\r\n" + kTable + "document.write (" + items(body) + ");\r\n" + notice("");
        QTest::newRow("dimmed chkSeo encodes the head")
            << QByteArray("<head></head>x") << QByteArray("H\r\n") << 2 << QString()
            << "H\r\n" + kTable + "document.write (" + items("<head></head>x") + ");\r\n" +
                   notice("");
        QTest::newRow("head end followed only by the line end")
            << QByteArray("<head></head>\r\n") << QByteArray() << 1 << QString()
            << "<head></head>" + kTable + "document.write (c[13],c[10]);\r\n" + notice("");
        QTest::newRow("no head end: whole page encoded")
            << QByteArray("<p>\r\n") << QByteArray() << 1 << QString()
            << kTable + "document.write (c[60],c[112],c[62],c[13],c[10]);\r\n" + notice("");
        QTest::newRow("code 255 and high codes")
            << QByteArray("\xff\x80") << QByteArray() << 0 << QString()
            << kTable + "document.write (c[255],c[128]);\r\n" + notice("");
        QTest::newRow("nothing to encode: empty write line")
            << QByteArray("<head></head>") << QByteArray() << 1 << QString()
            << "<head></head>" + kTable + "\r\n" + notice("");
        QTest::newRow("empty calls removed from head and header too")
            << QByteArray("<head>document.write );</head>")
            << QByteArray("<!--document.write );-->") << 1 << QStringLiteral("document.write );")
            << "<head></head><!---->" + kTable + "\r\n" + notice("document.write );");
        QTest::newRow("notice text in the code page")
            << QByteArray("x") << QByteArray() << 0
            << QStringLiteral("Bitte Javaskript einschalten ä€")
            << kTable + "document.write (c[120]);\r\n" +
                   notice("Bitte Javaskript einschalten \xe4\x80");
    }
    void form() {
        QFETCH(QByteArray, page);
        QFETCH(QByteArray, header);
        QFETCH(int, seo);
        QFETCH(QString, txtJava);
        OptionSet options(QStringLiteral("/p"));
        options.setCheck(CheckField::chkSeo, CheckState(seo));
        options.setText(TextField::txtJava, txtJava);
        Random random;
        test::RecordingHost host;
        QTEST(EncryptJavaScript(page, header, options, random, host), "expected");
    }

    // Sixty characters in one page split after position 56 only; in two pages of thirty the
    // draws go on, and the second page sees different divisors than a fresh start would. Over
    // a long page every split follows a position with a divisor from 20 to 39.
    void drawsFollowTheGenerator() {
        OptionSet options(QStringLiteral("/p"));
        options.setCheck(CheckField::chkSeo, 0);
        test::RecordingHost host;
        const auto encrypt = [&](qsizetype size, Random& random) {
            return EncryptJavaScript(QByteArray(size, 'a'), {}, options, random, host);
        };
        Random shared, fresh, replay;
        const QByteArray first = encrypt(30, shared);
        QVERIFY(encrypt(30, shared) != first);
        QCOMPARE(encrypt(30, fresh), first);
        for (int i = 0; i < 60; ++i)
            replay.next();
        QCOMPARE(shared.state(), replay.state());

        const int pumps = host.pumps;
        const QByteArray out = encrypt(100000, shared);
        qsizetype calls = 1;
        for (qsizetype p = 1; p <= 100000; ++p) {
            const int d = replay.nextSplitDivisor();
            if (p % d == 0 && p != 100000)
                ++calls;
        }
        QCOMPARE(out.count("document.write ("), calls);
        QCOMPARE(out.count("c[97]"), 100000);
        QVERIFY(host.pumps - pumps > 3);
    }

    // A page's draw count is what the pass takes, so jumping ahead by it lands where the pass
    // leaves the generator; a jump equals that many steps, and the full period returns.
    void drawCountAndJump_data() {
        QTest::addColumn<int>("seo");
        QTest::addColumn<int>("java");
        QTest::addColumn<qint64>("draws");
        QTest::newRow("whole page") << 0 << 1 << qint64(15);
        QTest::newRow("after the head") << 1 << 1 << qint64(2);
        QTest::newRow("dimmed keeps no head") << 2 << 1 << qint64(15);
        QTest::newRow("no JavaScript") << 1 << 0 << qint64(0);
    }
    void drawCountAndJump() {
        QFETCH(int, seo);
        QFETCH(int, java);
        QFETCH(qint64, draws);
        const QByteArray page = "<HEAD></Head>ab";
        OptionSet options(QStringLiteral("/p"));
        options.setCheck(CheckField::chkSeo, CheckState(seo));
        options.setCheck(CheckField::chkJava, CheckState(java));
        QCOMPARE(JavaScriptDrawCount(page, options), draws);
        Random random;
        random.setState(12345);
        test::RecordingHost host;
        if (java)
            EncryptJavaScript(page, {}, options, random, host);
        QCOMPARE(random.state(), Random::jump(12345, static_cast<std::uint64_t>(draws)));

        std::uint32_t x = 777;
        for (std::uint64_t n = 0; n < 3000; ++n, x = Random::step(x))
            QCOMPARE(Random::jump(777, n), x);
        QCOMPARE(Random::jump(777, (1u << 24) + 3000), x);
    }
};

QTEST_GUILESS_MAIN(TestJavaScript)
#include "tst_javascript.moc"
