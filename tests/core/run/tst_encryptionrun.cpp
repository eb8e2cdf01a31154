#include "encoding/random.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "run/encryptionrun.h"
#include "run/outputpath.h"
#include "run/outputplan.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <optional>
#include <sys/resource.h>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::fileCount;
using veltrano::test::readFile;
using veltrano::test::writeFile;
using Msg = veltrano::test::RecordingHost::Message;
using Outcome = EncryptionRun::Outcome;

namespace {
const QString kDone = u"Das verschlüsseln der Dateien ist erfolgreich abgeschlossen!"_s;
const QString kWritePrefix = u"Fehler (Ist das Ausgabeverzeichnis "_s;
const QByteArray kPageA = "<html><head><title>A</title></head>\r\n<body>Erste Seite</body>\r\n"
                          "</html>\r\n";
const QByteArray kPageB = "<html>\n<body>\rZweite \xe4 Seite</body></html>";
const QStringList kFailDone = {u"Fehler"_s, u"Abschluss"_s};
} // namespace

class TestEncryptionRun : public QObject {
    Q_OBJECT

    test::TestFolder dir_;
    QString web_, out_, a_, b_;
    OptionSet options_;
    FileList list_;
    std::optional<test::RecordingHost> host_;

    // Output folder and list of pages; optionally over the sources with the given backup state.
    Outcome run(const QString& outFolder, const QStringList& pages, int backup = -1) {
        options_.setText(TextField::txtPath, outFolder);
        list_.AppendAll(pages);
        if (backup >= 0) {
            options_.setOverwrite(true);
            options_.setCheck(CheckField::chkBkup, CheckState(backup));
        }
        return EncryptionRun(options_, list_, *host_, Random::program()).RunEncryption();
    }
    bool written(const QString& name) const { return QFile::exists(out_ + u"/"_s + name); }

private slots:
    void init() {
        dir_.reset();
        web_ = dir_.at(u"web"_s);
        out_ = dir_.at(u"out"_s);
        a_ = web_ + u"/a.htm"_s;
        b_ = web_ + u"/b.htm"_s;
        QDir().mkpath(out_);
        writeFile(a_, kPageA);
        writeFile(b_, kPageB);
        options_.setValues(OptionValues::defaults(QString()));
        options_.setText(TextField::txtStart, u"3"_s);
        options_.setText(TextField::txtEnd, u"2"_s);
        options_.setNewFiles(true);
        options_.setModern(false);
        list_.Clear();
        host_.emplace();
    }

    void completes() {
        QCOMPARE(run(out_, {a_, b_}), Outcome::Completed);
        QVERIFY(readFile(out_ + u"/a.htm"_s).contains("document.write"));
        QVERIFY(readFile(out_ + u"/b.htm"_s).endsWith("\r\n\r\n\r\n"));
        QCOMPARE(host_->messages, QList<Msg>({{kDone, u"Abschluss"_s, Host::Icon::Information}}));
        QVERIFY(host_->startEnabled && !host_->statusVisible);
        QCOMPARE(list_.currentRow(), 1);
        QCOMPARE(readFile(a_), kPageA); // sources untouched
        list_.Clear();                  // an empty list completes at once
        host_.emplace();
        QCOMPARE(run(out_, {}), Outcome::Completed);
        QCOMPARE(host_->messages.size(), 1);
        QVERIFY(host_->files.isEmpty());
    }

    void outputFolder_data() {
        QTest::addColumn<bool>("trailing");
        QTest::newRow("no separator") << false;
        QTest::newRow("trailing separator") << true;
    }
    void outputFolder() {
        QFETCH(bool, trailing);
        options_.setText(TextField::txtPath, trailing ? out_ + QDir::separator() : out_);
        QCOMPARE(OutputPath(options_.values(), a_), out_ + u"/a.htm"_s);
        QCOMPARE(OutputPath(options_.values(), u"bare.htm"_s), out_ + u"/bare.htm"_s);
        options_.setOverwrite(true);
        QCOMPARE(OutputPath(options_.values(), a_), a_);
        options_.setOverwrite(false);
        QCOMPARE(OutputPath(options_.values(), a_), QString());
    }

    // Modern pages keep their place below the deepest common folder; missing folders, the output
    // folder included, are made.
    void modernKeepsFolders() {
        const QString c = web_ + u"/sub/a.htm"_s;
        writeFile(c, "<p>\xC3\xA4</p>");
        options_.setModern(true);
        QCOMPARE(run(out_ + u"/neu/"_s, {a_, c}), Outcome::Completed);
        QVERIFY(readFile(out_ + u"/neu/a.htm"_s).startsWith("\xEF\xBB\xBF"));
        QVERIFY(readFile(out_ + u"/neu/sub/a.htm"_s).contains("c[228]"));
        QCOMPARE(commonFolder({c, web_ + u"/b.htm"_s, web_ + u"/sub2/x"_s}), web_ + u"/"_s);
        QCOMPARE(keptPlacePath(u"/elsewhere/x.htm"_s, web_ + u"/"_s, out_), out_ + u"/x.htm"_s);
    }

    // Over the sources; without backup an old ".bak" is neither replaced nor deleted, and the
    // dimmed state 2 of a project counts as set. Listed again, under another spelling too, a page
    // is converted once.
    void overwrite_data() {
        QTest::addColumn<int>("backup"); // the state of the check box
        QTest::addColumn<int>("listed");
        QTest::newRow("with backup") << 1 << 1;
        QTest::newRow("without backup") << 0 << 1;
        QTest::newRow("dimmed backup") << 2 << 1;
        QTest::newRow("listed three times") << 1 << 3;
    }
    void overwrite() {
        QFETCH(int, backup);
        QFETCH(int, listed);
        writeFile(b_ + u".bak"_s, "old backup");
        const QStringList pages = {b_, web_ + u"/../web/b.htm"_s, b_};
        QCOMPARE(run(out_, pages.mid(0, listed), backup), Outcome::Completed);
        QVERIFY(readFile(b_).contains("document.write"));
        // The backup holds the source's lines, each ending in CR LF.
        QCOMPARE(readFile(b_ + u".bak"_s),
                 backup ? QByteArray("<html>\n<body>\r\nZweite \xe4 Seite</body></html>\r\n")
                        : QByteArray("old backup"));
        QCOMPARE(fileCount(web_), 3);
        QCOMPARE(host_->files, QStringList({b_}));
    }

    void removedEntrySkipped() {
        list_.AppendAll({a_, web_ + u"/gone.htm"_s});
        list_.RemoveCurrent();
        QCOMPARE(run(out_, {b_}), Outcome::Completed);
        QCOMPARE(host_->files, QStringList({a_, b_}));
        QCOMPARE(host_->positions, QList<int>({1, 3}));
        QCOMPARE(host_->listMaximum, 3);
        QVERIFY(written(u"b.htm"_s));
    }

    void fatalStop_data() {
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing page") << false;
        QTest::newRow("zero-byte page") << true;
    }
    void fatalStop() {
        QFETCH(bool, exists);
        const QString bad = web_ + u"/bad.htm"_s;
        if (exists)
            writeFile(bad, {});
        options_.setText(TextField::txtPath, out_);
        list_.AppendAll({a_, bad, b_});
        EncryptionRun run(options_, list_, *host_, Random::program());
        QCOMPARE(run.RunEncryption(), Outcome::Stopped);
        const QList<Msg> fatal = {{u"Datei konnte nicht gefunden werden: "_s + bad,
                                   u"Schwerwiegender Fehler"_s, Host::Icon::Information}};
        QCOMPARE(host_->messages, fatal);
        QVERIFY(written(u"a.htm"_s) && !written(u"bad.htm"_s) && !written(u"b.htm"_s));
        QVERIFY(!host_->startEnabled && host_->statusVisible && run.stopped());
        QCOMPARE(host_->currentFile, bad);
        QCOMPARE(run.RunEncryption(), Outcome::Stopped); // no further run in this process
        QCOMPARE(host_->messages, fatal);
    }

    void writeErrors_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("missing folder") << u"missing/deeper"_s << false;
        QTest::newRow("empty folder text") << QString() << false;
        QTest::newRow("no output choice") << u"out"_s << true;
    }
    void writeErrors() {
        QFETCH(QString, folder);
        QFETCH(bool, overwrite);
        const QString path = folder.isEmpty() ? folder : dir_.at(folder);
        if (overwrite) {
            options_.setOverwrite(true);
            options_.setOverwrite(false); // neither choice is set
        }
        QCOMPARE(run(path, {a_, b_}), Outcome::CompletedWithErrors);
        QCOMPARE(host_->messages.size(), 5); // two per page
        const QRegularExpression shape(
            QRegularExpression::escape(kWritePrefix + path + u" vorhanden?): \r\n"_s) +
            u"\\S.*\\(\\d+\\)"_s);
        for (int i = 0; i < 4; ++i) {
            QVERIFY2(shape.match(host_->messages[i].prompt).hasMatch(),
                     qPrintable(host_->messages[i].prompt));
            QCOMPARE(host_->messages[i].icon, Host::Icon::Critical);
            QCOMPARE(host_->messages[i].title, u"Fehler"_s);
        }
        QCOMPARE(host_->messages.last().prompt, kDone);
        QCOMPARE(readFile(a_), kPageA);
        QCOMPARE(fileCount(web_), 2);
    }

    // Outputs that land on the source (spelled directly, with "." and "..", or through a link),
    // on another listed page of the same name, or on an output written before in this run.
    void outputOnSourceRefused_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("otherPage");
        QTest::newRow("same spelling") << u"web"_s << false;
        QTest::newRow("dot spelling") << u"web/./"_s << false;
        QTest::newRow("dotdot spelling") << u"out/../web"_s << false;
        QTest::newRow("link") << u"link"_s << false;
        QTest::newRow("other listed page") << u"web"_s << true;
        QTest::newRow("output written before") << u"out"_s << true;
    }
    void outputOnSourceRefused() {
        QFETCH(QString, folder);
        QFETCH(bool, otherPage);
        QVERIFY(QFile::link(web_, dir_.at(u"link"_s)));
        const QString sub = web_ + u"/sub/a.htm"_s;
        writeFile(sub, kPageB);
        const QStringList pages = otherPage ? QStringList({sub, a_}) : QStringList({a_});
        const bool before = folder == u"out"_s; // a.htm written from sub, then refused for a_
        QCOMPARE(run(dir_.at(folder), pages), Outcome::CompletedWithErrors);
        QCOMPARE(host_->titles(),
                 (otherPage && !before ? QStringList{u"Fehler"_s} : QStringList{}) + kFailDone);
        QVERIFY(host_->messages[0].prompt.startsWith(kWritePrefix));
        QVERIFY(host_->messages[0].prompt.contains(before      ? u"schon aus "_s + sub
                                                   : otherPage ? u"Quelldatei der Liste"_s
                                                               : u"Quelldatei"_s));
        QCOMPARE(readFile(a_), kPageA);
        QCOMPARE(readFile(sub), kPageB);
        QCOMPARE(fileCount(web_), 2);
    }

    void unreadablePageSkipped() {
        // A folder listed as a page exists and has a length, but cannot be read as a page.
        const QString folder = web_ + u"/folder.htm"_s;
        QDir().mkpath(folder);
        if (QFileInfo(folder).size() < 1)
            QSKIP("folders have no length on this file system");
        QCOMPARE(run(out_, {folder, a_}), Outcome::CompletedWithErrors);
        QCOMPARE(host_->messages[0], (Msg{u"Datei konnte nicht gelesen werden: "_s + folder,
                                          u"Fehler"_s, Host::Icon::Critical}));
        QVERIFY(!written(u"folder.htm"_s) && written(u"a.htm"_s));
    }

    // Changes while a page is under way (the host's yields) act as the user's would: an absurd
    // line count fails that page only; a new folder or choice holds from the next page on; a
    // cleared list ends the run.
    void changesDuringYield_data() {
        QTest::addColumn<int>("change");
        QTest::newRow("start lines") << static_cast<int>(TextField::txtStart);
        QTest::newRow("end lines") << static_cast<int>(TextField::txtEnd);
        QTest::newRow("folder and choice") << -1;
        QTest::newRow("list cleared") << -2;
        QTest::newRow("modern folder named while encoding") << -3;
    }
    void changesDuringYield() {
        QFETCH(int, change);
        const QString out2 = dir_.at(u"out2"_s);
        QDir().mkpath(out2);
        host_->onPump = [&](int) {
            const bool first = host_->currentFile.endsWith(u"a.htm"_s);
            if (change >= 0)
                options_.setText(TextField(change), first ? u"50000001"_s : u"2"_s);
            else if (change == -1 && !first) {
                options_.setText(TextField::txtPath, out2);
                options_.setCheck(CheckField::chkJava, 0);
            } else if (change == -2)
                list_.Clear();
            else if (change == -3 && !first && host_->pageValue < host_->pageMaximum)
                options_.setText(TextField::txtPath, out2 + u"/neu"_s); // missing folder
        };
        if (change == -3) {
            options_.setModern(true);
            writeFile(b_, kPageB + QByteArray(PageProgress::kStep * 2, 'x'));
        }
        const Outcome outcome = run(out_, {a_, b_});
        if (change >= 0) {
            QCOMPARE(outcome, Outcome::CompletedWithErrors);
            QCOMPARE(host_->titles(), kFailDone);
            QVERIFY(host_->messages[0].prompt.contains(u"50000001"_s));
            QVERIFY(!written(u"a.htm"_s));
        } else {
            QCOMPARE(outcome, Outcome::Completed);
            QVERIFY(change == -2 || written(u"a.htm"_s));
        }
        QCOMPARE(written(u"b.htm"_s), change >= 0);
        const QByteArray b2 = readFile(out2 + u"/b.htm"_s);
        QCOMPARE(b2.contains("Zweite") && !b2.contains("document.write"), change == -1);
        QCOMPARE(QFile::exists(out2 + u"/neu/b.htm"_s), change == -3);
    }

    // A write that fails part way leaves the old file, here the source itself, as it was.
    void failedWriteKeepsOldFile() {
        struct rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto outcome = run(out_, {a_}, 0);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(outcome, Outcome::CompletedWithErrors);
        QCOMPARE(host_->titles(), kFailDone);
        QVERIFY(host_->messages[0].prompt.endsWith(u"(%1)"_s.arg(EFBIG)));
        QCOMPARE(readFile(a_), kPageA);
        QCOMPARE(fileCount(web_), 2);
    }
};

QTEST_GUILESS_MAIN(TestEncryptionRun)
#include "tst_encryptionrun.moc"
