// A run started with "Beginnen": the status frame while it runs, the messages, the pages it
// writes, and options and list changed while it yields.
#include "actionlabel.h"
#include "optionbinding.h"
#include <QRadioButton>
#include "encoding/random.h"
#include "filegrid.h"
#include "filelist/filelist.h"
#include "run/encryptionrun.h"
#include "filespage.h"
#include "optionspage.h"
#include "support/recordinghost.h"
#include "runpage.h"
#include "statusframe.h"
#include "support/testfiles.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace veltrano;
using veltrano::test::WindowFixture;

namespace {
// Calls a check at every round of the event loop until it says it is done.
void whileRunning(QObject* context, std::function<bool()> check) {
    auto* timer = new QTimer(context);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        if (check())
            timer->deleteLater();
    });
    timer->start();
}
} // namespace

class TestRunWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void wholeRun();
    void emptyListCompletesAtOnce();
    void optionChangedDuringRunAffectsLaterPages();
    void fatalStopKeepsStartDisabled();
    void closeRequestDuringRunEnds();

private:
    ui::MainWindow& prepare(WindowFixture& f, const QStringList& pages);

    std::unique_ptr<QTemporaryDir> dir_;
    QString out_;
    QStringList pages_;
};

void TestRunWindow::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    out_ = dir_->filePath(QStringLiteral("out"));
    QDir().mkpath(out_);
    pages_.clear();
    for (const char* name : {"web/a.htm", "web/b.htm", "web/c.htm"}) {
        const QString path = dir_->filePath(QString::fromLatin1(name));
        test::writeFile(path, QByteArray("<html><head><title>T</title></head>\r\n<body>\r\nHallo "
                                         "Welt, ") +
                                  QByteArray(name) + QByteArray("\r\n</body></html>\r\n"));
        pages_.append(path);
    }
}

ui::MainWindow& TestRunWindow::prepare(WindowFixture& f, const QStringList& pages) {
    ui::MainWindow& w = f.window();
    w.show();
    w.Tab1->setCurrentIndex(2);
    w.page3->txtPath->setText(out_);
    for (const QString& page : pages)
        w.list().Append(page);
    Random::program().setState(Random::kStart);
    return w;
}

void TestRunWindow::wholeRun() {
    WindowFixture f;
    ui::MainWindow& w = prepare(f, pages_);
    w.list().setCurrentEntry(2);
    w.list().RemoveCurrent();

    bool sawRunning = false;
    bool usable = true;
    int maximum = 0;
    QStringList filesShown;
    whileRunning(&w, [&] {
        if (w.page3->frStat->isVisible()) {
            sawRunning = true;
            // Only the start button is disabled; every other control stays usable.
            usable = usable && !w.page3->Command9->isEnabled() && w.page3->txtPath->isEnabled() &&
                     w.page1->Command5->isEnabled() && w.cmdSave->isEnabled();
            if (filesShown.isEmpty() || filesShown.last() != w.page3->frStat->currentFile())
                filesShown.append(w.page3->frStat->currentFile());
            maximum = w.page3->frStat->prgr()->maximum();
        }
        return false;
    });
    QTest::mouseClick(w.page3->Command9, Qt::LeftButton);

    QVERIFY(sawRunning);
    QVERIFY(usable);
    QCOMPARE(maximum, 3); // removed entries count in the list position
    // The removed entry is passed over; the grid's current row followed the run.
    QCOMPARE(filesShown, (QStringList{pages_[0], pages_[2]}));
    QCOMPARE(w.list().currentEntry(), 3);
    QCOMPARE(w.page3->frStat->prgr()->value(), 3);
    QVERIFY(!w.page3->frStat->isVisible());
    QVERIFY(w.page3->Command9->isEnabled());
    QCOMPARE(f.host().messages().size(), 1);
    QCOMPARE(f.host().messages().constFirst().prompt,
             QStringLiteral("Das verschlüsseln der Dateien ist erfolgreich abgeschlossen!"));
    QCOMPARE(f.host().messages().constFirst().title, QStringLiteral("Abschluss"));
    QVERIFY(!QFile::exists(QDir(out_).filePath(QStringLiteral("b.htm"))));

    // The window writes exactly what the engine writes without a window.
    const QByteArray a = test::readFile(QDir(out_).filePath(QStringLiteral("a.htm")));
    const QByteArray c = test::readFile(QDir(out_).filePath(QStringLiteral("c.htm")));
    OptionSet options(QStringLiteral("/opt/veltrano"));
    options.setText(TextField::txtPath, out_);
    FileList list;
    list.Append(pages_[0]);
    list.Append(pages_[2]);
    test::RecordingHost host;
    Random random;
    EncryptionRun(options, list, host, random).RunEncryption();
    QCOMPARE(a, test::readFile(QDir(out_).filePath(QStringLiteral("a.htm"))));
    QCOMPARE(c, test::readFile(QDir(out_).filePath(QStringLiteral("c.htm"))));
    QVERIFY(a.contains("document.write"));
}

void TestRunWindow::emptyListCompletesAtOnce() {
    WindowFixture f;
    ui::MainWindow& w = prepare(f, {});
    QTest::mouseClick(w.page3->Command9, Qt::LeftButton);
    QCOMPARE(f.host().messages().size(), 1);
    QCOMPARE(f.host().messages().constFirst().title, QStringLiteral("Abschluss"));
    QVERIFY(QDir(out_).isEmpty());
}

void TestRunWindow::optionChangedDuringRunAffectsLaterPages() {
    WindowFixture f;
    ui::MainWindow& w = prepare(f, pages_);
    // When the run shows the second page, the user switches the JavaScript form off and adds a
    // page at the end of the list.
    whileRunning(&w, [&] {
        if (w.page3->frStat->currentFile() != pages_[1])
            return false;
        w.Tab1->setCurrentIndex(1);
        QTest::mouseClick(w.page2->chkJava, Qt::LeftButton);
        w.list().Append(pages_[0]);
        return true;
    });
    QTest::mouseClick(w.page3->Command9, Qt::LeftButton);
    QCOMPARE(w.options().check(CheckField::chkJava), CheckState(0));
    QVERIFY(test::readFile(QDir(out_).filePath(QStringLiteral("a.htm"))).contains("document.write"));
    QVERIFY(!test::readFile(QDir(out_).filePath(QStringLiteral("b.htm"))).contains("document.write"));
    QVERIFY(!test::readFile(QDir(out_).filePath(QStringLiteral("c.htm"))).contains("document.write"));
    QCOMPARE(f.host().messages().size(), 1);
}

void TestRunWindow::fatalStopKeepsStartDisabled() {
    const QString empty = dir_->filePath(QStringLiteral("web/leer.htm"));
    test::writeFile(empty, QByteArray());
    WindowFixture f;
    ui::MainWindow& w = prepare(f, {pages_[0], empty, pages_[2]});
    QTest::mouseClick(w.page3->Command9, Qt::LeftButton);
    QCOMPARE(f.host().messages().size(), 1);
    QCOMPARE(f.host().messages().constFirst().prompt,
             QStringLiteral("Datei konnte nicht gefunden werden: ") + empty);
    QCOMPARE(f.host().messages().constFirst().title, QStringLiteral("Schwerwiegender Fehler"));
    QVERIFY(QFile::exists(QDir(out_).filePath(QStringLiteral("a.htm"))));
    QVERIFY(!QFile::exists(QDir(out_).filePath(QStringLiteral("c.htm"))));
    QVERIFY(!w.page3->Command9->isEnabled());
    QVERIFY(w.page3->frStat->isVisible());
    QCOMPARE(w.page3->frStat->currentFile(), empty);
    // No further run in this process, whatever is clicked.
    w.Command9_Click();
    QCOMPARE(f.host().messages().size(), 1);
}

void TestRunWindow::closeRequestDuringRunEnds() {
    WindowFixture f;
    ui::MainWindow& w = prepare(f, pages_);
    whileRunning(&w, [&] {
        if (!w.page3->frStat->isVisible())
            return false;
        w.close();
        return true;
    });
    QTest::mouseClick(w.page3->Command9, Qt::LeftButton);
    // The window asked to end the process at once, in the middle of the run.
    QCOMPARE(f.exits, 1);
}

QTEST_MAIN(TestRunWindow)
#include "tst_runwindow.moc"
