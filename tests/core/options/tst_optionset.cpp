#include "options/optionset.h"

#include <QSignalSpy>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

class TestOptionSet : public QObject {
    Q_OBJECT
private slots:
    // The protections and texts of a fresh job are shown by the page case "fresh-job".
    void defaults() {
        const OptionSet options(u"/opt/veltrano"_s);
        QVERIFY(options.newFiles() && !options.overwrite());
        QCOMPARE(options.text(TextField::txtPath), u"/opt/veltrano/html"_s);
        QVERIFY(options.projectFile().isEmpty());
        // At a root the folder text already ends in a separator; it is joined all the same.
        QCOMPARE(defaultOutputFolder(u"/"_s), u"//html"_s);
    }

    void optionPair_data() {
        QTest::addColumn<QList<int>>("writes"); // +1 newFiles on, -1 off, +2 overwrite on, -2 off
        QTest::addColumn<bool>("newFiles");
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("overwrite on clears folder") << QList<int>{2} << false << true;
        QTest::newRow("folder on clears overwrite") << QList<int>{2, 1} << true << false;
        QTest::newRow("folder off leaves both off") << QList<int>{-1} << false << false;
        QTest::newRow("file order: second write wins") << QList<int>{1, 2} << false << true;
        QTest::newRow("overwrite off changes nothing else") << QList<int>{-2} << true << false;
    }
    void optionPair() {
        QFETCH(QList<int>, writes);
        OptionSet options(u"/p"_s);
        for (int w : writes)
            std::abs(w) == 1 ? options.setNewFiles(w > 0) : options.setOverwrite(w > 0);
        QTEST(options.newFiles(), "newFiles");
        QTEST(options.overwrite(), "overwrite");
    }

    // Texts are kept as typed; reset goes back to the start state but keeps the project file.
    void resetEqualsStartStateAndKeepsProjectFile() {
        OptionSet options(u"/p"_s);
        const OptionValues start = options.values();
        options.setCheck(CheckField::chkSeo, 2);
        options.setOverwrite(true);
        options.setText(TextField::txtEnd, u"  -5 lines "_s);
        QCOMPARE(options.text(TextField::txtEnd), u"  -5 lines "_s);
        options.setProjectFile(u"/x/job.vtp"_s);
        QVERIFY(options.values() != start);
        QSignalSpy spy(&options, &OptionSet::changed);
        options.reset();
        QCOMPARE(spy.count(), 1);
        QVERIFY(options.values() == start);
        QCOMPARE(options.projectFile(), u"/x/job.vtp"_s);
    }
};

QTEST_GUILESS_MAIN(TestOptionSet)
#include "tst_optionset.moc"
