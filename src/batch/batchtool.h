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
};

// veltrano-batch: converts the pages of a project with its options. args are the arguments
// after the program name. Messages and, when progressLine is set, a progress line go to err;
// the help text goes to out.
int runBatch(const QStringList& args, QTextStream& out, QTextStream& err,
             bool progressLine = false);

QString batchHelp();

} // namespace veltrano
