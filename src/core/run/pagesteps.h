#pragma once

#include "host.h"
#include "io/pagesink.h"
#include "io/pagewrite.h"
#include "passes/encodepage.h"
#include "text/bytebuffer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace veltrano {

class OptionSet;
class Random;

// Why a page was not converted, as a value. The steps of a page return it; the driver of the
// run alone turns it into messages for the user.
struct PageError {
    enum class Kind {
        Refused, // the page is passed over: text is the whole message
        Files,   // file steps failed or would do harm: each shown with the output folder
        Fatal,   // the source is missing or empty: text is the message, the run stops
    };
    Kind kind = Kind::Refused;
    QString text;
    QList<FileError> files;
    // A guard passed the page over to keep it or another page from harm: no failure.
    bool notice = false;

    static PageError refused(const QString& text) { return {Kind::Refused, text, {}}; }
    static PageError fatal(const QString& text) { return {Kind::Fatal, text, {}}; }
    static PageError file(const FileError& error) { return {Kind::Files, {}, {error}}; }
    static PageError fileSteps(const QList<FileError>& errors) { return {Kind::Files, {}, errors}; }
    PageError asNotice() && {
        notice = true;
        return std::move(*this);
    }
    // The notice in a few words, for a list of them.
    QString noticeText() const { return files.isEmpty() ? text : files.first().description; }
};

// One message box of a page error.
struct PageMessage {
    QString prompt;
    QString title;
    Host::Icon icon = Host::Icon::Information;
};

// The messages that show a page error; outputFolder is the text of txtPath at that moment.
QList<PageMessage> messagesFor(const PageError& error, const QString& outputFolder);

// What a run remembers across its pages about the files it writes. The run that owns it
// clears it when it starts.
struct RunFiles {
    QSet<QString> swept;             // folders already cleared of leftovers in this run
    QHash<QString, QString> written; // output written in this run -> the source it came from

    void clear() {
        swept.clear();
        written.clear();
    }
    // Before the run first writes into a folder, the leftovers of ended runs there go.
    void sweepFolderOf(const QString& path);
};

// The steps of one page that do not depend on where the list lives: the window's run and the
// batch tool's parallel run take every page through them. An object holds the working buffers
// of its pages and is used by one thread.
class PageSteps {
public:
    // One page on its way through the steps.
    struct Job {
        QString source;
        QByteArray header;        // built from the options as they were when the page was read
        QString plannedOutput;    // the output path as planned before the page was encoded
        NewFile file;             // the new file beside plannedOutput that holds the page
        bool streamed = false;    // false: the page is held whole in the page buffer
        bool sync = false;        // the page and its folder are flushed to disk before it counts
        bool written = true;      // the streamed page's last bytes reached its file, now closed
        bool exactBackup = false; // the backup holds the source's bytes (modern pages)
        // Set before readPage to learn the encoding a browser finds for the page file.
        std::optional<QByteArray> encoding;
        QString backupPath; // where the backup written beside the conversion is meant to go
        NewFile backup;     // that backup, complete, until it is put in place
        QList<FileError> backupErrors; // why it could not be written

        // A job whose last bytes are still being written by the host's worker waits for them
        // before it goes, since that work uses its file.
        struct WriteOut {
            Host* host = nullptr; // set while the write-out may still be going on
            WriteOut() = default;
            WriteOut(const WriteOut&) = delete;
            WriteOut& operator=(const WriteOut&) = delete;
            ~WriteOut() {
                if (host)
                    host->awaitBlocking();
            }
        } writeOut; // the last member, so it waits before the others go
    };

    // The most blank lines a page may ask for at its start or at its end.
    static constexpr qint64 kMaxBlankLines = 50'000'000;

    PageSteps(Random& random, Host& host) : host_(host), encoder_(random, host) {}

    // Where the folders swept and the outputs written are remembered; without it the caller
    // sweeps the folders and keeps outputs apart before the run.
    void setRunFiles(RunFiles* files) { files_ = files; }

    // The header for the options of this moment, then the page text, read whole; the page
    // file is closed again before any output is made. A name starting with "." and, when
    // overwriting, a page converted before are refused.
    std::optional<PageError> readPage(Job& job, const OptionSet& options);
    // After readPage: the source's backup is written beside backupPath as the host's started
    // work, while the page is converted. commit puts it in place when the backup it is given
    // then is the same; otherwise it goes with the job.
    void prepareBackup(Job& job, const QString& backupPath);
    // After readPage: the native pass, and the number of draws the encoding will take.
    qint64 countDraws(const OptionSet& options) { return encoder_.PrepareReadPage(options); }
    // The page goes straight into a new file beside the planned output, so a large page is
    // never held whole; without a plan, or where no new file can be made, it is held in memory.
    // Replacing sources always flushes the page and its folder to disk; with sync set, pages
    // written into the output folder are flushed too. The last bytes of a streamed page are
    // written and flushed as the host's started work, so the run can read the output path again
    // meanwhile; commit, or writtenOut, waits for them.
    std::optional<PageError> encodeInto(Job& job, const OptionSet& options, bool sync = false);
    // Waits for the page's write-out; why it failed, if it did.
    std::optional<PageError> writtenOut(Job& job);
    // The page replaces the output: the new file is renamed over it when the output is still
    // the planned one; otherwise the page is written anew, from memory, with the same step.
    // Given a backupPath, the source's lines go there first, flushed to disk, in the same
    // blocking work. The backup is the condition for replacing the source: its failure stops
    // the page. A failed write-out of the page stops it first.
    std::optional<PageError> commit(Job& job, const QString& output,
                                    const QString& backupPath = QString());

    static std::optional<PageError> blankLinesFit(qint64 count, const QString& source);

private:
    std::optional<PageError> writeOutError(const Job& job) const;

    Host& host_;
    PageEncoder encoder_;
    ByteBuffer page_;              // the converted page, reused from page to page
    std::optional<PageSink> sink_; // where the page of the job in hand goes
    ByteBuffer backupFile_;        // the source as read for its backup
    ByteBuffer backupText_;        // the backup's lines
    NullHost quiet_; // for work on the host's worker thread, which never calls the host
    RunFiles* files_ = nullptr;
};

} // namespace veltrano
