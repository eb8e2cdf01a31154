#pragma once

#include "host.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

namespace veltrano {

// The completion of one piece of started work, shared by the thread that does it and the one
// that waits for it.
class WorkTicket {
public:
    // Called once the work is done and has let go of everything it held.
    void finish() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        finished_.notify_all();
    }
    bool done() const {
        const std::lock_guard lock(mutex_);
        return done_;
    }
    // Blocks the calling thread until the work is done, or until the time has passed; true
    // when it is done.
    bool waitFor(std::chrono::milliseconds time) const {
        std::unique_lock lock(mutex_);
        return finished_.wait_for(lock, time, [this] { return done_; });
    }
    void wait() const {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return done_; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable finished_;
    bool done_ = false;
};

// A piece of blocking work handed to the host together with the state it owns. The work is a
// plain function of that state, so it can reach nothing else; a handle dropped before the work
// is done leaves the state to the work, which frees it when done.
template <class State> class StartedWork {
public:
    StartedWork() = default;
    StartedWork(Host& host, std::shared_ptr<State> state, void (*work)(State&))
        : host_(&host), state_(std::move(state)) {
        ticket_ = host.startBlocking([owned = state_, work] { work(*owned); });
    }

    bool started() const { return state_ != nullptr; }
    // Waits for the work, the window handling its events meanwhile; from then on the state is
    // the caller's alone.
    State& await() {
        host_->await(ticket_);
        return *state_;
    }
    // Waits, then hands the state over, for another piece of work to reuse; the handle is empty.
    std::shared_ptr<State> take() {
        if (state_)
            await();
        host_ = nullptr;
        ticket_.reset();
        return std::move(state_);
    }

private:
    Host* host_ = nullptr;
    std::shared_ptr<State> state_;
    Ticket ticket_;
};

// A state for the next piece of started work: the spare one when no work holds it any more,
// else a new one.
template <class State> std::shared_ptr<State> reuseOrMake(std::shared_ptr<State>& spare) {
    if (spare && spare.use_count() == 1)
        return std::exchange(spare, nullptr);
    return std::make_shared<State>();
}

} // namespace veltrano
