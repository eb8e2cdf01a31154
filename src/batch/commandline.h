#pragma once

#include "options/optionset.h"
#include "result.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace veltrano {

// What the command line asks for, checked for form but not yet against the disk.
struct BatchRequest {
    bool help = false;
    bool version = false;
    QStringList paths; // pages and folders, in the order given
    QString project;   // -p, or a lone project argument
    QString output;    // -o: folder output
    bool overwrite = false;
    QString backupDir;
    QString saveProject;
    QString report;
    bool dryRun = false;
    bool sync = false; // pages in the output folder are flushed to disk too
    bool quiet = false;
    int jobs = 0; // 0: one per core
    bool modern = false;
    bool pagesOnly = false; // --pages-only: the other files of the site are not copied
    QString site;           // --site: the folder a project's pages keep their paths below

    // The option fields the flags set, applied over the defaults or the project's options.
    std::vector<std::pair<CheckField, CheckState>> checks;
    std::vector<std::pair<TextField, QString>> texts;

    void applyTo(OptionSet& options) const;
};

// Parses the arguments after the program name; a wrong command line yields a one-line message
// that names the argument.
Result<BatchRequest, QString> parseCommandLine(const QStringList& args);

// The help text, German and English.
QString batchHelp();

} // namespace veltrano
