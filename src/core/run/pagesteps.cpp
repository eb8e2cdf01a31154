#include "pagesteps.h"

#include "io/pagesink.h"
#include "options/optionset.h"
#include "passes/pageheader.h"
#include "runsummary.h"
#include "text/pagesource.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace veltrano {

namespace {

const QString kError = QStringLiteral("Fehler");

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

void RunFiles::sweepFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!swept.contains(folder)) {
        swept.insert(folder);
        RemoveLeftovers(folder);
    }
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
    QList<PageMessage> messages;
    for (const FileError& file : error.files)
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
    job.header = BuildPageHeader(options);
    job.exactBackup = options.modern();

    const QFileInfo info(job.source);
    if (!info.exists() || info.size() < 1)
        return PageError::fatal(missingSourcePrompt(job.source, options.modern()));
    if (!encoder_.ReadPage(job.source, options, job.encoding ? &*job.encoding : nullptr).isEmpty())
        return PageError::refused(QStringLiteral("Datei konnte nicht gelesen werden: ") +
                                  job.source);
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

void PageSteps::prepareBackup(Job& job, const QString& backupPath) {
    // The folder's leftovers go first, so the sweep never meets the backup being made.
    if (files_)
        files_->sweepFolderOf(backupPath);
    job.backupPath = backupPath;
    job.writeOut.host = &host_;
    host_.startBlocking([this, &job] {
        job.backupErrors = PrepareBackup(job.source, backupFile_, backupText_, quiet_, true,
                                         job.backupPath, job.backup, job.exactBackup);
    });
}

std::optional<PageError> PageSteps::encodeInto(Job& job, const OptionSet& options, bool sync) {
    job.sync = sync || options.overwrite();
    // Modern pages make the folders of their output; a failure shows when the file is made.
    if (options.modern() && !job.plannedOutput.isEmpty())
        QDir().mkpath(QFileInfo(job.plannedOutput).absolutePath());
    if (files_ && !job.plannedOutput.isEmpty())
        files_->sweepFolderOf(job.plannedOutput);
    job.streamed = !job.plannedOutput.isEmpty() && job.file.create(job.plannedOutput, job.sync);
    PageSink& sink = sink_.emplace(page_, job.streamed ? job.file.fd() : -1);
    encoder_.EncodeReadPage(job.header, options, sink);
    if (auto error = blankLinesFit(endLineCount(options.values()), job.source))
        return error;
    AppendEndLines(sink, options);
    sink.append("\r\n");
    if (job.streamed) {
        job.writeOut.host = &host_;
        host_.startBlocking([this, &job] { job.written = sink_->finish() && job.file.close(); });
    }
    return std::nullopt;
}

std::optional<PageError> PageSteps::writeOutError(const Job& job) const {
    if (job.written)
        return std::nullopt;
    return PageError::file(sink_->failed() ? FileError{sink_->errorCode(), sink_->error()}
                                           : job.file.error());
}

std::optional<PageError> PageSteps::writtenOut(Job& job) {
    if (job.writeOut.host) {
        host_.awaitBlocking();
        job.writeOut.host = nullptr;
    }
    return writeOutError(job);
}

std::optional<PageError> PageSteps::commit(Job& job, const QString& output,
                                           const QString& backupPath) {
    const bool planned = job.streamed && output == job.plannedOutput;
    if (files_ && !backupPath.isEmpty())
        files_->sweepFolderOf(backupPath);
    if (files_ && !planned && !output.isEmpty())
        files_->sweepFolderOf(output);
    QList<FileError> errors;
    // One piece of blocking work: the backup first, and the page put in place only once its
    // backup is complete on disk.
    host_.runBlocking([&] {
        if (!job.written)
            return;
        if (!backupPath.isEmpty()) {
            if (backupPath != job.backupPath)
                errors = BackupSource(job.source, backupFile_, backupText_, quiet_, true,
                                      backupPath, job.exactBackup);
            else if (job.backupErrors.isEmpty())
                errors = PutBackupInPlace(job.source, backupPath, job.backup);
            else
                errors = job.backupErrors;
            if (!errors.isEmpty())
                return;
        }
        if (planned) {
            if (!job.file.putInPlace())
                errors.append(job.file.error());
        } else if (job.streamed && !ReadWholeFile(job.file.tempPath(), page_).isEmpty()) {
            errors.append(FileError{EIO, QStringLiteral("Die neue Datei %1 konnte nicht wieder "
                                                        "gelesen werden.")
                                             .arg(job.file.tempPath())});
        } else {
            errors = ReplaceFile(output, page_.view(), job.sync);
        }
    });
    job.writeOut.host = nullptr;
    if (auto error = writeOutError(job)) {
        // A backup made beside the page that failed as well is told after it.
        if (backupPath == job.backupPath)
            error->files += job.backupErrors;
        return error;
    }
    if (!errors.isEmpty())
        return PageError::fileSteps(errors);
    if (files_)
        files_->written.insert(fileKey(output), job.source);
    return std::nullopt;
}

} // namespace veltrano
