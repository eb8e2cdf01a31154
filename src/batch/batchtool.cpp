#include "batchtool.h"

#include "batchplan.h"
#include "batchreport.h"
#include "batchsite.h"
#include "breakwarnings.h"
#include "commandline.h"
#include "consolehost.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "passes/random.h"
#include "project/projectcommands.h"
#include "project/projectfile.h"
#include "run/outputplan.h"
#include "run/parallelrun.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <atomic>

namespace veltrano {

namespace {

std::atomic<bool> interruptible{false}; // a run that can end early is going on
std::atomic<bool> interrupted{false};   // and was told to

int usage(QTextStream& err, const QString& message) {
    err << message << '\n' << "Aufruf / usage: veltrano-batch [OPTIONEN] PFAD... (--help)\n";
    err.flush();
    return kExitUsage;
}

int exitOf(ParallelRun::Outcome outcome) {
    switch (outcome) {
    case ParallelRun::Outcome::Completed:
        return kExitDone;
    case ParallelRun::Outcome::CompletedWithErrors:
        return kExitDoneWithErrors;
    case ParallelRun::Outcome::Interrupted:
        return kExitInterrupted;
    case ParallelRun::Outcome::Stopped:
        break;
    }
    return kExitStopped;
}

} // namespace

bool interruptRun() {
    return interruptible.load() && !interrupted.exchange(true);
}

int runBatch(const QStringList& args, QTextStream& out, QTextStream& err, bool progressBar) {
    QString error;
    const std::optional<BatchRequest> request = parseCommandLine(args, &error);
    if (!request)
        return usage(err, error);
    const BatchRequest& r = *request;
    if (r.help) {
        out << batchHelp();
        out.flush();
        return kExitDone;
    }
    if (r.version) {
        out << "veltrano-batch " << kProgramVersion << '\n';
        out.flush();
        return kExitDone;
    }
    if (r.project.isEmpty() && r.paths.isEmpty())
        return usage(err, QStringLiteral("veltrano-batch: keine Seiten / no pages"));
    // Without a project the output is asked for: the window's default folder beside the
    // program is no place for a pipeline's pages.
    if (r.project.isEmpty() && r.output.isEmpty() && !r.overwrite) {
        return usage(err, QStringLiteral("veltrano-batch: kein Ziel: -o ORDNER oder --overwrite "
                                         "angeben / no output: give -o DIR or --overwrite"));
    }

    // Everything is checked before anything is written: project, paths, outputs.
    OptionSet options;
    FileList list;
    list.Initialise();
    ConsoleHost host(err, progressBar && !r.quiet);
    QList<SourcePage> sources;
    QStringList projectPages;
    if (!r.project.isEmpty()) {
        ProjectCommands commands(options, list, host);
        if (!commands.OpenFile(r.project))
            return kExitProjectUnread;
        for (int i = 0; i < list.count(); ++i) {
            if (!list.removed(i))
                projectPages.append(list.path(i));
        }
    }
    r.applyTo(options);
    // A project's pages keep their places below the site folder: the one given, or in the mode
    // their deepest common folder, as the window's run places them.
    QStringList siteFolders;
    const QString site = !r.site.isEmpty()                             ? r.site
                         : options.modern() && !projectPages.isEmpty() ? commonFolder(projectPages)
                                                                       : QString();
    if (!site.isEmpty())
        siteFolders << site;
    for (const QString& page : std::as_const(projectPages))
        sources.append(site.isEmpty() ? namedPage(page) : keptPage(page, site));
    for (const QString& path : r.paths) {
        if (QFileInfo(path).isDir())
            siteFolders << path;
    }
    const std::optional<QList<SourcePage>> named = collectPages(r.paths, &error);
    if (!named)
        return usage(err, error);
    sources.append(*named);
    const std::optional<QList<PlannedPage>> plan =
        planOutputs(sources, options, r.backupDir, &error);
    if (!plan)
        return usage(err, error);
    // The other files of the site come along into the output folder.
    const bool copying = options.newFiles() && !options.overwrite() && !r.pagesOnly;
    const std::optional<OtherFiles> others =
        copying ? planOtherFiles(siteFolders, options.text(TextField::txtPath), *plan, &error)
                : OtherFiles{};
    if (!others)
        return usage(err, error);

    // What the pages would lose without the mode is told before anything is done; with the mode
    // the report names what it repaired.
    const int jobs = r.jobs > 0 ? r.jobs : QThread::idealThreadCount();
    const bool warn = !options.modern() && !r.quiet;
    QList<breakage::Kinds> breaks;
    if (warn || !r.report.isEmpty())
        breaks = findBreakages(*plan, options.values(), jobs);
    if (warn) {
        for (const QString& line : breakageWarnings(*plan, breaks))
            err << line << '\n';
        err.flush();
    }

    if (r.dryRun) {
        for (const PlannedPage& p : *plan) {
            out << p.source << " -> " << p.output;
            if (!p.backup.isEmpty())
                out << "  (Sicherung / backup: " << p.backup << ')';
            out << '\n';
        }
        for (const OtherFile& f : others->files)
            out << f.source << " -> " << f.target << "  (Kopie / copy)\n";
        out.flush();
        return kExitDone;
    }

    if (!r.saveProject.isEmpty()) {
        FileList saved;
        saved.Initialise();
        QStringList paths;
        for (const PlannedPage& p : *plan)
            paths << p.source;
        saved.AppendAll(paths);
        const QString failure = WriteProject(r.saveProject, options, saved);
        if (!failure.isEmpty()) {
            host.message(failure, QStringLiteral("Fehler"), Host::Icon::Critical);
            return kExitDoneWithErrors;
        }
        const QString note =
            projectNote(r.saveProject, options, sources, siteFolders, !others->files.isEmpty());
        if (!note.isEmpty() && !r.quiet)
            err << note << '\n';
    }

    const QString folder = makeFolders(*plan);
    if (!folder.isEmpty()) {
        host.message(QStringLiteral("Der Ordner %1 konnte nicht angelegt werden.").arg(folder),
                     QStringLiteral("Fehler"), Host::Icon::Critical);
        return kExitDoneWithErrors;
    }

    // The other files first: the pages' run ends with its completion message.
    QList<OtherFile> copied;
    const QList<FileError> copyFailures =
        CopyOtherFiles(others->files, host, r.sync, [&](qsizetype i, const FileError* failure) {
            if (failure)
                host.message(failure->description, QStringLiteral("Fehler"), Host::Icon::Critical);
            else
                copied.append(others->files[i]);
        });

    qint64 totalBytes = 0;
    for (const PlannedPage& p : *plan)
        totalBytes += QFileInfo(p.source).size();
    host.setTotalBytes(totalBytes);
    QElapsedTimer clock;
    clock.start();
    ParallelRun run(options, host, Random::program(), jobs);
    run.completionMessage = !r.quiet;
    // With the mode, Ctrl-C ends the run after the pages under way, with its report.
    interrupted = false;
    if (options.modern()) {
        run.interrupt = &interrupted;
        interruptible = true;
    }
    run.sync = r.sync;
    run.earlierFailures = static_cast<int>(copyFailures.size());
    run.encodings = !r.report.isEmpty();
    run.progress = [&host](int done, qint64 bytes) { host.setBytesDone(done, bytes); };
    QList<PageOutcome> outcomes;
    int code = exitOf(run.run(*plan, &outcomes));
    interruptible = false;
    if (!copyFailures.isEmpty())
        code = qMax(code, int{kExitDoneWithErrors});

    if (!r.report.isEmpty()) {
        const QString failure =
            writeReport(r.report, *plan, outcomes, breaks, code, clock.elapsed(), copied);
        if (!failure.isEmpty()) {
            host.message(QStringLiteral("Der Bericht %1 konnte nicht geschrieben werden: %2")
                             .arg(r.report, failure),
                         QStringLiteral("Fehler"), Host::Icon::Critical);
            code = qMax(code, int{kExitDoneWithErrors});
        }
    }
    return code;
}

} // namespace veltrano
