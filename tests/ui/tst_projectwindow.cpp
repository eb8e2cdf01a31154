// New, Open, Save and Save as from the menu, with the file dialog answered through the host.
#include "actionlabel.h"
#include "optionbinding.h"
#include <QRadioButton>
#include <QPushButton>
#include <QCheckBox>
#include "optionspage.h"
#include "support/testfiles.h"
#include "windowfixture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace veltrano;
using veltrano::test::WindowFixture;
using Icon = veltrano::Host::Icon;

namespace {
const QString kNoFile = QStringLiteral("Keine Datei gewählt!");

QString savedText(const QString& file) {
    return QStringLiteral("Projekt nach \"") + file + QStringLiteral("\" gespeichert!");
}
} // namespace

class TestProjectWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void saveWithoutProjectAsksForName_data();
    void saveWithoutProjectAsksForName();
    void saveAfterSaveAsAndOpenUsesSameFile();
    void openRestoresOptionsAndList();
    void cancelledOpenKeepsJobButForgetsName();
    void versionMismatch();
    void newThenSaveWritesOverCurrentFile();
    void shortcuts();

private:
    QTemporaryDir dir_;
    QString page_;
};

void TestProjectWindow::init() {
    QVERIFY(dir_.isValid());
    page_ = dir_.filePath(QStringLiteral("web/index.htm"));
    test::writePage(page_, 300);
}

void TestProjectWindow::saveWithoutProjectAsksForName_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("name") << false;
    QTest::newRow("cancel") << true;
}

void TestProjectWindow::saveWithoutProjectAsksForName() {
    QFETCH(bool, cancel);
    WindowFixture f;
    const QString file =
        dir_.filePath(cancel ? QStringLiteral("cancelled.vtp") : QStringLiteral("job.vtp"));
    f.host().setNextFileName(cancel ? QString() : file);
    f.window().cmdSave->trigger();
    QCOMPARE(f.host().dialogsShown(), 1);
    QCOMPARE(f.host().messages().size(), 1);
    const auto& m = f.host().messages().constFirst();
    if (cancel) {
        QCOMPARE(m.prompt, kNoFile);
        QCOMPARE(m.title, QStringLiteral("Fehler"));
        QCOMPARE(m.icon, Icon::Critical);
        QVERIFY(!QFile::exists(file));
    } else {
        QCOMPARE(m.prompt, savedText(file));
        QCOMPARE(m.title, QStringLiteral("Speichern"));
        QCOMPARE(m.icon, Icon::Information);
        QVERIFY(QFile::exists(file));
        QCOMPARE(f.window().options().projectFile(), file);
    }
}

void TestProjectWindow::saveAfterSaveAsAndOpenUsesSameFile() {
    WindowFixture f;
    const QString file = dir_.filePath(QStringLiteral("same.vtp"));
    f.host().setNextFileName(file);
    f.window().cmdSU->trigger();
    f.window().cmdSave->trigger();
    QCOMPARE(f.host().dialogsShown(), 1);
    QCOMPARE(f.host().messages().size(), 2);
    QCOMPARE(f.host().messages().at(1).prompt, savedText(file));

    WindowFixture g;
    g.host().setNextFileName(file);
    g.window().cmdLoad->trigger();
    g.window().cmdSave->trigger();
    QCOMPARE(g.host().dialogsShown(), 1);
    QCOMPARE(g.host().messages().size(), 1);
    QCOMPARE(g.host().messages().constFirst().prompt, savedText(file));
}

void TestProjectWindow::openRestoresOptionsAndList() {
    const QString file = dir_.filePath(QStringLiteral("full.vtp"));
    {
        WindowFixture f;
        ui::MainWindow& w = f.window();
        w.list().Append(page_);
        w.list().Append(page_);
        w.list().RemoveCurrent(); // not saved
        w.page2->chkSel->click();
        w.page2->txtStart->setText(QStringLiteral("7"));
        f.host().setNextFileName(file);
        w.cmdSU->trigger();
    }
    WindowFixture g;
    ui::MainWindow& w = g.window();
    g.host().setNextFileName(file);
    w.cmdLoad->trigger();
    QVERIFY(g.host().messages().isEmpty());
    QCOMPARE(g.livePaths(), QStringList{page_});
    QCOMPARE(w.list().entry(1).size, QStringLiteral("300"));
    QVERIFY(!w.page2->chkSel->isChecked());
    QCOMPARE(w.page2->txtStart->text(), QStringLiteral("7"));
    QCOMPARE(w.options().projectFile(), file);
}

void TestProjectWindow::cancelledOpenKeepsJobButForgetsName() {
    const QString file = dir_.filePath(QStringLiteral("keep.vtp"));
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.list().Append(page_);
    f.host().setNextFileName(file);
    w.cmdSU->trigger();
    f.host().clearMessages();

    w.cmdLoad->trigger(); // no queued name: cancelled
    QCOMPARE(f.host().messages().size(), 1);
    QCOMPARE(f.host().messages().constFirst().prompt, kNoFile);
    QCOMPARE(f.livePaths(), QStringList{page_});
    QVERIFY(w.options().projectFile().isEmpty());

    // The next Save asks for a name again.
    w.cmdSave->trigger();
    QCOMPARE(f.host().dialogsShown(), 3);
}

void TestProjectWindow::versionMismatch() {
    const QString file = dir_.filePath(QStringLiteral("old.vtp"));
    test::writeFile(file, QByteArray("2.0.0\r\n 0 \r\n"));
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.list().Append(page_);
    w.page2->chkNativ->click();
    const OptionValues before = w.options().values();
    f.host().setNextFileName(file);
    w.cmdLoad->trigger();
    QCOMPARE(f.host().messages().size(), 1);
    QCOMPARE(f.host().messages().constFirst().prompt,
             QStringLiteral("Die Datei wurde mit Version 2.0.0 erstellt, und ist zu 3.0.0 nicht "
                            "kompatibel!"));
    QCOMPARE(f.host().messages().constFirst().title, QStringLiteral("Fehler"));
    QCOMPARE(f.host().messages().constFirst().icon, Icon::Critical);
    QCOMPARE(w.list().count(), 0);
    QCOMPARE(w.options().values(), before);
    QCOMPARE(w.options().projectFile(), file);
}

void TestProjectWindow::newThenSaveWritesOverCurrentFile() {
    const QString file = dir_.filePath(QStringLiteral("reset.vtp"));
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.list().Append(page_);
    w.page2->txt404->setText(QStringLiteral("geändert"));
    f.host().setNextFileName(file);
    w.cmdSU->trigger();
    w.cmdNeu->trigger();
    w.cmdSave->trigger();
    QCOMPARE(f.host().dialogsShown(), 1);

    WindowFixture g(QStringLiteral("/opt/veltrano"));
    g.window().page2->txt404->setText(QStringLiteral("vorher"));
    g.host().setNextFileName(file);
    g.window().cmdLoad->trigger();
    QCOMPARE(g.window().list().count(), 0);
    QCOMPARE(g.window().page2->txt404->text(), QStringLiteral("Error 404, file not found!"));
}

void TestProjectWindow::shortcuts() {
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

QTEST_MAIN(TestProjectWindow)
#include "tst_projectwindow.moc"
