#pragma once

#include "encoding/bytebuffer.h"
#include "encoding/encodepage.h"

#include <QSet>
#include <QString>

namespace veltrano {

class FileList;
class Host;
class OptionSet;
class Random;
struct FileError;

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

    // The most blank lines a page may ask for at its start or at its end.
    static constexpr qint64 kMaxBlankLines = 50'000'000;

private:
    enum class PageResult { Done, Failed, Fatal };
    PageResult convert(const QString& source);
    bool namesListedPage(const QString& output) const;
    bool blankLinesFit(qint64 count, const QString& source);
    void writeError(const FileError& error);

    OptionSet& options_;
    FileList& list_;
    Host& host_;
    Random& random_;
    PageEncoder encoder_;
    ByteBuffer page_;       // the converted page, reused from page to page
    ByteBuffer backupFile_; // the source as read for its backup
    ByteBuffer backupText_; // the backup's lines
    QSet<QString> overwritten_;
    bool stopped_ = false;
};

} // namespace veltrano
