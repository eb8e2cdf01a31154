#include "parallelrun.h"

#include "options/optionset.h"
#include "pagesteps.h"
#include "passes/random.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace veltrano {

namespace {

// The state shared by the threads of one run.
struct Shared {
    Shared(const QList<PlannedPage>& p, const OptionSet& o, bool y, qsizetype r,
           std::uint32_t first, const std::atomic<bool>* i)
        : pages(p), options(o), sync(y), reached(r), interrupt(i), draws(static_cast<size_t>(r)),
          counted(static_cast<size_t>(r)), start(static_cast<size_t>(r)), state(first),
          done(static_cast<size_t>(r)), outcomes(static_cast<size_t>(r)) {}

    const QList<PlannedPage>& pages;
    const OptionSet& options;
    const bool sync;
    const qsizetype reached; // the pages before the first missing or empty source
    const std::atomic<bool>* interrupt;
    bool encodings = false; // each outcome names its page's encoding

    std::mutex mutex;
    std::condition_variable startsKnown; // more start states are known: for the workers
    std::condition_variable finished;    // another outcome is complete: for the calling thread
    qsizetype next = 0;                  // the next page a thread takes
    std::vector<qint64> draws;           // per page, once counted
    std::vector<char> counted;           // per page: draws known
    std::vector<std::uint32_t> start;    // per page: the generator state it starts from
    qsizetype known = 0;                 // the pages whose start state is known
    std::uint32_t state = 0;             // the state after the pages whose start is known
    std::vector<char> done;              // per page: outcome complete
    std::vector<PageOutcome> outcomes;

    // Records page i's draw count and works out the start states it completes.
    void publish(qsizetype i, qint64 count) {
        std::lock_guard lock(mutex);
        draws[static_cast<size_t>(i)] = count;
        counted[static_cast<size_t>(i)] = 1;
        while (known < reached && counted[static_cast<size_t>(known)]) {
            start[static_cast<size_t>(known)] = state;
            state =
                Random::jump(state, static_cast<std::uint64_t>(draws[static_cast<size_t>(known)]));
            ++known;
        }
        startsKnown.notify_all();
    }
    std::uint32_t startOf(qsizetype i) {
        std::unique_lock lock(mutex);
        startsKnown.wait(lock, [&] { return known > i; });
        return start[static_cast<size_t>(i)];
    }
    bool interrupted() const { return interrupt && interrupt->load(); }
    void finish(qsizetype i, PageOutcome outcome) {
        std::lock_guard lock(mutex);
        outcomes[static_cast<size_t>(i)] = std::move(outcome);
        done[static_cast<size_t>(i)] = 1;
        finished.notify_one();
    }
};

// The pages' work on one thread: take the next page, read it and count its draws, wait for its
// start state, then encode it, back it up and put it in place through the steps of every run.
void work(Shared& s) {
    NullHost host;
    Random random;
    PageSteps steps(random, host);
    for (;;) {
        qsizetype i = 0;
        {
            std::lock_guard lock(s.mutex);
            if (s.next >= s.reached || s.interrupted())
                return;
            i = s.next++;
        }
        const PlannedPage& planned = s.pages[i];
        PageOutcome outcome;
        QElapsedTimer timer;
        timer.start();
        PageSteps::Job job;
        job.source = planned.source;
        job.plannedOutput = planned.output;
        if (s.encodings)
            job.encoding.emplace();
        std::optional<PageError> error = steps.readPage(job, s.options);
        if (job.encoding)
            outcome.encoding = QString::fromLatin1(*job.encoding);
        if (!error && !planned.backup.isEmpty())
            steps.prepareBackup(job, planned.backup);
        s.publish(i, error ? 0 : steps.countDraws(s.options));
        if (!error) {
            outcome.inputBytes = QFileInfo(planned.source).size();
            random.setState(s.startOf(i));
            error = steps.encodeInto(job, s.options, s.sync);
        }
        if (!error)
            error = steps.commit(job, planned.output, planned.backup);
        if (error) {
            outcome.fatal = error->kind == PageError::Kind::Fatal;
            if (error->notice)
                outcome.notice = error->noticeText();
            outcome.messages = messagesFor(*error, s.options.text(TextField::txtPath));
        } else {
            outcome.converted = true;
            outcome.outputBytes = QFileInfo(planned.output).size();
        }
        outcome.milliseconds = timer.elapsed();
        s.finish(i, std::move(outcome));
    }
}

qsizetype firstMissing(const QList<PlannedPage>& pages) {
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QFileInfo info(pages[i].source);
        if (!info.exists() || info.size() < 1)
            return i;
    }
    return pages.size();
}

// The leftovers of ended runs go from every folder the run writes into, before the first page.
void sweepFolders(const QList<PlannedPage>& pages, qsizetype reached) {
    RunFiles files;
    for (qsizetype i = 0; i < reached; ++i) {
        files.sweepFolderOf(pages[i].output);
        if (!pages[i].backup.isEmpty())
            files.sweepFolderOf(pages[i].backup);
    }
}

// The threads of one run; when they go, no page is taken any more and every thread has ended.
class Workers {
public:
    Workers(Shared& s, int jobs) : s_(s) {
        const int count = static_cast<int>(qMin<qsizetype>(jobs, qMax<qsizetype>(1, s.reached)));
        for (int t = 0; t < count; ++t)
            threads_.emplace_back(work, std::ref(s));
    }
    ~Workers() {
        {
            std::lock_guard lock(s_.mutex);
            s_.next = s_.reached;
        }
        for (std::thread& t : threads_)
            t.join();
    }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

private:
    Shared& s_;
    std::vector<std::thread> threads_;
};

// Waits for page i's outcome, showing the page as the current one meanwhile; none when an
// interruption ended the run before the page was taken.
std::optional<PageOutcome> outcomeOf(Shared& s, qsizetype i, Host& host) {
    host.setCurrentFile(s.pages[i].source);
    host.setListProgress(static_cast<int>(i + 1), static_cast<int>(s.pages.size()));
    std::unique_lock lock(s.mutex);
    const auto ready = [&] {
        return s.done[static_cast<size_t>(i)] != 0 || (s.interrupted() && s.next <= i);
    };
    while (!s.finished.wait_for(lock, std::chrono::milliseconds(50), ready)) {
    }
    if (s.done[static_cast<size_t>(i)] == 0)
        return std::nullopt;
    return s.outcomes[static_cast<size_t>(i)];
}

// What one page's outcome adds to the tally, and its messages; with "Moderne Seiten" a guard's
// notice waits for the list at the end. True when the page showed an error.
bool count(const PageOutcome& outcome, bool modern, RunTally& tally, Host& host) {
    tally.converted += outcome.converted ? 1 : 0;
    if (modern && !outcome.notice.isEmpty()) {
        tally.notices << outcome.notice;
        ++tally.skipped;
        return false;
    }
    for (const PageMessage& m : outcome.messages)
        host.message(m.prompt, m.title, m.icon);
    if (outcome.messages.isEmpty())
        return false;
    ++(outcome.notice.isEmpty() ? tally.failed : tally.skipped);
    return true;
}

// Gives out the pages' outcomes and messages in list order, until every page reached is done or
// one ends the run.
ParallelRun::Outcome deliver(Shared& s, Host& host, RunTally& tally, bool modern,
                             const std::function<void(int, qint64)>& progress,
                             QList<PageOutcome>* outcomes) {
    bool errors = false;
    qint64 inputBytes = 0;
    for (qsizetype i = 0; i < s.reached; ++i) {
        std::optional<PageOutcome> outcome = outcomeOf(s, i, host);
        // The threads take no page after an interruption: the run ends with the pages under way.
        if (!outcome) {
            tally.interrupted = true;
            return ParallelRun::Outcome::Interrupted;
        }
        // A source that vanished after the run was planned stops it there, as in the window;
        // pages after it that other threads have finished stay written.
        const bool fatal = outcome->fatal;
        if (fatal)
            tally.stop = outcome->messages.value(0).prompt;
        else
            errors = count(*outcome, modern, tally, host) || errors;
        inputBytes += outcome->inputBytes;
        if (outcomes)
            outcomes->append(std::move(*outcome));
        if (fatal)
            return ParallelRun::Outcome::Stopped;
        if (progress)
            progress(static_cast<int>(i + 1), inputBytes);
    }
    return errors ? ParallelRun::Outcome::CompletedWithErrors : ParallelRun::Outcome::Completed;
}

} // namespace

ParallelRun::ParallelRun(const OptionSet& options, Host& host, Random& random, int jobs)
    : options_(options), host_(host), random_(random), jobs_(qMax(1, jobs)) {}

ParallelRun::Outcome ParallelRun::run(const QList<PlannedPage>& pages,
                                      QList<PageOutcome>* outcomes) {
    const qsizetype reached = firstMissing(pages);
    sweepFolders(pages, reached);
    Shared s(pages, options_, sync, reached, random_.state(), interrupt);
    s.encodings = encodings;
    tally_ = RunTally();
    tally_.failed = earlierFailures;
    host_.showStatus(true);
    Outcome outcome = Outcome::Completed;
    {
        const Workers workers(s, jobs_);
        outcome = deliver(s, host_, tally_, options_.modern(), progress, outcomes);
    }
    random_.setState(s.state);
    const bool completed = outcome == Outcome::Completed || outcome == Outcome::CompletedWithErrors;
    if (completed && reached < pages.size()) {
        tally_.stop = missingSourcePrompt(pages[reached].source, options_.modern());
        outcome = Outcome::Stopped;
    } else if (completed) {
        host_.showStatus(false);
    }
    finishRun(host_, tally_, options_.modern(), completionMessage);
    return outcome;
}

} // namespace veltrano
