#include "encryptionrun.h"

#include "encoding/pagesink.h"
#include "filelist/filelist.h"
#include "host.h"
#include "options/optionset.h"
#include "pageheader.h"
#include "pagewrite.h"

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

QString EncryptionRun::OutputPath(const QString& source) const {
    if (options_.newFiles()) {
        const QString folder = options_.text(TextField::txtPath);
        if (folder.isEmpty())
            return {};
        const QChar separator = QDir::separator();
        const qsizetype cut = source.lastIndexOf(separator);
        const QString name = cut < 0 ? source : source.mid(cut + 1);
        return folder.endsWith(separator) ? folder + name : folder + separator + name;
    }
    if (options_.overwrite())
        return source;
    return {};
}

void EncryptionRun::writeError(const FileError& error) {
    host_.message(QStringLiteral("Fehler (Ist das Ausgabeverzeichnis ") +
                      options_.text(TextField::txtPath) + QStringLiteral(" vorhanden?): \r\n") +
                      error.description + QLatin1Char('(') + QString::number(error.code) +
                      QLatin1Char(')'),
                  kError, Host::Icon::Critical);
}

bool EncryptionRun::blankLinesFit(qint64 count, const QString& source) {
    if (count <= kMaxBlankLines)
        return true;
    host_.message(QStringLiteral("Die Zahl der Leerzeilen (%1) ist zu groß: höchstens %2 "
                                 "Leerzeilen je Seite sind möglich. Die Datei %3 wurde nicht "
                                 "verschlüsselt.")
                      .arg(count)
                      .arg(kMaxBlankLines)
                      .arg(source),
                  kError, Host::Icon::Critical);
    return false;
}

bool EncryptionRun::namesListedPage(const QString& output) const {
    // Only a page with the output's file name can be the same file; the rest is a text test.
    const QChar separator = QDir::separator();
    const QString name = output.mid(output.lastIndexOf(separator) + 1);
    for (int i = 1; i <= list_.count(); ++i) {
        const QString& path = list_.path(i);
        if (list_.removed(i) || !path.endsWith(name))
            continue;
        if (path.size() != name.size() && path[path.size() - name.size() - 1] != separator)
            continue;
        if (sameFile(output, path))
            return true;
    }
    return false;
}

EncryptionRun::PageResult EncryptionRun::convert(const QString& source) {
    if (!blankLinesFit(startLineCount(options_.values()), source))
        return PageResult::Failed;
    const QByteArray header = BuildPageHeader(options_);

    const QFileInfo info(source);
    if (!info.exists() || info.size() < 1) {
        host_.message(QStringLiteral("Datei konnte nicht gefunden werden: ") + source,
                      QStringLiteral("Schwerwiegender Fehler"), Host::Icon::Information);
        return PageResult::Fatal;
    }

    PageSink sink(page_);
    if (!encoder_.EncodePage(source, header, options_, sink).isEmpty()) {
        host_.message(QStringLiteral("Datei konnte nicht gelesen werden: ") + source, kError,
                      Host::Icon::Critical);
        return PageResult::Failed;
    }
    if (!blankLinesFit(endLineCount(options_.values()), source))
        return PageResult::Failed;
    AppendEndLines(sink, options_);
    sink.append("\r\n");

    const QString output = OutputPath(source);
    const bool overwriting = options_.overwrite();
    if (!overwriting && !output.isEmpty() && QFileInfo::exists(output)) {
        // The folder output would land on this source or another listed page: it is kept.
        const QString reason =
            sameFile(output, source)  ? QStringLiteral("Die Ausgabedatei %1 ist die Quelldatei "
                                                        "selbst und wird nicht überschrieben: %2")
            : namesListedPage(output) ? QStringLiteral("Die Ausgabedatei %1 ist eine Quelldatei "
                                                       "der Liste und wird nicht überschrieben: %2")
                                      : QString();
        if (!reason.isEmpty()) {
            writeError(FileError{
                EEXIST, reason.arg(output, QString::fromLocal8Bit(std::strerror(EEXIST)))});
            return PageResult::Failed;
        }
    }
    if (overwriting) {
        overwritten_.insert(fileKey(source));
        if (options_.check(CheckField::chkBkup) != 0)
            BackupSource(source, backupFile_, backupText_, host_);
    }
    const QList<FileError> errors = ReplaceFile(output, page_.view());
    for (const FileError& error : errors)
        writeError(error);
    return errors.isEmpty() ? PageResult::Done : PageResult::Failed;
}

EncryptionRun::Outcome EncryptionRun::RunEncryption() {
    if (stopped_)
        return Outcome::Stopped;
    host_.setStartEnabled(false);
    host_.showStatus(true);
    overwritten_.clear();
    bool errors = false;

    const int n = list_.count();
    for (int r = 1; r <= n; ++r) {
        // The list may have shrunk during a yield; an entry that is gone is passed over.
        if (r > list_.count())
            continue;
        list_.setCurrentEntry(r);
        const QString source = list_.path(r);
        if (list_.removed(r))
            continue;
        // Overwriting converts a source once per run: a second entry would convert the
        // converted page again and replace the first backup.
        if (options_.overwrite() && overwritten_.contains(fileKey(source)))
            continue;

        host_.setCurrentFile(source);
        host_.setListProgress(r, n);
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
