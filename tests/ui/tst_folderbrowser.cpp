// Page 1: the drive, folder and file boxes, "+", "++", the double-click, "+++", "-" and "--",
// and the grid over the list.
#include "filegrid.h"
#include "folderbrowser.h"
#include "windowfixture.h"

#include <QDir>
#include <QTimer>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::WindowFixture;

class TestFolderBrowser : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString site_;

    QString at(const char* relative) const {
        return QDir(site_).filePath(QString::fromUtf8(relative));
    }
    QStringList at(std::initializer_list<const char*> relatives) const {
        QStringList paths;
        for (const char* relative : relatives)
            paths.append(at(relative));
        return paths;
    }
    // The window shown on the first page, its boxes on the site.
    ui::MainWindow& openSite(WindowFixture& f) {
        ui::MainWindow& w = f.showPage(0);
        w.filesPage->folderBox->setPath(site_);
        return w;
    }
    static void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        site_ = dir_->path();
        const std::pair<const char*, int> files[] = {
            {"index.htm", 100},    {"b.HTML", 120},
            {".htaccess", 40},     {"readme.txt", 50},
            {"index.htm.bak", 60}, {"xhtml", 70},
            {"sub/c.shtml", 200},  {"sub/.versteckt/d.Htm", 210}};
        for (const auto& [name, bytes] : files)
            test::writePage(at(name), bytes);
    }

    void joinPath_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("joined");
        QTest::newRow("root") << u"/"_s << u"/index.htm"_s;
        QTest::newRow("folder") << u"/web"_s << u"/web/index.htm"_s;
        QTest::newRow("trailing") << u"/web/"_s << u"/web/index.htm"_s;
    }
    void joinPath() {
        QFETCH(QString, folder);
        QFETCH(QString, joined);
        QCOMPARE(ui::joinPath(folder, u"index.htm"_s), joined);
    }

    void fileBoxListsMatchingNamesSorted() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        QCOMPARE(w.filesPage->fileBox->path(), site_);
        QStringList names;
        for (int i = 0; i < w.filesPage->fileBox->count(); ++i)
            names.append(w.filesPage->fileBox->item(i)->text());
        // ".htaccess" matches "*.*ht*"; readme.txt and xhtml do not.
        QCOMPARE(names,
                 (QStringList{u".htaccess"_s, u"b.HTML"_s, u"index.htm"_s, u"index.htm.bak"_s}));
    }

    void addSelected() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        click(w.filesPage->addSelectedButton); // nothing selected: nothing added
        QCOMPARE(w.list().count(), 0);

        w.filesPage->fileBox->item(1)->setSelected(true);
        w.filesPage->fileBox->item(2)->setSelected(true);
        click(w.filesPage->addSelectedButton);
        click(w.filesPage->addSelectedButton); // twice adds twice
        QCOMPARE(f.livePaths(), at({"b.HTML", "index.htm", "b.HTML", "index.htm"}));
        QCOMPARE(w.list().entry(0).size, u"120"_s);
        QCOMPARE(w.list().entry(1).size, u"100"_s);
        // The selection stays, and the last added entry is current in the grid.
        QVERIFY(w.filesPage->fileBox->item(1)->isSelected());
        QCOMPARE(w.filesPage->fileGrid->currentIndex().row(), 3);
    }

    void doubleClickAddsEverySelectedName() {
        WindowFixture f;
        ui::FileBox* files = openSite(f).filesPage->fileBox;
        // Two names chosen with Ctrl-clicks, then the double-click on one of them.
        for (int row : {0, 3}) {
            const QRect cell = files->visualItemRect(files->item(row));
            QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              cell.center());
        }
        QVERIFY(files->item(0)->isSelected() && files->item(3)->isSelected());
        emit files->itemDoubleClicked(files->item(3));
        QCOMPARE(f.livePaths(), at({".htaccess", "index.htm.bak"}));
    }

    void addAll() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        click(w.filesPage->addAllButton);
        QCOMPARE(f.livePaths(), at({".htaccess", "b.HTML", "index.htm", "index.htm.bak"}));
        QCOMPARE(w.list().entry(0).size, u"40"_s);

        // An empty folder adds nothing.
        QDir(site_).mkdir(u"leer"_s);
        w.filesPage->folderBox->setPath(at("leer"));
        click(w.filesPage->addAllButton);
        QCOMPARE(w.list().count(), 4);
    }

    void foldersAreCoupled() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        ui::FolderBox* folders = w.filesPage->folderBox;
        // Opening the subfolder entry moves the file box with it.
        QListWidgetItem* sub = nullptr;
        for (int i = 0; i < folders->count(); ++i) {
            if (folders->item(i)->data(Qt::UserRole).toString() == at("sub"))
                sub = folders->item(i);
        }
        QVERIFY(sub);
        emit folders->itemActivated(sub);
        QCOMPARE(folders->path(), at("sub"));
        QCOMPARE(w.filesPage->fileBox->path(), at("sub"));
        QCOMPARE(w.filesPage->fileBox->count(), 1);

        // Picking a volume moves the folder box to its root, and the file box follows.
        w.folderBrowser().changeDrive(QDir::rootPath());
        QCOMPARE(folders->path(), QDir::rootPath());
        QCOMPARE(w.filesPage->fileBox->path(), QDir::rootPath());
    }

    void failedChangesKeepTheOldFolder() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        w.folderBrowser().changeDrive(at("kein-datentraeger"));
        QVERIFY(!w.filesPage->folderBox->setPath(at("fehlt")));
        QCOMPARE(w.filesPage->folderBox->path(), site_);
        QCOMPARE(w.filesPage->fileBox->path(), site_);
        // "++" still adds from the folder shown before.
        click(w.filesPage->addAllButton);
        QCOMPARE(w.list().count(), 4);
        QCOMPARE(w.list().path(0), at(".htaccess"));
    }

    void scanAddsThreePasses() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        click(w.filesPage->scanButton);
        const QStringList paths = f.livePaths();
        // Within a pass the order is the platform's listing order; the passes come in turn.
        QCOMPARE(paths.size(), 4);
        QCOMPARE(QSet<QString>(paths.begin(), paths.begin() + 2),
                 (QSet<QString>{at("index.htm"), at("sub/.versteckt/d.Htm")}));
        QCOMPARE(paths.mid(2), at({"b.HTML", "sub/c.shtml"}));
        QVERIFY(f.host().messages().isEmpty());
        for (int i = 0; i < w.list().count(); ++i)
            QVERIFY(!w.list().entry(i).size.isEmpty());
    }

    void secondScanDuringAScanNests() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        // The second click comes while the first scan yields during its first walk: it runs to
        // its end, then the first scan goes on.
        QTimer::singleShot(0, w.filesPage->scanButton, &QPushButton::click);
        click(w.filesPage->scanButton);
        const QStringList paths = f.livePaths();
        QCOMPARE(paths.size(), 8);
        QCOMPARE(paths.mid(0, 4), paths.mid(4, 4));
    }

    void clearDuringAScan() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        w.list().Append(at("readme.txt"));
        // "--" while the first pass walks: the list is emptied, and the pass appends afterwards.
        QTimer::singleShot(0, w.filesPage->clearButton, &QPushButton::click);
        click(w.filesPage->scanButton);
        QCOMPARE(f.livePaths().size(), 4);
        QVERIFY(!f.livePaths().contains(at("readme.txt")));
    }

    void removeAndClear() {
        WindowFixture f;
        ui::MainWindow& w = openSite(f);
        ui::FileGrid* grid = w.filesPage->fileGrid;
        click(w.filesPage->removeButton); // nothing to remove
        QCOMPARE(w.list().count(), 0);

        click(w.filesPage->addAllButton);
        // "-" right after adding removes the last added entry; its row stays, hidden.
        click(w.filesPage->removeButton);
        QCOMPARE(w.list().count(), 4);
        QVERIFY(w.list().removed(3));
        QVERIFY(grid->isRowHidden(3));
        QVERIFY(!grid->isRowHidden(2));
        // Again without choosing another row: nothing more changes.
        click(w.filesPage->removeButton);
        QCOMPARE(f.livePaths().size(), 3);

        // A click on a row makes it current; "-" then removes that one.
        const QRect row0 = grid->visualRect(w.list().index(0, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row0.center());
        QCOMPARE(w.list().currentRow(), 0);
        click(w.filesPage->removeButton);
        QVERIFY(w.list().removed(0));
        QVERIFY(grid->isRowHidden(0));

        // "--" drops removed entries too; the next entry is number 1 again and visible.
        click(w.filesPage->clearButton);
        QCOMPARE(w.list().count(), 0);
        w.filesPage->fileBox->item(2)->setSelected(true);
        click(w.filesPage->addSelectedButton);
        QCOMPARE(w.list().count(), 1);
        QVERIFY(!grid->isRowHidden(0));
        QCOMPARE(grid->model()->data(grid->model()->index(0, 1)).toString(), u"100"_s);
    }
};

QTEST_MAIN(TestFolderBrowser)
#include "tst_folderbrowser.moc"
