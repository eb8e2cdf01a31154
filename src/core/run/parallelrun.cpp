#include "parallelrun.h"

#include "options/optionset.h"
#include "pagesteps.h"
#include "passes/random.h"

#include <QElapsedTimer>

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
    qsizetype doneCount = 0; // outcomes complete
    // Nobody is woken for news nobody waits for: workers waiting for a start state are counted,
    // and the calling thread, once it has caught up, sleeps until a few more outcomes are
    // complete (wakeAt of them; -1: it does not sleep), so no thread switches per page.
    int startWaiters = 0;
    qsizetype wakeAt = -1;
    qsizetype wakeAfter = 1;

    // Records the outcome of the page a thread finished (none: -1) and hands it the next one;
    // -1 when there is none to take.
    qsizetype take(qsizetype finishedPage, PageOutcome& outcome) {
        std::unique_lock lock(mutex);
        bool wake = false;
        if (finishedPage >= 0) {
            outcomes[static_cast<size_t>(finishedPage)] = std::move(outcome);
            done[static_cast<size_t>(finishedPage)] = 1;
            ++doneCount;
            wake = wakeAt >= 0 && doneCount >= wakeAt;
        }
        const qsizetype i = next < reached && !interrupted() ? next++ : -1;
        lock.unlock();
        if (wake)
            finished.notify_one();
        return i;
    }
    // Records page i's draw count and works out the start states it completes; with wanted,
    // page i's start state, waited for when the pages before it are not counted yet.
    std::uint32_t publish(qsizetype i, qint64 count, bool wanted) {
        std::unique_lock lock(mutex);
        draws[static_cast<size_t>(i)] = count;
        counted[static_cast<size_t>(i)] = 1;
        const qsizetype before = known;
        while (known < reached && counted[static_cast<size_t>(known)]) {
            start[static_cast<size_t>(known)] = state;
            state =
                Random::jump(state, static_cast<std::uint64_t>(draws[static_cast<size_t>(known)]));
            ++known;
        }
        if (known > before && startWaiters > 0)
            startsKnown.notify_all();
        if (!wanted)
            return 0;
        if (known <= i) {
            ++startWaiters;
            startsKnown.wait(lock, [&] { return known > i; });
            --startWaiters;
        }
        return start[static_cast<size_t>(i)];
    }
    bool interrupted() const { return interrupt && interrupt->load(); }
};

// The pages' work on one thread: take the next page, read it and count its draws, wait for its
// start state, then encode it, back it up and put it in place through the steps of every run.
void work(Shared& s) {
    NullHost host;
    Random random;
    PageSteps steps(random, host);
    // The options stay as they are for the whole run, and so does the header the first page
    // read makes from them; the later pages take it over.
    QByteArray header;
    PageOutcome outcome;
    for (qsizetype i = s.take(-1, outcome); i >= 0; i = s.take(i, outcome)) {
        const PlannedPage& planned = s.pages[i];
        outcome = PageOutcome();
        QElapsedTimer timer;
        timer.start();
        PageSteps::Job job;
        job.source = planned.source;
        job.header = header;
        job.plannedOutput = planned.output;
        if (s.encodings)
            job.encoding.emplace();
        std::optional<PageError> error = steps.readPage(job, s.options);
        if (header.isNull())
            header = job.header;
        if (job.encoding)
            outcome.encoding = QString::fromLatin1(*job.encoding);
        if (!error && !planned.backup.isEmpty())
            steps.prepareBackup(job, planned.backup);
        const std::uint32_t start = s.publish(i, error ? 0 : steps.countDraws(s.options), !error);
        if (!error) {
            outcome.inputBytes = job.sourceBytes;
            random.setState(start);
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
            outcome.outputBytes = job.outputBytes;
        }
        outcome.milliseconds = timer.elapsed();
    }
}

// The pages before the first missing or empty source, and their bytes.
std::pair<qsizetype, qint64> firstMissing(const QList<PlannedPage>& pages) {
    qint64 bytes = 0;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const qint64 size = fileSize(pages[i].source);
        if (size < 1)
            return {i, bytes};
        bytes += size;
    }
    return {pages.size(), bytes};
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
    while (!ready()) {
        s.wakeAt = qMin(s.doneCount + s.wakeAfter, s.reached);
        s.finished.wait_for(lock, std::chrono::milliseconds(50));
    }
    s.wakeAt = -1;
    if (s.done[static_cast<size_t>(i)] == 0)
        return std::nullopt;
    return std::move(s.outcomes[static_cast<size_t>(i)]);
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
    const auto [reached, bytes] = firstMissing(pages);
    if (sized)
        sized(bytes);
    sweepFolders(pages, reached);
    Shared s(pages, options_, sync, reached, random_.state(), interrupt);
    s.encodings = encodings;
    s.wakeAfter = 4 * jobs_;
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
