// Ending the program, help, the home page and the label that moves the window, through the
// window's replaceable exit and desktop functions.
#include "windowactions.h"
#include "windowfixture.h"

#include <QCloseEvent>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::WindowFixture;

class TestWindowActions : public QObject {
    Q_OBJECT
private slots:
    void endOfProgram_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"beenden", "Label1", "close"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void endOfProgram() {
        QFETCH(QString, way);
        WindowFixture f;
        ui::MainWindow& w = f.showPage(1);
        w.list().Append(u"/ungespeichert.htm"_s);
        if (way == "beenden"_L1) {
            w.exitAction->trigger();
        } else if (way == "Label1"_L1) {
            QTest::mouseClick(w.optionsPage->introLabel, Qt::LeftButton);
        } else {
            QCloseEvent close;
            QApplication::sendEvent(&w, &close);
            QVERIFY(close.isAccepted());
        }
        // At once and without a question.
        QCOMPARE(f.exits, 1);
        QVERIFY(f.host().messages().isEmpty());
        QCOMPARE(f.host().dialogsShown(), 0);
    }

    void helpOpensManualBesideProgram_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("opened");
        QTest::newRow("folder") << u"/opt/veltrano"_s << u"/opt/veltrano/help.pdf"_s
                                << u"/opt/veltrano/help.pdf"_s;
        // Plain joining at a root; the desktop gets the file the path names.
        QTest::newRow("root") << u"/"_s << u"//help.pdf"_s << u"/help.pdf"_s;
    }
    void helpOpensManualBesideProgram() {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, opened);
        WindowFixture f(folder);
        QCOMPARE(f.window().actions().helpPath(), file);
        QTest::mouseClick(f.window().helpButton, Qt::LeftButton);
        QCOMPARE(f.opened.size(), 1);
        QVERIFY(f.opened.constFirst().isLocalFile());
        QCOMPARE(f.opened.constFirst().toLocalFile(), opened);
    }

    void homePage() {
        WindowFixture f;
        ui::MainWindow& w = f.showPage(0);
        QTest::mouseClick(w.makerLogo, Qt::LeftButton);
        QTest::mouseClick(w.homePageLink, Qt::LeftButton);
        const QUrl home(u"http://www.veltrano.example/"_s);
        QCOMPARE(f.opened, (QList<QUrl>{home, home}));
    }

    void dragWithAnyButton_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void dragWithAnyButton() {
        QFETCH(Qt::MouseButton, button);
        WindowFixture f;
        int moves = 0;
        f.window().actions().startMove = [&moves] { return ++moves > 0; };
        ui::MainWindow& w = f.showPage(1);
        QTest::mousePress(w.optionsPage->headingLabel, button, Qt::ShiftModifier, QPoint(3, 3));
        QTest::mouseRelease(w.optionsPage->headingLabel, button, Qt::ShiftModifier, QPoint(3, 3));
        QCOMPARE(moves, 1);
        QCOMPARE(f.exits, 0);
    }

    void doubleClickShrinksWindow() {
        WindowFixture f;
        f.window().setWindowFlag(Qt::WindowStaysOnTopHint, true);
        ui::MainWindow& w = f.showPage(1);
        QTest::mouseDClick(w.optionsPage->headingLabel, Qt::LeftButton);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.height(), 6765 / 15);
        QCOMPARE(w.width(), w.centralWidget()->width());
        QVERIFY(w.isVisible());
    }

    void shownCaption_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("mnemonic") << u"&Hilfe"_s << u"Hilfe"_s;
        QTest::newRow("ampersand") << u"kopiert  && fertig"_s << u"kopiert  & fertig"_s;
        QTest::newRow("plain") << u"Beginnen"_s << u"Beginnen"_s;
    }
    void shownCaption() {
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        QCOMPARE(ui::shownCaption(caption), shown);
    }
};

QTEST_MAIN(TestWindowActions)
#include "tst_windowactions.moc"
