// The window's controls against their design: names, captions, tooltips, shortcuts, grouping,
// positions, and the state the window starts in.
#include "windowfixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::WindowFixture;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void window() {
        WindowFixture f;
        ui::MainWindow& w = f.window();
        QCOMPARE(w.objectName(), u"Form1"_s);
        QCOMPARE(w.windowTitle(), u" HTML Veltrano 3"_s);
        QVERIFY(!w.windowIcon().isNull());
        // The client area below the menu bar is 7695 x 8895 units.
        QCOMPARE(w.centralWidget()->size(), QSize(513, 593));
        QCOMPARE(w.Tab1->count(), 3);
        QCOMPARE(w.Tab1->tabText(0), u"Schritt 1 - Dateien"_s);
        QCOMPARE(w.Tab1->tabText(1), u"Schritt 2 - Optionen"_s);
        QCOMPARE(w.Tab1->tabText(2), u"Schritt 3 - Ausführen"_s);
        for (const char* button : {"Command1", "Command2", "Command5", "Command3", "Command4"})
            QCOMPARE(w.findChild<QWidget*>(QString::fromLatin1(button))->size(), QSize(25, 25));
        // Labels at height 7080 units.
        QCOMPARE(w.Label8->y(), 472);
        QCOMPARE(w.Label10->y(), 472);
    }

    // Captions as shown ("&&" of the design shows as one "&"), and tooltips where there are.
    void captions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        const auto row = [](const char* name, const char* caption, const char* tooltip = "") {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption)
                                << QString::fromUtf8(tooltip);
        };
        const char* addAll = "Fügt alle Dateien des oben gewählten Ordners ein";
        row("Label3", "Schritt 1 von 3 - Wählen der Dateien");
        row("Label4", "Bitte wählen Sie im ersten Schritt alle zu verschlüsselnden Dateien, diese "
                      "werden dann im 3. Schritt vollautomatisch durch das Programm kopiert  & "
                      "verschlüsselt.");
        row("Command1", "+", "Fügt die in der Dateiliste gewählte Datei(en) ein.");
        row("Command2", "++", addAll);
        row("Command5", "+++", addAll);
        row("Label13", "Neu! 3.0");
        row("Command3", "-",
            "Entfernt den gewählten Eintrag aus der Liste der zu verschlüsselnden Dateien.");
        row("Command4", "--",
            "Entfernt alle Einträge aus der Liste der zu verschlüsselnden Dateien.");
        row("Label2", "Schritt 2 von 3 - Wählen der Verschlüsselungen");
        row("Label1", "Hier können Sie die zu nutzenden Methoden zur Verschlüsselung ihrer HTML "
                      "Dateien wählen, durch das Halten der Maus über dem kleinen \"i\" erhalten "
                      "Sie mehr Infos zu den einzelnen Methoden.");
        row("chkSeo", "Suchmaschinenfreundliche Verschlüsselung (erhält <head> Bereich)");
        row("Label7", "Neu! 3.0");
        row("chkOld", "Alte Verschlüsselung");
        row("chkNew", "Neue Verschlüsselung (empfohlen)");
        row("chkNativ", "Natives HTML Crippling");
        row("chkZange", "Quelltextzange");
        row("chkJava", "Javaskript Verschlüsselung");
        row("Label9", "Text, falls Javaskript deaktiviert ist:");
        row("txtJava",
            "Diese Webseite benötigt Javaskript um korrekt dargestellt werden zu können.");
        row("chkLine", "Überflüssige Zeilenumbrüche");
        row("chkFake", "Fake-Meldung am Anfang des Sourcecodes:");
        row("txt404", "Error 404, file not found!");
        row("Label11", "Zeilen am Anfang:");
        row("txtStart", "200");
        row("Label12", "Zeilen am Ende:");
        row("txtEnd", "200");
        row("chkRClick", "Rechtsklick deaktivieren");
        row("chkSel", "Textauswahl verhindern (ab IE ab 4.0)");
        row("chkPrint", "Drucken verhindern (ab IE 5.0)");
        row("Label17", "Schritt 3 von 3 - Beginn der Verschlüsselung");
        row("Label18",
            "Wählen Sie bitte einen Ordner in den die zu verschlüsselnden Dateien kopiert "
            "werden sollen oder alternativ die Option \"alte Dateien überschreiben\".");
        row("chkNewFiles", " Dateien in folgendem Ordner speichern:");
        row("txtPath", "/opt/veltrano/html");
        row("Command44", "...");
        row("chkOverwrite", "Alte Dateien überschreiben");
        row("chkBkup", "Voher backupen (Datei.htm.bak)");
        row("Label16",
            "Einmal verschlüsselte Dateien können nicht wiederhergestellt werden, bitte "
            "wählen Sie die Option zum Überschreiben der alten Dateien nur wenn Sie dafür "
            "extra eine Kopie Ihrer Webseite angelegt haben!");
        row("Command9", "Beginnen");
        row("frStat", "Status");
        row("Label5", "Datei:");
        row("Command6", "&Hilfe");
        row("Label10", "http://www.veltrano.example/");
    }
    void captions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        WindowFixture f;
        QWidget* widget = f.window().findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        // Labels, buttons and edits show a text, frames a title.
        const QVariant shown =
            widget->property(qobject_cast<QGroupBox*>(widget) ? "title" : "text");
        QVERIFY2(shown.isValid(), "unexpected kind of control");
        QCOMPARE(shown.toString(), caption);
        if (!tooltip.isEmpty())
            QCOMPARE(widget->toolTip(), tooltip);
    }

    void menu_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("menuCaption");
        QTest::addColumn<QStringList>("entries"); // name=caption=shortcut, "-" for a separator
        QTest::newRow("projekt") << u"projekt"_s << u"&Projekt"_s
                                 << QStringList{u"cmdNeu=&Neu="_s,
                                                u"cmdLoad=&Öffnen...=Ctrl+O"_s,
                                                u"-"_s,
                                                u"cmdSave=&Speichern=Ctrl+S"_s,
                                                u"cmdSU=Speichern &unter...="_s,
                                                u"-"_s,
                                                u"beenden=B&enden="_s};
        QTest::newRow("cmdEinst") << u"cmdEinst"_s << u"&Einstellungen"_s
                                  << QStringList{u"cmdLoadSettings=&Laden="_s,
                                                 u"cmdSaveSettings=&Speichern="_s, u"-"_s,
                                                 u"cmdModern=&Moderne Seiten (UTF-8, Skripte, "
                                                 u"Unterordner)="_s};
        QTest::newRow("asdfas") << u"asdfas"_s << u"(Neu! 3.0)"_s << QStringList{};
    }
    void menu() {
        QFETCH(QString, menu);
        QFETCH(QString, menuCaption);
        QFETCH(QStringList, entries);
        WindowFixture f;
        auto* m = f.window().findChild<QMenu*>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), menuCaption);
        QVERIFY(f.window().menuBar()->actions().contains(m->menuAction()));
        QStringList actions;
        for (const QAction* a : m->actions()) {
            actions.append(a->isSeparator() ? u"-"_s
                                            : a->objectName() + u'=' + a->text() + u'=' +
                                                  a->shortcut().toString());
        }
        QCOMPARE(actions, entries);
    }

    void grouping_data() {
        QTest::addColumn<QString>("child");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<bool>("shown"); // visible when its page shows
        const auto rows = [](const char* parent, bool shown,
                             std::initializer_list<const char*> children) {
            for (const char* child : children)
                QTest::newRow(child)
                    << QString::fromLatin1(child) << QString::fromLatin1(parent) << shown;
        };
        rows("page1", true,
             {"Label3", "Label4", "Drive1", "Dir1", "File1", "Command1", "Command2", "Command5",
              "Label13", "Command3", "Command4", "Flex"});
        rows("page2", true, {"Label2",   "Label1",   "chkSeo",  "Label7",  "chkNativ",  "chkZange",
                             "chkJava",  "Label9",   "txtJava", "chkLine", "chkFake",   "txt404",
                             "Label11",  "txtStart", "Label12", "txtEnd",  "chkRClick", "chkSel",
                             "chkPrint", "Line1",    "Line2",   "Line3",   "Line4"});
        rows("page2", false, {"Frame1"});
        rows("Frame1", false, {"Label6", "chkOld", "chkNew"});
        rows("page3", true,
             {"Label17", "Label18", "chkNewFiles", "txtPath", "Command44", "chkOverwrite",
              "chkBkup", "Image2", "Label16", "Command9", "Frame3", "Line5"});
        rows("page3", false, {"frStat"}); // hidden while no run is active
        rows("frStat", false, {"prgr", "Label5", "lblFIl", "Stat"});
        rows("Frame3", true, {"Brw2"});
        rows("Frame2", true, {"Brw"});
        rows("client", true, {"Command6", "Image5", "Label8", "Label10", "Frame2"});
    }
    void grouping() {
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

    void geometry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect"); // in pixels at 96 dpi: units / 15
        QTest::newRow("Tab1") << u"Tab1"_s << QRect(8, 8, 497, 449);
        QTest::newRow("Command6") << u"Command6"_s << QRect(8, 464, 89, 33);
        QTest::newRow("Frame2") << u"Frame2"_s << QRect(8, 504, 497, 89);
        QTest::newRow("Frame3") << u"Frame3"_s << QRect(6, 216, 481, 169);
    }
    void geometry() {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        WindowFixture f;
        auto* widget = f.window().findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), rect);
    }

    void opensOnFirstPageAndPagesChangeNothing() {
        WindowFixture f;
        f.window().show();
        QCOMPARE(f.window().Tab1->currentIndex(), 0);
        const OptionValues before = f.window().options().values();
        for (int page : {1, 2, 0, 2})
            f.window().Tab1->setCurrentIndex(page);
        QCOMPARE(f.window().options().values(), before);
    }

    void startUpEqualsNew() {
        WindowFixture f(u"/srv/prog"_s);
        ui::MainWindow& w = f.window();
        QCOMPARE(w.options().values(), OptionValues::defaults(u"/srv/prog"_s));
        QCOMPARE(w.options().text(TextField::txtPath), u"/srv/prog/html"_s);
        QCOMPARE(w.list().count(), 0);
        QVERIFY(w.options().projectFile().isEmpty());
        QCOMPARE(w.list().headerData(0, Qt::Horizontal).toString(), u"Dateiname & Pfad"_s);
        QCOMPARE(w.list().headerData(1, Qt::Horizontal).toString(), u"Größe"_s);

        // Change everything, then New: the same state again, field by field.
        w.page2->chkNativ->click();
        w.page2->txt404->setText(u"anders"_s);
        w.page3->chkOverwrite->click();
        w.list().Append(u"/nirgends/seite.htm"_s);
        w.options().setProjectFile(u"/tmp/projekt.vtp"_s);
        w.cmdNeu->trigger();
        QCOMPARE(w.options().values(), OptionValues::defaults(u"/srv/prog"_s));
        QCOMPARE(w.list().count(), 0);
        QCOMPARE(w.options().projectFile(), u"/tmp/projekt.vtp"_s);
        QVERIFY(w.page2->chkNativ->isChecked());
        QCOMPARE(w.page2->txt404->text(), u"Error 404, file not found!"_s);
        QVERIFY(w.page3->chkNewFiles->isChecked());
        QVERIFY(!w.page3->chkOverwrite->isChecked());
        QVERIFY(f.host().messages().isEmpty());
    }

    void controlsWithoutActionDoNothing() {
        WindowFixture f;
        ui::MainWindow& w = f.showPage(2);
        const OptionValues before = w.options().values();
        QTest::mouseClick(w.page3->Command44, Qt::LeftButton);
        w.cmdLoadSettings->trigger();
        w.cmdSaveSettings->trigger();
        w.asdfas->menuAction()->trigger();
        QTest::mouseClick(w.page3->Image2, Qt::LeftButton);
        w.page3->Text2->setText(u"x"_s);
        QCOMPARE(w.options().values(), before);
        QCOMPARE(w.list().count(), 0);
        QVERIFY(f.host().messages().isEmpty());
        QCOMPARE(f.host().dialogsShown(), 0);
        QCOMPARE(f.exits, 0);
        QVERIFY(f.opened.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
