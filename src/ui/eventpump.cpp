#include "eventpump.h"

#include <QCoreApplication>

namespace veltrano::ui {

EventPump::EventPump() {
    since_.start();
    sinceStatus_.start();
}

bool EventPump::pumpAtPace(int statusIntervals) {
    if (since_.elapsed() < interval_)
        return false;
    if (statusDue(statusIntervals))
        refreshStatus();
    ++depth_;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --depth_;
    since_.restart();
    return true;
}

void EventPump::refreshStatus() {
    if (beforeEvents)
        beforeEvents();
    sinceStatus_.restart();
}

} // namespace veltrano::ui
