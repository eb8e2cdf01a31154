#include "encryptionrun.h"

#include "encoding/pagesink.h"
#include "encoding/pagesource.h"
#include "filelist/filelist.h"
#include "host.h"
#include "options/optionset.h"
#include "outputpath.h"
#include "outputplan.h"
#include "pageheader.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace veltrano {

namespace {

const QString kError = QStringLiteral("Fehler");

} // namespace

EncryptionRun::EncryptionRun(OptionSet& options, FileList& list, Host& host, Random& random)
    : options_(options), list_(list), host_(host), random_(random), encoder_(random, host) {}

QString EncryptionRun::outputPath(const QString& source) const {
    // Modern pages keep the site's folders below the output folder.
    const OptionValues& v = options_.values();
    if (options_.modern() && v.chkNewFiles && !v.text(TextField::txtPath).isEmpty())
        return keptPlacePath(source, siteFolder_, v.text(TextField::txtPath));
    return OutputPath(v, source);
}

std::optional<PageError> EncryptionRun::blankLinesFit(qint64 count, const QString& source) const {
    if (count <= kMaxBlankLines)
        return std::nullopt;
    return PageError::refused(QStringLiteral("Die Zahl der Leerzeilen (%1) ist zu groß: höchstens "
                                             "%2 Leerzeilen je Seite sind möglich. Die Datei %3 "
                                             "wurde nicht verschlüsselt.")
                                  .arg(count)
                                  .arg(kMaxBlankLines)
                                  .arg(source));
}

bool EncryptionRun::namesListedPage(const QString& output) const {
    // Only a page with the output's file name can be the same file; the rest is a text test.
    const QChar separator = QDir::separator();
    const QString name = output.mid(output.lastIndexOf(separator) + 1);
    for (int row = 0; row < list_.count(); ++row) {
        const QString& path = list_.path(row);
        if (list_.removed(row) || !path.endsWith(name))
            continue;
        if (path.size() != name.size() && path[path.size() - name.size() - 1] != separator)
            continue;
        if (sameFile(output, path))
            return true;
    }
    return false;
}

// The header for the options of this moment, then the page text, read whole; the page file is
// closed again before any output is made.
std::optional<PageError> EncryptionRun::readPage(PageJob& job) {
    if (auto error = blankLinesFit(startLineCount(options_.values()), job.source))
        return error;
    job.header = BuildPageHeader(options_);

    const QFileInfo info(job.source);
    if (!info.exists() || info.size() < 1)
        return PageError::fatal(QStringLiteral("Datei konnte nicht gefunden werden: ") +
                                job.source);
    if (!encoder_.ReadPage(job.source, options_).isEmpty())
        return PageError::refused(QStringLiteral("Datei konnte nicht gelesen werden: ") +
                                  job.source);
    return std::nullopt;
}

// The page goes straight into a new file beside the planned output, so a large page is never
// held whole; without a plan, or where no new file can be made, it is held in page_.
std::optional<PageError> EncryptionRun::encodeInto(PageJob& job) {
    if (options_.modern() && !job.plannedOutput.isEmpty())
        QDir().mkpath(QFileInfo(job.plannedOutput).absolutePath()); // failures show at create
    job.streamed = !job.plannedOutput.isEmpty() && job.file.create(job.plannedOutput);
    PageSink sink(page_, job.streamed ? job.file.fd() : -1);
    encoder_.EncodeReadPage(job.header, options_, sink);
    if (auto error = blankLinesFit(endLineCount(options_.values()), job.source))
        return error;
    AppendEndLines(sink, options_);
    sink.append("\r\n");
    if (job.streamed && !(sink.finish() && job.file.close()))
        return PageError::file(sink.failed() ? FileError{sink.errorCode(), sink.error()}
                                             : job.file.error());
    return std::nullopt;
}

// A folder output that would land on this source or another listed page is refused: that page
// is kept.
std::optional<PageError> EncryptionRun::guardOutput(const PageJob& job,
                                                    const QString& output) const {
    if (options_.overwrite() || output.isEmpty() || !QFileInfo::exists(output))
        return std::nullopt;
    QString reason;
    if (sameFile(output, job.source))
        reason = QStringLiteral("Die Ausgabedatei %1 ist die Quelldatei selbst und wird nicht "
                                "überschrieben: %2");
    else if (namesListedPage(output))
        reason = QStringLiteral("Die Ausgabedatei %1 ist eine Quelldatei der Liste und wird nicht "
                                "überschrieben: %2");
    else
        return std::nullopt;
    return PageError::file(
        FileError{EEXIST, reason.arg(output, QString::fromLocal8Bit(std::strerror(EEXIST)))});
}

// Overwriting converts a source once per run, and keeps its old text in a backup when asked to;
// a backup that fails is passed over.
void EncryptionRun::backUp(const PageJob& job) {
    if (!options_.overwrite())
        return;
    overwritten_.insert(fileKey(job.source));
    if (options_.check(CheckField::chkBkup) != 0)
        BackupSource(job.source, backupFile_, backupText_, host_);
}

// The page replaces the output. The new file is renamed over it when the output is still the
// planned one; otherwise the page is written anew, from memory, with the same new-file step.
std::optional<PageError> EncryptionRun::commit(PageJob& job, const QString& output) {
    QList<FileError> errors;
    if (job.streamed && output == job.plannedOutput) {
        if (!job.file.putInPlace())
            errors.append(job.file.error());
    } else if (job.streamed && !ReadWholeFile(job.file.tempPath(), page_).isEmpty()) {
        errors.append(FileError{EIO, QStringLiteral("Die neue Datei %1 konnte nicht wieder "
                                                    "gelesen werden.")
                                         .arg(job.file.tempPath())});
    } else {
        if (options_.modern() && !output.isEmpty())
            QDir().mkpath(QFileInfo(output).absolutePath());
        errors = ReplaceFile(output, page_.view());
    }
    if (errors.isEmpty())
        return std::nullopt;
    return PageError::fileSteps(errors);
}

EncryptionRun::PageResult EncryptionRun::report(const PageError& error) {
    switch (error.kind) {
    case PageError::Kind::Fatal:
        host_.message(error.text, QStringLiteral("Schwerwiegender Fehler"),
                      Host::Icon::Information);
        return PageResult::Fatal;
    case PageError::Kind::Refused:
        host_.message(error.text, kError, Host::Icon::Critical);
        return PageResult::Failed;
    case PageError::Kind::Files:
        // The output folder is read anew for every message: the user may change it meanwhile.
        for (const FileError& file : error.files)
            host_.message(QStringLiteral("Fehler (Ist das Ausgabeverzeichnis ") +
                              options_.text(TextField::txtPath) +
                              QStringLiteral(" vorhanden?): \r\n") + file.description +
                              QLatin1Char('(') + QString::number(file.code) + QLatin1Char(')'),
                          kError, Host::Icon::Critical);
        return PageResult::Failed;
    }
    return PageResult::Failed;
}

EncryptionRun::PageResult EncryptionRun::convert(const QString& source) {
    PageJob job;
    job.source = source;
    if (auto error = readPage(job))
        return report(*error);
    job.plannedOutput = outputPath(source);
    if (auto error = encodeInto(job))
        return report(*error);
    // The output path is read again: the options may have changed while the page was encoded.
    const QString output = outputPath(source);
    if (auto error = guardOutput(job, output))
        return report(*error);
    backUp(job);
    if (auto error = commit(job, output))
        return report(*error);
    return PageResult::Done;
}

EncryptionRun::Outcome EncryptionRun::RunEncryption() {
    if (stopped_)
        return Outcome::Stopped;
    host_.setStartEnabled(false);
    host_.showStatus(true);
    overwritten_.clear();
    bool errors = false;

    const int n = list_.count();
    QStringList live;
    for (int row = 0; row < n; ++row) {
        if (!list_.removed(row))
            live.append(list_.path(row));
    }
    siteFolder_ = commonFolder(live);
    for (int row = 0; row < n; ++row) {
        // The list may have shrunk during a yield; an entry that is gone is passed over.
        if (row >= list_.count())
            continue;
        list_.setCurrentRow(row);
        const QString source = list_.path(row);
        if (list_.removed(row))
            continue;
        // Overwriting converts a source once per run: a second entry would convert the
        // converted page again and replace the first backup.
        if (options_.overwrite() && overwritten_.contains(fileKey(source)))
            continue;

        host_.setCurrentFile(source);
        host_.setListProgress(row + 1, n); // the entry's number
        host_.pump();

        switch (convert(source)) {
        case PageResult::Done:
            break;
        case PageResult::Failed:
            errors = true;
            break;
        case PageResult::Fatal:
            stopped_ = true;
            return Outcome::Stopped;
        }
    }

    host_.showStatus(false);
    host_.setStartEnabled(true);
    host_.message(QStringLiteral("Das verschlüsseln der Dateien ist erfolgreich abgeschlossen!"),
                  QStringLiteral("Abschluss"), Host::Icon::Information);
    return errors ? Outcome::CompletedWithErrors : Outcome::Completed;
}

} // namespace veltrano
