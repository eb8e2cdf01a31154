#include "host.h"

#include "startedwork.h"

namespace veltrano {

Host::~Host() = default;

void Host::message(const QString&, const QString&, Icon) {}
QString Host::openFileName() {
    return {};
}
QString Host::saveFileName() {
    return {};
}
void Host::showStatus(bool) {}
void Host::setCurrentFile(const QString&) {}
void Host::setListProgress(int, int) {}
void Host::setPageProgress(qint64, qint64) {}
void Host::setStartEnabled(bool) {}
void Host::pump() {}
void Host::runBlocking(const std::function<void()>& work) {
    work();
}
Ticket Host::startBlocking(std::function<void()> work) {
    work();
    work = nullptr;
    auto ticket = std::make_shared<WorkTicket>();
    ticket->finish();
    return ticket;
}
void Host::await(const Ticket& ticket) {
    if (ticket)
        ticket->wait();
}

} // namespace veltrano
