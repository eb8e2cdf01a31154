#include "encoding/encodepage.h"
#include "encoding/random.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "run/encryptionrun.h"
#include "run/pageheader.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::readFile;
using veltrano::test::RecordingHost;
using veltrano::test::writeFile;

namespace {

const QString kDone =
    QStringLiteral("Das verschlüsseln der Dateien ist erfolgreich abgeschlossen!");
const QString kWritePrefix = QStringLiteral("Fehler (Ist das Ausgabeverzeichnis ");

const QByteArray kPageA = "<html><head><title>A</title></head>\r\n<body>Erste Seite</body>\r\n"
                          "</html>\r\n";
const QByteArray kPageB = "<html>\n<body>\rZweite \xe4 Seite</body></html>";

// A host that also keeps every file and list position the run showed.
class TraceHost : public RecordingHost {
public:
    void setCurrentFile(const QString& path) override {
        RecordingHost::setCurrentFile(path);
        files.append(path);
    }
    void setListProgress(int value, int maximum) override {
        RecordingHost::setListProgress(value, maximum);
        positions.append(value);
    }
    QStringList files;
    QList<int> positions;
};

// What the engine makes of one page, given the generator state the run would have.
QByteArray expectedPage(const QString& path, const OptionSet& options, Random& random) {
    NullHost host;
    const QByteArray header = BuildPageHeader(options);
    QByteArray page = EncodePage(path, header, options, random, host);
    return AppendEndLines(page, options) + "\r\n";
}

QStringList titles(const RecordingHost& host) {
    QStringList t;
    for (const auto& m : host.messages)
        t << m.title;
    return t;
}

} // namespace

class TestEncryptionRun : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString web_;
    QString out_;

    QString at(const QString& name) const { return dir_.filePath(name); }

    void setUpOptions(OptionSet& options, const QString& outFolder) {
        options.setText(TextField::txtStart, QStringLiteral("3"));
        options.setText(TextField::txtEnd, QStringLiteral("2"));
        options.setText(TextField::txtPath, outFolder);
        options.setNewFiles(true);
    }

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        web_ = at(QStringLiteral("web"));
        out_ = at(QStringLiteral("out"));
        QDir().mkpath(out_);
        writeFile(web_ + u"/a.htm"_s, kPageA);
        writeFile(web_ + u"/b.htm"_s, kPageB);
    }

    void pagesByteForByte() {
        OptionSet options;
        setUpOptions(options, out_);
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        list.Append(web_ + u"/b.htm"_s);
        Random expectedRandom;
        const QByteArray a = expectedPage(web_ + u"/a.htm"_s, options, expectedRandom);
        const QByteArray b = expectedPage(web_ + u"/b.htm"_s, options, expectedRandom);

        TraceHost host;
        Random random;
        EncryptionRun run(options, list, host, random);
        QCOMPARE(run.RunEncryption(), EncryptionRun::Outcome::Completed);
        // The second page continues the generator of the first.
        QCOMPARE(readFile(out_ + u"/a.htm"_s), a);
        QCOMPARE(readFile(out_ + u"/b.htm"_s), b);
        QVERIFY(b.endsWith("\r\n\r\n\r\n"));
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.messages[0].prompt, kDone);
        QCOMPARE(host.messages[0].title, QStringLiteral("Abschluss"));
        QCOMPARE(host.messages[0].icon, Host::Icon::Information);
        QVERIFY(host.startEnabled);
        QVERIFY(!host.statusVisible);
        QCOMPARE(list.currentEntry(), 2);
        // Sources untouched.
        QCOMPARE(readFile(web_ + u"/a.htm"_s), kPageA);
    }

    void outputFolder_data() {
        QTest::addColumn<bool>("trailing");
        QTest::newRow("no separator") << false;
        QTest::newRow("trailing separator") << true;
    }
    void outputFolder() {
        QFETCH(bool, trailing);
        OptionSet options;
        setUpOptions(options, trailing ? out_ + QDir::separator() : out_);
        FileList list;
        RecordingHost host;
        EncryptionRun run(options, list, host, Random::program());
        QCOMPARE(run.OutputPath(web_ + u"/a.htm"_s), out_ + u"/a.htm"_s);
        QCOMPARE(run.OutputPath(QStringLiteral("bare.htm")), out_ + u"/bare.htm"_s);
        options.setOverwrite(true);
        QCOMPARE(run.OutputPath(web_ + u"/a.htm"_s), web_ + u"/a.htm"_s);
        options.setOverwrite(false);
        QCOMPARE(run.OutputPath(web_ + u"/a.htm"_s), QString());
    }

    void overwrite_data() {
        QTest::addColumn<bool>("backup");
        QTest::newRow("with backup") << true;
        QTest::newRow("without backup") << false;
    }
    void overwrite() {
        QFETCH(bool, backup);
        const QString src = web_ + u"/b.htm"_s;
        writeFile(src + u".bak"_s, "old backup");
        OptionSet options;
        setUpOptions(options, out_);
        options.setOverwrite(true);
        options.setCheck(CheckField::chkBkup, backup ? 1 : 0);
        FileList list;
        list.Append(src);
        Random expectedRandom;
        const QByteArray expected = expectedPage(src, options, expectedRandom);
        RecordingHost host;
        Random random;
        QCOMPARE(EncryptionRun(options, list, host, random).RunEncryption(),
                 EncryptionRun::Outcome::Completed);
        QCOMPARE(readFile(src), expected);
        // The backup holds the source's lines, each ending in CR LF; without backup an old
        // ".bak" is neither replaced nor deleted.
        QCOMPARE(readFile(src + u".bak"_s),
                 backup ? QByteArray("<html>\n<body>\r\nZweite \xe4 Seite</body></html>\r\n")
                        : QByteArray("old backup"));
        QCOMPARE(QDir(web_).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void removedEntrySkipped() {
        OptionSet options;
        setUpOptions(options, out_);
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        list.Append(web_ + u"/gone.htm"_s);
        list.RemoveCurrent();
        list.Append(web_ + u"/b.htm"_s);
        TraceHost host;
        EncryptionRun run(options, list, host, Random::program());
        QCOMPARE(run.RunEncryption(), EncryptionRun::Outcome::Completed);
        QCOMPARE(host.files, QStringList({web_ + u"/a.htm"_s, web_ + u"/b.htm"_s}));
        QCOMPARE(host.positions, QList<int>({1, 3}));
        QCOMPARE(host.listMaximum, 3);
        QVERIFY(QFile::exists(out_ + u"/b.htm"_s));
    }

    void emptyListCompletesAtOnce() {
        OptionSet options;
        FileList list;
        TraceHost host;
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::Completed);
        QCOMPARE(host.messages.size(), 1);
        QVERIFY(host.files.isEmpty());
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
        OptionSet options;
        setUpOptions(options, out_);
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        list.Append(bad);
        list.Append(web_ + u"/b.htm"_s);
        RecordingHost host;
        EncryptionRun run(options, list, host, Random::program());
        QCOMPARE(run.RunEncryption(), EncryptionRun::Outcome::Stopped);
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.messages[0].prompt, u"Datei konnte nicht gefunden werden: "_s + bad);
        QCOMPARE(host.messages[0].title, QStringLiteral("Schwerwiegender Fehler"));
        QCOMPARE(host.messages[0].icon, Host::Icon::Information);
        QVERIFY(QFile::exists(out_ + u"/a.htm"_s));
        QVERIFY(!QFile::exists(out_ + u"/bad.htm"_s));
        QVERIFY(!QFile::exists(out_ + u"/b.htm"_s));
        QVERIFY(!host.startEnabled);
        QVERIFY(host.statusVisible);
        QCOMPARE(host.currentFile, bad);
        QVERIFY(run.stopped());
        // No further run in this process.
        QCOMPARE(run.RunEncryption(), EncryptionRun::Outcome::Stopped);
        QCOMPARE(host.messages.size(), 1);
    }

    void writeErrors_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<int>("perPage");
        QTest::newRow("missing folder") << QStringLiteral("missing/deeper") << false << 2;
        QTest::newRow("empty folder text") << QString() << false << 2;
        QTest::newRow("no output choice") << QStringLiteral("out") << true << 2;
    }
    void writeErrors() {
        QFETCH(QString, folder);
        QFETCH(bool, overwrite);
        QFETCH(int, perPage);
        const QString path = folder.isEmpty() ? folder : at(folder);
        OptionSet options;
        setUpOptions(options, path);
        if (overwrite) {
            options.setOverwrite(true);
            options.setOverwrite(false); // neither choice is set
        }
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        list.Append(web_ + u"/b.htm"_s);
        RecordingHost host;
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::CompletedWithErrors);
        QCOMPARE(host.messages.size(), 2 * perPage + 1);
        const QRegularExpression shape(
            QRegularExpression::escape(kWritePrefix + path + u" vorhanden?): \r\n"_s) +
            u"\\S.*\\(\\d+\\)"_s);
        for (int i = 0; i < 2 * perPage; ++i) {
            QVERIFY2(shape.match(host.messages[i].prompt).hasMatch(),
                     qPrintable(host.messages[i].prompt));
            QCOMPARE(host.messages[i].title, QStringLiteral("Fehler"));
            QCOMPARE(host.messages[i].icon, Host::Icon::Critical);
        }
        QCOMPARE(host.messages.last().prompt, kDone);
        QCOMPARE(readFile(web_ + u"/a.htm"_s), kPageA);
        QCOMPARE(QDir(web_).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // An output folder that is the source folder, spelled directly, with "." and "..", or
    // through a link: the source stays.
    void outputOnSourceRefused_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("same spelling") << QStringLiteral("web");
        QTest::newRow("dot spelling") << QStringLiteral("web/./");
        QTest::newRow("dotdot spelling") << QStringLiteral("out/../web");
        QTest::newRow("link") << QStringLiteral("link");
    }
    void outputOnSourceRefused() {
        QFETCH(QString, folder);
        QVERIFY(QFile::link(web_, at(u"link"_s)));
        OptionSet options;
        setUpOptions(options, at(folder));
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        RecordingHost host;
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::CompletedWithErrors);
        QCOMPARE(titles(host), QStringList({u"Fehler"_s, u"Abschluss"_s}));
        QVERIFY(host.messages[0].prompt.startsWith(kWritePrefix));
        QVERIFY(host.messages[0].prompt.contains(QStringLiteral("Quelldatei")));
        QCOMPARE(readFile(web_ + u"/a.htm"_s), kPageA);
        QCOMPARE(QDir(web_).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // An output folder that holds another listed page of the same name: neither is replaced.
    void outputOnOtherListedPageRefused() {
        writeFile(web_ + u"/sub/a.htm"_s, kPageB);
        OptionSet options;
        setUpOptions(options, web_);
        FileList list;
        list.Append(web_ + u"/sub/a.htm"_s);
        list.Append(web_ + u"/a.htm"_s);
        RecordingHost host;
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::CompletedWithErrors);
        QCOMPARE(titles(host), QStringList({u"Fehler"_s, u"Fehler"_s, u"Abschluss"_s}));
        QVERIFY(host.messages[0].prompt.contains(u"Quelldatei der Liste"_s));
        QCOMPARE(readFile(web_ + u"/a.htm"_s), kPageA);
        QCOMPARE(readFile(web_ + u"/sub/a.htm"_s), kPageB);
    }

    void duplicateSourceConvertedOnce() {
        const QString src = web_ + u"/a.htm"_s;
        OptionSet options;
        setUpOptions(options, out_);
        options.setOverwrite(true);
        options.setCheck(CheckField::chkBkup, 1);
        FileList list;
        list.Append(src);
        list.Append(web_ + u"/../web/a.htm"_s);
        list.Append(src);
        Random expectedRandom;
        const QByteArray once = expectedPage(src, options, expectedRandom);
        TraceHost host;
        Random random;
        QCOMPARE(EncryptionRun(options, list, host, random).RunEncryption(),
                 EncryptionRun::Outcome::Completed);
        QCOMPARE(readFile(src), once);
        QCOMPARE(readFile(src + u".bak"_s), kPageA);
        QCOMPARE(host.files, QStringList({src}));
        // Passed over without a draw.
        QCOMPARE(random.state(), expectedRandom.state());
    }

    void unreadablePageSkipped() {
        // A folder listed as a page exists and has a length, but cannot be read as a page.
        const QString folder = web_ + u"/folder.htm"_s;
        QDir().mkpath(folder);
        if (QFileInfo(folder).size() < 1)
            QSKIP("folders have no length on this file system");
        OptionSet options;
        setUpOptions(options, out_);
        FileList list;
        list.Append(folder);
        list.Append(web_ + u"/a.htm"_s);
        RecordingHost host;
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::CompletedWithErrors);
        QCOMPARE(host.messages[0].prompt, u"Datei konnte nicht gelesen werden: "_s + folder);
        QCOMPARE(host.messages[0].title, QStringLiteral("Fehler"));
        QCOMPARE(host.messages[0].icon, Host::Icon::Critical);
        QVERIFY(!QFile::exists(out_ + u"/folder.htm"_s));
        QVERIFY(QFile::exists(out_ + u"/a.htm"_s));
    }

    void absurdLineCount_data() {
        QTest::addColumn<int>("field");
        QTest::newRow("start lines") << static_cast<int>(TextField::txtStart);
        QTest::newRow("end lines") << static_cast<int>(TextField::txtEnd);
    }
    void absurdLineCount() {
        QFETCH(int, field);
        OptionSet options;
        setUpOptions(options, out_);
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        list.Append(web_ + u"/b.htm"_s);
        RecordingHost host;
        // Set while the first page is under way; the second page is converted normally.
        host.onPump = [&](int) {
            if (host.currentFile.endsWith(QStringLiteral("a.htm")))
                options.setText(static_cast<TextField>(field), QStringLiteral("9000000000000"));
            else
                options.setText(static_cast<TextField>(field), QStringLiteral("2"));
        };
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::CompletedWithErrors);
        QCOMPARE(titles(host), QStringList({u"Fehler"_s, u"Abschluss"_s}));
        QVERIFY(host.messages[0].prompt.contains(QStringLiteral("9000000000000")));
        QVERIFY(!QFile::exists(out_ + u"/a.htm"_s));
        QVERIFY(QFile::exists(out_ + u"/b.htm"_s));
    }

    void optionChangeDuringYield() {
        const QString out2 = at(u"out2"_s);
        QDir().mkpath(out2);
        OptionSet options;
        setUpOptions(options, out_);
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        list.Append(web_ + u"/b.htm"_s);
        RecordingHost host;
        host.onPump = [&](int) {
            if (host.currentFile.endsWith(QStringLiteral("b.htm"))) {
                options.setText(TextField::txtPath, out2);
                options.setCheck(CheckField::chkJava, 0);
            }
        };
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::Completed);
        QVERIFY(QFile::exists(out_ + u"/a.htm"_s));
        QVERIFY(!QFile::exists(out_ + u"/b.htm"_s));
        const QByteArray b = readFile(out2 + u"/b.htm"_s);
        QVERIFY(b.contains("Zweite"));
        QVERIFY(!b.contains("document.write"));
    }

    void listClearedDuringYield() {
        OptionSet options;
        setUpOptions(options, out_);
        FileList list;
        list.Append(web_ + u"/a.htm"_s);
        list.Append(web_ + u"/b.htm"_s);
        RecordingHost host;
        host.onPump = [&](int) {
            if (list.count() > 0)
                list.Clear();
        };
        QCOMPARE(EncryptionRun(options, list, host, Random::program()).RunEncryption(),
                 EncryptionRun::Outcome::Completed);
        QVERIFY(!QFile::exists(out_ + u"/b.htm"_s));
    }

    // A write that fails part way leaves the old file, here the source itself, as it was.
    void failedWriteKeepsOldFile() {
        const QString src = web_ + u"/a.htm"_s;
        OptionSet options;
        setUpOptions(options, out_);
        options.setOverwrite(true);
        options.setCheck(CheckField::chkBkup, 0);
        FileList list;
        list.Append(src);
        RecordingHost host;
        struct rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto outcome = EncryptionRun(options, list, host, Random::program()).RunEncryption();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(outcome, EncryptionRun::Outcome::CompletedWithErrors);
        QCOMPARE(titles(host), QStringList({u"Fehler"_s, u"Abschluss"_s}));
        QVERIFY(host.messages[0].prompt.endsWith(QStringLiteral("(%1)").arg(EFBIG)));
        QCOMPARE(readFile(src), kPageA);
        QCOMPARE(QDir(web_).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestEncryptionRun)
#include "tst_encryptionrun.moc"
