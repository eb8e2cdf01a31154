#include "filelist/filelist.h"
#include "options/optionset.h"
#include "project/projectfile.h"
#include "support/testfiles.h"

#include <QFile>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

QByteArray defaultHead(const QByteArray& path) {
    return "3.0.0\r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n 1 "
           "\r\nWahr\r\nFalsch\r\n"
           " 1 \r\n200\r\n200\r\nError 404, file not found!\r\nDiese Webseite ben\xf6tigt "
           "Javaskript um korrekt dargestellt werden zu k\xf6nnen.\r\n" +
           path + "\r\n";
}

} // namespace

class TestProjectFile : public QObject {
    Q_OBJECT

    test::TestFolder dir_;
    QString at(const QString& name) const { return dir_.at(name); }

private slots:
    void emptyListHasEighteenLines() {
        OptionSet options(u"/prog"_s);
        FileList list;
        QCOMPARE(WriteProject(at(u"e.vtp"_s), options, list), QString());
        QCOMPARE(test::readFile(at(u"e.vtp"_s)), defaultHead("/prog/html"));
    }

    void roundTrip() {
        const QString a = at(u"web/a.htm"_s);
        const QString b = at(u"web/b b.htm"_s);
        test::writeFile(a, "abc");
        test::writeFile(b, "");
        OptionSet options;
        options.setCheck(CheckField::chkNativ, 0);
        options.setCheck(CheckField::chkSeo, 2);
        options.setCheck(CheckField::chkBkup, 0);
        options.setOverwrite(true);
        options.setText(TextField::txtStart, u"  12 "_s);
        options.setText(TextField::txtEnd, QString());
        options.setText(TextField::txt404, u" Seite fehlt – €uro "_s);
        options.setText(TextField::txtPath, u"/srv/out/"_s);
        FileList list;
        list.AppendAll({a, at(u"web/gone.htm"_s)});
        list.RemoveCurrent();
        list.AppendAll({b, a});
        QCOMPARE(WriteProject(at(u"p.vtp"_s), options, list), QString());

        test::writeFile(a, "abcdef"); // sizes are measured again when read
        OptionSet back;
        FileList backList;
        const ProjectReadResult r = ReadProject(at(u"p.vtp"_s), back, backList);
        QCOMPARE(r.status, ProjectReadResult::Status::Ok);
        QVERIFY(back.values() == options.values());
        QStringList paths, sizes;
        for (int i = 0; i < backList.count(); ++i) {
            paths << backList.path(i);
            sizes << backList.entry(i).size;
        }
        QCOMPARE(paths, QStringList({a, b, a}));
        QCOMPARE(sizes, QStringList({u"6"_s, u"0"_s, u"6"_s}));
        const QByteArray bytes = test::readFile(at(u"p.vtp"_s));
        QVERIFY(bytes.contains(
            "\r\n 2 \r\nFalsch\r\nWahr\r\n 0 \r\n  12 \r\n\r\n Seite fehlt \x96 \x80uro \r\n"));
    }

    void optionPair_data() {
        QTest::addColumn<QByteArray>("line11");
        QTest::addColumn<QByteArray>("line12");
        QTest::addColumn<bool>("newFiles");
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("folder") << QByteArray("Wahr") << QByteArray("Falsch") << true << false;
        QTest::newRow("overwrite") << QByteArray("Falsch") << QByteArray("Wahr") << false << true;
        QTest::newRow("both on") << QByteArray("Wahr") << QByteArray("Wahr") << false << true;
        QTest::newRow("both off") << QByteArray("Falsch") << QByteArray("Falsch") << false << false;
        QTest::newRow("numbers") << QByteArray(" -1 ") << QByteArray("0") << true << false;
    }
    void optionPair() {
        QFETCH(QByteArray, line11);
        QFETCH(QByteArray, line12);
        QFETCH(bool, newFiles);
        QFETCH(bool, overwrite);
        QByteArray bytes = defaultHead("out");
        bytes.replace("Wahr\r\nFalsch\r\n", line11 + "\r\n" + line12 + "\r\n");
        bytes.replace("\r\n 1 \r\n 1 \r\n", "\r\n2\r\n 1 \r\n"); // a dimmed box
        test::writeFile(at(u"pair.vtp"_s), bytes);
        OptionSet options;
        options.setOverwrite(true);
        FileList list;
        QCOMPARE(ReadProject(at(u"pair.vtp"_s), options, list).status,
                 ProjectReadResult::Status::Ok);
        QCOMPARE(options.newFiles(), newFiles);
        QCOMPARE(options.overwrite(), overwrite);
        QCOMPARE(options.check(CheckField::chkNativ), CheckState(2));
        QCOMPARE(list.count(), 0);
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("named");
        const QByteArray good = defaultHead("out");
        const int damaged = static_cast<int>(ProjectReadResult::Status::Damaged);
        QTest::newRow("other version")
            << QByteArray(good).replace("3.0.0", "2.0.0")
            << static_cast<int>(ProjectReadResult::Status::VersionMismatch) << u"2.0.0"_s;
        QTest::newRow("version with blank")
            << QByteArray(good).replace("3.0.0", "3.0.0 ")
            << static_cast<int>(ProjectReadResult::Status::VersionMismatch) << u"3.0.0 "_s;
        QTest::newRow("no version line")
            << QByteArray() << static_cast<int>(ProjectReadResult::Status::VersionMismatch)
            << u"/some/page.htm"_s;
        QTest::newRow("ends early") << good.left(good.indexOf("200")) << damaged << u"14"_s;
        QTest::newRow("number is text")
            << QByteArray(good).replace(" 1 \r\nWahr", "ja\r\nWahr") << damaged << u"10"_s;
        QTest::newRow("number out of range")
            << QByteArray(good).replace("Falsch\r\n 1 ", "Falsch\r\n 3 ") << damaged << u"13"_s;
        QTest::newRow("word is neither")
            << QByteArray(good).replace("Wahr", "vielleicht") << damaged << u"11"_s;
        QTest::newRow("empty file") << QByteArray() << damaged << QString();
        QTest::newRow("missing file") << QByteArray() << damaged << QString();
    }
    void refused() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        QFETCH(QString, named);
        // Bad bytes are followed by a page line; an empty file is empty, a missing one absent.
        const QByteArray tag = QTest::currentDataTag();
        const QString file = at(QString::fromLatin1(tag) + u".vtp"_s);
        if (tag == "empty file")
            test::writeFile(file, {});
        else if (!named.isEmpty())
            test::writeFile(file, bytes + "/some/page.htm\r\n");
        OptionSet options;
        options.setText(TextField::txt404, u"kept"_s);
        const OptionValues before = options.values();
        FileList list;
        const ProjectReadResult r = ReadProject(file, options, list);
        QCOMPARE(static_cast<int>(r.status), status);
        QVERIFY(options.values() == before);
        QCOMPARE(list.count(), 0);
        if (r.status == ProjectReadResult::Status::VersionMismatch) {
            QCOMPARE(r.versionLine, named);
        } else {
            QVERIFY2(r.message.contains(file), qPrintable(r.message));
            QVERIFY2(named.isEmpty() || r.message.contains(u"Zeile "_s + named),
                     qPrintable(r.message));
        }
    }

    void userTextOutsideCodePageBecomesQuestionMark() {
        OptionSet options(u"/prog"_s);
        options.setText(TextField::txt404, u"Fehler 日本 ✓ ü"_s);
        QCOMPARE(WriteProject(at(u"q.vtp"_s), options, FileList()), QString());
        QVERIFY(test::readFile(at(u"q.vtp"_s)).contains("\r\nFehler ?? ? \xfc\r\n"));
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
        const QString file = at(fileName);
        test::writeFile(at(u"u.vtp"_s), "old project");
        OptionSet options;
        FileList list;
        list.Append(path);
        const QString error = WriteProject(file, options, list);
        QVERIFY(!error.isEmpty());
        QVERIFY(error.contains(file));
        QCOMPARE(test::readFile(at(u"u.vtp"_s)), QByteArray("old project"));
    }
};

QTEST_GUILESS_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
