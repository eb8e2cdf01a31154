#include "pagesteps.h"

#include "io/pagesink.h"
#include "options/optionset.h"
#include "passes/pageheader.h"
#include "runsummary.h"
#include "text/pagesource.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace veltrano {

namespace {

const QString kError = QStringLiteral("Fehler");

// The most blank lines a page may ask for at its start or at its end.
constexpr qint64 kMaxBlankLines = 50'000'000;

// What every converted page carries: the marker of the script form, or the opening lines of the
// protection script in the plain form. The search goes a megabyte at a time, with a pump between.
bool isConvertedPage(QByteArrayView bytes, Host& host) {
    constexpr QByteArrayView kMarks[] = {
        "<!--crippled with Veltrano-->",
        "<!--\r\nfunction closemenu(){\r\n  return false\r\n}\r\n",
    };
    constexpr qsizetype kPiece = 1 << 20;
    for (qsizetype from = 0; from < bytes.size(); from += kPiece) {
        for (const QByteArrayView mark : kMarks) {
            // A mark that starts in this piece may end in the next one.
            const qsizetype length = qMin(bytes.size() - from, kPiece + mark.size() - 1);
            if (bytes.sliced(from, length).contains(mark))
                return true;
        }
        host.pump();
    }
    return false;
}

} // namespace

QString RunFiles::unsweptFolderOf(const QString& path) {
    // A folder named as before is passed over without asking the file system where it is.
    const QString name = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (named.contains(name))
        return {};
    named.insert(name);
    const QString folder = QFileInfo(path).absolutePath();
    if (swept.contains(folder))
        return {};
    swept.insert(folder);
    return folder;
}

void RunFiles::sweepFolderOf(const QString& path) {
    if (const QString folder = unsweptFolderOf(path); !folder.isEmpty())
        removeLeftovers(folder);
}

QList<PageMessage> messagesFor(const PageError& error, const QString& outputFolder) {
    switch (error.kind) {
    case PageError::Kind::Fatal:
        return {fatalMessage(error.text)};
    case PageError::Kind::Refused:
        return {{error.text, kError, Host::Icon::Critical}};
    case PageError::Kind::Files:
        break;
    }
    // A page file that could not be made could not be written either, and the user is told so.
    QList<FileError> shown{error.file};
    if (error.file.creating)
        shown.append(FileError{EBADF, QString::fromLocal8Bit(std::strerror(EBADF))});
    if (error.backup)
        shown.append(*error.backup);
    QList<PageMessage> messages;
    for (const FileError& file : shown)
        messages.append({QStringLiteral("Fehler (Ist das Ausgabeverzeichnis ") + outputFolder +
                             QStringLiteral(" vorhanden?): \r\n") + file.description +
                             QLatin1Char('(') + QString::number(file.code) + QLatin1Char(')'),
                         kError, Host::Icon::Critical});
    return messages;
}

std::optional<PageError> PageSteps::blankLinesFit(qint64 count, const QString& source) {
    if (count <= kMaxBlankLines)
        return std::nullopt;
    return PageError::refused(QStringLiteral("Die Zahl der Leerzeilen (%1) ist zu groß: höchstens "
                                             "%2 Leerzeilen je Seite sind möglich. Die Datei %3 "
                                             "wurde nicht verschlüsselt.")
                                  .arg(count)
                                  .arg(kMaxBlankLines)
                                  .arg(source));
}

void PageOut::open(PageOut& out) {
    // Modern pages make the folders of their output; a failure shows when the file is made.
    if (out.makeFolder)
        QDir().mkpath(QFileInfo(out.path).absolutePath());
    if (!out.sweep.isEmpty())
        removeLeftovers(out.sweep);
    out.opened = !out.file.create(out.path, out.sync);
}

void PageOut::finish(PageOut& out) {
    out.error = out.sink->finish();
    if (!out.error)
        out.error = out.file.close();
}

void PreparedBackup::write(PreparedBackup& backup) {
    NullHost quiet; // work on the host's worker never calls the host
    if (!backup.sweep.isEmpty())
        removeLeftovers(backup.sweep);
    backup.error = prepareBackup(backup.source, backup.fileBytes, backup.lines, quiet, true,
                                 backup.path, backup.file, backup.exact);
}

std::optional<PageError> PageSteps::readPage(Job& job, const OptionSet& options) {
    // ".htaccess", ".htpasswd": settings of the web server, which would be broken as HTML.
    if (QFileInfo(job.source).fileName().startsWith(QLatin1Char('.')))
        return PageError::refused(QStringLiteral("Die Datei %1 wird nicht verschlüsselt: ihr Name "
                                                 "beginnt mit \".\", sie ist keine Webseite, "
                                                 "sondern eine Einstellung des Webservers.")
                                      .arg(job.source))
            .asNotice();
    if (auto error = blankLinesFit(startLineCount(options.values()), job.source))
        return error;
    if (job.header.isNull())
        job.header = BuildPageHeader(options);
    job.exactBackup = options.modern();

    job.sourceBytes = fileSize(job.source);
    if (job.sourceBytes < 1)
        return PageError::fatal(missingSourcePrompt(job.source, options.modern()));
    const auto read = encoder_.readPage(job.source, options, job.encoding.has_value());
    if (!read)
        return PageError::refused(QStringLiteral("Datei konnte nicht gelesen werden: ") +
                                  job.source);
    if (job.encoding)
        job.encoding = *read;
    // Converting a converted page again, over itself, would put the converted page into the
    // backup and lose the original.
    if (options.overwrite() && isConvertedPage(encoder_.fileBytes(), host_))
        return PageError::refused(QStringLiteral("Die Datei %1 ist schon verschlüsselt und wird "
                                                 "nicht noch einmal verschlüsselt; sie und ihre "
                                                 "Sicherung bleiben, wie sie sind.")
                                      .arg(job.source))
            .asNotice();
    return std::nullopt;
}

std::shared_ptr<PageOut> PageSteps::outputFor(const Job& job, const OptionSet& options) {
    std::shared_ptr<PageOut> out = reuseOrMake(spareOut_);
    out->path = job.plannedOutput;
    out->sync = job.sync;
    out->makeFolder = options.modern();
    out->sweep = files_ ? files_->unsweptFolderOf(job.plannedOutput) : QString();
    out->opened = false;
    return out;
}

void PageSteps::startOutput(Job& job, const OptionSet& options) {
    if (job.plannedOutput.isEmpty())
        return;
    job.sync = options.overwrite();
    job.out = StartedWork<PageOut>(host_, outputFor(job, options), &PageOut::open);
}

void PageSteps::prepareBackup(Job& job, const QString& backupPath) {
    std::shared_ptr<PreparedBackup> backup = reuseOrMake(spareBackup_);
    backup->source = job.source;
    backup->path = backupPath;
    // The folder's leftovers go first, so the sweep never meets the backup being made.
    backup->sweep = files_ ? files_->unsweptFolderOf(backupPath) : QString();
    backup->exact = job.exactBackup;
    backup->error.reset();
    job.backup = StartedWork<PreparedBackup>(host_, std::move(backup), &PreparedBackup::write);
}

std::optional<PageError> PageSteps::encodeInto(Job& job, const OptionSet& options, bool sync) {
    job.sync = sync || options.overwrite();
    std::shared_ptr<PageOut> out;
    if (job.out.started()) {
        out = job.out.take(); // made by startOutput
    } else if (!job.plannedOutput.isEmpty()) {
        out = outputFor(job, options);
        PageOut::open(*out);
    }
    // A new file that could not be made, or was made for other options: the page is held in
    // memory and goes the plain way.
    if (out && (!out->opened || out->sync != job.sync || out->path != job.plannedOutput))
        out.reset();
    std::optional<PageSink> memory;
    job.streamed = out != nullptr;
    PageSink& sink =
        out ? out->sink.emplace(out->block, out->file.fd(), &host_) : memory.emplace(page_);
    encoder_.encodeReadPage(job.header, options, sink);
    if (auto error = blankLinesFit(endLineCount(options.values()), job.source))
        return error;
    AppendEndLines(sink, options);
    sink.append("\r\n");
    if (out)
        job.out = StartedWork<PageOut>(host_, std::move(out), &PageOut::finish);
    return std::nullopt;
}

std::optional<PageError> PageSteps::writtenOut(Job& job) {
    if (!job.out.started())
        return std::nullopt;
    const std::optional<FileError>& error = job.out.await().error;
    job.written = !error;
    if (error)
        return PageError::files(*error);
    return std::nullopt;
}

std::optional<FileError> PageSteps::replace(PageOut* out, const QString& output, bool planned,
                                            bool sync) {
    if (planned)
        return out->file.putInPlace();
    if (out && readWholeFile(out->file.tempPath(), page_))
        return FileError{EIO,
                         QStringLiteral("Die neue Datei %1 konnte nicht wieder gelesen werden.")
                             .arg(out->file.tempPath())};
    return replaceFile(output, page_.view(), sync);
}

std::optional<PageError> PageSteps::commit(Job& job, const QString& output,
                                           const QString& backupPath) {
    const bool planned = job.streamed && output == job.plannedOutput;
    // Folders this run has not written into yet lose their leftovers first, in the work below.
    QStringList sweep;
    if (files_ && !backupPath.isEmpty())
        sweep << files_->unsweptFolderOf(backupPath);
    if (files_ && !planned && !output.isEmpty())
        sweep << files_->unsweptFolderOf(output);
    PreparedBackup* prepared = nullptr;
    if (job.backup.started() && job.backup.await().path == backupPath)
        prepared = &job.backup.await();
    if (auto error = writtenOut(job)) {
        // A backup made beside the page that failed as well is told after it.
        if (prepared)
            error->backup = prepared->error;
        return error;
    }
    PageOut* out = job.out.started() ? &job.out.await() : nullptr;
    std::optional<FileError> error;
    // One piece of blocking work: the backup first, and the page put in place only once its
    // backup is complete on disk.
    host_.runBlocking([&] {
        NullHost quiet; // work on the host's worker never calls the host
        for (const QString& folder : std::as_const(sweep)) {
            if (!folder.isEmpty())
                removeLeftovers(folder);
        }
        if (prepared)
            error = prepared->error ? prepared->error
                                    : putBackupInPlace(job.source, backupPath, prepared->file);
        else if (!backupPath.isEmpty())
            error = BackupSource(job.source, backupFile_, backupText_, quiet, true, backupPath,
                                 job.exactBackup);
        if (!error)
            error = replace(out, output, planned, job.sync);
    });
    job.outputBytes = planned ? out->sink->written() : page_.size();
    // A new file not put in place goes now; the buffers stay for the next page.
    if ((spareOut_ = job.out.take()))
        spareOut_->file.discard();
    if ((spareBackup_ = job.backup.take()))
        spareBackup_->file.discard();
    if (error)
        return PageError::files(*error);
    if (files_)
        files_->written.insert(fileKey(output), job.source);
    return std::nullopt;
}

} // namespace veltrano
