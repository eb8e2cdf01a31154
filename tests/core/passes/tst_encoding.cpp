// What the page cases (tests/data/pages) cannot show as bytes of one page: the code page both
// ways, the generator, the helpers at their edges, the passes yielding on a large page.
#include "io/pagesink.h"
#include "passes/encodepage.h"
#include "passes/javascript.h"
#include "passes/lightform.h"
#include "passes/native.h"
#include "passes/random.h"
#include "passes/scriptitems.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"
#include "text/bytebuffer.h"
#include "text/charset.h"
#include "text/codepage.h"
#include "text/pagesource.h"
#include "text/textops.h"

#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

class TestEncoding : public QObject {
    Q_OBJECT
private slots:
    void codePageRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        QCOMPARE(codepage::fromUnicode(codepage::toUnicode(all)), all);
        // A character outside the code page is one "?", also one beyond U+FFFF; a lone
        // surrogate is one too.
        QCOMPARE(codepage::fromUnicode(u"a\u20AC\u0100\U0001F600b\xD800"_s), "a\x80??b?");
    }

    void generatorStartsTheSameEveryTime() {
        Random fresh;
        QList<int> divisors;
        for (int i = 0; i < 8; ++i)
            divisors << fresh.nextSplitDivisor();
        QCOMPARE(divisors, (QList<int>{34, 30, 31, 25, 26, 35, 20, 35}));
    }

    void countValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        // The fraction, a sign and letters alone are shown by the page cases.
        const std::pair<const char*, qint64> rows[] = {
            {"  +7 ", 7}, {"12abc", 12},
            {"", 0},      {"1e9", 1},
            {"-0", 0},    {"999999999999999999999999", std::numeric_limits<qint64>::max()}};
        for (const auto& [text, value] : rows)
            QTest::addRow("'%s'", text) << QString::fromLatin1(text) << value;
    }
    void countValue() {
        QFETCH(QString, text);
        QTEST(veltrano::countValue(text), "value");
    }

    void removeAll_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("expected");
        const char* rows[][4] = {{"several", "a&#32;b&#32;&#32;c", "&#32;", "abc"},
                                 {"formed anew stays", "&#3&#32;2;", "&#32;", "&#32;"},
                                 {"at the ends", "xyx", "x", "y"},
                                 {"none", "abc", "zz", "abc"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QByteArray(row[1]) << QByteArray(row[2]) << QByteArray(row[3]);
        // Long enough to be searched sixteen bytes at a time, an occurrence at every alignment.
        QTest::newRow("dense") << QByteArray("x&#32;").repeated(40) << QByteArray("&#32;")
                               << QByteArray(40, 'x');
    }
    void removeAll() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, pattern);
        QTEST(veltrano::removeAll(text, pattern), "expected");
    }

    // Every pass lets the window run while it works through a large page, and the page bar ends
    // at the end of the text it scanned (reading shows no page bar).
    void passesYieldOnLargePages_data() {
        QTest::addColumn<int>("pass");
        QTest::addColumn<qint64>("scanned");
        QTest::newRow("reading") << 0 << qint64(-1);
        QTest::newRow("native") << 1 << qint64(200002);
        QTest::newRow("javascript") << 2 << qint64(200002);
        QTest::newRow("light form") << 3 << qint64(200002);
        QTest::newRow("end lines") << 4 << qint64(-1);
    }
    void passesYieldOnLargePages() {
        QFETCH(int, pass);
        const QByteArray page = QByteArray(100000, 'a') + "\r\n" + QByteArray(100000, 'b');
        OptionSet options(QStringLiteral("/p"));
        test::RecordingHost host;
        ByteBuffer out;
        Random random;
        PageSink sink(out);
        if (pass == 0)
            splitPageLines(page, 1, out, host);
        else if (pass == 1)
            CrippleNative(page, options, out, host);
        else if (pass == 2)
            EncryptJavaScript(page, {}, options, random, sink, host);
        else if (pass == 3)
            encryptJavaScriptLight(page, {}, options, random, sink, host);
        else
            PageSink(out, -1, &host).appendRepeated("\r\n", 1000000);
        QVERIFY2(host.pumps >= 10, qPrintable(QString::number(host.pumps)));
        QTEST(host.pageMaximum, "scanned");
        QTEST(host.pageValue, "scanned");
    }
    // The native text handed out in pieces of every size is the whole pass's text: a piece never
    // holds bytes that a later removal takes, also where a removal joins the text around it.
    void nativePiecesAreFinal_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("breaks") << QByteArray("a\r\nb\r&#32;\nc\r&#10;d&#13;\r\n&#10;e\r\r\n\n");
        QTest::newRow("joined by a blank") << QByteArray("x&#13&#32;;&#10;y&#1&#32;3;&#10;z");
        QTest::newRow("in markup") << QByteArray("<a &&#32;#13;&#10; b=\"\r\n\">t\r<b>\n");
        QTest::newRow("head") << QByteArray("<head>\r\n&#13;&#10;\r</head>\n\r&#32;&#32;\n");
    }
    void nativePiecesAreFinal() {
        QFETCH(QByteArray, page);
        test::RecordingHost host;
        for (const int seo : {0, 1}) {
            OptionSet options(QStringLiteral("/p"));
            options.setCheck(CheckField::chkSeo, static_cast<CheckState>(seo));
            ByteBuffer whole;
            CrippleNative(page, options, whole, host);
            for (qsizetype size = 1; size <= 12; ++size) {
                NativeText text(page, options, host, size);
                QByteArray joined;
                for (QByteArrayView piece; !(piece = text.next()).isEmpty();)
                    joined += piece.toByteArray();
                QCOMPARE(joined, whole.view().toByteArray());
            }
        }
    }
    // The script form fed the native text a piece at a time writes what it writes from the
    // whole text, also where the readable head's end lies across pieces, forms only once a
    // removal joins it, or is missing.
    void nativeScriptStreamed_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("head") << QByteArray(
            "<Head><title>\xe4\r\n</title></HEAD>\r\n<p>x\r\ny</p>");
        QTest::newRow("joined end") << QByteArray("<head>a</he&#32;ad>b&#13;&#10;c</head>d");
        QTest::newRow("no head") << QByteArray("<p>\"a\" &amp; b</p>\r\n</hea>");
        QTest::newRow("nothing left") << QByteArray("\r\n&#32;\r\n");
    }
    void nativeScriptStreamed() {
        QFETCH(QByteArray, page);
        test::RecordingHost host;
        for (const int seo : {0, 1, 2}) {
            OptionSet options(QStringLiteral("/p"));
            options.setCheck(CheckField::chkSeo, static_cast<CheckState>(seo));
            const auto write = [&](qsizetype pieceSize) {
                ByteBuffer out, head;
                PageSink sink(out);
                Random random;
                if (pieceSize > 0) {
                    streamNativeScript(page, "H", options, random, sink, host, head, pieceSize);
                } else {
                    const bool made = CrippleNative(page, options, head, host);
                    EncryptJavaScript(made ? head.view() : page, "H", options, random, sink, host);
                }
                return out.view().toByteArray() + QByteArray::number(random.state());
            };
            const QByteArray whole = write(0);
            for (qsizetype size = 1; size <= 40; ++size)
                QCOMPARE(write(size), whole);
        }
    }
    // A page's draw count is what the JavaScript pass takes, so jumping ahead by it lands where
    // the pass leaves the generator; a jump equals that many steps, and the full period returns.
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
        QCOMPARE(javaScriptDrawCount(page, options), draws);
        Random random;
        random.setState(12345);
        test::RecordingHost host;
        ByteBuffer out;
        PageSink sink(out);
        if (java)
            EncryptJavaScript(page, {}, options, random, sink, host);
        QCOMPARE(random.state(), Random::jump(12345, static_cast<std::uint64_t>(draws)));

        std::uint32_t x = 777;
        for (std::uint64_t n = 0; n < 3000; ++n, x = Random::step(x))
            QCOMPARE(Random::jump(777, n), x);
        QCOMPARE(Random::jump(777, (1u << 24) + 3000), x);
    }

    // The script items against the form written one item at a time, over texts cut into
    // pieces: calls end where the position is a multiple of the divisor the state draws.
    void scriptItemsInPieces_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("readable");
        QTest::addColumn<int>("piece");
        QTest::newRow("whole") << 20000 << 0 << 20000;
        QTest::newRow("blocks and a byte") << 20000 << 5 << 4097;
        QTest::newRow("short pieces") << 3000 << 39 << 7;
        QTest::newRow("bytes") << 400 << 21 << 1;
        QTest::newRow("empty") << 0 << 3 << 1;
    }
    void scriptItemsInPieces() {
        QFETCH(int, length);
        QFETCH(int, readable);
        QFETCH(int, piece);
        QRandomGenerator bytes(7);
        for (std::uint32_t x = 1; x < (1u << 24); x += 333331) {
            QByteArray text(length, 0);
            for (char& c : text)
                c = static_cast<char>(bytes.bounded(256));
            const QByteArray head(readable, 'h');
            const auto write = [&](bool inPieces) {
                ByteBuffer out;
                PageSink sink(out);
                Random random;
                random.setState(x);
                ScriptItems items(random, sink);
                items.start(head, "H");
                if (inPieces) {
                    for (qsizetype i = 0; i < length; i += piece)
                        items.feed(QByteArrayView(text).sliced(i, qMin(piece, length - i)));
                } else {
                    std::uint32_t state = x;
                    bool open = false;
                    for (qsizetype i = 0; i < length; ++i) {
                        state = Random::step(state);
                        sink.append(open ? "," : "document.write (");
                        sink.append("c[" + QByteArray::number(uchar(text[i])) + "]");
                        open = (readable + i + 1) % Random::splitDivisor(state) != 0;
                        sink.append(open ? "" : ");");
                    }
                    sink.append(open ? ");" : "");
                    random.setState(state);
                }
                items.finish(u"J"_s);
                return out.view().toByteArray() + QByteArray::number(random.state());
            };
            QCOMPARE(write(true), write(false));
        }
    }

    // The encoding a browser finds for a local file, from the cases of tests/data/charsets.txt;
    // the decoded pages are shown by the page cases.
    void charsetDetect_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("encoding");
        const QString cases = QString::fromUtf8(test::readFile(QStringLiteral(CHARSET_CASES)));
        for (const QString& line : cases.split(u'\n', Qt::SkipEmptyParts)) {
            if (!line.startsWith(u'#'))
                QTest::newRow(qPrintable(line)) << test::expand(line.section(u" | "_s, 1))
                                                << line.section(u" | "_s, 0, 0).toLatin1();
        }
    }
    void charsetDetect() {
        QFETCH(QByteArray, bytes);
        QTEST(charset::detect(bytes).encoding, "encoding");
    }

    void charsetDecodesAndDeclares() {
        ByteBuffer text;
        charset::decodeToUtf8("<meta charset=\"iso-8859-16\">\xA4<META CHARSET=x>\xFF", text);
        charset::declareUtf8(text);
        QCOMPARE(text.view().toByteArray(),
                 "<meta charset=\"utf-8\">\u20AC<META CHARSET=utf-8>\u00FF");
        charset::decodeToUtf8("<meta charset=hz-gb-2312>~{", text);
        QCOMPARE(text.view().toByteArray(), "\uFFFD");
    }
};

QTEST_GUILESS_MAIN(TestEncoding)
#include "tst_encoding.moc"
