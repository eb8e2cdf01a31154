#pragma once

#include "host.h"
#include "pagesteps.h"
#include "runsummary.h"

#include <QList>
#include <QString>

#include <atomic>
#include <functional>

namespace veltrano {

class OptionSet;
class Random;

// One page of a planned run: where it comes from, where it goes and where its backup goes.
struct PlannedPage {
    QString source;
    QString output; // the source itself when overwriting
    QString backup; // empty: no backup
};

// What became of one page, for messages and reports.
struct PageOutcome {
    bool converted = false; // the output was written
    bool fatal = false;     // the source was missing: the run stopped here
    qint64 inputBytes = 0;
    qint64 outputBytes = 0;
    qint64 milliseconds = 0;
    QString encoding; // the page's encoding, when the run was asked for encodings
    QList<PageMessage> messages;
    QString notice; // a guard passed the page over: why, in a few words
};

// The run over a planned list with several threads, writing the bytes of a one-thread run over
// the same list; messages go to the host in list order, from the calling thread.
class ParallelRun {
public:
    enum class Outcome { Completed, CompletedWithErrors, Stopped, Interrupted };

    // The options are read, not changed, by every thread: nobody may change them meanwhile.
    ParallelRun(const OptionSet& options, Host& host, Random& random, int jobs);

    // Called on the calling thread before the first page: the bytes of the pages the run reaches.
    std::function<void(qint64 inputBytes)> sized;
    // Called on the calling thread after each page in list order: pages done, bytes read.
    std::function<void(int done, qint64 inputBytes)> progress;
    // Whether the run ends with the completion message.
    bool completionMessage = true;
    // Pages written into an output folder are flushed to disk with their folder too; pages
    // written over their sources always are.
    bool sync = false;
    // Each page's outcome names the encoding a browser finds for it (for reports); finding it
    // costs a look at every byte of a page read in the host code page.
    bool encodings = false;
    // Set from outside (Ctrl-C): no further page is started, the pages under way are finished,
    // and the run ends with its last messages. Without it a run cannot be ended early.
    const std::atomic<bool>* interrupt = nullptr;
    // Failures the caller met before the run (files copied beside the pages), counted in its
    // last message.
    int earlierFailures = 0;

    // Converts the pages; outcomes receives one entry per page that was reached, in list order.
    // A missing or empty source stops the run there, as in the window, with the pages before
    // it written and none after it touched. The plan keeps every output apart; the leftovers of
    // ended runs in the folders it writes into are removed before the first page.
    Outcome run(const QList<PlannedPage>& pages, QList<PageOutcome>* outcomes = nullptr);
    // What became of the pages of the last run.
    const RunTally& tally() const { return tally_; }

private:
    const OptionSet& options_;
    Host& host_;
    Random& random_;
    int jobs_;
    RunTally tally_;
};

} // namespace veltrano
