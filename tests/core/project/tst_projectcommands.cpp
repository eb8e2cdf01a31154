#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectcommands.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;
using Msg = test::RecordingHost::Message;

namespace {

// The commands on a fresh set of options, an empty list and a recording host.
struct Project {
    OptionSet options{u"/prog"_s};
    FileList list;
    test::RecordingHost host;
    ProjectCommands commands{options, list, host};
};

} // namespace

class TestProjectCommands : public QObject {
    Q_OBJECT

    test::TestFolder dir_;

private slots:
    void saveAsksOnceThenKeepsName() {
        Project p;
        p.commands.Save(); // no project, dialog cancelled
        QCOMPARE(p.host.dialogsShown, 1);
        QCOMPARE(p.host.messages.last(),
                 (Msg{u"Keine Datei gewählt!"_s, u"Fehler"_s, Host::Icon::Critical}));

        const QString file = dir_.at(u"job.vtp"_s);
        p.host.fileAnswers << file;
        p.commands.Save();
        QCOMPARE(p.host.dialogsShown, 2);
        QCOMPARE(p.options.projectFile(), file);
        QCOMPARE(p.host.messages.last(), (Msg{u"Projekt nach \""_s + file + u"\" gespeichert!"_s,
                                              u"Speichern"_s, Host::Icon::Information}));

        p.commands.Save(); // same file, no dialog
        QCOMPARE(p.host.dialogsShown, 2);
        QCOMPARE(p.host.messages.size(), 3);
    }

    void openNewSave() {
        const QString page = dir_.at(u"web/a.htm"_s);
        test::writeFile(page, "page");
        Project p;
        p.options.setText(TextField::txtEnd, u"7"_s);
        p.list.Append(page);
        const QString file = dir_.at(u"p.vtp"_s);
        p.host.fileAnswers << file;
        p.commands.SaveAs();

        p.commands.New();
        QVERIFY(p.options.values() == OptionValues::defaults(u"/prog"_s));
        QCOMPARE(p.list.count(), 0);
        QCOMPARE(p.options.projectFile(), file);

        p.host.fileAnswers << file;
        QVERIFY(p.commands.Open());
        QCOMPARE(p.options.text(TextField::txtEnd), u"7"_s);
        QCOMPARE(p.list.count(), 1);
        QCOMPARE(p.list.entry(0).size, u"4"_s);

        // A cancelled second Open keeps the project loaded but forgets its name.
        QVERIFY(!p.commands.Open());
        QCOMPARE(p.list.count(), 1);
        QCOMPARE(p.options.projectFile(), QString());

        // New, then Save into the opened file: defaults and an empty list.
        p.host.fileAnswers << file;
        QVERIFY(p.commands.Open());
        p.commands.New();
        p.commands.Save();
        QCOMPARE(test::readFile(file).count("\r\n"), 18);
    }

    void openRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("other version")
            << QByteArray("2.0.0\r\n 1 \r\n")
            << u"Die Datei wurde mit Version 2.0.0 erstellt, und ist zu 3.0.0 nicht kompatibel!"_s;
        QTest::newRow("damaged") << QByteArray("3.0.0\r\n 1 \r\n") << QString();
    }
    void openRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, prompt);
        const QString file = dir_.at(u"old.vtp"_s);
        test::writeFile(file, bytes);
        Project p;
        p.options.setText(TextField::txtStart, u"9"_s);
        p.list.Append(dir_.at(u"x.htm"_s));
        p.host.fileAnswers << file;
        QVERIFY(!p.commands.Open());
        QCOMPARE(p.host.messages.size(), 1);
        if (!prompt.isEmpty())
            QCOMPARE(p.host.messages[0].prompt, prompt);
        else
            QVERIFY(p.host.messages[0].prompt.contains(file));
        QCOMPARE(p.host.messages[0].title, u"Fehler"_s);
        QCOMPARE(p.host.messages[0].icon, Host::Icon::Critical);
        QCOMPARE(p.list.count(), 0);
        QCOMPARE(p.options.text(TextField::txtStart), u"9"_s);
        QCOMPARE(p.options.projectFile(), file);
    }

    void saveFailureShowsNoSavedMessage() {
        Project p;
        const QString file = dir_.at(u"missing/p.vtp"_s);
        p.host.fileAnswers << file;
        p.commands.SaveAs();
        QCOMPARE(p.host.titles(), QStringList({u"Fehler"_s}));
        QVERIFY(p.host.messages[0].prompt.contains(file));
        QVERIFY(!p.host.messages[0].prompt.contains(u"gespeichert!"_s));
    }
};

QTEST_GUILESS_MAIN(TestProjectCommands)
#include "tst_projectcommands.moc"
