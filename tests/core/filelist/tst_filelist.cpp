#include "filelist/filelist.h"
#include "support/testfiles.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

class TestFileList : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void headerAndAlignment() {
        FileList list;
        list.Initialise();
        QCOMPARE(list.columnCount(), 2);
        QCOMPARE(list.rowCount(), 0);
        QCOMPARE(list.headerData(0, Qt::Horizontal).toString(), u"Dateiname & Pfad"_s);
        QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), u"Größe"_s);
        const int centred = (Qt::AlignHCenter | Qt::AlignBottom).toInt();
        QCOMPARE(list.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), centred);
        list.Append(dir_.filePath(u"x.htm"_s));
        QCOMPARE(list.data(list.index(0, 1), Qt::TextAlignmentRole).toInt(), centred);
        QVERIFY(!list.data(list.index(0, 0), Qt::TextAlignmentRole).isValid());
    }

    // Sizes are measured when an entry is appended and never again; appending several at
    // once gives the same list as one by one.
    void appendMeasuresNow_data() {
        QTest::addColumn<bool>("all");
        QTest::newRow("Append") << false;
        QTest::newRow("appendAll") << true;
    }
    void appendMeasuresNow() {
        QFETCH(bool, all);
        FileList list;
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString page = dir_.filePath(u"page.htm"_s);
        test::writeFile(page, "12345");
        test::writeFile(dir_.filePath(u"empty.htm"_s), {});
        const QStringList first = {page, dir_.filePath(u"empty.htm"_s),
                                   dir_.filePath(u"missing.htm"_s)};
        const auto append = [&](const QStringList& paths) {
            if (all)
                list.appendAll(paths);
            else
                for (const QString& p : paths)
                    list.Append(p);
        };
        append(first);
        append({});
        test::writeFile(page, "1234567890");
        append({page});
        QCOMPARE(list.count(), 4);
        const QStringList sizes = {u"5"_s, u"0"_s, QString(), u"10"_s};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(list.path(i), i < 3 ? first[i] : page);
            QCOMPARE(list.entry(i).size, sizes[i]);
            QCOMPARE(list.data(list.index(i, 1)).toString(), sizes[i]);
            QVERIFY(!list.removed(i));
        }
        QCOMPARE(list.currentRow(), 3);
    }

    // "-" marks the current entry removed (with none, nothing happens); its row stays. "--"
    // clears every entry, and numbering starts again. The current row is -1 or a row of the list.
    void removeAndClear() {
        FileList list;
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy removed(&list, &FileList::rowRemoved);
        QSignalSpy changed(&list, &FileList::currentRowChanged);
        list.RemoveCurrent();
        QCOMPARE(removed.size(), 0);
        for (const char* name : {"a.htm", "b.htm", "c.htm"})
            list.Append(dir_.filePath(QString::fromLatin1(name)));
        list.RemoveCurrent(); // the last appended one
        list.RemoveCurrent(); // the same row again: no change
        QCOMPARE(removed.size(), 1);
        list.setCurrentRow(3); // one past the last row
        QCOMPARE(list.currentRow(), -1);
        list.setCurrentRow(0);
        list.RemoveCurrent();
        QCOMPARE(list.count(), 3);
        QVERIFY(list.removed(0) && !list.removed(1) && list.removed(2));
        QCOMPARE(list.currentRow(), 0);
        QCOMPARE(list.data(list.index(0, 0), FileList::RemovedRole).toBool(), true);
        list.Clear();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.currentRow(), -1);
        list.Append(dir_.filePath(u"d.htm"_s));
        QVERIFY(list.count() == 1 && !list.removed(0) && list.currentRow() == 0);
        QCOMPARE(changed.size(), 7); // every change the grid follows
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
