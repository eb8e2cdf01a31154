#include "eventpump.h"

#include <QCoreApplication>

namespace veltrano::ui {

EventPump::EventPump() {
    since_.start();
    sinceStatus_.start();
}

bool EventPump::pump() {
    if (since_.elapsed() < interval_)
        return false;
    pumpNow();
    return true;
}

void EventPump::pumpNow() {
    if (statusDue(kStatusWhileWorking))
        refreshStatus();
    ++depth_;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --depth_;
    since_.restart();
}

void EventPump::refreshStatus() {
    if (beforeEvents)
        beforeEvents();
    sinceStatus_.restart();
}

} // namespace veltrano::ui
