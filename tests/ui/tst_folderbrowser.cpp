// Page 1: the drive, folder and file boxes, "+", "++", the double-click, "+++", "-" and "--",
// and the grid over the list.
#include "actionlabel.h"
#include "optionbinding.h"
#include <QRadioButton>
#include <QCheckBox>
#include <QLineEdit>
#include "filegrid.h"
#include "filespage.h"
#include "folderbrowser.h"
#include "windowfixture.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace veltrano;
using veltrano::test::WindowFixture;
using veltrano::test::writePage;

class TestFolderBrowser : public QObject {
    Q_OBJECT
private slots:
    void init();
    void joinPath_data();
    void joinPath();
    void fileBoxListsMatchingNamesSorted();
    void addSelected();
    void doubleClickAddsEverySelectedName();
    void addAll();
    void foldersAreCoupled();
    void failedChangesKeepTheOldFolder();
    void scanAddsThreePasses();
    void secondScanDuringAScanNests();
    void clearDuringAScan();
    void removeAndClear();

private:
    ui::MainWindow& openSite(WindowFixture& f);
    QString at(const QString& relative) const { return QDir(site_).filePath(relative); }

    std::unique_ptr<QTemporaryDir> dir_;
    QString site_;
};

void TestFolderBrowser::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    site_ = dir_->path();
    writePage(at(QStringLiteral("index.htm")), 100);
    writePage(at(QStringLiteral("b.HTML")), 120);
    writePage(at(QStringLiteral(".htaccess")), 40);
    writePage(at(QStringLiteral("readme.txt")), 50);
    writePage(at(QStringLiteral("index.htm.bak")), 60);
    writePage(at(QStringLiteral("xhtml")), 70);
    writePage(at(QStringLiteral("sub/c.shtml")), 200);
    writePage(at(QStringLiteral("sub/.versteckt/d.Htm")), 210);
}

ui::MainWindow& TestFolderBrowser::openSite(WindowFixture& f) {
    ui::MainWindow& w = f.window();
    w.show();
    w.page1->Dir1->setPath(site_);
    return w;
}

void TestFolderBrowser::joinPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("joined");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/index.htm");
    QTest::newRow("folder") << QStringLiteral("/web") << QStringLiteral("/web/index.htm");
    QTest::newRow("trailing") << QStringLiteral("/web/") << QStringLiteral("/web/index.htm");
}

void TestFolderBrowser::joinPath() {
    QFETCH(QString, folder);
    QFETCH(QString, joined);
    QCOMPARE(ui::joinPath(folder, QStringLiteral("index.htm")), joined);
}

void TestFolderBrowser::fileBoxListsMatchingNamesSorted() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    QCOMPARE(w.page1->File1->path(), site_);
    QStringList names;
    for (int i = 0; i < w.page1->File1->count(); ++i)
        names.append(w.page1->File1->item(i)->text());
    // ".htaccess" matches "*.*ht*"; readme.txt and xhtml do not.
    QCOMPARE(names, (QStringList{QStringLiteral(".htaccess"), QStringLiteral("b.HTML"),
                                 QStringLiteral("index.htm"), QStringLiteral("index.htm.bak")}));
}

void TestFolderBrowser::addSelected() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    QTest::mouseClick(w.page1->Command1, Qt::LeftButton); // nothing selected: nothing added
    QCOMPARE(w.list().count(), 0);

    w.page1->File1->item(1)->setSelected(true);
    w.page1->File1->item(2)->setSelected(true);
    QTest::mouseClick(w.page1->Command1, Qt::LeftButton);
    QTest::mouseClick(w.page1->Command1, Qt::LeftButton); // twice adds twice
    const QStringList expected{at(QStringLiteral("b.HTML")), at(QStringLiteral("index.htm"))};
    QCOMPARE(f.livePaths(), expected + expected);
    QCOMPARE(w.list().entry(1).size, QStringLiteral("120"));
    QCOMPARE(w.list().entry(2).size, QStringLiteral("100"));
    // The selection stays, and the last added entry is current in the grid.
    QVERIFY(w.page1->File1->item(1)->isSelected());
    QCOMPARE(w.page1->Flex->currentIndex().row(), 3);
}

void TestFolderBrowser::doubleClickAddsEverySelectedName() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    ui::FileBox* files = w.page1->File1;
    // Two names chosen with Ctrl-clicks, then the double-click on one of them.
    for (int row : {0, 3}) {
        const QRect cell = files->visualItemRect(files->item(row));
        QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
    }
    QVERIFY(files->item(0)->isSelected() && files->item(3)->isSelected());
    emit files->itemDoubleClicked(files->item(3));
    QCOMPARE(f.livePaths(),
             (QStringList{at(QStringLiteral(".htaccess")), at(QStringLiteral("index.htm.bak"))}));
}

void TestFolderBrowser::addAll() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    QTest::mouseClick(w.page1->Command2, Qt::LeftButton);
    QCOMPARE(f.livePaths(),
             (QStringList{at(QStringLiteral(".htaccess")), at(QStringLiteral("b.HTML")),
                          at(QStringLiteral("index.htm")), at(QStringLiteral("index.htm.bak"))}));
    QCOMPARE(w.list().entry(1).size, QStringLiteral("40"));

    // An empty folder adds nothing.
    QDir(site_).mkdir(QStringLiteral("leer"));
    w.page1->Dir1->setPath(at(QStringLiteral("leer")));
    QTest::mouseClick(w.page1->Command2, Qt::LeftButton);
    QCOMPARE(w.list().count(), 4);
}

void TestFolderBrowser::foldersAreCoupled() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    ui::FolderBox* folders = w.page1->Dir1;
    // Opening the subfolder entry moves the file box with it.
    QListWidgetItem* sub = nullptr;
    for (int i = 0; i < folders->count(); ++i) {
        if (folders->item(i)->data(Qt::UserRole).toString() == at(QStringLiteral("sub")))
            sub = folders->item(i);
    }
    QVERIFY(sub);
    emit folders->itemActivated(sub);
    QCOMPARE(folders->path(), at(QStringLiteral("sub")));
    QCOMPARE(w.page1->File1->path(), at(QStringLiteral("sub")));
    QCOMPARE(w.page1->File1->count(), 1);

    // Picking a volume moves the folder box to its root, and the file box follows.
    w.folderBrowser().Drive1_Change(QDir::rootPath());
    QCOMPARE(folders->path(), QDir::rootPath());
    QCOMPARE(w.page1->File1->path(), QDir::rootPath());
}

void TestFolderBrowser::failedChangesKeepTheOldFolder() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    w.folderBrowser().Drive1_Change(at(QStringLiteral("kein-datentraeger")));
    QVERIFY(!w.page1->Dir1->setPath(at(QStringLiteral("fehlt"))));
    QCOMPARE(w.page1->Dir1->path(), site_);
    QCOMPARE(w.page1->File1->path(), site_);
    // "++" still adds from the folder shown before.
    QTest::mouseClick(w.page1->Command2, Qt::LeftButton);
    QCOMPARE(w.list().count(), 4);
    QCOMPARE(w.list().path(1), at(QStringLiteral(".htaccess")));
}

void TestFolderBrowser::scanAddsThreePasses() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    QTest::mouseClick(w.page1->Command5, Qt::LeftButton);
    QStringList paths = f.livePaths();
    // Within a pass the order is the platform's listing order; the passes come in turn.
    QCOMPARE(paths.size(), 4);
    QCOMPARE(QSet<QString>(paths.begin(), paths.begin() + 2),
             (QSet<QString>{at(QStringLiteral("index.htm")),
                            at(QStringLiteral("sub/.versteckt/d.Htm"))}));
    QCOMPARE(paths.at(2), at(QStringLiteral("b.HTML")));
    QCOMPARE(paths.at(3), at(QStringLiteral("sub/c.shtml")));
    QVERIFY(f.host().messages().isEmpty());
    for (int i = 1; i <= w.list().count(); ++i)
        QVERIFY(!w.list().entry(i).size.isEmpty());
}

void TestFolderBrowser::secondScanDuringAScanNests() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    // The second click comes while the first scan yields during its first walk: it runs to its
    // end, then the first scan goes on.
    QTimer::singleShot(0, w.page1->Command5, &QPushButton::click);
    QTest::mouseClick(w.page1->Command5, Qt::LeftButton);
    const QStringList paths = f.livePaths();
    QCOMPARE(paths.size(), 8);
    QCOMPARE(paths.mid(0, 4), paths.mid(4, 4));
}

void TestFolderBrowser::clearDuringAScan() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    w.list().Append(at(QStringLiteral("readme.txt")));
    // "--" while the first pass walks: the list is emptied, and the pass appends afterwards.
    QTimer::singleShot(0, w.page1->Command4, &QPushButton::click);
    QTest::mouseClick(w.page1->Command5, Qt::LeftButton);
    QCOMPARE(f.livePaths().size(), 4);
    QVERIFY(!f.livePaths().contains(at(QStringLiteral("readme.txt"))));
}

void TestFolderBrowser::removeAndClear() {
    WindowFixture f;
    ui::MainWindow& w = openSite(f);
    ui::FileGrid* grid = w.page1->Flex;
    QTest::mouseClick(w.page1->Command3, Qt::LeftButton); // nothing to remove
    QCOMPARE(w.list().count(), 0);

    QTest::mouseClick(w.page1->Command2, Qt::LeftButton);
    // "-" right after adding removes the last added entry; its row stays, hidden.
    QTest::mouseClick(w.page1->Command3, Qt::LeftButton);
    QCOMPARE(w.list().count(), 4);
    QVERIFY(w.list().removed(4));
    QVERIFY(grid->isRowHidden(3));
    QVERIFY(!grid->isRowHidden(2));
    // Again without choosing another row: nothing more changes.
    QTest::mouseClick(w.page1->Command3, Qt::LeftButton);
    QCOMPARE(f.livePaths().size(), 3);

    // A click on a row makes it current; "-" then removes that one.
    const QRect row0 = grid->visualRect(w.list().index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row0.center());
    QCOMPARE(w.list().currentEntry(), 1);
    QTest::mouseClick(w.page1->Command3, Qt::LeftButton);
    QVERIFY(w.list().removed(1));
    QVERIFY(grid->isRowHidden(0));

    // "--" drops removed entries too; the next entry is number 1 again and visible.
    QTest::mouseClick(w.page1->Command4, Qt::LeftButton);
    QCOMPARE(w.list().count(), 0);
    w.page1->File1->item(2)->setSelected(true);
    QTest::mouseClick(w.page1->Command1, Qt::LeftButton);
    QCOMPARE(w.list().count(), 1);
    QVERIFY(!grid->isRowHidden(0));
    QCOMPARE(grid->model()->data(grid->model()->index(0, 1)).toString(), QStringLiteral("100"));
}

QTEST_MAIN(TestFolderBrowser)
#include "tst_folderbrowser.moc"
