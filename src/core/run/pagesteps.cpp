#include "pagesteps.h"

#include "encoding/pagesink.h"
#include "encoding/pagesource.h"
#include "options/optionset.h"
#include "pageheader.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace veltrano {

namespace {
const QString kError = QStringLiteral("Fehler");
} // namespace

QList<PageMessage> messagesFor(const PageError& error, const QString& outputFolder) {
    switch (error.kind) {
    case PageError::Kind::Fatal:
        return {{error.text, QStringLiteral("Schwerwiegender Fehler"), Host::Icon::Information}};
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
    if (auto error = blankLinesFit(startLineCount(options.values()), job.source))
        return error;
    job.header = BuildPageHeader(options);

    const QFileInfo info(job.source);
    if (!info.exists() || info.size() < 1)
        return PageError::fatal(QStringLiteral("Datei konnte nicht gefunden werden: ") +
                                job.source);
    if (!encoder_.ReadPage(job.source, options).isEmpty())
        return PageError::refused(QStringLiteral("Datei konnte nicht gelesen werden: ") +
                                  job.source);
    return std::nullopt;
}

std::optional<PageError> PageSteps::encodeInto(Job& job, const OptionSet& options) {
    // Modern pages make the folders of their output; a failure shows when the file is made.
    if (options.modern() && !job.plannedOutput.isEmpty())
        QDir().mkpath(QFileInfo(job.plannedOutput).absolutePath());
    job.streamed = !job.plannedOutput.isEmpty() && job.file.create(job.plannedOutput);
    PageSink sink(page_, job.streamed ? job.file.fd() : -1);
    encoder_.EncodeReadPage(job.header, options, sink);
    if (auto error = blankLinesFit(endLineCount(options.values()), job.source))
        return error;
    AppendEndLines(sink, options);
    sink.append("\r\n");
    if (job.streamed && !(sink.finish() && job.file.close()))
        return PageError::file(sink.failed() ? FileError{sink.errorCode(), sink.error()}
                                             : job.file.error());
    return std::nullopt;
}

void PageSteps::backUp(const Job& job, const QString& backupPath) {
    BackupSource(job.source, backupFile_, backupText_, host_, backupPath);
}

std::optional<PageError> PageSteps::commit(Job& job, const QString& output) {
    QList<FileError> errors;
    if (job.streamed && output == job.plannedOutput) {
        if (!job.file.putInPlace())
            errors.append(job.file.error());
    } else if (job.streamed && !ReadWholeFile(job.file.tempPath(), page_).isEmpty()) {
        errors.append(FileError{EIO, QStringLiteral("Die neue Datei %1 konnte nicht wieder "
                                                    "gelesen werden.")
                                         .arg(job.file.tempPath())});
    } else {
        errors = ReplaceFile(output, page_.view());
    }
    if (errors.isEmpty())
        return std::nullopt;
    return PageError::fileSteps(errors);
}

} // namespace veltrano
