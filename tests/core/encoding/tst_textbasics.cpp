#include "encoding/bytebuffer.h"
#include "encoding/codepage.h"
#include "encoding/random.h"
#include "encoding/textops.h"

#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

class TestTextBasics : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        QCOMPARE(codepage::fromUnicode(codepage::toUnicode(all)), all);
    }

    void codePage_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("umlauts") << u"äöüß"_s << QByteArray("\xe4\xf6\xfc\xdf");
        QTest::newRow("euro and quotes") << u"€„“"_s << QByteArray("\x80\x84\x93");
        QTest::newRow("undefined byte") << u"\u0081"_s << QByteArray("\x81");
        QTest::newRow("outside the code page") << u"a\u4e2db\u0100"_s << QByteArray("a?b?");
    }
    void codePage() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(codepage::fromUnicode(text), bytes);
        QCOMPARE(codepage::canEncode(text), !bytes.contains('?'));
    }

    void generatorStartsTheSameEveryTime() {
        Random r;
        for (double expected : {0.7055475115776062, 0.5334240198135376, 0.5795186161994934})
            QCOMPARE(r.nextDouble(), expected);
        Random d;
        QList<int> divisors;
        for (int i = 0; i < 8; ++i)
            divisors << d.nextSplitDivisor();
        QCOMPARE(divisors, (QList<int>{34, 30, 31, 25, 26, 35, 20, 35}));
    }

    void countValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << u"200"_s << qint64(200);
        QTest::newRow("fraction") << u"2.5"_s << qint64(2);
        QTest::newRow("negative") << u"-5"_s << qint64(-5);
        QTest::newRow("blanks and sign") << u"  +7 "_s << qint64(7);
        QTest::newRow("trailing letters") << u"12abc"_s << qint64(12);
        QTest::newRow("letters") << u"abc"_s << qint64(0);
        QTest::newRow("empty") << QString() << qint64(0);
        QTest::newRow("exponent is not read") << u"1e9"_s << qint64(1);
        QTest::newRow("minus zero") << u"-0"_s << qint64(0);
        QTest::newRow("too large")
            << u"999999999999999999999999"_s << std::numeric_limits<qint64>::max();
    }
    void countValue() {
        QFETCH(QString, text);
        QTEST(veltrano::countValue(text), "value");
    }

    void removeAll_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("several") << QByteArray("a&#32;b&#32;&#32;c") << QByteArray("&#32;")
                                 << QByteArray("abc");
        QTest::newRow("formed anew stays") << QByteArray("&#3&#32;2;") << QByteArray("&#32;")
                                           << QByteArray("&#32;");
        QTest::newRow("at the ends") << QByteArray("xyx") << QByteArray("x") << QByteArray("y");
        QTest::newRow("none") << QByteArray("abc") << QByteArray("zz") << QByteArray("abc");
    }
    void removeAll() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, expected);
        QCOMPARE(veltrano::removeAll(text, pattern), expected);
        ByteBuffer buffer;
        buffer.append(text);
        veltrano::removeAll(buffer, pattern);
        QCOMPARE(buffer.view().toByteArray(), expected);
    }

    void findsHeadEndInAnyCase() {
        QCOMPARE(indexOfAsciiNoCase("<html><HEAD></HeAd><body>", "</head>"), 12);
        QCOMPARE(indexOfAsciiNoCase("</hea", "</head>"), -1);
    }
};

QTEST_GUILESS_MAIN(TestTextBasics)
#include "tst_textbasics.moc"
