#include "batchtool.h"

#include "batchplan.h"
#include "batchreport.h"
#include "commandline.h"
#include "consolehost.h"
#include "filelist/filelist.h"
#include "options/optionset.h"
#include "passes/random.h"
#include "project/projectcommands.h"
#include "project/projectfile.h"
#include "run/parallelrun.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace veltrano {

namespace {

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
    case ParallelRun::Outcome::Stopped:
        break;
    }
    return kExitStopped;
}

} // namespace

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
    if (!r.project.isEmpty()) {
        ProjectCommands commands(options, list, host);
        if (!commands.OpenFile(r.project))
            return kExitProjectUnread;
        for (int i = 0; i < list.count(); ++i) {
            if (!list.removed(i))
                sources.append(namedPage(list.path(i)));
        }
    }
    r.applyTo(options);
    const std::optional<QList<SourcePage>> named = collectPages(r.paths, &error);
    if (!named)
        return usage(err, error);
    sources.append(*named);
    const std::optional<QList<PlannedPage>> plan =
        planOutputs(sources, options, r.backupDir, &error);
    if (!plan)
        return usage(err, error);

    if (r.dryRun) {
        for (const PlannedPage& p : *plan) {
            out << p.source << " -> " << p.output;
            if (!p.backup.isEmpty())
                out << "  (Sicherung / backup: " << p.backup << ')';
            out << '\n';
        }
        out.flush();
        return kExitDone;
    }

    if (!r.saveProject.isEmpty()) {
        FileList saved;
        saved.Initialise();
        QStringList paths;
        for (const PlannedPage& p : *plan)
            paths << p.source;
        // The project keeps no sub-folders: its run puts every page into the one folder.
        const bool subFolders =
            options.newFiles() &&
            std::any_of(sources.cbegin(), sources.cend(),
                        [](const SourcePage& s) { return s.relative.contains(QLatin1Char('/')); });
        saved.AppendAll(paths);
        const QString failure = WriteProject(r.saveProject, options, saved);
        if (!failure.isEmpty()) {
            host.message(failure, QStringLiteral("Fehler"), Host::Icon::Critical);
            return kExitDoneWithErrors;
        }
        if (subFolders && !r.quiet) {
            err << "Hinweis / note: " << r.saveProject
                << ": das Fenster legt alle Seiten direkt in den Ausgabeordner / the window puts "
                   "every page directly into the output folder\n";
        }
    }

    const QString folder = makeFolders(*plan);
    if (!folder.isEmpty()) {
        host.message(QStringLiteral("Der Ordner %1 konnte nicht angelegt werden.").arg(folder),
                     QStringLiteral("Fehler"), Host::Icon::Critical);
        return kExitDoneWithErrors;
    }

    qint64 totalBytes = 0;
    for (const PlannedPage& p : *plan)
        totalBytes += QFileInfo(p.source).size();
    host.setTotalBytes(totalBytes);
    QElapsedTimer clock;
    clock.start();
    ParallelRun run(options, host, Random::program(),
                    r.jobs > 0 ? r.jobs : QThread::idealThreadCount());
    run.completionMessage = !r.quiet;
    run.sync = r.sync;
    run.progress = [&host](int done, qint64 bytes) { host.setBytesDone(done, bytes); };
    QList<PageOutcome> outcomes;
    int code = exitOf(run.run(*plan, &outcomes));

    if (!r.report.isEmpty()) {
        const QString failure = writeReport(r.report, *plan, outcomes, code, clock.elapsed());
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
