// Walks the run cases of tests/data/runs.txt (see its head): each sets up a job over a fixed test
// folder, runs it as "Beginnen" does through a recording host, and compares the outcome, the
// messages, the files the status showed and every file the run changed.
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "passes/random.h"
#include "run/encryptionrun.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace veltrano;
using namespace Qt::StringLiterals;
using Outcome = EncryptionRun::Outcome;

namespace {
const QByteArray kPageA = "<html><head><title>A</title></head>\r\n<body>Erste Seite</body>\r\n"
                          "</html>\r\n";
const QByteArray kPageB = "<html>\n<body>\rZweite \xe4 Seite</body></html>";
const QByteArray kPageU = "<p>\xC3\xA4</p>";

// What a file holds, in the words of the cases file.
QString tag(const QByteArray& bytes) {
    const QMap<QByteArray, QString> known = {
        {kPageA, u"A"_s},
        {kPageB, u"B"_s},
        {kPageU, u"U"_s},
        {"old backup", u"old"_s},
        {"<html>\n<body>\r\nZweite \xe4 Seite</body></html>\r\n", u"B-lines"_s},
        {"<html>\n<body>\r\nZweite \xe4 Seite</body></html>" +
             QByteArray(PageProgress::kStep * 2, 'x') + "\r\n",
         u"big-lines"_s}};
    if (known.contains(bytes))
        return known[bytes];
    return (bytes.startsWith("\xEF\xBB\xBF") ? u"bom-"_s : QString()) +
           (bytes.contains("document.write") ? u"js"_s : u"plain"_s);
}
} // namespace

class TestEncryptionRun : public QObject {
    Q_OBJECT

    test::TestFolder dir_;

private slots:
    void runs_data() {
        QTest::addColumn<QStringList>("lines");
        test::addCaseRows(QString::fromUtf8(test::readFile(QStringLiteral(VELTRANO_RUN_CASES))));
    }
    void runs() {
        QFETCH(QStringList, lines);
        const QHash<QString, QStringList> c = test::directives(lines);
        const auto value = [&](const QString& key) { return c.value(key).value(0); };

        dir_.reset();
        const QString d = dir_.path();
        const std::pair<const char*, QByteArray> files[] = {
            {"web/a.htm", kPageA}, {"web/b.htm", kPageB},     {"web/b.htm.bak", "old backup"},
            {"web/empty.htm", {}}, {"web/sub/a.htm", kPageB}, {"web/sub2/a.htm", kPageU}};
        const QByteArray big = kPageB + QByteArray(PageProgress::kStep * 2, 'x');
        test::writeFile(dir_.at(u"web/big.htm"_s), big); // long enough for yields while encoded
        for (const auto& [name, bytes] : files)
            test::writeFile(dir_.at(QString::fromLatin1(name)), bytes);
        for (const QString& leftover : value(u"leftovers"_s).split(u' ', Qt::SkipEmptyParts))
            test::writeFile(dir_.at(leftover), "ended run");
        for (const QString& folder : {u"web/folder.htm"_s, u"out"_s, u"out2"_s})
            QVERIFY(QDir().mkpath(dir_.at(folder)));
        QVERIFY(QFile::link(dir_.at(u"web"_s), dir_.at(u"link"_s)));

        OptionSet options;
        options.setValues(OptionValues::defaults(QString()));
        options.setText(TextField::txtStart, u"3"_s);
        options.setText(TextField::txtEnd, u"2"_s);
        options.setNewFiles(true);
        const QString folder = value(u"folder"_s);
        options.setText(TextField::txtPath, folder == u"-"_s ? QString() : dir_.at(folder));
        for (const QString& set : value(u"set"_s).split(u' ', Qt::SkipEmptyParts)) {
            if (set == u"modern"_s) {
                options.setModern(true);
                continue;
            }
            options.setOverwrite(true);
            options.setOverwrite(set != u"neither"_s); // off again: no output choice at all
            options.setCheck(CheckField::chkBkup, CheckState(set.section(u'=', 1).toShort()));
        }
        FileList list;
        for (const QString& page : value(u"pages"_s).split(u' ', Qt::SkipEmptyParts)) {
            list.Append(dir_.at(page.mid(page.startsWith(u'-') ? 1 : 0)));
            if (page.startsWith(u'-'))
                list.RemoveCurrent();
        }
        if (QFileInfo(dir_.at(u"web/folder.htm"_s)).size() < 1 &&
            value(u"pages"_s).contains(u"folder"_s))
            QSKIP("folders have no length on this file system");

        test::RecordingHost host;
        const QString yield = value(u"yield"_s);
        host.onPump = [&](int) {
            const bool first = host.currentFile.endsWith(u"web/a.htm"_s);
            if (yield == u"start"_s || yield == u"end"_s) {
                options.setText(yield == u"start"_s ? TextField::txtStart : TextField::txtEnd,
                                first ? u"50000001"_s : u"2"_s);
            } else if (yield == u"folder"_s && !first) {
                options.setText(TextField::txtPath, dir_.at(u"out2"_s));
                options.setCheck(CheckField::chkJava, 0);
            } else if (yield.startsWith(u"backup"_s) && host.pageMaximum > 0) {
                options.setCheck(CheckField::chkBkup, yield == u"backup on"_s ? 1 : 0);
            } else if (yield == u"clear"_s) {
                list.Clear();
            } else if (yield == u"new folder"_s && !first && host.pageValue < host.pageMaximum) {
                options.setText(TextField::txtPath, dir_.at(u"out2/neu"_s));
            }
        };

        const QMap<QString, QByteArray> before = test::tree(d);
        struct rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        struct rlimit limit = old;
        if (c.contains(u"limit"_s))
            limit.rlim_cur = value(u"limit"_s).toULong();
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        EncryptionRun run(options, list, host, Random::program());
        const Outcome outcome = run.RunEncryption();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        const QMap<QString, QByteArray> after = test::tree(d);

        const char* outcomes[] = {"Completed", "CompletedWithErrors", "Stopped"};
        QCOMPARE(QString::fromLatin1(outcomes[int(outcome)]), value(u"outcome"_s));
        QStringList titles, shown, changed;
        QString prompts;
        for (const auto& m : host.messages) {
            titles << m.title + (m.icon == Host::Icon::Critical ? u"!"_s : QString());
            prompts += m.prompt + u'\n';
        }
        QCOMPARE(titles.join(u", "_s), value(u"messages"_s));
        for (QString part : c.value(u"says"_s))
            QVERIFY2(prompts.contains(part.replace(u"{d}"_s, d)), qPrintable(prompts));
        QCOMPARE(host.files.size(), host.positions.size());
        for (qsizetype i = 0; i < host.files.size(); ++i)
            shown << u"%1:%2/%3"_s.arg(host.files[i].mid(d.size() + 1))
                         .arg(host.positions[i])
                         .arg(host.listMaximum);
        QCOMPARE(shown.join(u' '), value(u"shown"_s));
        QStringList paths = before.keys() + after.keys();
        paths.sort();
        paths.removeDuplicates();
        for (const QString& path : paths)
            if (before.value(path, "none") != after.value(path, "none"))
                changed << path + u'=' + (after.contains(path) ? tag(after[path]) : u"gone"_s);
        QCOMPARE(changed.join(u' '), value(u"changed"_s));

        // A stopped run leaves the status shown and "Beginnen" disabled, for good.
        const bool stopped = outcome == Outcome::Stopped;
        QVERIFY(host.startEnabled != stopped && host.statusVisible == stopped);
        QCOMPARE(run.stopped(), stopped);
        if (stopped) {
            QCOMPARE(run.RunEncryption(), Outcome::Stopped);
            QCOMPARE(host.messages.size(), titles.size());
        } else {
            QCOMPARE(list.currentRow(), list.count() - 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestEncryptionRun)
#include "tst_encryptionrun.moc"
