#pragma once

#include "result.h"
#include "run/parallelrun.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace veltrano {

class OptionSet;

// A page to convert and the path it keeps below the output folder: its path below the folder
// argument it was found in, or its file name when it was named on its own.
struct SourcePage {
    QString path;
    QString relative;
    bool found = false; // found in a folder argument
};

// The pages of the arguments in order: a page as named, a folder searched recursively for the
// patterns of "+++", pattern after pattern. A path that is not there is an error naming it.
Result<QList<SourcePage>, QString> collectPages(const QStringList& paths);

// A named page (from a project or the command line) keeps only its file name.
SourcePage namedPage(const QString& path);

// Where every page goes and where its backup goes, from the output choice of the options:
// folder output keeps the pages' relative paths below txtPath; overwriting writes over the
// source, with the ".bak" copy beside it or below backupDir. A page listed twice for the same
// output is taken once; pages a folder argument found inside the output folder (the outputs of
// an earlier run) are left out. Two pages for one output, or an output that is a listed page, are
// an error naming both.
Result<QList<PlannedPage>, QString> planOutputs(const QList<SourcePage>& pages,
                                                const OptionSet& options, const QString& backupDir);

// The key two paths share when they name the same file, so plans compare files, not spellings.
QString pathKey(const QString& path);

// pathKey for the many paths of a plan: the key of each folder and the working folder are found
// once, so a path costs one look at its own name instead of one at every folder above it.
class PathKeys {
public:
    QString key(const QString& path);

private:
    QString workingFolder_;
    QHash<QString, QString> folders_; // a folder as written -> its key, empty when it has none
};

// Creates the folders the outputs and backups go into; the first one that could not be made.
std::optional<FileError> makeFolders(const QList<PlannedPage>& pages);

} // namespace veltrano
