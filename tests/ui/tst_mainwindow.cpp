// The window's controls against its design: names, captions, tooltips, shortcuts, grouping,
// positions, and the state the window starts in.
#include "actionlabel.h"
#include "optionbinding.h"
#include <QRadioButton>
#include <QPushButton>
#include <QCheckBox>
#include "advertpanel.h"
#include "filespage.h"
#include "optionspage.h"
#include "runpage.h"
#include "statusframe.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>

using namespace veltrano;
using veltrano::test::WindowFixture;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void window();
    void captions_data();
    void captions();
    void tooltips_data();
    void tooltips();
    void menu_data();
    void menu();
    void grouping_data();
    void grouping();
    void geometry_data();
    void geometry();
    void opensOnFirstPageAndPagesChangeNothing();
    void startUpEqualsNew();
    void controlsWithoutActionDoNothing();
};

void TestMainWindow::window() {
    WindowFixture f;
    QCOMPARE(f.window().objectName(), QStringLiteral("Form1"));
    QCOMPARE(f.window().windowTitle(), QStringLiteral(" HTML Veltrano 3"));
    QVERIFY(!f.window().windowIcon().isNull());
    // The client area below the menu bar is 7695 x 8895 units.
    QCOMPARE(f.window().centralWidget()->size(), QSize(513, 593));
    QTabWidget* tabs = f.window().Tab1;
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Schritt 1 - Dateien"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Schritt 2 - Optionen"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Schritt 3 - Ausführen"));
}

void TestMainWindow::captions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* name, const QString& caption) {
        QTest::newRow(name) << QString::fromLatin1(name) << caption;
    };
    row("Label3", QStringLiteral("Schritt 1 von 3 - Wählen der Dateien"));
    // "&&" of the design shows as one "&".
    row("Label4", QStringLiteral("Bitte wählen Sie im ersten Schritt alle zu verschlüsselnden Dateien, "
                                 "diese werden dann im 3. Schritt vollautomatisch durch das Programm "
                                 "kopiert  & verschlüsselt."));
    row("Command1", QStringLiteral("+"));
    row("Command2", QStringLiteral("++"));
    row("Command5", QStringLiteral("+++"));
    row("Label13", QStringLiteral("Neu! 3.0"));
    row("Command3", QStringLiteral("-"));
    row("Command4", QStringLiteral("--"));
    row("Label2", QStringLiteral("Schritt 2 von 3 - Wählen der Verschlüsselungen"));
    row("Label1", QStringLiteral("Hier können Sie die zu nutzenden Methoden zur Verschlüsselung ihrer "
                                 "HTML Dateien wählen, durch das Halten der Maus über dem kleinen \"i\" "
                                 "erhalten Sie mehr Infos zu den einzelnen Methoden."));
    row("chkSeo", QStringLiteral("Suchmaschinenfreundliche Verschlüsselung (erhält <head> Bereich)"));
    row("Label7", QStringLiteral("Neu! 3.0"));
    row("chkOld", QStringLiteral("Alte Verschlüsselung"));
    row("chkNew", QStringLiteral("Neue Verschlüsselung (empfohlen)"));
    row("chkNativ", QStringLiteral("Natives HTML Crippling"));
    row("chkZange", QStringLiteral("Quelltextzange"));
    row("chkJava", QStringLiteral("Javaskript Verschlüsselung"));
    row("Label9", QStringLiteral("Text, falls Javaskript deaktiviert ist:"));
    row("txtJava", QStringLiteral("Diese Webseite benötigt Javaskript um korrekt dargestellt werden "
                                  "zu können."));
    row("chkLine", QStringLiteral("Überflüssige Zeilenumbrüche"));
    row("chkFake", QStringLiteral("Fake-Meldung am Anfang des Sourcecodes:"));
    row("txt404", QStringLiteral("Error 404, file not found!"));
    row("Label11", QStringLiteral("Zeilen am Anfang:"));
    row("txtStart", QStringLiteral("200"));
    row("Label12", QStringLiteral("Zeilen am Ende:"));
    row("txtEnd", QStringLiteral("200"));
    row("chkRClick", QStringLiteral("Rechtsklick deaktivieren"));
    row("chkSel", QStringLiteral("Textauswahl verhindern (ab IE ab 4.0)"));
    row("chkPrint", QStringLiteral("Drucken verhindern (ab IE 5.0)"));
    row("Label17", QStringLiteral("Schritt 3 von 3 - Beginn der Verschlüsselung"));
    row("Label18", QStringLiteral("Wählen Sie bitte einen Ordner in den die zu verschlüsselnden Dateien "
                                  "kopiert werden sollen oder alternativ die Option \"alte Dateien "
                                  "überschreiben\"."));
    row("chkNewFiles", QStringLiteral(" Dateien in folgendem Ordner speichern:"));
    row("txtPath", QStringLiteral("/opt/veltrano/html"));
    row("Command44", QStringLiteral("..."));
    row("chkOverwrite", QStringLiteral("Alte Dateien überschreiben"));
    row("chkBkup", QStringLiteral("Voher backupen (Datei.htm.bak)"));
    row("Label16", QStringLiteral("Einmal verschlüsselte Dateien können nicht wiederhergestellt werden, "
                                  "bitte wählen Sie die Option zum Überschreiben der alten Dateien nur "
                                  "wenn Sie dafür extra eine Kopie Ihrer Webseite angelegt haben!"));
    row("Command9", QStringLiteral("Beginnen"));
    row("frStat", QStringLiteral("Status"));
    row("Label5", QStringLiteral("Datei:"));
    row("Command6", QStringLiteral("&Hilfe"));
    row("Label10", QStringLiteral("http://www.veltrano.example/"));
}

void TestMainWindow::captions() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    WindowFixture f;
    QWidget* widget = f.window().findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    if (auto* label = qobject_cast<QLabel*>(widget))
        QCOMPARE(label->text(), caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        QCOMPARE(button->text(), caption);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        QCOMPARE(edit->text(), caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        QCOMPARE(frame->title(), caption);
    else
        QFAIL("unexpected kind of control");
}

void TestMainWindow::tooltips_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tooltip");
    const QString addAll = QStringLiteral("Fügt alle Dateien des oben gewählten Ordners ein");
    QTest::newRow("Command1") << QStringLiteral("Command1")
                              << QStringLiteral("Fügt die in der Dateiliste gewählte Datei(en) ein.");
    QTest::newRow("Command2") << QStringLiteral("Command2") << addAll;
    QTest::newRow("Command5") << QStringLiteral("Command5") << addAll;
    QTest::newRow("Command3") << QStringLiteral("Command3")
                              << QStringLiteral("Entfernt den gewählten Eintrag aus der Liste der zu "
                                                "verschlüsselnden Dateien.");
    QTest::newRow("Command4") << QStringLiteral("Command4")
                              << QStringLiteral("Entfernt alle Einträge aus der Liste der zu "
                                                "verschlüsselnden Dateien.");
}

void TestMainWindow::tooltips() {
    QFETCH(QString, name);
    QFETCH(QString, tooltip);
    WindowFixture f;
    QWidget* widget = f.window().findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), tooltip);
}

void TestMainWindow::menu_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("menuCaption");
    QTest::addColumn<QStringList>("entries"); // name=caption=shortcut, "-" for a separator
    QTest::newRow("projekt") << QStringLiteral("projekt") << QStringLiteral("&Projekt")
                             << QStringList{QStringLiteral("cmdNeu=&Neu="),
                                            QStringLiteral("cmdLoad=&Öffnen...=Ctrl+O"),
                                            QStringLiteral("-"),
                                            QStringLiteral("cmdSave=&Speichern=Ctrl+S"),
                                            QStringLiteral("cmdSU=Speichern &unter...="),
                                            QStringLiteral("-"),
                                            QStringLiteral("beenden=B&enden=")};
    QTest::newRow("cmdEinst") << QStringLiteral("cmdEinst") << QStringLiteral("&Einstellungen")
                              << QStringList{QStringLiteral("cmdLoadSettings=&Laden="),
                                             QStringLiteral("cmdSaveSettings=&Speichern=")};
    QTest::newRow("asdfas") << QStringLiteral("asdfas") << QStringLiteral("(Neu! 3.0)")
                            << QStringList{};
}

void TestMainWindow::menu() {
    QFETCH(QString, menu);
    QFETCH(QString, menuCaption);
    QFETCH(QStringList, entries);
    WindowFixture f;
    auto* m = f.window().findChild<QMenu*>(menu);
    QVERIFY(m);
    QCOMPARE(m->title(), menuCaption);
    QVERIFY(f.window().menuBar()->actions().contains(m->menuAction()));
    const QList<QAction*> actions = m->actions();
    QCOMPARE(actions.size(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i] == QLatin1String("-")) {
            QVERIFY(actions[i]->isSeparator());
            continue;
        }
        const QStringList parts = entries[i].split(QLatin1Char('='));
        QCOMPARE(actions[i]->objectName(), parts[0]);
        QCOMPARE(actions[i]->text(), parts[1]);
        QCOMPARE(actions[i]->shortcut(), QKeySequence::fromString(parts[2]));
    }
}

void TestMainWindow::grouping_data() {
    QTest::addColumn<QString>("child");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<bool>("shown"); // visible when its page shows
    const auto row = [](const char* child, const char* parent, bool shown) {
        QTest::newRow(child) << QString::fromLatin1(child) << QString::fromLatin1(parent) << shown;
    };
    for (const char* name : {"Label3", "Label4", "Drive1", "Dir1", "File1", "Command1", "Command2",
                             "Command5", "Label13", "Command3", "Command4", "Flex"})
        row(name, "page1", true);
    for (const char* name : {"Label2", "Label1", "chkSeo", "Label7", "chkNativ", "chkZange",
                             "chkJava", "Label9", "txtJava", "chkLine", "chkFake", "txt404",
                             "Label11", "txtStart", "Label12", "txtEnd", "chkRClick", "chkSel",
                             "chkPrint", "Line1", "Line2", "Line3", "Line4"})
        row(name, "page2", true);
    row("Frame1", "page2", false);
    row("Label6", "Frame1", false);
    row("chkOld", "Frame1", false);
    row("chkNew", "Frame1", false);
    for (const char* name : {"Label17", "Label18", "chkNewFiles", "txtPath", "Command44",
                             "chkOverwrite", "chkBkup", "Image2", "Label16", "Command9", "Frame3",
                             "Line5"})
        row(name, "page3", true);
    row("frStat", "page3", false); // hidden while no run is active
    row("prgr", "frStat", false);
    row("Label5", "frStat", false);
    row("lblFIl", "frStat", false);
    row("Stat", "frStat", false);
    row("Brw2", "Frame3", true);
    row("Brw", "Frame2", true);
    row("Command6", "client", true);
    row("Image5", "client", true);
    row("Label8", "client", true);
    row("Label10", "client", true);
    row("Frame2", "client", true);
}

void TestMainWindow::grouping() {
    QFETCH(QString, child);
    QFETCH(QString, parent);
    QFETCH(bool, shown);
    WindowFixture f;
    f.window().show();
    QWidget* widget = f.window().findChild<QWidget*>(child);
    QVERIFY2(widget, qPrintable(child));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    // A control on a page shows when its page is the current one.
    for (QWidget* up = widget; up; up = up->parentWidget()) {
        if (up->objectName().startsWith(QLatin1String("page")))
            f.window().Tab1->setCurrentWidget(up);
    }
    QCOMPARE(widget->isVisible(), shown);
}

void TestMainWindow::geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect"); // in pixels at 96 dpi: units / 15
    QTest::newRow("Tab1") << QStringLiteral("Tab1") << QRect(8, 8, 497, 449);
    QTest::newRow("Command6") << QStringLiteral("Command6") << QRect(8, 464, 89, 33);
    QTest::newRow("Frame2") << QStringLiteral("Frame2") << QRect(8, 504, 497, 89);
    QTest::newRow("Frame3") << QStringLiteral("Frame3") << QRect(6, 216, 481, 169);
}

void TestMainWindow::geometry() {
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    WindowFixture f;
    auto* widget = f.window().findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), rect);
    for (const char* button : {"Command1", "Command2", "Command5", "Command3", "Command4"})
        QCOMPARE(f.window().findChild<QWidget*>(QString::fromLatin1(button))->size(), QSize(25, 25));
    // Labels at height 7080 units.
    QCOMPARE(f.window().Label8->y(), 472);
    QCOMPARE(f.window().Label10->y(), 472);
}

void TestMainWindow::opensOnFirstPageAndPagesChangeNothing() {
    WindowFixture f;
    f.window().show();
    QCOMPARE(f.window().Tab1->currentIndex(), 0);
    const OptionValues before = f.window().options().values();
    for (int page : {1, 2, 0, 2})
        f.window().Tab1->setCurrentIndex(page);
    QCOMPARE(f.window().options().values(), before);
}

void TestMainWindow::startUpEqualsNew() {
    WindowFixture f(QStringLiteral("/srv/prog"));
    ui::MainWindow& w = f.window();
    QCOMPARE(w.options().values(), OptionValues::defaults(QStringLiteral("/srv/prog")));
    QCOMPARE(w.options().text(TextField::txtPath), QStringLiteral("/srv/prog/html"));
    QCOMPARE(w.list().count(), 0);
    QVERIFY(w.options().projectFile().isEmpty());
    QCOMPARE(w.list().headerData(0, Qt::Horizontal).toString(), QStringLiteral("Dateiname & Pfad"));
    QCOMPARE(w.list().headerData(1, Qt::Horizontal).toString(), QStringLiteral("Größe"));

    // Change everything, then New: the same state again, field by field.
    w.page2->chkNativ->click();
    w.page2->txt404->setText(QStringLiteral("anders"));
    w.page3->chkOverwrite->click();
    w.list().Append(QStringLiteral("/nirgends/seite.htm"));
    w.options().setProjectFile(QStringLiteral("/tmp/projekt.vtp"));
    w.cmdNeu->trigger();
    QCOMPARE(w.options().values(), OptionValues::defaults(QStringLiteral("/srv/prog")));
    QCOMPARE(w.list().count(), 0);
    QCOMPARE(w.options().projectFile(), QStringLiteral("/tmp/projekt.vtp"));
    QVERIFY(w.page2->chkNativ->isChecked());
    QCOMPARE(w.page2->txt404->text(), QStringLiteral("Error 404, file not found!"));
    QVERIFY(w.page3->chkNewFiles->isChecked());
    QVERIFY(!w.page3->chkOverwrite->isChecked());
    QVERIFY(f.host().messages().isEmpty());
}

void TestMainWindow::controlsWithoutActionDoNothing() {
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.show();
    w.Tab1->setCurrentIndex(2);
    const OptionValues before = w.options().values();
    QTest::mouseClick(w.page3->Command44, Qt::LeftButton);
    w.cmdLoadSettings->trigger();
    w.cmdSaveSettings->trigger();
    w.asdfas->menuAction()->trigger();
    QTest::mouseClick(w.page3->Image2, Qt::LeftButton);
    w.page3->Text2->setText(QStringLiteral("x"));
    QCOMPARE(w.options().values(), before);
    QCOMPARE(w.list().count(), 0);
    QVERIFY(f.host().messages().isEmpty());
    QCOMPARE(f.host().dialogsShown(), 0);
    QCOMPARE(f.exits, 0);
    QVERIFY(f.opened.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
