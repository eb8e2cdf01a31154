#include "encoding/bytebuffer.h"
#include "encoding/codepage.h"
#include "encoding/random.h"
#include "encoding/textops.h"

#include <QtTest>

using namespace veltrano;

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
        QTest::newRow("umlauts") << QStringLiteral("äöüß") << QByteArray("\xe4\xf6\xfc\xdf");
        QTest::newRow("euro and quotes") << QStringLiteral("€„“") << QByteArray("\x80\x84\x93");
        QTest::newRow("undefined byte") << QStringLiteral("\u0081") << QByteArray("\x81");
        QTest::newRow("outside the code page") << QStringLiteral("a\u4e2db\u0100")
                                               << QByteArray("a?b?");
    }
    void codePage() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(codepage::fromUnicode(text), bytes);
        QCOMPARE(codepage::canEncode(text), !bytes.contains('?'));
    }

    void generatorStartsTheSameEveryTime() {
        Random r;
        QCOMPARE(r.nextDouble(), 0.7055475115776062);
        QCOMPARE(r.nextDouble(), 0.5334240198135376);
        QCOMPARE(r.nextDouble(), 0.5795186161994934);
        Random d;
        QList<int> divisors;
        for (int i = 0; i < 8; ++i)
            divisors << d.nextSplitDivisor();
        QCOMPARE(divisors, (QList<int>{34, 30, 31, 25, 26, 35, 20, 35}));
    }

    void countValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << QStringLiteral("200") << qint64(200);
        QTest::newRow("fraction") << QStringLiteral("2.5") << qint64(2);
        QTest::newRow("negative") << QStringLiteral("-5") << qint64(-5);
        QTest::newRow("blanks and sign") << QStringLiteral("  +7 ") << qint64(7);
        QTest::newRow("trailing letters") << QStringLiteral("12abc") << qint64(12);
        QTest::newRow("letters") << QStringLiteral("abc") << qint64(0);
        QTest::newRow("empty") << QString() << qint64(0);
        QTest::newRow("exponent is not read") << QStringLiteral("1e9") << qint64(1);
        QTest::newRow("minus zero") << QStringLiteral("-0") << qint64(0);
        QTest::newRow("too large") << QStringLiteral("999999999999999999999999")
                                   << std::numeric_limits<qint64>::max();
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
        QCOMPARE(buffer.toByteArray(), expected);
    }

    void findsHeadEndInAnyCase() {
        QCOMPARE(indexOfAsciiNoCase("<html><HEAD></HeAd><body>", "</head>"), 12);
        QCOMPARE(indexOfAsciiNoCase("</hea", "</head>"), -1);
    }
};

QTEST_GUILESS_MAIN(TestTextBasics)
#include "tst_textbasics.moc"
