// Walks the page cases in tests/data/pages: every folder there holds a page (input.html), what
// its job changes of a fresh job's options (options) and the exact bytes one page of a run
// writes for it (expected.html). Each case is converted the way the run converts a page and
// compared byte for byte.
//
// After a reviewed change of the output, rewrite the expectations and review the diff:
//   tst_pagecases --update            or    VELTRANO_UPDATE_PAGES=1 ctest -R tst_pagecases
#include "encoding/encodepage.h"
#include "encoding/pagesink.h"
#include "encoding/random.h"
#include "host.h"
#include "run/pageheader.h"
#include "support/testfiles.h"

#include <QDir>
#include <QtTest>

#include <vector>

using namespace veltrano;

namespace {

bool updating = false;

// Applies the "field=value" lines of an options file; false (with why) on an unknown field.
bool applyOptions(const QByteArray& text, OptionSet& options, Random& random, QString& why) {
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype eq = line.indexOf('=');
        const QByteArray key = line.left(qMax<qsizetype>(eq, 0));
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        bool known = key == "modern" || key == "random";
        if (key == "modern")
            options.setModern(value == QLatin1String("1"));
        if (key == "random")
            random.setState(value.toUInt());
        for (int c = 0; c < kCheckFieldCount; ++c) {
            if (key == fieldName(CheckField(c))) {
                options.setCheck(CheckField(c), CheckState(value.toShort()));
                known = true;
            }
        }
        for (int t = 0; t < kTextFieldCount; ++t) {
            if (key == fieldName(TextField(t))) {
                options.setText(TextField(t), value);
                known = true;
            }
        }
        if (!known) {
            why = QStringLiteral("unknown option line: ") + QString::fromUtf8(line);
            return false;
        }
    }
    return true;
}

// Printable bytes around an offset, for a failure message.
QByteArray around(const QByteArray& bytes, qsizetype at) {
    QByteArray out;
    for (qsizetype i = qMax<qsizetype>(0, at - 30); i < qMin(bytes.size(), at + 30); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out += (c >= 32 && c < 127) ? QByteArray(1, char(c)) : "\\x" + QByteArray::number(c, 16);
    }
    return out;
}

} // namespace

class TestPageCases : public QObject {
    Q_OBJECT
private slots:
    void page_data() {
        QTest::addColumn<QString>("folder");
        const QDir cases(QStringLiteral(VELTRANO_PAGE_CASES));
        const QStringList names = cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        QVERIFY2(!names.isEmpty(), qPrintable(cases.path()));
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << cases.filePath(name);
    }
    void page() {
        QFETCH(QString, folder);
        OptionSet options(QStringLiteral("/programm"));
        Random random;
        QString why;
        QVERIFY2(applyOptions(test::readFile(folder + QStringLiteral("/options")), options,
                              random, why),
                 qPrintable(why));

        // One page of a run: header, encoded page, end lines, the final line end.
        NullHost host;
        PageEncoder encoder(random, host);
        ByteBuffer buffer;
        PageSink sink(buffer);
        why = encoder.EncodePage(folder + QStringLiteral("/input.html"), BuildPageHeader(options),
                                 options, sink);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        AppendEndLines(sink, options);
        sink.append("\r\n");
        const QByteArray actual = buffer.toByteArray();

        const QString expectedPath = folder + QStringLiteral("/expected.html");
        const QByteArray expected = test::readFile(expectedPath);
        if (actual == expected)
            return;
        if (updating) {
            test::writeFile(expectedPath, actual);
            qInfo("rewrote %s", qPrintable(expectedPath));
            return;
        }
        qsizetype at = 0;
        while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
            ++at;
        QFAIL(qPrintable(QStringLiteral("differs from byte %1 (%2 bytes written, %3 expected)\n"
                                        "   written: %4\n  expected: %5")
                             .arg(at)
                             .arg(actual.size())
                             .arg(expected.size())
                             .arg(QString::fromLatin1(around(actual, at)),
                                  QString::fromLatin1(around(expected, at)))));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (qstrcmp(argv[i], "--update") == 0)
            updating = true;
        else
            args.push_back(argv[i]);
    }
    updating = updating || qEnvironmentVariableIntValue("VELTRANO_UPDATE_PAGES") != 0;
    TestPageCases cases;
    return QTest::qExec(&cases, static_cast<int>(args.size()), args.data());
}

#include "tst_pagecases.moc"
