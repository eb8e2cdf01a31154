#include "filelist/filelist.h"
#include "filelist/folderscan.h"
#include "support/recordinghost.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace veltrano;
using namespace Qt::StringLiterals;

namespace {

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

    // A pass for each of ".htm", ".html" and ".shtml", every name in any case, hidden ones too;
    // the loop back to the start folder is not entered again, so every page once. Within a pass
    // the pages come in the platform's listing order, so they are compared sorted.
    void passesInOrder() {
        FileList list;
        test::RecordingHost host;
        scanFolder([this] { return root_; }, list, host);
        QStringList got = paths(list).replaceInStrings(root_ + u'/', QString());
        QCOMPARE(got.size(), 12);
        for (const auto& [from, to] : {std::pair{0, 7}, {7, 10}, {10, 12}})
            std::sort(got.begin() + from, got.begin() + to);
        QCOMPARE(got, (QStringList{u".hidden/secret.htm"_s, u"INDEX2.HTM"_s, u"Mixed.Htm"_s,
                                   u"a/deep/three.htm"_s, u"a/one.htm"_s, u"b/c/d/e/far.htm"_s,
                                   u"index.htm"_s, u"a/two.html"_s, u"b/.quiet.html"_s,
                                   u"index.html"_s, u"a/deep/four.SHTML"_s, u"index.shtml"_s}));
        QVERIFY(host.pumps >= 3 * 20); // a yield at every folder and entry
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
        scanFolder([&] { return ++pass == 1 ? root_ + u"/empty"_s : root_ + u"/a/deep"_s; }, list,
                   host);
        QCOMPARE(paths(list), QStringList({root_ + u"/a/deep/four.SHTML"_s}));
    }
};

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_folderscan.moc"
