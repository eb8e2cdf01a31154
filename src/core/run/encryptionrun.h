#pragma once

#include "encoding/bytebuffer.h"

#include <QString>

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

    // Where the page of this source goes; empty when no output choice is set.
    QString OutputPath(const QString& source) const;

private:
    OptionSet& options_;
    FileList& list_;
    Host& host_;
    Random& random_;
    bool stopped_ = false;
};

} // namespace veltrano
