#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectcommands.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

// New, Open, Save and Save as on a job of one page with 7 end lines. Each step is a command
// and the file the dialog answers (none: cancelled); it gives a line of what the user saw and
// what the job holds afterwards, with the folder of the test written as "~".
class TestProjectCommands : public QObject {
    Q_OBJECT

    test::TestFolder dir_;

private slots:
    void steps_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("trace");
        const QString saved = u"Speichern(i): Projekt nach \"~/job.vtp\" gespeichert! | "
                              u"file=~/job.vtp rows=1 end=7 dialogs=%1 size=4"_s;
        QTest::newRow("save asks once, then keeps the name")
            << QStringList{u"Save"_s, u"Save job.vtp"_s, u"Save"_s}
            << QStringList{
                   u"Fehler(x): Keine Datei gewählt! | file= rows=1 end=7 dialogs=1 size=4"_s,
                   saved.arg(2) + u" lines=19"_s, saved.arg(2) + u" lines=19"_s};
        QTest::newRow("new, open, cancelled open, new and save")
            << QStringList{u"SaveAs job.vtp"_s, u"New"_s, u"Open job.vtp"_s, u"Open"_s,
                           u"Open job.vtp"_s,   u"New"_s, u"Save"_s}
            << QStringList{
                   saved.arg(1),
                   u" | file=~/job.vtp rows=0 end=200 dialogs=1"_s,
                   u" | file=~/job.vtp rows=1 end=7 dialogs=2 size=4"_s,
                   u"Fehler(x): Keine Datei gewählt! | file= rows=1 end=7 dialogs=3 size=4"_s,
                   u" | file=~/job.vtp rows=1 end=7 dialogs=4 size=4"_s,
                   u" | file=~/job.vtp rows=0 end=200 dialogs=4"_s,
                   u"Speichern(i): Projekt nach \"~/job.vtp\" gespeichert! | "
                   u"file=~/job.vtp rows=0 end=200 dialogs=4 lines=18"_s};
        QTest::newRow("open refused: other version, damaged")
            << QStringList{u"Open old.vtp"_s, u"Open bad.vtp"_s}
            << QStringList{
                   u"Fehler(x): Die Datei wurde mit Version 2.0.0 erstellt, und ist zu "
                   u"3.0.0 nicht kompatibel! | file=~/old.vtp rows=0 end=7 dialogs=1"_s,
                   u"Fehler(x): Die Projektdatei \"~/bad.vtp\" ist beschädigt: Zeile 3 (chkZange) fehlt, die Datei endet nach Zeile 2. | file=~/bad.vtp rows=0 end=7 dialogs=2"_s};
        QTest::newRow("save into a missing folder")
            << QStringList{u"SaveAs missing/job.vtp"_s}
            << QStringList{
                   u"Fehler(x): Das Projekt \"~/missing/job.vtp\" konnte nicht gespeichert werden: "
                   u"No such "
                   u"file or directory | file=~/missing/job.vtp rows=1 end=7 dialogs=1 size=4"_s};
    }
    void steps() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, trace);
        dir_.reset();
        test::writeFile(dir_.at(u"web/a.htm"_s), "page");
        test::writeFile(dir_.at(u"old.vtp"_s), "2.0.0\r\n 1 \r\n");
        test::writeFile(dir_.at(u"bad.vtp"_s), "3.0.0\r\n 1 \r\n");
        OptionSet options{u"/prog"_s};
        FileList list;
        test::RecordingHost host;
        ProjectCommands commands{options, list, host};
        options.setText(TextField::txtEnd, u"7"_s);
        list.Append(dir_.at(u"web/a.htm"_s));
        QStringList got;
        for (const QString& step : steps) {
            const QString command = step.section(u' ', 0, 0), answer = step.section(u' ', 1);
            if (!answer.isEmpty())
                host.fileAnswers << dir_.at(answer);
            const qsizetype shown = host.messages.size();
            if (command == u"New"_s)
                commands.newProject();
            else if (command == u"Open"_s) {
                const bool opened = commands.open(); // true when a project was read
                QCOMPARE(opened, host.messages.size() == shown && !answer.isEmpty());
            } else
                command == u"Save"_s ? commands.save() : commands.saveAs();
            QStringList line;
            for (const auto& m : host.messages.mid(shown))
                line << m.title + (m.icon == Host::Icon::Critical ? u"(x): "_s : u"(i): "_s) +
                            m.prompt;
            QString state = line.join(u';') +
                            u" | file=%1 rows=%2 end=%3 dialogs=%4"_s.arg(options.projectFile())
                                .arg(list.count())
                                .arg(options.text(TextField::txtEnd))
                                .arg(host.dialogsShown);
            if (list.count() > 0)
                state += u" size="_s + list.entry(0).size;
            if (command == u"Save"_s && !options.projectFile().isEmpty())
                state += u" lines=%1"_s.arg(test::readFile(options.projectFile()).count("\r\n"));
            got << state.replace(dir_.path(), u"~"_s);
        }
        QCOMPARE(got, trace);
    }
};

QTEST_GUILESS_MAIN(TestProjectCommands)
#include "tst_projectcommands.moc"
