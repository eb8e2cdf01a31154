#pragma once

#include "pagesteps.h"
#include "runsummary.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace veltrano {

class FileList;
class Host;
class OptionSet;
class Random;

// The conversion of every live entry of the list, as "Beginnen" starts it. The run reads the
// live options and list at the step that needs them, so a change made while it yields affects
// the pages not yet converted.
class EncryptionRun {
public:
    enum class Outcome {
        Completed,           // every row done, no error message shown
        CompletedWithErrors, // every row done, after error messages
        Stopped,             // a source was missing or empty: the run stopped
    };

    EncryptionRun(OptionSet& options, FileList& list, Host& host, Random& random);

    Outcome RunEncryption();

    // After a stop no further run can be started in this process.
    bool stopped() const { return stopped_; }

private:
    enum class PageResult { Done, Skipped, Failed, Fatal };

    // The steps of one page, in their order (those that need the live list and options here,
    // the others in PageSteps); each returns why the page stops there.
    PageResult convert(const QString& source);
    std::optional<PageError> guardOutput(const PageSteps::Job& job, const QString& output) const;
    // Where the page's backup goes; empty for none.
    QString backupPath(const PageSteps::Job& job) const;
    // The one place where a page's error reaches the user: at once, or with "Moderne Seiten"
    // a guard's notice in the list shown at the end.
    PageResult report(const PageError& error);

    QString liveOutputPath(const QString& source) const;
    // The deepest folder of every live entry of the list.
    QString liveSiteFolder() const;
    // Overwriting converts a source once per run: true for a later entry of a source converted
    // in this run, which modern pages count among the notices.
    bool overwrittenBefore(const QString& source);
    bool namesListedPage(const QString& output) const;

    OptionSet& options_;
    FileList& list_;
    Host& host_;
    Random& random_;
    PageSteps steps_;
    QSet<QString> overwritten_;
    QString siteFolder_; // the deepest folder of every listed page, when the run started
    RunFiles files_;     // folders swept and outputs written in this run
    RunTally tally_;     // what became of the pages of this run
    bool stopped_ = false;
};

} // namespace veltrano
