#pragma once

#include <QStringList>

class QTextStream;

namespace veltrano {

// Exit status of the batch tool.
enum BatchExit {
    kExitDone = 0,           // the run completed without an error message
    kExitDoneWithErrors = 1, // the run completed after error messages
    kExitStopped = 2,        // a page was missing or empty: the run stopped
    kExitProjectUnread = 3,  // the project is of another version, damaged or unreadable
    kExitUsage = 64,         // wrong usage
    kExitInterrupted = 130,  // Ctrl-C ended a run with "Moderne Seiten" after its pages under way
};

// veltrano-batch: converts pages and folders given on the command line, or the pages of a
// project, with the options of the flags over the defaults or the project's. args are the
// arguments after the program name. Messages and, when progressBar is set, a progress bar go
// to err; the help text, the version and the plan of a dry run go to out.
int runBatch(const QStringList& args, QTextStream& out, QTextStream& err, bool progressBar = false);

QString batchHelp();

// Ctrl-C: while a run with "Moderne Seiten" is going on, it is told to end after the pages under
// way, with its report and its last line; returns false when there is no such run, or on a
// second Ctrl-C, and the caller then ends the tool at once.
bool interruptRun();

} // namespace veltrano
