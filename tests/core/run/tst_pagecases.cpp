// Walks the page cases of tests/data/pages (see its README): each folder holds a page, the
// options its job changes and the exact bytes one page of a run writes for it, with its protection
// script as "{{script NAME}}" for the script NAME of protection-scripts.html. Each page is
// converted as the run converts it and compared byte for byte; only --update rewrites, and fails.
#include "host.h"
#include "io/pagesink.h"
#include "passes/encodepage.h"
#include "passes/pageheader.h"
#include "passes/protectionscript.h"
#include "passes/random.h"
#include "support/testfiles.h"

#include <QDir>
#include <QtTest>

#include <algorithm>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

const QString kCases = QStringLiteral(VELTRANO_PAGE_CASES);
const QString kScripts = kCases + u"/protection-scripts.html"_s;

// The scripts of the shared file by name: each from its line "== NAME" up to the next such line
// or the end of the file, with the CR LF that ends it, which is not part of the script.
QMap<QByteArray, QByteArray> readScripts() {
    QMap<QByteArray, QByteArray> scripts;
    QByteArray* script = nullptr;
    for (const QByteArray& line : test::readFile(kScripts).chopped(1).split('\n')) {
        if (line.startsWith("== "))
            script = &scripts[line.sliced(3)];
        else if (script)
            *script += line + '\n';
    }
    return scripts;
}

// Splits the written page into the case's own part and its script, named by the check states
// and the mode it is written for, and rewrites those stored parts that differ.
void update(const QString& folder, const QByteArray& actual, const OptionSet& o) {
    const CheckState rclick = o.check(CheckField::chkRClick), sel = o.check(CheckField::chkSel),
                     print = o.check(CheckField::chkPrint);
    const QByteArray name =
        (o.modern() ? "modern " : "") +
        u"chkRClick=%1 chkSel=%2 chkPrint=%3"_s.arg(rclick).arg(sel).arg(print).toLatin1();
    const QByteArray script = BuildProtectionScript(rclick, sel, print, o.modern());
    QByteArray part = actual;
    if (const qsizetype at = actual.indexOf(script); at >= 0)
        part.replace(at, script.size(), "{{script " + name + "}}");
    if (test::readFile(folder + u"/expected.html"_s) != part) {
        test::writeFile(folder + u"/expected.html"_s, part);
        qInfo("rewrote %s/expected.html", qPrintable(folder));
    }
    auto scripts = readScripts();
    if (scripts.value(name) == script + "\r\n")
        return;
    scripts[name] = script + "\r\n";
    QByteArray file;
    for (auto it = scripts.cbegin(); it != scripts.cend(); ++it)
        file += "== " + it.key() + '\n' + it.value();
    test::writeFile(kScripts, file);
    qInfo("rewrote the script \"%s\" of %s", name.constData(), qPrintable(kScripts));
}

} // namespace

class TestPageCases : public QObject {
    Q_OBJECT
private slots:
    void page_data() {
        QTest::addColumn<QString>("folder");
        const QDir cases(kCases);
        const QStringList names = cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        QVERIFY2(!names.isEmpty(), qPrintable(cases.path()));
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << cases.filePath(name);
    }
    void page() {
        QFETCH(QString, folder);
        OptionSet options(u"/programm"_s);
        Random random;
        for (const QByteArray& line : test::readFile(folder + u"/options"_s).split('\n'))
            QVERIFY2(test::applyOption(line, options, &random), line.constData());

        // One page of a run: header, encoded page, end lines, the final line end.
        NullHost host;
        PageEncoder encoder(random, host);
        const auto read = encoder.readPage(folder + u"/input.html"_s, options);
        QVERIFY2(read, qPrintable(read ? QString() : read.error().description));
        ByteBuffer buffer;
        PageSink sink(buffer);
        encoder.encodeReadPage(BuildPageHeader(options), options, sink);
        AppendEndLines(sink, options);
        sink.append("\r\n");
        const QByteArray actual = buffer.view().toByteArray();
        if (test::updating)
            return update(folder, actual, options);

        // The case's part with its script put in.
        QByteArray expected = test::readFile(folder + u"/expected.html"_s);
        if (const qsizetype at = expected.indexOf("{{script "); at >= 0) {
            const qsizetype end = expected.indexOf("}}", at);
            const QByteArray name = expected.mid(at + 9, end - at - 9);
            QVERIFY2(end > at && readScripts().contains(name), name.constData());
            expected.replace(at, end + 2 - at, readScripts().value(name).chopped(2));
        }
        // The bytes around the first one where the written page and the expectation part.
        const qsizetype at =
            std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
            actual.begin();
        QCOMPARE(actual.mid(qMax<qsizetype>(0, at - 30), 60),
                 expected.mid(qMax<qsizetype>(0, at - 30), 60));
        QCOMPARE(actual.size(), expected.size());
    }
};

int main(int argc, char** argv) {
    TestPageCases cases;
    return test::runCases(cases, argc, argv);
}

#include "tst_pagecases.moc"
