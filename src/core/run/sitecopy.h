#pragma once

#include "io/pagewrite.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace veltrano {

class Host;

// The files of a site that are no pages of the run (stylesheets, pictures, scripts, fonts,
// downloads, ".htaccess"), copied beside the converted pages so the output folder can be put on
// the server as it is.
struct OtherFile {
    QString source;
    QString target;
    qint64 size = 0;
};

struct OtherFiles {
    QList<OtherFile> files;
    qint64 bytes = 0;
};

// Every file below siteFolder, in a fixed order (names sorted, a folder's files before its
// sub-folders), placed at the same relative path below outputFolder. Passed over: the pages of
// the run (pageKeys: fileKey of each) and their ".bak" copies, which hold the source the run
// protects; the folders of version control (.git, .svn, .hg); the output folder when it lies
// inside; the new files of runs at work; anything that is no plain file. Linked folders are
// followed once. When the output folder is the site folder itself nothing is listed: every file
// is in its place already. host, when given, is pumped at every folder.
OtherFiles findOtherFiles(const QString& siteFolder, const QString& outputFolder,
                          const QSet<QString>& pageKeys, Host* host = nullptr);

// Copies the files one after another as the host's blocking work (copyFileExact), creating
// their folders, and calls done after each with its index and its failure, if any. Many files
// may fail, so it returns every failure in order; empty when all were copied.
QList<FileError>
copyOtherFiles(const QList<OtherFile>& files, Host& host, bool sync = false,
               const std::function<void(qsizetype, const std::optional<FileError>&)>& done = {});

// "12 Dateien, 3,4 MB": a count of files and bytes as the window and the batch tool say it.
QString describeOtherFiles(qsizetype files, qint64 bytes);

} // namespace veltrano
