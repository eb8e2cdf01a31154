#include "filelist/filelist.h"
#include "filelist/folderscan.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

// The matches of one pass in the order a depth-first walk in listing order meets them, with
// the listing order taken from the platform independently of the scan.
void expectedWalk(const QString& folder, const QString& suffix, QStringList& out) {
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue; // the only link here loops back to an ancestor
        if (info.isDir())
            expectedWalk(info.filePath(), suffix, out);
        else if (info.suffix().compare(suffix, Qt::CaseInsensitive) == 0)
            out << info.filePath();
    }
}

QStringList paths(const FileList& list) {
    QStringList p;
    for (int i = 0; i < list.count(); ++i)
        p << list.path(i);
    return p;
}

} // namespace

class TestFolderScan : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString root_;

private slots:
    void initTestCase() {
        root_ = dir_.filePath(u"site"_s);
        for (const QString& name :
             {u"index.htm"_s, u"index.html"_s, u"index.shtml"_s, u"INDEX2.HTM"_s, u"Mixed.Htm"_s,
              u"xhtml"_s, u"page.htm.bak"_s, u"notes.txt"_s, u"a/one.htm"_s, u"a/two.html"_s,
              u"a/deep/three.htm"_s, u"a/deep/four.SHTML"_s, u".hidden/secret.htm"_s,
              u"b/.quiet.html"_s, u"b/c/d/e/far.htm"_s, u"empty/.keep"_s})
            test::writeFile(root_ + u'/' + name, "x");
        QVERIFY(QFile::link(root_ + u"/b"_s, root_ + u"/b/c/loop"_s));
    }

    void passesInOrder() {
        FileList list;
        test::RecordingHost host;
        ScanFolder([this] { return root_; }, list, host);
        QStringList expected;
        expectedWalk(root_, u"htm"_s, expected);
        expectedWalk(root_, u"html"_s, expected);
        expectedWalk(root_, u"shtml"_s, expected);
        // The loop back to the start folder is not entered again, so every page once; twelve
        // pages, so no "xhtml" or ".bak" among them.
        QCOMPARE(paths(list), expected);
        QCOMPARE(list.count(), 12);
        QVERIFY(expected.contains(root_ + u"/.hidden/secret.htm"_s));
        QVERIFY(expected.contains(root_ + u"/INDEX2.HTM"_s));
        QVERIFY(expected.contains(root_ + u"/Mixed.Htm"_s));
        // A yield at every folder and entry.
        QVERIFY(host.pumps >= 3 * 20);
    }

    void findFiles() {
        test::RecordingHost host;
        const QStringList r = FindFiles(root_ + u"/a/"_s, u" *.HTML "_s, host);
        QCOMPARE(r, QStringList({root_ + u"/a/two.html"_s}));
        for (const QString& empty : {u"/empty"_s, u"/nowhere"_s})
            QCOMPARE(FindFiles(root_ + empty, u"*.htm"_s, host), QStringList());
    }

    // The start folder is asked for at every pass.
    void startFolderReadPerPass() {
        FileList list;
        test::RecordingHost host;
        int pass = 0;
        ScanFolder([&] { return ++pass == 1 ? root_ + u"/empty"_s : root_ + u"/a/deep"_s; }, list,
                   host);
        QCOMPARE(paths(list), QStringList({root_ + u"/a/deep/four.SHTML"_s}));
    }
};

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_folderscan.moc"
