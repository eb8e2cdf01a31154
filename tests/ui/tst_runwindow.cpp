// A run started with "Beginnen": the status frame while it runs, the messages, the pages it
// writes, and options and list changed while it yields.
#include "encoding/random.h"
#include "filelist/filelist.h"
#include "run/encryptionrun.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"
#include "windowfixture.h"

#include <QDir>
#include <QProgressBar>
#include <QTimer>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::readFile;
using veltrano::test::WindowFixture;

namespace {
const QString kDone = u"Abschluss: Das verschlüsseln der Dateien ist erfolgreich abgeschlossen!"_s;

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

    std::unique_ptr<QTemporaryDir> dir_;
    QString out_;
    QStringList pages_;

    QString output(const char* name) const {
        return QDir(out_).filePath(QString::fromLatin1(name));
    }
    // The window on the run page, writing into the output folder, with these pages listed.
    ui::MainWindow& prepare(WindowFixture& f, const QStringList& pages) {
        ui::MainWindow& w = f.showPage(2);
        w.runPage->outputFolderEdit->setText(out_);
        for (const QString& page : pages)
            w.list().Append(page);
        Random::program().setState(Random::kStart);
        return w;
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        out_ = dir_->filePath(u"out"_s);
        QDir().mkpath(out_);
        pages_.clear();
        for (const char* name : {"web/a.htm", "web/b.htm", "web/c.htm"}) {
            pages_.append(dir_->filePath(QString::fromLatin1(name)));
            test::writeFile(pages_.last(), "<html><head><title>T</title></head>\r\n<body>\r\nHallo "
                                           "Welt, " +
                                               QByteArray(name) + "\r\n</body></html>\r\n");
        }
    }

    void wholeRun() {
        WindowFixture f;
        ui::MainWindow& w = prepare(f, pages_);
        w.list().setCurrentRow(1);
        w.list().RemoveCurrent();

        bool sawRunning = false;
        bool usable = true;
        int maximum = 0;
        QStringList filesShown;
        ui::StatusFrame* status = w.runPage->statusFrame;
        whileRunning(&w, [&] {
            if (status->isVisible()) {
                sawRunning = true;
                // Only the start button is disabled; every other control stays usable.
                usable = usable && !w.runPage->startButton->isEnabled() &&
                         w.runPage->outputFolderEdit->isEnabled() && w.filesPage->scanButton->isEnabled() &&
                         w.saveAction->isEnabled();
                if (filesShown.isEmpty() || filesShown.last() != status->currentFile())
                    filesShown.append(status->currentFile());
                maximum = status->listBar()->maximum();
            }
            return false;
        });
        QTest::mouseClick(w.runPage->startButton, Qt::LeftButton);

        QVERIFY(sawRunning);
        QVERIFY(usable);
        QCOMPARE(maximum, 3); // removed entries count in the list position
        // The removed entry is passed over; the grid's current row followed the run.
        QCOMPARE(filesShown, (QStringList{pages_[0], pages_[2]}));
        QCOMPARE(w.list().currentRow(), 2);
        QCOMPARE(status->listBar()->value(), 3);
        QVERIFY(!status->isVisible());
        QVERIFY(w.runPage->startButton->isEnabled());
        QCOMPARE(f.messages(), QStringList{kDone});
        QVERIFY(!QFile::exists(output("b.htm")));

        // The window writes exactly what the engine writes without a window.
        const QByteArray a = readFile(output("a.htm"));
        const QByteArray c = readFile(output("c.htm"));
        OptionSet options(u"/opt/veltrano"_s);
        options.setText(TextField::txtPath, out_);
        FileList list;
        list.Append(pages_[0]);
        list.Append(pages_[2]);
        test::RecordingHost host;
        Random random;
        EncryptionRun(options, list, host, random).RunEncryption();
        QCOMPARE(a, readFile(output("a.htm")));
        QCOMPARE(c, readFile(output("c.htm")));
        QVERIFY(a.contains("document.write"));
    }

    void emptyListCompletesAtOnce() {
        WindowFixture f;
        QTest::mouseClick(prepare(f, {}).runPage->startButton, Qt::LeftButton);
        QCOMPARE(f.messages(), QStringList{kDone});
        QVERIFY(QDir(out_).isEmpty());
    }

    void optionChangedDuringRunAffectsLaterPages() {
        WindowFixture f;
        ui::MainWindow& w = prepare(f, pages_);
        // When the run shows the second page, the user switches the JavaScript form off and
        // adds a page at the end of the list.
        whileRunning(&w, [&] {
            if (w.runPage->statusFrame->currentFile() != pages_[1])
                return false;
            w.wizardTabs->setCurrentIndex(1);
            QTest::mouseClick(w.optionsPage->javaScriptCheck, Qt::LeftButton);
            w.list().Append(pages_[0]);
            return true;
        });
        QTest::mouseClick(w.runPage->startButton, Qt::LeftButton);
        QCOMPARE(w.options().check(CheckField::chkJava), CheckState(0));
        QVERIFY(readFile(output("a.htm")).contains("document.write"));
        QVERIFY(!readFile(output("b.htm")).contains("document.write"));
        QVERIFY(!readFile(output("c.htm")).contains("document.write"));
        QCOMPARE(f.host().messages().size(), 1);
    }

    void fatalStopKeepsStartDisabled() {
        const QString empty = dir_->filePath(u"web/leer.htm"_s);
        test::writeFile(empty, QByteArray());
        WindowFixture f;
        ui::MainWindow& w = prepare(f, {pages_[0], empty, pages_[2]});
        QTest::mouseClick(w.runPage->startButton, Qt::LeftButton);
        const QStringList fatal{u"Schwerwiegender Fehler: Datei konnte nicht gefunden werden: "_s +
                                empty};
        QCOMPARE(f.messages(), fatal);
        QVERIFY(QFile::exists(output("a.htm")));
        QVERIFY(!QFile::exists(output("c.htm")));
        QVERIFY(!w.runPage->startButton->isEnabled());
        QVERIFY(w.runPage->statusFrame->isVisible());
        QCOMPARE(w.runPage->statusFrame->currentFile(), empty);
        // No further run in this process, whatever is clicked.
        w.startRun();
        QCOMPARE(f.messages(), fatal);
    }

    void closeRequestDuringRunEnds() {
        WindowFixture f;
        ui::MainWindow& w = prepare(f, pages_);
        whileRunning(&w, [&] {
            if (!w.runPage->statusFrame->isVisible())
                return false;
            w.close();
            return true;
        });
        QTest::mouseClick(w.runPage->startButton, Qt::LeftButton);
        // The window asked to end the process at once, in the middle of the run.
        QCOMPARE(f.exits, 1);
    }
};

QTEST_MAIN(TestRunWindow)
#include "tst_runwindow.moc"
