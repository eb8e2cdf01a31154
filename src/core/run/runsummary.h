#pragma once

#include "host.h"

#include <QString>
#include <QStringList>

namespace veltrano {

struct PageMessage;

// What a run did with its pages, counted as it goes, for the messages at its end.
struct RunTally {
    int converted = 0;   // pages written
    int skipped = 0;     // pages a guard passed over
    int failed = 0;      // pages that ended in an error message
    QStringList notices; // with "Moderne Seiten": the guards' notices, shown together at the end
    QString stop;        // why the run stopped: a source was missing or empty
    bool interrupted = false; // the user ended the run before its last page

    bool stopped() const { return !stop.isEmpty(); }
};

// Why a source cannot be converted at all: it is missing, or empty (which modern pages tell
// apart).
QString missingSourcePrompt(const QString& source, bool modern);
// The message that stops a run.
PageMessage fatalMessage(const QString& prompt);

// The counts as words: "3 Seiten verschlüsselt, 1 übersprungen, 2 Fehler" (the last two only
// where there were any).
QString tallyText(const RunTally& tally);

// The messages at the end of a run, the same in the window and in the batch tool: the missing
// source when the run stopped, otherwise, when completionMessage is set, the completion message.
// Without "Moderne Seiten" these are the messages the program has always shown. With the mode,
// the guards' notices come first, in one box with a list, and the last message says what
// happened: the counts, "erfolgreich" only when nothing failed, also after a stop or an
// interruption.
void finishRun(Host& host, const RunTally& tally, bool modern, bool completionMessage = true);

} // namespace veltrano
