#include "encryptionrun.h"

#include "filelist/filelist.h"
#include "host.h"
#include "options/optionset.h"
#include "outputpath.h"
#include "outputplan.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace veltrano {

EncryptionRun::EncryptionRun(OptionSet& options, FileList& list, Host& host, Random& random)
    : options_(options), list_(list), host_(host), random_(random), steps_(random, host) {
    steps_.setRunFiles(&files_);
}

QString EncryptionRun::liveOutputPath(const QString& source) const {
    // Modern pages keep the site's folders below the output folder.
    const OptionValues& v = options_.values();
    if (options_.modern() && v.chkNewFiles && !v.text(TextField::txtPath).isEmpty())
        return keptPlacePath(source, siteFolder_, v.text(TextField::txtPath));
    return OutputPath(v, source);
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

// A folder output that would land on this source or another listed page is refused: that page
// is kept.
std::optional<PageError> EncryptionRun::guardOutput(const PageSteps::Job& job,
                                                    const QString& output) const {
    // Two sources of the same name from different folders: the first one's page stays.
    const auto earlier = files_.written.constFind(fileKey(output));
    if (!options_.overwrite() && !output.isEmpty() && earlier != files_.written.cend())
        return PageError::files(
                   FileError{
                       EEXIST,
                       QStringLiteral("Die Ausgabedatei %1 wurde in diesem Lauf schon aus %2 "
                                      "geschrieben und wird nicht überschrieben: %3")
                           .arg(output, *earlier, QString::fromLocal8Bit(std::strerror(EEXIST)))})
            .asNotice();
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
    return PageError::files(
               FileError{EEXIST, reason.arg(output, QString::fromLocal8Bit(std::strerror(EEXIST)))})
        .asNotice();
}

// Overwriting converts a source once per run, and keeps its old text in a backup when asked to.
// The backup is the condition for replacing the source: when it cannot be made complete on
// disk, the source stays as it is.
QString EncryptionRun::backupPath(const PageSteps::Job& job) const {
    if (!options_.overwrite() || !isSet(options_.check(CheckField::chkBkup)))
        return {};
    return job.source + QStringLiteral(".bak");
}

EncryptionRun::PageResult EncryptionRun::report(const PageError& error) {
    if (error.kind == PageError::Kind::Fatal) {
        tally_.stop = error.text;
        return PageResult::Fatal;
    }
    if (error.notice && options_.modern()) {
        tally_.notices << error.noticeText();
        ++tally_.skipped;
        return PageResult::Skipped;
    }
    for (const PageMessage& m : messagesFor(error, options_.text(TextField::txtPath)))
        host_.message(m.prompt, m.title, m.icon);
    ++(error.notice ? tally_.skipped : tally_.failed);
    return PageResult::Failed;
}

EncryptionRun::PageResult EncryptionRun::convert(const QString& source) {
    PageSteps::Job job;
    job.source = source;
    if (auto error = steps_.readPage(job, options_))
        return report(*error);
    // The page's new file is made, and the backup asked for now written, while the page is
    // converted; the options of the moment the page is put in place decide whether the backup
    // is used.
    job.plannedOutput = liveOutputPath(source);
    steps_.startOutput(job, options_);
    if (const QString backup = backupPath(job); !backup.isEmpty())
        steps_.prepareBackup(job, backup);
    if (auto error = steps_.encodeInto(job, options_))
        return report(*error);
    // The output path is read again, while the page's last bytes go to disk: the options may
    // have changed while the page was encoded. A failed write-out is told before the rest.
    const QString output = liveOutputPath(source);
    if (auto error = guardOutput(job, output)) {
        const auto failed = steps_.writtenOut(job);
        return report(failed ? *failed : *error);
    }
    const bool overwriting = options_.overwrite();
    const QString backup = backupPath(job);
    // Modern pages make the folders of their output, also of one the changed options name.
    if (options_.modern() && !output.isEmpty() && output != job.plannedOutput) {
        if (auto error = steps_.writtenOut(job))
            return report(*error);
        const QString folder = QFileInfo(output).absolutePath();
        host_.runBlocking([&folder] { QDir().mkpath(folder); });
    }
    const auto error = steps_.commit(job, output, backup);
    // A source the run got as far as replacing counts as overwritten, also when that failed.
    if (overwriting && job.written)
        overwritten_.insert(fileKey(job.source));
    if (error)
        return report(*error);
    return PageResult::Done;
}

QString EncryptionRun::liveSiteFolder() const {
    QStringList live;
    for (int row = 0; row < list_.count(); ++row) {
        if (!list_.removed(row))
            live.append(list_.path(row));
    }
    return commonFolder(live);
}

bool EncryptionRun::overwrittenBefore(const QString& source) {
    // A second entry would convert the converted page again and replace the first backup.
    if (!options_.overwrite() || !overwritten_.contains(fileKey(source)))
        return false;
    if (options_.modern()) {
        tally_.notices << QStringLiteral("Die Datei %1 steht mehrmals in der Liste und wurde "
                                         "einmal verschlüsselt.")
                              .arg(source);
        ++tally_.skipped;
    }
    return true;
}

EncryptionRun::Outcome EncryptionRun::RunEncryption() {
    if (stopped_)
        return Outcome::Stopped;
    host_.setStartEnabled(false);
    host_.showStatus(true);
    overwritten_.clear();
    files_.clear();
    tally_ = RunTally();
    bool errors = false;

    const int n = list_.count();
    siteFolder_ = liveSiteFolder();
    for (int row = 0; row < n; ++row) {
        // The list may have shrunk during a yield; an entry that is gone is passed over.
        if (row >= list_.count())
            continue;
        list_.setCurrentRow(row);
        const QString source = list_.path(row);
        if (list_.removed(row) || overwrittenBefore(source))
            continue;

        host_.setCurrentFile(source);
        host_.setListProgress(row + 1, n); // the entry's number
        host_.pump();

        switch (convert(source)) {
        case PageResult::Done:
            ++tally_.converted;
            break;
        case PageResult::Skipped:
            break;
        case PageResult::Failed:
            errors = true;
            break;
        case PageResult::Fatal:
            stopped_ = true;
            finishRun(host_, tally_, options_.modern());
            return Outcome::Stopped;
        }
    }

    host_.showStatus(false);
    host_.setStartEnabled(true);
    finishRun(host_, tally_, options_.modern());
    return errors ? Outcome::CompletedWithErrors : Outcome::Completed;
}

} // namespace veltrano
