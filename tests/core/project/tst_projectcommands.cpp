#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectcommands.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

class TestProjectCommands : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString at(const QString& name) const { return dir_.filePath(name); }

    static QString saved(const QString& file) {
        return u"Projekt nach \""_s + file + u"\" gespeichert!"_s;
    }

private slots:
    void saveAsksOnceThenKeepsName() {
        OptionSet options(u"/prog"_s);
        FileList list;
        test::RecordingHost host;
        ProjectCommands commands(options, list, host);

        commands.Save(); // no project, dialog cancelled
        QCOMPARE(host.dialogsShown, 1);
        QCOMPARE(host.messages.last().prompt, u"Keine Datei gewählt!"_s);
        QCOMPARE(host.messages.last().title, u"Fehler"_s);
        QCOMPARE(host.messages.last().icon, Host::Icon::Critical);

        const QString file = at(u"job.vtp"_s);
        host.fileAnswers << file;
        commands.Save();
        QCOMPARE(host.dialogsShown, 2);
        QCOMPARE(options.projectFile(), file);
        QCOMPARE(host.messages.last().prompt, saved(file));
        QCOMPARE(host.messages.last().title, u"Speichern"_s);
        QCOMPARE(host.messages.last().icon, Host::Icon::Information);

        commands.Save(); // same file, no dialog
        QCOMPARE(host.dialogsShown, 2);
        QCOMPARE(host.messages.size(), 3);
    }

    void openNewSave() {
        const QString page = at(u"web/a.htm"_s);
        test::writeFile(page, "page");
        OptionSet options(u"/prog"_s);
        FileList list;
        test::RecordingHost host;
        ProjectCommands commands(options, list, host);
        options.setText(TextField::txtEnd, u"7"_s);
        list.Append(page);
        const QString file = at(u"p.vtp"_s);
        host.fileAnswers << file;
        commands.SaveAs();

        commands.New();
        QVERIFY(options.values() == OptionValues::defaults(u"/prog"_s));
        QCOMPARE(list.count(), 0);
        QCOMPARE(options.projectFile(), file);

        host.fileAnswers << file;
        QVERIFY(commands.Open());
        QCOMPARE(options.text(TextField::txtEnd), u"7"_s);
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.entry(1).size, u"4"_s);

        // A cancelled second Open keeps the project loaded but forgets its name.
        QVERIFY(!commands.Open());
        QCOMPARE(list.count(), 1);
        QCOMPARE(options.projectFile(), QString());

        // New, then Save into the opened file: defaults and an empty list.
        host.fileAnswers << file;
        QVERIFY(commands.Open());
        commands.New();
        commands.Save();
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
        const QString file = at(u"old.vtp"_s);
        test::writeFile(file, bytes);
        OptionSet options;
        options.setText(TextField::txtStart, u"9"_s);
        FileList list;
        list.Append(at(u"x.htm"_s));
        test::RecordingHost host;
        host.fileAnswers << file;
        ProjectCommands commands(options, list, host);
        QVERIFY(!commands.Open());
        QCOMPARE(host.messages.size(), 1);
        if (!prompt.isEmpty())
            QCOMPARE(host.messages[0].prompt, prompt);
        else
            QVERIFY(host.messages[0].prompt.contains(file));
        QCOMPARE(host.messages[0].title, u"Fehler"_s);
        QCOMPARE(host.messages[0].icon, Host::Icon::Critical);
        QCOMPARE(list.count(), 0);
        QCOMPARE(options.text(TextField::txtStart), u"9"_s);
        QCOMPARE(options.projectFile(), file);
    }

    void saveFailureShowsNoSavedMessage() {
        OptionSet options;
        FileList list;
        test::RecordingHost host;
        ProjectCommands commands(options, list, host);
        const QString file = at(u"missing/p.vtp"_s);
        host.fileAnswers << file;
        commands.SaveAs();
        QCOMPARE(host.messages.size(), 1);
        QCOMPARE(host.messages[0].title, u"Fehler"_s);
        QVERIFY(host.messages[0].prompt.contains(file));
        QVERIFY(!host.messages[0].prompt.contains(u"gespeichert!"_s));
    }
};

QTEST_GUILESS_MAIN(TestProjectCommands)
#include "tst_projectcommands.moc"
