#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>

namespace veltrano::ui {

// Lets pending window events run, at most once per interval, while a long loop works on the
// window's thread; the status displays are redrawn less often than that.
class EventPump {
public:
    static constexpr int kDefaultIntervalMs = 8;
    // How many event intervals pass between two redraws of the status displays.
    static constexpr int kStatusWhileWaiting = 2;
    static constexpr int kStatusWhileWorking = 4;

    EventPump();

    // While the window's thread works. Returns true when events were processed.
    bool pump() { return pumpAtPace(kStatusWhileWorking); }
    // While the window's thread waits for other work: the status displays follow more often.
    bool pumpWhileWaiting() { return pumpAtPace(kStatusWhileWaiting); }

    // Milliseconds until a pump would run events again (0 when they are due).
    qint64 untilDue() const { return std::max<qint64>(0, interval_ - since_.elapsed()); }

    void setInterval(int milliseconds) { interval_ = milliseconds; }
    int interval() const { return interval_; }
    // How deep the window is inside pumps that run events (0 when none runs).
    int depth() const { return depth_; }
    bool isBusy() const { return busy_ > 0; }

    // Brings the status displays up to date; runs just before the events of a turn in which
    // they are due, so they are redrawn once per turn rather than once per change.
    std::function<void()> beforeEvents;

    // Marks a long operation (a run or a scan) while it is going on.
    class Busy {
    public:
        explicit Busy(EventPump& pump) : pump_(pump) { ++pump_.busy_; }
        ~Busy() { --pump_.busy_; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        EventPump& pump_;
    };

private:
    bool statusDue(int intervals) const { return sinceStatus_.elapsed() >= intervals * interval_; }
    // Processes events when they are due, the status displays first when they are due at the
    // pace given (in event intervals).
    bool pumpAtPace(int statusIntervals);
    void refreshStatus();

    QElapsedTimer since_;
    QElapsedTimer sinceStatus_;
    int interval_ = kDefaultIntervalMs;
    int depth_ = 0;
    int busy_ = 0;
};

} // namespace veltrano::ui
