#include "batchtool.h"
#include "filelist/filelist.h"
#include "host.h"
#include "options/optionset.h"
#include "passes/random.h"
#include "project/projectfile.h"
#include "run/encryptionrun.h"
#include "support/testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTextStream>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    int code = -1;
    QStringList out;
    QStringList err;
};

Outcome runInProcess(const QStringList& args, bool terminal = false) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    Random::program().setState(Random::kStart);
    const int code = runBatch(args, outStream, errStream, terminal);
    return {code, out.split(u'\n', Qt::SkipEmptyParts), err.split(u'\n', Qt::SkipEmptyParts)};
}

// The window's one-thread run over the pages of a project or a list, into a folder of its own.
QMap<QString, QByteArray> windowRun(OptionSet& options, FileList& list, const QString& folder) {
    options.setNewFiles(true);
    options.setText(TextField::txtPath, folder);
    QDir().mkpath(folder);
    NullHost host;
    Random random;
    EncryptionRun(options, list, host, random).RunEncryption();
    return test::tree(folder);
}

} // namespace

class TestBatchTool : public QObject {
    Q_OBJECT

    test::TestFolder dir_;
    QString at(const QString& name) const { return dir_.at(name); }

private slots:
    void init() {
        dir_.reset();
        test::writeFile(at(u"web/a.htm"_s), "<html><head></head><body>A</body></html>\r\n");
        test::writeFile(at(u"web/sub/c.html"_s), "<p>C\r\nzwei\r\n");
        test::writeFile(at(u"web/sub/deep/d.shtml"_s), "<p>D</p>");
        test::writeFile(at(u"web/notes.txt"_s), "no page");
        test::writeFile(at(u"other/a.htm"_s), "<p>other</p>");
        test::writeFile(at(u"empty/e.htm"_s), "");
        test::writeFile(at(u"broken/k.htm"_s), "<html><head></head><body><!-- <b> -->x</body>");
        test::writeFile(at(u"broken/u.htm"_s), "<p>\xC3\xA4</p>");
        test::writeFile(at(u"dot/.x.htm"_s), "<p>x</p>");
        test::writeFile(at(u"dot/notes.txt"_s), "no page either");
        QDir().mkpath(at(u"block/a.htm"_s));
        QDir().mkpath(at(u"taken/notes.txt"_s));
        QDir().mkpath(at(u"links"_s));
        QVERIFY(QFile::link(at(u"web"_s), at(u"alias"_s)));
        QVERIFY(QFile::link(at(u"web/a.htm"_s), at(u"links/a.htm"_s)));
        QVERIFY(QFile::setPermissions(at(u"web/sub/c.html"_s),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        OptionSet options;
        options.setText(TextField::txtPath, at(u"pout"_s));
        FileList list;
        list.Append(at(u"web/a.htm"_s));
        QVERIFY(!WriteProject(at(u"p.vtp"_s), options, list));
        QByteArray old = test::readFile(at(u"p.vtp"_s));
        test::writeFile(at(u"old.vtp"_s), old.replace("3.0.0", "2.0.0"));
    }

    // The command lines of the data file: exit status, messages and the files written.
    void commandLines_data() {
        QTest::addColumn<QStringList>("directives");
        QFile file(QFINDTESTDATA("data/commandlines.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        test::addCaseRows(QString::fromUtf8(file.readAll()).replace(u"{d}"_s, dir_.path()));
    }
    void commandLines() {
        QFETCH(QStringList, directives);
        QHash<QString, QStringList> d = test::directives(directives);
        const QStringList err = d[u"err"_s], out = d[u"out"_s];
        const Outcome o = runInProcess(d[u"args"_s].value(0).split(u' '));
        QCOMPARE(o.code, d[u"exit"_s].value(0).toInt());
        QCOMPARE(o.err.size(), err.size());
        for (qsizetype i = 0; i < err.size(); ++i)
            QVERIFY2(o.err[i].startsWith(err[i]), qPrintable(o.err[i]));
        qsizetype found = 0;
        for (const QString& line : o.out)
            found += found < out.size() && line == out[found];
        QVERIFY2(found == out.size(), qPrintable(o.out.join(u'\n')));
        for (const QString& f : d[u"files"_s].join(u' ').split(u' ', Qt::SkipEmptyParts))
            QVERIFY2(QFileInfo::exists(at(f)), qPrintable(f));
        for (const QString& f : d[u"absent"_s].join(u' ').split(u' ', Qt::SkipEmptyParts))
            QVERIFY2(!QFileInfo::exists(at(f)), qPrintable(f));
        const QStringList modes = d[u"mode"_s].join(u' ').split(u' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i + 1 < modes.size(); i += 2) {
            struct stat st {};
            QVERIFY2(::stat(QFile::encodeName(at(modes[i])).constData(), &st) == 0,
                     qPrintable(modes[i]));
            QCOMPARE(QString::number(st.st_mode & 07777, 8), modes[i + 1]);
        }
    }

    // Each flag that changes a page, alone or with another: the batch tool's page is the
    // window's page under the options of its row, and not a fresh job's page.
    void flags_data() {
        QTest::addColumn<QString>("options");
        for (const QString& row :
             QString::fromUtf8(test::readFile(QFINDTESTDATA("data/flags.txt"))).split(u'\n')) {
            if (!row.startsWith(u'#') && row.contains(u'|'))
                QTest::newRow(qPrintable(row.section(u" | "_s, 0, 0))) << row.section(u" | "_s, 1);
        }
    }
    void flags() {
        QFETCH(QString, options);
        const QString page = at(u"flags.htm"_s);
        test::writeFile(page, "<html><head><title>Flaggen</title></head>\r\n<body><p>Gr\xfc\xdf"
                              "e\r\nzwei</p><script>var a;</script></body></html>\r\n");
        const QStringList flags = QString::fromUtf8(QTest::currentDataTag()).split(u' ');
        QCOMPARE(runInProcess(flags + QStringList{u"-q"_s, u"-o"_s, at(u"batch"_s), page}).code, 0);
        OptionSet job, fresh;
        FileList list;
        list.Append(page);
        for (const QString& field : options.split(u' '))
            QVERIFY2(test::applyOption(field.toUtf8(), job), qPrintable(field));
        const QMap<QString, QByteArray> window = windowRun(job, list, at(u"window"_s));
        QCOMPARE(test::tree(at(u"batch"_s)), window);
        QVERIFY(window != windowRun(fresh, list, at(u"fresh"_s)));
    }

    // The report names each page and its encoding and counts a run with failures: a page passed
    // over (its name starts with "."), one unreadable (a folder), one missing that stops the run,
    // one after it.
    void report() {
        FileList list;
        for (const char* page : {"web/sub/c.html", "broken/u.htm", "web/.x.htm", "block/a.htm",
                                 "fehlt.htm", "web/sub/deep/d.shtml"})
            list.Append(at(QString::fromLatin1(page)));
        test::writeFile(at(u"web/.x.htm"_s), "<p>X</p>");
        QVERIFY(!WriteProject(at(u"list.vtp"_s), OptionSet(), list));
        const Outcome o = runInProcess(
            {u"--report"_s, at(u"r.json"_s), u"-o"_s, at(u"out"_s), u"-p"_s, at(u"list.vtp"_s)});
        QCOMPARE(o.code, 2);
        const QJsonObject report =
            QJsonDocument::fromJson(test::readFile(at(u"r.json"_s))).object();
        const QJsonArray pages = report[u"pages"_s].toArray();
        const QJsonObject c = pages[0].toObject();
        QCOMPARE(c.keys(), QStringList({u"backup"_s, u"breaks"_s, u"encoding"_s, u"inputBytes"_s,
                                        u"message"_s, u"milliseconds"_s, u"output"_s,
                                        u"outputBytes"_s, u"source"_s}));
        QCOMPARE(c[u"output"_s].toString(), at(u"out/c.html"_s));
        QVERIFY(c[u"backup"_s].isNull() && c[u"message"_s].isNull());
        QCOMPARE(c[u"encoding"_s].toString(), u"windows-1252"_s);
        QCOMPARE(pages[1].toObject()[u"encoding"_s].toString(), u"UTF-8"_s);
        QVERIFY(pages[3].toObject()[u"message"_s].toString().startsWith(u"Fehler: Datei konnte"_s));
        const QJsonObject totals = report[u"totals"_s].toObject();
        const QJsonObject expected{{u"pages"_s, 6},   {u"converted"_s, 2},  {u"skipped"_s, 1},
                                   {u"failed"_s, 1},  {u"notReached"_s, 2}, {u"inputBytes"_s, 21},
                                   {u"exitCode"_s, 2}};
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(totals[it.key()] == it.value(), qPrintable(it.key()));
        QCOMPARE(totals[u"outputBytes"_s].toInteger(),
                 QFileInfo(at(u"out/c.html"_s)).size() + QFileInfo(at(u"out/u.htm"_s)).size());
    }

    // A modern site comes out whole: pages converted in their folders, every other file (dot-files
    // too) byte for byte with its time, version control and backups of pages left behind. The
    // project saved from it names what it cannot hold, and run with that (and without the flag
    // of the job) gives the same tree.
    void siteComesAlong() {
        const QByteArray png("\x89PNG\r\n\x1a\n\0\xff", 10);
        const std::pair<QString, QByteArray> site[] = {
            {u"site/index.html"_s, "<link href=\"css/site.css\"><p>B\xC3\xA4"
                                   "ckerei"},
            {u"site/blog/2026/post.htm"_s, "<img src=\"../../img/logo.png\">"},
            {u"site/css/site.css"_s, "p { color: red }"},
            {u"site/img/logo.png"_s, png},
            {u"site/.htaccess"_s, "Options -Indexes"},
            {u"site/blog/empty.txt"_s, {}}};
        for (const auto& [path, bytes] : site)
            test::writeFile(at(path), bytes);
        test::writeFile(at(u"site/.git/config"_s), "[core]");
        test::writeFile(at(u"site/index.html.bak"_s), "the unprotected source");
        const QDateTime old(QDate(2020, 5, 17), QTime(8, 30));
        QFile css(at(u"site/css/site.css"_s));
        QVERIFY(css.open(QIODevice::ReadWrite) &&
                css.setFileTime(old, QFileDevice::FileModificationTime));
        css.close();

        const Outcome saved =
            runInProcess({u"--modern"_s, u"--no-print"_s, u"-o"_s, at(u"out"_s), u"--report"_s,
                          at(u"r.json"_s), u"--save-project"_s, at(u"p.vtp"_s), at(u"site"_s)});
        QCOMPARE(saved.code, 0);
        QVERIFY2(saved.err.first().endsWith(u"-p "_s + at(u"p.vtp"_s) + u" --modern"_s),
                 qPrintable(saved.err.first()));
        const QMap<QString, QByteArray> out = test::tree(at(u"out"_s));
        QCOMPARE(out.keys(),
                 (QStringList{u".htaccess"_s, u"blog/2026/post.htm"_s, u"blog/empty.txt"_s,
                              u"css/site.css"_s, u"img/logo.png"_s, u"index.html"_s}));
        for (const auto& [path, bytes] : site) {
            if (!path.contains(u".htm"_s))
                QCOMPARE(out[path.mid(5)], bytes);
        }
        QCOMPARE(QFileInfo(at(u"out/css/site.css"_s)).lastModified(), old);
        const QJsonObject report =
            QJsonDocument::fromJson(test::readFile(at(u"r.json"_s))).object();
        QCOMPARE(report[u"totals"_s][u"copiedFiles"_s].toInt(), 4);
        QCOMPARE(report[u"copied"_s][3][u"bytes"_s].toInteger(), png.size());
        QCOMPARE(report[u"pages"_s][1][u"encoding"_s].toString(), u"UTF-8"_s);

        QCOMPARE(
            runInProcess({u"-q"_s, u"-p"_s, at(u"p.vtp"_s), u"--modern"_s, u"-o"_s, at(u"again"_s)})
                .code,
            0);
        QCOMPARE(test::tree(at(u"again"_s)), out);
    }

    // Ctrl-C in a run with the mode: the pages under way are finished, the report holds what was
    // done (with what the mode repaired), the last line says so, and the status is 130.
    void interruptedRun() {
        for (int i = 0; i < 1000; ++i)
            test::writeFile(at(u"many/p%1.htm"_s.arg(i, 3, 10, QLatin1Char('0'))),
                            "<p>\xC3\xA4</p>");
        QProcess process;
        process.start(QStringLiteral(VELTRANO_BATCH_EXE),
                      {u"--modern"_s, u"--sync"_s, u"-j"_s, u"1"_s, u"--report"_s, at(u"r.json"_s),
                       u"-o"_s, at(u"out"_s), at(u"many"_s)});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(at(u"out/p000.htm"_s)), 60000);
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), int{kExitInterrupted});
        const QString last = QString::fromUtf8(process.readAllStandardError()).trimmed();
        QVERIFY2(last.section(u'\n', -1).startsWith(
                     u"Abschluss: Das Verschlüsseln der Dateien wurde abgebrochen: "_s),
                 qPrintable(last));
        const QJsonObject report =
            QJsonDocument::fromJson(test::readFile(at(u"r.json"_s))).object();
        const QJsonObject totals = report[u"totals"_s].toObject();
        QVERIFY(totals[u"notReached"_s].toInt() > 0);
        QCOMPARE(QDir(at(u"out"_s)).entryList(QDir::Files).size(), totals[u"converted"_s].toInt());
        QCOMPARE(report[u"pages"_s][0][u"breaks"_s].toArray(), QJsonArray({u"utf8"_s}));
    }

    // On a terminal a bar shows the pages done; it is cleared before every message.
    void progressBar() {
        const Outcome o = runInProcess({u"-o"_s, at(u"out"_s), at(u"web/a.htm"_s)}, true);
        QCOMPARE(o.code, 0);
        QVERIFY(o.err.first().startsWith(u"\r\x1b[K[------------------------------] 0/1"_s));
        QVERIFY(o.err.first().contains(u"\r\x1b[KAbschluss: "_s));
    }

    // 1, 2 and 7 jobs (the last in a process of its own) give the window's bytes on a list of
    // pages converted, refused (a name starting with ".", a folder) and missing (the run stops),
    // with a DOCTYPE or an XML declaration, which a modern page moves in front of its script.
    void sameBytesWithAnyJobs_data() {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("options"); // the same for the window
        QTest::newRow("classic") << QString() << QString();
        QTest::newRow("modern") << u"--modern"_s << u"modern=1"_s;
        QTest::newRow("modern, all in the script form")
            << u"--modern --seo=off --no-native"_s << u"modern=1 chkSeo=0 chkNativ=0"_s;
    }
    void sameBytesWithAnyJobs() {
        QFETCH(QString, flags);
        QFETCH(QString, options);
        FileList list;
        for (int i = 0; i < 30; ++i) {
            const QString path = at((i % 9 == 4 ? u"site/.p%1.htm"_s : u"site/p%1.htm"_s).arg(i));
            list.Append(path);
            if (i % 9 == 7)
                QDir().mkpath(path);
            if (i % 9 == 7 || i == 24)
                continue;
            QByteArray page = i % 3 == 0   ? "<!DOCTYPE html>\r\n"
                              : i % 3 == 1 ? "<?xml version=\"1.0\"?>\r\n<!DOCTYPE html>\r\n"
                                           : "";
            page += "<html><head><script>s='</head>'</script></head><body>\r\n";
            for (int k = 0; k < 10 + i * 7; ++k)
                page +=
                    "<p>Seite " + QByteArray::number(i * k) + " \xc3\xa4 \xf0\x9f\x98\x80</p>\r\n";
            test::writeFile(path, page + "</body></html>");
        }
        OptionSet job;
        for (const QString& field : options.split(u' ', Qt::SkipEmptyParts))
            QVERIFY(test::applyOption(field.toUtf8(), job));
        QVERIFY(!WriteProject(at(u"site.vtp"_s), job, list));
        const QMap<QString, QByteArray> window = windowRun(job, list, at(u"window"_s));
        QCOMPARE(window.size(), 24 - 3 - 2);
        for (const QString& jobs : {u"1"_s, u"2"_s, u"7"_s}) {
            const QStringList args =
                flags.split(u' ', Qt::SkipEmptyParts) +
                QStringList{u"-j"_s,          jobs, u"-q"_s, u"-o"_s, at(u"out"_s + jobs),
                            at(u"site.vtp"_s)};
            if (jobs == u"7") {
                QProcess process;
                process.start(QStringLiteral(VELTRANO_BATCH_EXE), args);
                QVERIFY(process.waitForFinished(120000));
                QCOMPARE(process.exitCode(), 2);
            } else {
                QCOMPARE(runInProcess(args).code, 2);
            }
            QVERIFY2(test::tree(at(u"out"_s + jobs)) == window, qPrintable(jobs));
        }
    }
};

QTEST_GUILESS_MAIN(TestBatchTool)
#include "tst_batchtool.moc"
