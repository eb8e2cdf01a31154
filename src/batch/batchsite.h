#pragma once

#include "batchplan.h"
#include "result.h"
#include "run/sitecopy.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace veltrano {

class OptionSet;

// A page that keeps its path below the site folder, as a page found in a folder argument keeps
// its path below that folder; a page outside the site folder keeps only its file name.
SourcePage keptPage(const QString& path, const QString& site);

// The other files of the site folders (every folder argument, and the site folder of a
// project's pages), placed below the output folder as the pages are. A file that would land on a
// page's output or on another copy is an error naming both, before anything is written.
Result<OtherFiles, QString> planOtherFiles(const QStringList& siteFolders,
                                           const QString& outputFolder,
                                           const QList<PlannedPage>& pages);

// What a project file cannot hold of this run, as the one line the batch tool prints when it
// saves one: the mode, kept sub-folders, copied files, and the flags that bring them back when
// the project is run. Empty when the project holds the whole run.
QString projectNote(const QString& projectFile, const OptionSet& options,
                    const QList<SourcePage>& pages, const QStringList& siteFolders, bool copies);

} // namespace veltrano
