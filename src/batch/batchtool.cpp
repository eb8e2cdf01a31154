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
#include <optional>
#include <utility>

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

// The help and the version are answered without looking at anything else.
std::optional<int> printHelpOrVersion(const BatchRequest& r, QTextStream& out) {
    if (r.help)
        out << batchHelp();
    else if (r.version)
        out << "veltrano-batch " << kProgramVersion << '\n';
    else
        return std::nullopt;
    out.flush();
    return kExitDone;
}

std::optional<int> refuseWithoutTargets(const BatchRequest& r, QTextStream& err) {
    if (r.project.isEmpty() && r.paths.isEmpty())
        return usage(err, QStringLiteral("veltrano-batch: keine Seiten / no pages"));
    // Without a project the output is asked for: the window's default folder beside the
    // program is no place for a pipeline's pages.
    if (r.project.isEmpty() && r.output.isEmpty() && !r.overwrite) {
        return usage(err, QStringLiteral("veltrano-batch: kein Ziel: -o ORDNER oder --overwrite "
                                         "angeben / no output: give -o DIR or --overwrite"));
    }
    return std::nullopt;
}

// A run of an accepted command line, stage by stage. A stage returns the exit status when the
// tool ends with it, nothing when the next stage follows. Everything is checked before anything
// is written: project, paths, outputs.
class BatchRun {
public:
    BatchRun(const BatchRequest& request, QTextStream& out, QTextStream& err, bool progressBar)
        : r_(request), out_(out), err_(err), host_(err, progressBar && !request.quiet),
          jobs_(request.jobs > 0 ? request.jobs : QThread::idealThreadCount()) {
        list_.Initialise();
    }

    int exec() {
        using Stage = std::optional<int> (BatchRun::*)();
        static constexpr Stage kStages[] = {
            &BatchRun::loadProject,       &BatchRun::planPages,      &BatchRun::planCopies,
            &BatchRun::warnOfBreakage,    &BatchRun::printDryRun,    &BatchRun::saveProject,
            &BatchRun::makeOutputFolders, &BatchRun::copyOtherFiles, &BatchRun::runPages,
            &BatchRun::writeRunReport,
        };
        for (const Stage stage : kStages) {
            if (const std::optional<int> code = (this->*stage)())
                return *code;
        }
        return code_;
    }

private:
    int fail(const QString& text) {
        host_.message(text, QStringLiteral("Fehler"), Host::Icon::Critical);
        return kExitDoneWithErrors;
    }

    // The project's options and pages, then the flags over them.
    std::optional<int> loadProject() {
        if (!r_.project.isEmpty()) {
            ProjectCommands commands(options_, list_, host_);
            if (!commands.openFile(r_.project))
                return kExitProjectUnread;
            for (int i = 0; i < list_.count(); ++i) {
                if (!list_.removed(i))
                    projectPages_.append(list_.path(i));
            }
        }
        r_.applyTo(options_);
        return std::nullopt;
    }

    // A project's pages keep their places below the site folder: the one given, or in the mode
    // their deepest common folder, as the window's run places them.
    std::optional<int> planPages() {
        const QString site = !r_.site.isEmpty() ? r_.site
                             : options_.modern() && !projectPages_.isEmpty()
                                 ? commonFolder(projectPages_)
                                 : QString();
        if (!site.isEmpty())
            siteFolders_ << site;
        for (const QString& page : std::as_const(projectPages_))
            sources_.append(site.isEmpty() ? namedPage(page) : keptPage(page, site));
        for (const QString& path : r_.paths) {
            if (QFileInfo(path).isDir())
                siteFolders_ << path;
        }
        const auto named = collectPages(r_.paths);
        if (!named)
            return usage(err_, named.error());
        sources_.append(*named);
        auto plan = planOutputs(sources_, options_, r_.backupDir);
        if (!plan)
            return usage(err_, plan.error());
        plan_ = std::move(*plan);
        return std::nullopt;
    }

    // The other files of the site come along into the output folder.
    std::optional<int> planCopies() {
        if (!options_.newFiles() || options_.overwrite() || r_.pagesOnly)
            return std::nullopt;
        auto others = planOtherFiles(siteFolders_, options_.text(TextField::txtPath), plan_);
        if (!others)
            return usage(err_, others.error());
        others_ = std::move(*others);
        return std::nullopt;
    }

    // What the pages would lose without the mode is told before anything is done; with the mode
    // the report names what it repaired.
    std::optional<int> warnOfBreakage() {
        const bool warn = !options_.modern() && !r_.quiet;
        if (warn || !r_.report.isEmpty())
            breaks_ = findBreakages(plan_, options_.values(), jobs_);
        if (warn) {
            for (const QString& line : breakageWarnings(plan_, breaks_))
                err_ << line << '\n';
            err_.flush();
        }
        return std::nullopt;
    }

    std::optional<int> printDryRun() {
        if (!r_.dryRun)
            return std::nullopt;
        for (const PlannedPage& p : std::as_const(plan_)) {
            out_ << p.source << " -> " << p.output;
            if (!p.backup.isEmpty())
                out_ << "  (Sicherung / backup: " << p.backup << ')';
            out_ << '\n';
        }
        for (const OtherFile& f : std::as_const(others_.files))
            out_ << f.source << " -> " << f.target << "  (Kopie / copy)\n";
        out_.flush();
        return kExitDone;
    }

    std::optional<int> saveProject() {
        if (r_.saveProject.isEmpty())
            return std::nullopt;
        FileList saved;
        saved.Initialise();
        QStringList paths;
        for (const PlannedPage& p : std::as_const(plan_))
            paths << p.source;
        saved.appendAll(paths);
        if (const auto failure = WriteProject(r_.saveProject, options_, saved))
            return fail(failure->description);
        const QString note =
            projectNote(r_.saveProject, options_, sources_, siteFolders_, !others_.files.isEmpty());
        if (!note.isEmpty() && !r_.quiet)
            err_ << note << '\n';
        return std::nullopt;
    }

    std::optional<int> makeOutputFolders() {
        if (const auto failure = makeFolders(plan_))
            return fail(failure->description);
        return std::nullopt;
    }

    // The other files first: the pages' run ends with its completion message.
    std::optional<int> copyOtherFiles() {
        copyFailures_ =
            veltrano::copyOtherFiles(others_.files, host_, r_.sync,
                                     [this](qsizetype i, const std::optional<FileError>& failure) {
                                         if (failure)
                                             fail(failure->description);
                                         else
                                             copied_.append(others_.files[i]);
                                     })
                .size();
        return std::nullopt;
    }

    std::optional<int> runPages() {
        clock_.start();
        ParallelRun run(options_, host_, Random::program(), jobs_);
        run.sized = [this](qint64 bytes) { host_.setTotalBytes(bytes); };
        run.completionMessage = !r_.quiet;
        // With the mode, Ctrl-C ends the run after the pages under way, with its report.
        interrupted = false;
        if (options_.modern()) {
            run.interrupt = &interrupted;
            interruptible = true;
        }
        run.sync = r_.sync;
        run.earlierFailures = static_cast<int>(copyFailures_);
        run.encodings = !r_.report.isEmpty();
        run.progress = [this](int done, qint64 bytes) { host_.setBytesDone(done, bytes); };
        code_ = exitOf(run.run(plan_, &outcomes_));
        interruptible = false;
        if (copyFailures_ > 0)
            code_ = qMax(code_, int{kExitDoneWithErrors});
        return std::nullopt;
    }

    std::optional<int> writeRunReport() {
        if (r_.report.isEmpty())
            return std::nullopt;
        if (const auto failure =
                writeReport(r_.report, plan_, outcomes_, breaks_, code_, clock_.elapsed(), copied_))
            code_ = qMax(code_, fail(failure->description));
        return std::nullopt;
    }

    const BatchRequest& r_;
    QTextStream& out_;
    QTextStream& err_;
    ConsoleHost host_;
    const int jobs_;
    OptionSet options_;
    FileList list_;
    QStringList projectPages_;
    QList<SourcePage> sources_;
    QStringList siteFolders_; // the folders whose other files come along
    QList<PlannedPage> plan_;
    OtherFiles others_;
    QList<breakage::Kinds> breaks_;
    QList<OtherFile> copied_;
    qsizetype copyFailures_ = 0;
    QElapsedTimer clock_;
    QList<PageOutcome> outcomes_;
    int code_ = kExitDone;
};

} // namespace

bool interruptRun() {
    return interruptible.load() && !interrupted.exchange(true);
}

int runBatch(const QStringList& args, QTextStream& out, QTextStream& err, bool progressBar) {
    const auto request = parseCommandLine(args);
    if (!request)
        return usage(err, request.error());
    if (const std::optional<int> code = printHelpOrVersion(*request, out))
        return *code;
    if (const std::optional<int> code = refuseWithoutTargets(*request, err))
        return *code;
    return BatchRun(*request, out, err, progressBar).exec();
}

} // namespace veltrano
