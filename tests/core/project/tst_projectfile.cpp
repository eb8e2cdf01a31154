#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectfile.h"
#include "support/testfiles.h"

#include <QDir>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

// Each case in the data folder is a project file (absent for a missing file) and what reading
// it gives: the project as written back, or the refusal with "%1" for the file's path.
// --update rewrites the expectations that differ, and fails; review the diff.
class TestProjectFile : public QObject {
    Q_OBJECT

    test::TestFolder dir_;

private slots:
    void cases_data() {
        QTest::addColumn<QString>("base");
        QDir data(QString::fromUtf8(VELTRANO_PROJECT_CASES));
        QSet<QString> names;
        for (const QFileInfo& f : data.entryInfoList({u"*.vtp"_s, u"*.expect"_s}, QDir::Files))
            names.insert(f.completeBaseName());
        QVERIFY(names.size() > 10);
        for (const QString& n : names)
            QTest::newRow(qPrintable(n)) << data.filePath(n);
    }
    void cases() {
        QFETCH(QString, base);
        const QString file = base + u".vtp"_s;
        OptionSet options;
        options.setText(TextField::txt404, u"kept"_s);
        const OptionValues before = options.values();
        FileList list;
        const ProjectRead r = ReadProject(file, options, list);
        QByteArray got;
        if (r) {
            QVERIFY(!WriteProject(dir_.at(u"back.vtp"_s), options, list));
            got = test::readFile(dir_.at(u"back.vtp"_s));
        } else {
            QVERIFY(options.values() == before);
            QCOMPARE(list.count(), 0);
            got = (r.error().kind == ProjectError::Kind::VersionMismatch
                       ? u"version "_s + r.error().text
                       : QString(r.error().text).replace(file, u"%1"_s))
                      .toUtf8();
        }
        if (test::updating && got != test::readFile(base + u".expect"_s))
            test::writeFile(base + u".expect"_s, got);
        QCOMPARE(got, test::readFile(base + u".expect"_s));
    }

    void userTextOutsideCodePageBecomesQuestionMark() {
        OptionSet options(u"/prog"_s);
        options.setText(TextField::txt404, u"Fehler 日本 ✓ ü"_s);
        QVERIFY(!WriteProject(dir_.at(u"q.vtp"_s), options, FileList()));
        QVERIFY(test::readFile(dir_.at(u"q.vtp"_s)).contains("\r\nFehler ?? ? \xfc\r\n"));
    }

    void unwritable_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("path outside the code page") << u"/web/日本.htm"_s << u"u.vtp"_s;
        QTest::newRow("folder that does not exist") << u"/web/a.htm"_s << u"none/u.vtp"_s;
    }
    void unwritable() {
        QFETCH(QString, path);
        QFETCH(QString, fileName);
        test::writeFile(dir_.at(u"u.vtp"_s), "old project");
        OptionSet options;
        FileList list;
        list.Append(path);
        const auto error = WriteProject(dir_.at(fileName), options, list);
        QVERIFY(error && error->description.contains(dir_.at(fileName)));
        QCOMPARE(test::readFile(dir_.at(u"u.vtp"_s)), QByteArray("old project"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TestProjectFile cases;
    return test::runCases(cases, argc, argv);
}
#include "tst_projectfile.moc"
