#pragma once

#include "encoding/bytebuffer.h"
#include "encoding/encodepage.h"
#include "pagewrite.h"

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

// Why a page was not converted, as a value. The steps of a page return it; the run alone turns
// it into messages for the user.
struct PageError {
    enum class Kind {
        Refused, // the page is passed over: text is the whole message
        Files,   // file steps failed or would do harm: each shown with the output folder
        Fatal,   // the source is missing or empty: text is the message, the run stops
    };
    Kind kind = Kind::Refused;
    QString text;
    QList<FileError> files;

    static PageError refused(const QString& text) { return {Kind::Refused, text, {}}; }
    static PageError fatal(const QString& text) { return {Kind::Fatal, text, {}}; }
    static PageError file(const FileError& error) { return {Kind::Files, {}, {error}}; }
    static PageError fileSteps(const QList<FileError>& errors) { return {Kind::Files, {}, errors}; }
};

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

    // The most blank lines a page may ask for at its start or at its end.
    static constexpr qint64 kMaxBlankLines = 50'000'000;

private:
    enum class PageResult { Done, Failed, Fatal };

    // One page on its way through the steps of convert.
    struct PageJob {
        QString source;
        QByteArray header;     // built from the options as they were when the page was read
        QString plannedOutput; // the output path as planned before the page was encoded
        NewFile file;          // the new file beside plannedOutput that holds the page
        bool streamed = false; // false: the page is held whole in page_
    };

    // The steps of one page, in their order; each returns why the page stops there.
    PageResult convert(const QString& source);
    std::optional<PageError> readPage(PageJob& job);
    std::optional<PageError> encodeInto(PageJob& job);
    std::optional<PageError> guardOutput(const PageJob& job, const QString& output) const;
    void backUp(const PageJob& job);
    std::optional<PageError> commit(PageJob& job, const QString& output);
    // The one place where a page's error reaches the user.
    PageResult report(const PageError& error);

    QString outputPath(const QString& source) const;
    std::optional<PageError> blankLinesFit(qint64 count, const QString& source) const;
    bool namesListedPage(const QString& output) const;

    OptionSet& options_;
    FileList& list_;
    Host& host_;
    Random& random_;
    PageEncoder encoder_;
    ByteBuffer page_;       // the converted page, reused from page to page
    ByteBuffer backupFile_; // the source as read for its backup
    ByteBuffer backupText_; // the backup's lines
    QSet<QString> overwritten_;
    QString siteFolder_; // the deepest folder of every listed page, when the run started
    bool stopped_ = false;
};

} // namespace veltrano
