// New, Open, Save and Save as from the menu, with the file dialog answered through the host.
#include "support/testfiles.h"
#include "windowfixture.h"

#include <QFile>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::WindowFixture;
using Icon = veltrano::Host::Icon;

namespace {
const QString kNoFile = u"Fehler: Keine Datei gewählt!"_s;

QString saved(const QString& file) {
    return u"Speichern: Projekt nach \""_s + file + u"\" gespeichert!"_s;
}
} // namespace

class TestProjectWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString page_;

    // Runs a menu entry with this name queued for its file dialog.
    static void withName(WindowFixture& f, QAction* entry, const QString& file) {
        f.host().setNextFileName(file);
        entry->trigger();
    }

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        page_ = dir_.filePath(u"web/index.htm"_s);
        test::writePage(page_, 300);
    }

    void saveWithoutProjectAsksForName_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("name") << false;
        QTest::newRow("cancel") << true;
    }
    void saveWithoutProjectAsksForName() {
        QFETCH(bool, cancel);
        WindowFixture f;
        const QString file = dir_.filePath(cancel ? u"cancelled.vtp"_s : u"job.vtp"_s);
        withName(f, f.window().saveAction, cancel ? QString() : file);
        QCOMPARE(f.host().dialogsShown(), 1);
        QCOMPARE(f.messages(), QStringList{cancel ? kNoFile : saved(file)});
        QCOMPARE(f.host().messages().constFirst().icon,
                 cancel ? Icon::Critical : Icon::Information);
        QCOMPARE(QFile::exists(file), !cancel);
        QCOMPARE(f.window().options().projectFile(), cancel ? QString() : file);
    }

    void saveAfterSaveAsAndOpenUsesSameFile() {
        const QString file = dir_.filePath(u"same.vtp"_s);
        WindowFixture f;
        withName(f, f.window().saveAsAction, file);
        f.window().saveAction->trigger();
        QCOMPARE(f.host().dialogsShown(), 1);
        QCOMPARE(f.messages(), QStringList(2, saved(file)));

        WindowFixture g;
        withName(g, g.window().openAction, file);
        g.window().saveAction->trigger();
        QCOMPARE(g.host().dialogsShown(), 1);
        QCOMPARE(g.messages(), QStringList{saved(file)});
    }

    void openRestoresOptionsAndList() {
        const QString file = dir_.filePath(u"full.vtp"_s);
        {
            WindowFixture f;
            ui::MainWindow& w = f.window();
            w.list().Append(page_);
            w.list().Append(page_);
            w.list().RemoveCurrent(); // not saved
            w.optionsPage->selectionCheck->click();
            w.optionsPage->startLinesEdit->setText(u"7"_s);
            withName(f, w.saveAsAction, file);
        }
        WindowFixture g;
        ui::MainWindow& w = g.window();
        withName(g, w.openAction, file);
        QVERIFY(g.host().messages().isEmpty());
        QCOMPARE(g.livePaths(), QStringList{page_});
        QCOMPARE(w.list().entry(0).size, u"300"_s);
        QVERIFY(!w.optionsPage->selectionCheck->isChecked());
        QCOMPARE(w.optionsPage->startLinesEdit->text(), u"7"_s);
        QCOMPARE(w.options().projectFile(), file);
    }

    void cancelledOpenKeepsJobButForgetsName() {
        WindowFixture f;
        ui::MainWindow& w = f.window();
        w.list().Append(page_);
        withName(f, w.saveAsAction, dir_.filePath(u"keep.vtp"_s));
        f.host().clearMessages();

        w.openAction->trigger(); // no queued name: cancelled
        QCOMPARE(f.messages(), QStringList{kNoFile});
        QCOMPARE(f.livePaths(), QStringList{page_});
        QVERIFY(w.options().projectFile().isEmpty());
        // The next Save asks for a name again.
        w.saveAction->trigger();
        QCOMPARE(f.host().dialogsShown(), 3);
    }

    void versionMismatch() {
        const QString file = dir_.filePath(u"old.vtp"_s);
        test::writeFile(file, QByteArray("2.0.0\r\n 0 \r\n"));
        WindowFixture f;
        ui::MainWindow& w = f.window();
        w.list().Append(page_);
        w.optionsPage->nativeCheck->click();
        const OptionValues before = w.options().values();
        withName(f, w.openAction, file);
        QCOMPARE(f.messages(), QStringList{u"Fehler: Die Datei wurde mit Version 2.0.0 erstellt, "
                                           u"und ist zu 3.0.0 nicht kompatibel!"_s});
        QCOMPARE(f.host().messages().constFirst().icon, Icon::Critical);
        QCOMPARE(w.list().count(), 0);
        QCOMPARE(w.options().values(), before);
        QCOMPARE(w.options().projectFile(), file);
    }

    void newThenSaveWritesOverCurrentFile() {
        const QString file = dir_.filePath(u"reset.vtp"_s);
        WindowFixture f;
        ui::MainWindow& w = f.window();
        w.list().Append(page_);
        w.optionsPage->fakeMessageEdit->setText(u"geändert"_s);
        withName(f, w.saveAsAction, file);
        w.newAction->trigger();
        w.saveAction->trigger();
        QCOMPARE(f.host().dialogsShown(), 1);

        WindowFixture g;
        g.window().optionsPage->fakeMessageEdit->setText(u"vorher"_s);
        withName(g, g.window().openAction, file);
        QCOMPARE(g.window().list().count(), 0);
        QCOMPARE(g.window().optionsPage->fakeMessageEdit->text(), u"Error 404, file not found!"_s);
    }

    void shortcuts() {
        WindowFixture f;
        ui::MainWindow& w = f.window();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.host().dialogsShown(), 1); // Open asked for a name
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.host().dialogsShown(), 2); // Save without a project asks as well
    }
};

QTEST_MAIN(TestProjectWindow)
#include "tst_projectwindow.moc"
