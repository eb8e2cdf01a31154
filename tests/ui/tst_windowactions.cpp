// Ending the program, help, the home page and the label that moves the window, through the
// window's replaceable exit and desktop functions.
#include "optionbinding.h"
#include <QRadioButton>
#include <QCheckBox>
#include <QLineEdit>
#include "actionlabel.h"
#include "optionspage.h"
#include "windowactions.h"
#include "windowfixture.h"

#include <QAction>
#include <QCloseEvent>
#include <QPushButton>
#include <QTest>

using namespace veltrano;
using veltrano::test::WindowFixture;

class TestWindowActions : public QObject {
    Q_OBJECT
private slots:
    void endOfProgram_data();
    void endOfProgram();
    void helpOpensManualBesideProgram_data();
    void helpOpensManualBesideProgram();
    void homePage();
    void dragWithAnyButton_data();
    void dragWithAnyButton();
    void doubleClickShrinksWindow();
    void shownCaption_data();
    void shownCaption();
};

void TestWindowActions::endOfProgram_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("menu") << QStringLiteral("beenden");
    QTest::newRow("Label1") << QStringLiteral("Label1");
    QTest::newRow("close") << QStringLiteral("close");
}

void TestWindowActions::endOfProgram() {
    QFETCH(QString, way);
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.show();
    w.list().Append(QStringLiteral("/ungespeichert.htm"));
    if (way == QLatin1String("beenden")) {
        w.beenden->trigger();
    } else if (way == QLatin1String("Label1")) {
        w.Tab1->setCurrentIndex(1);
        QTest::mouseClick(w.page2->Label1, Qt::LeftButton);
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

void TestWindowActions::helpOpensManualBesideProgram_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("opened");
    QTest::newRow("folder") << QStringLiteral("/opt/veltrano") << QStringLiteral("/opt/veltrano/help.pdf")
                            << QStringLiteral("/opt/veltrano/help.pdf");
    // Plain joining at a root; the desktop gets the file the path names.
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("//help.pdf")
                          << QStringLiteral("/help.pdf");
}

void TestWindowActions::helpOpensManualBesideProgram() {
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, opened);
    WindowFixture f(folder);
    QCOMPARE(f.window().actions().helpPath(), file);
    QTest::mouseClick(f.window().Command6, Qt::LeftButton);
    QCOMPARE(f.opened.size(), 1);
    QVERIFY(f.opened.constFirst().isLocalFile());
    QCOMPARE(f.opened.constFirst().toLocalFile(), opened);
}

void TestWindowActions::homePage() {
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.show();
    QTest::mouseClick(w.Image5, Qt::LeftButton);
    QTest::mouseClick(w.Label10, Qt::LeftButton);
    const QUrl home(QStringLiteral("http://www.veltrano.example/"));
    QCOMPARE(f.opened, (QList<QUrl>{home, home}));
}

void TestWindowActions::dragWithAnyButton_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("left") << Qt::LeftButton;
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestWindowActions::dragWithAnyButton() {
    QFETCH(Qt::MouseButton, button);
    WindowFixture f;
    ui::MainWindow& w = f.window();
    int moves = 0;
    w.actions().startMove = [&moves] {
        ++moves;
        return true;
    };
    w.show();
    w.Tab1->setCurrentIndex(1);
    QTest::mousePress(w.page2->Label2, button, Qt::ShiftModifier, QPoint(3, 3));
    QTest::mouseRelease(w.page2->Label2, button, Qt::ShiftModifier, QPoint(3, 3));
    QCOMPARE(moves, 1);
    QCOMPARE(f.exits, 0);
}

void TestWindowActions::doubleClickShrinksWindow() {
    WindowFixture f;
    ui::MainWindow& w = f.window();
    w.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    w.show();
    w.Tab1->setCurrentIndex(1);
    QTest::mouseDClick(w.page2->Label2, Qt::LeftButton);
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(w.height(), 6765 / 15);
    QCOMPARE(w.width(), w.centralWidget()->width());
    QVERIFY(w.isVisible());
}

void TestWindowActions::shownCaption_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("mnemonic") << QStringLiteral("&Hilfe") << QStringLiteral("Hilfe");
    QTest::newRow("ampersand") << QStringLiteral("kopiert  && fertig") << QStringLiteral("kopiert  & fertig");
    QTest::newRow("plain") << QStringLiteral("Beginnen") << QStringLiteral("Beginnen");
}

void TestWindowActions::shownCaption() {
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QCOMPARE(ui::shownCaption(caption), shown);
}

QTEST_MAIN(TestWindowActions)
#include "tst_windowactions.moc"
