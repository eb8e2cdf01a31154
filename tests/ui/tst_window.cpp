// The window's wiring and what only the window does, through real widgets. Boxes and the file
// dialog are answered by the host, the network stays local, ending and opening are recorded.
// ctest runs it under a German and a C locale: Qt's own texts are German under both.
#include "actionlabel.h"
#include "advertpanel.h"
#include "filegrid.h"
#include "filespage.h"
#include "folderbrowser.h"
#include "mainwindow.h"
#include "modernpages.h"
#include "optionspage.h"
#include "otherfilescontrol.h"
#include "qttranslation.h"
#include "runpage.h"
#include "startedwork.h"
#include "statusframe.h"
#include "support/testfiles.h"

#include <QNetworkAccessManager>
#include <QtTest>
#include <QtWidgets>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {
// Network access that never leaves the process: requests are recorded and answered from memory
// with an advert page of the content type given, or refused when there is none.
struct LocalNetwork : QNetworkAccessManager {
    explicit LocalNetwork(const QByteArray& contentType) : type(contentType) {}
    QByteArray type;
    QList<QUrl> requests;
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request,
                                 QIODevice* body) override {
        requests.append(request.url());
        const QByteArray page = "<p>Anzeige f\xc3\xbcr Sie</p><script>document.write('x')</script>";
        const QByteArray local =
            type.isNull() ? "refused:" : "data:" + type + ";base64," + page.toBase64();
        return QNetworkAccessManager::createRequest(
            op, QNetworkRequest(QUrl(QString::fromLatin1(local))), body);
    }
};

// A window as the program makes it, with modal boxes off and every pump running the events.
struct Window {
    explicit Window(const QString& folder = u"/opt/veltrano"_s, const QByteArray& type = {})
        : network(type), w(&network, folder) {
        w.host().setModalBoxes(false);
        w.eventPump().setInterval(0);
        w.actions().exitProgram = [this] { ++exits; };
        w.actions().openUrl = [this](const QUrl& url) {
            opened.append(url);
            return true;
        };
        w.actions().startMove = [this] { return ++moves > 0; };
    }
    // Runs a menu entry while the modal box or dialog it shows is answered by `reply`.
    template <class Box> void answer(const char* entry, std::function<void(Box*)> reply) {
        w.host().setModalBoxes(true);
        QTimer::singleShot(0,
                           [&] { reply(qobject_cast<Box*>(QApplication::activeModalWidget())); });
        w.findChild<QAction*>(QLatin1String(entry))->trigger();
    }
    QStringList messages() {
        QStringList shown;
        for (const auto& m : w.host().messages())
            shown.append(m.title + u": "_s + m.prompt);
        return shown;
    }
    QStringList livePaths(const QDir& under) { // relative to a folder
        QStringList paths;
        for (int i = 0; i < w.list().count(); ++i)
            paths += w.list().removed(i) ? QStringList()
                                         : QStringList{under.relativeFilePath(w.list().path(i))};
        return paths;
    }
    LocalNetwork network;
    ui::MainWindow w;
    int exits = 0, moves = 0;
    QList<QUrl> opened;
};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
private slots:
    // Preferences go to a test's own folder (a child's inside its parent's), never to the user's.
    void initTestCase() {
        const QString in = qEnvironmentVariable("VELTRANO_CLOSE_IN", QDir::tempPath());
        static QTemporaryDir settings(in + u"/tst_window-XXXXXX"_s);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    }

    // "Moderne Seiten" is a preference the next window restores. While it is off, step 3 says,
    // below its advert panel, how many pages would break and why, and its link turns it on; "..."
    // chooses a folder only with it.
    void modernPages() {
        QTemporaryDir dir;
        test::writeFile(dir.filePath(u"u.htm"_s), "\xEF\xBB\xBF<p>\xC3\xA4");
        {
            Window f;
            f.w.startRun(); // the watch gives way to a run, and goes on after it
            f.w.list().Append(dir.filePath(u"u.htm"_s));
            QLabel* note = f.w.modernPages->note;
            QTRY_COMPARE(note->text().section(u'.', 0, 0),
                         u"1 Seite kommt ohne \"Moderne Seiten\" beschädigt heraus: UTF-8 (1)"_s);
            QVERIFY(note->isVisibleTo(f.w.runPage));
            QVERIFY(f.w.runPage->rect().contains(note->geometry()));
            QVERIFY(!note->geometry().intersects(f.w.runPage->advertFrame->geometry()));
            f.w.host().setNextFileName(u"/ziel"_s);
            click(f.w.runPage->browseButton);
            QCOMPARE(f.w.host().dialogsShown(), 0);
            emit f.w.modernPages->note->linkActivated(u"modern"_s);
            QVERIFY(f.w.options().modern() && note->isHidden());
            click(f.w.runPage->browseButton);
            QCOMPARE(f.w.options().text(TextField::txtPath), u"/ziel"_s);
        }
        Window next;
        QVERIFY(next.w.modernPages->action->isChecked() && next.w.options().modern());
        next.w.modernPages->action->trigger();
        QVERIFY(!Window().w.options().modern());
    }

    // With modern pages the run copies the site's other files beside its pages, each with its
    // bytes and time; step 3 counts them, and above 1 GB "Nein" starts nothing.
    void otherFiles() {
        QTemporaryDir dir;
        const QString site = dir.filePath(u"site/"_s), out = dir.filePath(u"out"_s);
        const QByteArray png("\x89PNG\0", 5);
        for (const auto& [name, bytes] : {std::pair{u"index.html"_s, QByteArray("<p>A")},
                                          {u"blog/a.html"_s, "<p>B"},
                                          {u"css/site.css"_s, "p{}"},
                                          {u"img/x.png"_s, png}})
            test::writeFile(site + name, bytes);
        const QDateTime old(QDate(2021, 3, 4), QTime(5, 6));
        QFile css(site + u"css/site.css"_s);
        QVERIFY(css.open(QIODevice::ReadWrite) &&
                css.setFileTime(old, QFile::FileModificationTime));
        css.close();
        Window f;
        f.w.options().setModern(true);
        f.w.options().setText(TextField::txtPath, out);
        f.w.list().Append(site + u"index.html"_s);
        f.w.list().Append(site + u"blog/a.html"_s);
        f.w.show();
        f.w.wizardTabs->setCurrentIndex(2);
        QTRY_VERIFY(f.w.otherFiles->count->text().contains(u"2 Dateien"_s));
        click(f.w.runPage->startButton);
        const QMap<QString, QByteArray> copied = test::tree(out);
        QCOMPARE(copied.keys(), (QStringList{u"blog/a.html"_s, u"css/site.css"_s, u"img/x.png"_s,
                                             u"index.html"_s}));
        QCOMPARE(copied[u"img/x.png"_s], png);
        QCOMPARE(QFileInfo(out + u"/css/site.css"_s).lastModified(), old);

        QFile large(site + u"large.zip"_s); // sparse: 1 GB and a byte, no disk
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(1'000'000'001));
        const qsizetype shown = f.messages().size();
        f.w.host().setNextAnswer(false);
        click(f.w.runPage->startButton);
        QCOMPARE(f.messages().size(), shown + 1);
        QVERIFY(f.messages().last().startsWith(u"Andere Dateien mitkopieren: Mit den Seiten"_s));
        QVERIFY(!QFileInfo::exists(out + u"/large.zip"_s));
        f.w.options().setModern(false); // a preference: the windows of later tests start without
    }

    // The texts of the window against one table.
    void captions() {
        Window f;
        QFile table(QStringLiteral(UI_DATA "/captions.txt"));
        QVERIFY(table.open(QIODevice::ReadOnly | QIODevice::Text));
        while (!table.atEnd()) {
            const QStringList row = QString::fromUtf8(table.readLine()).chopped(1).split(u'|');
            if (row.size() < 3)
                continue; // a comment
            QObject* control = row[0] == u"Form1"_s ? &f.w : f.w.findChild<QObject*>(row[0]);
            QVERIFY2(control, qPrintable(row[0]));
            const int tab = f.w.wizardTabs->indexOf(qobject_cast<QWidget*>(control));
            QCOMPARE(tab >= 0 ? f.w.wizardTabs->tabText(tab)
                              : control->property(qPrintable(row[1])).toString(),
                     row[2]);
        }
    }

    // Start-up fills the job like New and asks the advert panels for their pages without waiting.
    // A page is shown as rich text without its scripts, in the character set its server names;
    // without one the panel keeps its placeholder.
    void startUp_data() {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QString>("shown"); // empty: the placeholder
        QTest::newRow("utf-8") << QByteArray("text/html;charset=utf-8") << u"Anzeige für Sie"_s;
        QTest::newRow("no charset") << QByteArray("text/html") << u"Anzeige fÃ¼r Sie"_s;
        QTest::newRow("plain") << QByteArray("text/plain") << u"<script>document"_s;
        QTest::newRow("refused") << QByteArray() << ui::AdvertPanel(nullptr).toPlainText();
    }
    void startUp() {
        QFETCH(QByteArray, type);
        QFETCH(QString, shown);
        Window f(u"/srv/prog"_s, type);
        ui::MainWindow& w = f.w;
        QCOMPARE(w.centralWidget()->size(), QSize(513, 593)); // 7695 x 8895 units
        QCOMPARE(w.options().values(), OptionValues::defaults(u"/srv/prog"_s));
        QVERIFY(w.runPage->statusFrame->isHidden() && w.optionsPage->oldMethodFrame->isHidden());
        const QString ads = u"http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu"_s;
        QCOMPARE(f.network.requests, (QList<QUrl>{QUrl(ads + u"&type=allg"_s), QUrl(ads)}));
        QVERIFY(!w.bandAdvert->loaded() && !w.runPage->pageAdvert->loaded());
        QSignalSpy finished(w.bandAdvert, &ui::AdvertPanel::finished);
        QVERIFY(finished.wait());
        QCOMPARE(w.bandAdvert->loaded(), type != QByteArray());
        QVERIFY2(w.bandAdvert->toPlainText().contains(shown), qPrintable(shown));
        QCOMPARE(w.bandAdvert->toPlainText().contains(u"write"_s), type == "text/plain");
    }

    // Each option control writes its field and shows the record; a box clicks between off and on,
    // shows the dimmed state 2 partly checked and leaves it for "on"; a text shows its beginning.
    void fields_data() {
        QTest::addColumn<int>("check"); // a check field, or -1 for a text field
        QTest::addColumn<int>("text");
        for (int i = 0; i < kCheckFieldCount; ++i)
            QTest::newRow(fieldName(CheckField(i))) << i << -1;
        for (int i = 0; i < kTextFieldCount; ++i)
            QTest::newRow(fieldName(TextField(i))) << -1 << i;
    }
    void fields() {
        QFETCH(int, check);
        QFETCH(int, text);
        Window f;
        OptionSet& o = f.w.options();
        if (text >= 0) {
            auto* edit = f.w.findChild<QLineEdit*>(QString::fromLatin1(fieldName(TextField(text))));
            QTest::keyClicks(edit, u" zwoelf 12 "_s);
            QCOMPARE(o.text(TextField(text)), edit->text());
            o.setText(TextField(text), u"aus dem Projekt"_s);
            QCOMPARE(edit->text(), u"aus dem Projekt"_s);
            QCOMPARE(edit->cursorPosition(), 0);
            return;
        }
        auto* box = f.w.findChild<QCheckBox*>(QString::fromLatin1(fieldName(CheckField(check))));
        for (int expected : {0, 1, 0}) {
            box->click();
            QCOMPARE(o.check(CheckField(check)), CheckState(expected));
        }
        o.setCheck(CheckField(check), 2);
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        box->click();
        QCOMPARE(o.check(CheckField(check)), CheckState(1));
        box->setCheckState(Qt::PartiallyChecked);
        QCOMPARE(o.check(CheckField(check)), CheckState(2));
    }

    // The output pair: a project may leave both off; one click chooses, and the record agrees.
    void outputPair() {
        Window f;
        QRadioButton* newFiles = f.w.runPage->newFilesButton;
        QRadioButton* overwrite = f.w.runPage->overwriteButton;
        OptionValues values = f.w.options().values();
        values.chkNewFiles = values.chkOverwrite = false;
        f.w.options().setValues(values);
        QVERIFY(!newFiles->isChecked() && !overwrite->isChecked());
        for (QRadioButton* button : {overwrite, newFiles, overwrite}) {
            button->click();
            QVERIFY(!(button == overwrite ? newFiles : overwrite)->isChecked());
            QCOMPARE(f.w.options().overwrite(), button == overwrite);
            QCOMPARE(f.w.options().newFiles(), button == newFiles);
        }
    }

    // Page 1: the boxes, "+", the double-click, "++", "-", "--", "+++" and the grid.
    void filesPage() {
        QTemporaryDir dir;
        const QString site = dir.path();
        for (const QString& name : {u"index.htm"_s, u"b.HTML"_s, u".htaccess"_s, u"D.shtml"_s,
                                    u"index.htm.bak"_s, u"xhtml"_s, u"sub/x.txt"_s})
            test::writeFile(site + u'/' + name, QByteArray(name.size(), 'a'));
        // A name the locale cannot spell is shown, but "+", "++" and "+++" pass it over.
        const QByteArray unspelled = QFile::encodeName(site) + "/\xff.htm";
        std::fclose(std::fopen(unspelled.constData(), "w"));
        const auto removed = qScopeGuard([&] { std::remove(unspelled.constData()); });
        Window f;
        f.w.show();
        ui::FilesPage& p = *f.w.filesPage;
        ui::FileGrid* grid = p.fileGrid;
        p.folderBox->setPath(site);
        QStringList names;
        for (int i = 0; i < p.fileBox->count(); ++i)
            names.append(p.fileBox->item(i)->text());
        QCOMPARE(names, (QStringList{u".htaccess"_s, u"b.HTML"_s, u"D.shtml"_s, u"index.htm"_s,
                                     u"index.htm.bak"_s, u"\uFFFD.htm"_s}));
        for (int item : {1, 3, 5})
            p.fileBox->item(item)->setSelected(true);
        click(p.addSelectedButton);
        emit p.fileBox->itemDoubleClicked(p.fileBox->item(3));
        QCOMPARE(f.livePaths(site),
                 (QStringList{u"b.HTML"_s, u"index.htm"_s, u"b.HTML"_s, u"index.htm"_s}));
        QCOMPARE(f.w.list().entry(0).size, u"6"_s);
        click(p.removeButton); // the last added entry: its row stays, hidden
        QVERIFY(grid->isRowHidden(3) && !grid->isRowHidden(2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(f.w.list().index(0, 0)).center());
        click(p.removeButton);
        QCOMPARE(f.livePaths(site), (QStringList{u"index.htm"_s, u"b.HTML"_s}));
        QVERIFY(grid->isRowHidden(0));
        click(p.clearButton);
        click(p.addAllButton);
        QCOMPARE(f.livePaths(site), names.mid(0, 5));
        QVERIFY(!grid->isRowHidden(0));

        // "--" while "+++" walks: the event runs, and the scan appends afterwards. Then the
        // folder box: a failed change keeps the folder, and opening one moves the file box.
        QTimer::singleShot(0, p.clearButton, &QPushButton::click);
        click(p.scanButton);
        QCOMPARE(f.livePaths(site), (QStringList{u"index.htm"_s, u"b.HTML"_s, u"D.shtml"_s}));
        const QStringList passedOver = f.messages().filter(u"Hinweis: 1 Namen enthalten"_s);
        QCOMPARE(passedOver.filter(u"Der erste: "_s + site + u"/\uFFFD.htm"_s).size(), 4);
        f.w.folderBrowser().changeDrive(site + u"/fehlt"_s);
        emit p.driveBox->activated(p.driveBox->currentIndex()); // the drive shown: no change
        QCOMPARE(p.folderBox->path(), site);
        QCOMPARE(ui::joinPath(u"/"_s, u"a"_s), u"/a"_s); // one separator, also at a root
        emit p.folderBox->itemActivated(p.folderBox->findItems(u"sub"_s, Qt::MatchEndsWith)[0]);
        QCOMPARE(p.fileBox->path(), site + u"/sub"_s);
    }

    // "Beginnen": the status frame while the run goes, only the start button disabled, the
    // grid following the run, the message at the end.
    void run() {
        QTemporaryDir dir;
        Window f;
        ui::MainWindow& w = f.w;
        ui::StatusFrame* status = w.runPage->statusFrame;
        w.runPage->overwriteButton->click();
        const QStringList pages{dir.filePath(u"a"_s), dir.filePath(u"b"_s), dir.filePath(u"c"_s)};
        for (const QString& page : pages) {
            test::writeFile(page, "<html><body>Hallo</body></html>");
            w.list().Append(page);
        }
        w.list().setCurrentRow(1);
        w.list().RemoveCurrent();
        QStringList shown;
        bool usable = true;
        QTimer watch; // looks at the window at every turn of the event loop
        connect(&watch, &QTimer::timeout, [&] {
            const QString file = status->fileLabel()->toolTip(); // as shown, the full path
            if (!status->isHidden() && !shown.contains(file)) {
                shown.append(file);
                usable = usable && !w.runPage->startButton->isEnabled() &&
                         w.filesPage->scanButton->isEnabled() && w.saveAction->isEnabled();
            }
        });
        watch.start(0);
        click(w.runPage->startButton);
        QCOMPARE(shown, (QStringList{pages[0], pages[2]}));
        QVERIFY(usable);
        QCOMPARE(status->listBar()->maximum(), 3);
        QCOMPARE(w.filesPage->fileGrid->currentIndex().row(), 2);
        QVERIFY(status->isHidden() && w.runPage->startButton->isEnabled());
        QCOMPARE(f.messages(), QStringList{u"Abschluss: Das verschlüsseln der Dateien ist "
                                           "erfolgreich abgeschlossen!"_s});
        QVERIFY(test::readFile(pages[0]).contains("document.write"));

        // Slow blocking work lets the events run, and is done when the call returns.
        int turns = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++turns; });
        tick.start(1);
        bool done = false;
        w.host().runBlocking([&] {
            QThread::msleep(60);
            done = true;
        });
        QVERIFY(done && turns > 0);

        // Started work owns its state: a handle dropped at once leaves it to the work, which
        // frees it when done; a wait asked for inside the events of another wait waits too.
        struct Steps {
            QStringList names;
        };
        auto steps = std::make_shared<Steps>();
        const std::weak_ptr<Steps> dropped = steps;
        StartedWork<Steps>(w.host(), std::move(steps), [](Steps& s) {
            QThread::msleep(30);
            s.names << u"vorher"_s;
        });
        QVERIFY(!dropped.expired());
        StartedWork<Steps> nested;
        bool nestedDone = false;
        QTimer::singleShot(0, [&] {
            nested = StartedWork<Steps>(w.host(), std::make_shared<Steps>(), [](Steps& s) {
                QThread::msleep(30);
                s.names << u"darin"_s;
            });
            nestedDone = nested.await().names == QStringList{u"darin"_s};
        });
        w.host().runBlocking([] {});
        QVERIFY(dropped.expired());
        QVERIFY(nestedDone);
        QCOMPARE(nested.take().use_count(), 1);
    }

    // The close box while a page is written ends the program at once (a child process that runs
    // this test alone): no new file is left, that page's source is untouched, the one before stays.
    void closeDuringRun() {
        const QString folder = qEnvironmentVariable("VELTRANO_CLOSE_IN");
        const QByteArray big = QByteArray("<p>Zeile</p>\r\n").repeated(300000);
        if (folder.isEmpty()) {
            QTemporaryDir dir;
            test::writeFile(dir.filePath(u"a.htm"_s), "<p>a</p>");
            test::writeFile(dir.filePath(u"b.htm"_s), big);
            qputenv("VELTRANO_CLOSE_IN", QFile::encodeName(dir.path()));
            QCOMPARE(QProcess::execute(qApp->applicationFilePath(), {u"closeDuringRun"_s}), 0);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                     (QStringList{u"a.htm"_s, u"a.htm.bak"_s, u"b.htm"_s}));
            QVERIFY(test::readFile(dir.filePath(u"a.htm"_s)).contains("document.write") &&
                    test::readFile(dir.filePath(u"b.htm"_s)) == big);
            return;
        }
        Window f;
        ui::WindowActions ending(&f.w, f.w.eventPump(), {}); // the program's own exit
        f.w.actions().exitProgram = ending.exitProgram;
        f.w.runPage->overwriteButton->click();
        f.w.list().appendAll({folder + u"/a.htm"_s, folder + u"/b.htm"_s});
        QTimer watch; // the close box, once the new file of b.htm is there
        connect(&watch, &QTimer::timeout, [&] {
            if (!QDir(folder, u".b.htm.veltrano-*"_s).isEmpty(QDir::Files | QDir::Hidden))
                f.w.close();
        });
        watch.start(0);
        click(f.w.runPage->startButton); // a run that goes to its end converts b.htm
    }

    // The project menu with real boxes: a page opened as a project shows its first line as it
    // is; Save as starts at "*.vtp" and takes the typed name; New keeps it for Save.
    void projectMenu() {
        QTemporaryDir dir;
        const QString page = dir.filePath(u"index.html"_s), typed = dir.filePath(u"auftrag"_s);
        test::writeFile(page, "<!DOCTYPE html>\n<html>");
        Window f;
        f.w.show();
        QString shown, start;
        f.w.optionsPage->startLinesEdit->setText(u"7"_s);
        f.w.host().setNextFileName(page);
        f.answer<QMessageBox>("cmdLoad", [&](QMessageBox* box) {
            auto* label = box->findChild<QLabel*>(u"qt_msgbox_label"_s);
            shown = label->textFormat() == Qt::PlainText ? label->text() : QString();
            box->accept();
        });
        f.answer<QFileDialog>("cmdSU", [&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
            start = name->text();
            name->setText(typed);
            f.w.host().setModalBoxes(false); // the saved message is only recorded
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(shown, u"Die Datei wurde mit Version <!DOCTYPE html> erstellt, und ist zu 3.0.0 "
                        u"nicht kompatibel!"_s);
        QCOMPARE(start, u"*.vtp"_s);
        QVERIFY(f.w.options().projectFile() == typed);
        const QByteArray saved = test::readFile(typed);
        f.w.newAction->trigger();
        QCOMPARE(f.w.optionsPage->startLinesEdit->text(), u"200"_s);
        f.w.saveAction->trigger();
        QVERIFY(saved.contains("\r\n7\r\n") && !test::readFile(typed).contains("\r\n7\r\n"));
        QCOMPARE(f.w.host().dialogsShown(), 2); // Open and Save as; Save asks no more
    }

    // Only a left click acts: the introduction of page 2 ends the program, its heading moves the
    // window once the pointer moves.
    void mouse_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<int>("moveBy");
        QTest::addColumn<QList<int>>("exitsMoves");
        QTest::newRow("Label1 right") << u"Label1"_s << Qt::RightButton << 0 << QList{0, 0};
        QTest::newRow("Label1 left") << u"Label1"_s << Qt::LeftButton << 0 << QList{1, 0};
        QTest::newRow("Label2 still") << u"Label2"_s << Qt::LeftButton << 0 << QList{0, 0};
        QTest::newRow("Label2 left") << u"Label2"_s << Qt::LeftButton << 30 << QList{0, 1};
        QTest::newRow("Label2 right") << u"Label2"_s << Qt::RightButton << 30 << QList{0, 0};
    }
    void mouse() {
        QFETCH(QString, label);
        QFETCH(Qt::MouseButton, button);
        QFETCH(int, moveBy);
        Window f;
        f.w.show();
        f.w.wizardTabs->setCurrentIndex(1);
        auto* widget = f.w.findChild<QWidget*>(label);
        QTest::mousePress(widget, button, {}, QPoint(5, 5));
        QTest::mouseMove(widget, QPoint(5 + moveBy, 5));
        QTest::mouseRelease(widget, button, {}, QPoint(5 + moveBy, 5));
        QTEST((QList{f.exits, f.moves}), "exitsMoves");
    }

    // Help beside the program (plainly joined at a root) or told when no program shows it, the
    // home page, the heading of page 2 that shrinks the window on a double-click, and the end:
    // "B&enden" and a close request end at once.
    void windowHandling() {
        Window root(u"/"_s);
        QCOMPARE(root.w.actions().helpPath(), u"//help.pdf"_s);
        click(root.w.helpButton);
        QCOMPARE(root.opened, QList<QUrl>{QUrl::fromLocalFile(u"/help.pdf"_s)});
        Window f;
        click(f.w.helpButton);
        click(f.w.makerLogo);
        click(f.w.homePageLink);
        const QUrl home(u"http://www.veltrano.example/"_s);
        QCOMPARE(f.opened,
                 (QList<QUrl>{QUrl::fromLocalFile(u"/opt/veltrano/help.pdf"_s), home, home}));
        f.w.actions().openUrl = [](const QUrl&) { return false; }; // no program shows PDF files
        click(f.w.helpButton);
        QCOMPARE(f.messages(), QStringList{u"Hilfe: Die Hilfe /opt/veltrano/help.pdf kann nicht "
                                           "angezeigt werden: auf diesem Rechner ist kein "
                                           "Programm für PDF-Dateien eingerichtet."_s});
        f.w.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        f.w.show();
        QTest::mouseDClick(f.w.optionsPage->headingLabel, Qt::LeftButton);
        QVERIFY(!f.w.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && f.w.isVisible());
        QCOMPARE(f.w.height(), 6765 / 15);
        f.w.exitAction->trigger();
        QVERIFY(f.w.close());
        QCOMPARE(f.exits, 2);
    }

    // Last, as it changes Qt's texts for the tests after it (a shortcut reads "Strg+O").
    void germanDialogs() {
        QVERIFY(!ui::installQtTranslation().isEmpty());
        QMessageBox box(QMessageBox::Information, {}, {}, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"Abbrechen"_s);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
