#include "options/optionset.h"

#include <QSignalSpy>
#include <QtTest>

using namespace veltrano;

class TestOptionSet : public QObject {
    Q_OBJECT
private slots:
    void defaultsApplyEveryProtection() {
        const OptionSet options(QStringLiteral("/opt/veltrano"));
        for (int i = 0; i < kCheckFieldCount; ++i)
            QCOMPARE(options.check(static_cast<CheckField>(i)), CheckState(1));
        QVERIFY(options.newFiles());
        QVERIFY(!options.overwrite());
        QCOMPARE(options.text(TextField::txtStart), QStringLiteral("200"));
        QCOMPARE(options.text(TextField::txtEnd), QStringLiteral("200"));
        QCOMPARE(options.text(TextField::txt404), QStringLiteral("Error 404, file not found!"));
        QCOMPARE(options.text(TextField::txtJava),
                 QStringLiteral("Diese Webseite benötigt Javaskript um korrekt dargestellt "
                                "werden zu können."));
        QCOMPARE(options.text(TextField::txtPath), QStringLiteral("/opt/veltrano/html"));
        QVERIFY(options.projectFile().isEmpty());
    }

    void defaultFolderJoinsPlainly() {
        // At a root the folder text already ends in a separator; it is joined all the same.
        QCOMPARE(defaultOutputFolder(QStringLiteral("/")), QStringLiteral("//html"));
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
        OptionSet options(QStringLiteral("/p"));
        for (int w : writes) {
            if (std::abs(w) == 1)
                options.setNewFiles(w > 0);
            else
                options.setOverwrite(w > 0);
        }
        QTEST(options.newFiles(), "newFiles");
        QTEST(options.overwrite(), "overwrite");
    }

    void resetEqualsStartStateAndKeepsProjectFile() {
        OptionSet options(QStringLiteral("/p"));
        const OptionValues start = options.values();
        options.setCheck(CheckField::chkSeo, 2);
        options.setOverwrite(true);
        options.setText(TextField::txtStart, QStringLiteral("abc"));
        options.setProjectFile(QStringLiteral("/x/job.vtp"));
        QVERIFY(options.values() != start);
        QSignalSpy spy(&options, &OptionSet::changed);
        options.reset();
        QCOMPARE(spy.count(), 1);
        QVERIFY(options.values() == start);
        QCOMPARE(options.projectFile(), QStringLiteral("/x/job.vtp"));
    }

    void textsAreKeptAsTyped() {
        OptionSet options(QStringLiteral("/p"));
        options.setText(TextField::txtEnd, QStringLiteral("  -5 lines "));
        QCOMPARE(options.text(TextField::txtEnd), QStringLiteral("  -5 lines "));
    }
};

QTEST_GUILESS_MAIN(TestOptionSet)
#include "tst_optionset.moc"
