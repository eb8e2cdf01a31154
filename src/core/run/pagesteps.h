#pragma once

#include "host.h"
#include "io/pagesink.h"
#include "io/pagewrite.h"
#include "passes/encodepage.h"
#include "startedwork.h"
#include "text/bytebuffer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace veltrano {

class OptionSet;
class Random;

// Why a page was not converted, as a value. The steps of a page return it; the driver of the
// run alone turns it into messages for the user.
struct PageError {
    enum class Kind {
        Refused, // the page is passed over: text is the whole message
        Files,   // a file step failed or would do harm: shown with the output folder
        Fatal,   // the source is missing or empty: text is the message, the run stops
    };
    Kind kind = Kind::Refused;
    QString text;
    FileError file;                  // Files: the step that failed
    std::optional<FileError> backup; // Files: the backup made beside the page failed as well
    // A guard passed the page over to keep it or another page from harm: no failure.
    bool notice = false;

    static PageError refused(const QString& text) { return {Kind::Refused, text, {}, {}}; }
    static PageError fatal(const QString& text) { return {Kind::Fatal, text, {}, {}}; }
    static PageError files(const FileError& error, std::optional<FileError> backup = {}) {
        return {Kind::Files, {}, error, std::move(backup)};
    }
    PageError asNotice() && {
        notice = true;
        return std::move(*this);
    }
    // The notice in a few words, for a list of them.
    QString noticeText() const { return kind == Kind::Files ? file.description : text; }
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
    QSet<QString> named;             // their names as the paths gave them, up to the last "/"
    QHash<QString, QString> written; // output written in this run -> the source it came from

    void clear() {
        swept.clear();
        named.clear();
        written.clear();
    }
    // Before the run first writes into a folder, the leftovers of ended runs there go.
    void sweepFolderOf(const QString& path);
    // The folder of path when the run has not swept it yet, which then counts as swept: the
    // caller removes its leftovers before it writes there. Empty when it was swept before.
    QString unsweptFolderOf(const QString& path);
};

// A page streamed into the new file beside its planned output: what its write-out owns.
struct PageOut {
    QString path;            // the planned output
    bool sync = false;       // the new file is flushed to disk when it is complete
    bool makeFolder = false; // the output's folder is made first (modern pages)
    QString sweep;           // a folder whose leftovers go first; empty for none
    bool opened = false;     // the new file was made
    NewFile file;
    ByteBuffer block;               // the bytes not yet written
    std::optional<PageSink> sink;   // streams block into file
    std::optional<FileError> error; // why the page did not reach its file

    // Makes the new file beside path, after the folder and the sweep asked for.
    static void open(PageOut& out);
    // Writes the last bytes and closes the file, flushed to disk when it was made so.
    static void finish(PageOut& out);
};

// A source's backup written beside its final path, and flushed to disk, while the page is
// converted.
struct PreparedBackup {
    QString source;
    QString path;
    QString sweep;      // a folder whose leftovers go first; empty for none
    bool exact = false; // the source's bytes as they are, not its lines
    ByteBuffer fileBytes;
    ByteBuffer lines;
    NewFile file;
    std::optional<FileError> error; // why it could not be written

    static void write(PreparedBackup& backup);
};

// The steps of one page that do not depend on where the list lives: the window's run and the
// batch tool's parallel run take every page through them. An object holds the working buffers
// of its pages and is used by one thread.
class PageSteps {
public:
    // One page on its way through the steps.
    struct Job {
        QString source;
        // Built from the options as they were when the page was read, unless given before.
        QByteArray header;
        QString plannedOutput;    // the output path as planned before the page was encoded
        bool streamed = false;    // false: the page is held whole in the page buffer
        bool sync = false;        // the page and its folder are flushed to disk before it counts
        bool written = true;      // the streamed page's last bytes reached its file, now closed
        bool exactBackup = false; // the backup holds the source's bytes (modern pages)
        qint64 sourceBytes = 0;   // the source file's size when it was read
        qint64 outputBytes = 0;   // the bytes put in place, once committed
        // Set before readPage to learn the encoding a browser finds for the page file.
        std::optional<QByteArray> encoding;
        StartedWork<PageOut> out;           // the streamed page's write-out
        StartedWork<PreparedBackup> backup; // the backup written beside the conversion
    };

    PageSteps(Random& random, Host& host) : host_(host), encoder_(random, host) {}

    // Where the folders swept and the outputs written are remembered; without it the caller
    // sweeps the folders and keeps outputs apart before the run.
    void setRunFiles(RunFiles* files) { files_ = files; }

    // The header for the options of this moment, then the page text, read whole; the page
    // file is closed again before any output is made. A name starting with "." and, when
    // overwriting, a page converted before are refused.
    std::optional<PageError> readPage(Job& job, const OptionSet& options);
    // After readPage, with the planned output set: the new file for the page is made beside it
    // as started work (its folder swept first, when the run has not), so the run's thread does
    // no file step before it converts the page. encodeInto takes it, with the same options.
    void startOutput(Job& job, const OptionSet& options);
    // After readPage: the source's backup is written beside backupPath as started work, while
    // the page is converted; commit puts it in place when it is given the same path.
    void prepareBackup(Job& job, const QString& backupPath);
    // After readPage: the native pass, and the number of draws the encoding will take.
    qint64 countDraws(const OptionSet& options) { return encoder_.prepareReadPage(options); }
    // The page goes straight into a new file beside the planned output (the one startOutput
    // made, else one made now), its last bytes written out as started work; without a plan, or
    // where no new file can be made, it is held in memory. Pages over their sources, and with sync
    // all pages, reach the disk before they count.
    std::optional<PageError> encodeInto(Job& job, const OptionSet& options, bool sync = false);
    // Waits for the page's write-out; why it failed, if it did.
    std::optional<PageError> writtenOut(Job& job);
    // The page replaces the output, after its backup at backupPath when one is given (in one
    // piece of blocking work); a failed write-out or backup stops it.
    std::optional<PageError> commit(Job& job, const QString& output,
                                    const QString& backupPath = QString());

    static std::optional<PageError> blankLinesFit(qint64 count, const QString& source);

private:
    std::optional<FileError> replace(PageOut* out, const QString& output, bool planned, bool sync);
    // The state of a new file for the page's planned output, the folder to sweep noted.
    std::shared_ptr<PageOut> outputFor(const Job& job, const OptionSet& options);

    Host& host_;
    PageEncoder encoder_;
    ByteBuffer page_;                             // a page held in memory, reused page to page
    std::shared_ptr<PageOut> spareOut_;           // the last write-out's state, for reuse
    std::shared_ptr<PreparedBackup> spareBackup_; // the last backup's state, for reuse
    ByteBuffer backupFile_;                       // the source as read for a backup made late
    ByteBuffer backupText_;                       // its lines
    RunFiles* files_ = nullptr;
};

} // namespace veltrano
