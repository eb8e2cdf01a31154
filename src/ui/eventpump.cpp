#include "eventpump.h"

#include <QCoreApplication>

namespace veltrano::ui {

EventPump::EventPump() {
    since_.start();
}

bool EventPump::pump() {
    if (since_.elapsed() < interval_)
        return false;
    pumpNow();
    return true;
}

void EventPump::pumpNow() {
    if (beforeEvents)
        beforeEvents();
    ++depth_;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --depth_;
    since_.restart();
}

} // namespace veltrano::ui
