// Walks the page cases of tests/data/pages (see its README): each folder holds a page, the
// options its job changes and the exact bytes one page of a run writes for it; each page is
// converted the way the run converts it and compared byte for byte. After a reviewed change:
//   tst_pagecases --update      or      VELTRANO_UPDATE_PAGES=1 ctest -R tst_pagecases
// rewrites the expectations that differ; review the diff before committing it.
#include "host.h"
#include "io/pagesink.h"
#include "passes/encodepage.h"
#include "passes/pageheader.h"
#include "passes/random.h"
#include "support/testfiles.h"

#include <QDir>
#include <QtTest>

#include <algorithm>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

bool updating = false;

// Applies one "field=value" line of an options file; false for an unknown field.
bool apply(QByteArrayView key, const QString& value, OptionSet& options, Random& random) {
    for (int c = 0; c < kCheckFieldCount; ++c) {
        if (key == fieldName(CheckField(c))) {
            options.setCheck(CheckField(c), CheckState(value.toShort()));
            return true;
        }
    }
    for (int t = 0; t < kTextFieldCount; ++t) {
        if (key == fieldName(TextField(t))) {
            options.setText(TextField(t), value);
            return true;
        }
    }
    if (key == "modern")
        options.setModern(value == u"1");
    else if (key == "random")
        random.setState(value.toUInt());
    return key == "modern" || key == "random";
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
        OptionSet options(u"/programm"_s);
        Random random;
        for (const QByteArray& line : test::readFile(folder + u"/options"_s).split('\n')) {
            const qsizetype eq = line.indexOf('=');
            QVERIFY2(line.isEmpty() || line.startsWith('#') ||
                         (eq > 0 && apply(line.first(eq), QString::fromUtf8(line.mid(eq + 1)),
                                          options, random)),
                     line.constData());
        }

        // One page of a run: header, encoded page, end lines, the final line end.
        NullHost host;
        PageEncoder encoder(random, host);
        const QString error = encoder.ReadPage(folder + u"/input.html"_s, options);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        ByteBuffer buffer;
        PageSink sink(buffer);
        encoder.EncodeReadPage(BuildPageHeader(options), options, sink);
        AppendEndLines(sink, options);
        sink.append("\r\n");
        const QByteArray actual = buffer.view().toByteArray();

        const QString expectedPath = folder + u"/expected.html"_s;
        const QByteArray expected = test::readFile(expectedPath);
        if (actual != expected && updating) {
            test::writeFile(expectedPath, actual);
            qInfo("rewrote %s", qPrintable(expectedPath));
        } else if (actual != expected) {
            // The bytes around the first one where the written page and the expectation part.
            const auto part =
                std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
            const qsizetype at = part.first - actual.begin();
            qInfo("written %lld bytes, expected %lld; they part at byte %lld",
                  qlonglong(actual.size()), qlonglong(expected.size()), qlonglong(at));
            QCOMPARE(actual.mid(qMax<qsizetype>(0, at - 30), 60),
                     expected.mid(qMax<qsizetype>(0, at - 30), 60));
            QCOMPARE(actual.size(), expected.size());
        }
    }
};

int main(int argc, char** argv) {
    char** end = std::remove_if(argv + 1, argv + argc,
                                [](const char* arg) { return qstrcmp(arg, "--update") == 0; });
    updating = end != argv + argc || qEnvironmentVariableIntValue("VELTRANO_UPDATE_PAGES") != 0;
    TestPageCases cases;
    return QTest::qExec(&cases, static_cast<int>(end - argv), argv);
}

#include "tst_pagecases.moc"
