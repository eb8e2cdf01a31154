#include "widgethost.h"

#include "eventpump.h"
#include "statusframe.h"

#include "startedwork.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace veltrano::ui {

WidgetHost::WidgetHost(QWidget* window, EventPump& pump) : window_(window), pump_(pump) {
    pump_.beforeEvents = [this] {
        if (frame_)
            frame_->apply();
    };
}

void WidgetHost::setStatusWidgets(StatusFrame* frame, QPushButton* startButton) {
    frame_ = frame;
    start_ = startButton;
}

QString WidgetHost::dialogTitle() {
    return QStringLiteral("Projekt öffnen/speichern");
}

void WidgetHost::message(const QString& prompt, const QString& title, Icon icon) {
    messages_.append({prompt, title, icon});
    if (frame_)
        frame_->apply();
    if (!modal_)
        return;
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    title, prompt, QMessageBox::Ok, window_);
    box.setObjectName(QStringLiteral("messageBox"));
    // Texts name files and quote their lines ("<!DOCTYPE html>"): shown as they are.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool WidgetHost::question(const QString& prompt, const QString& title) {
    messages_.append({prompt, title, Icon::Information});
    if (!nextAnswers_.isEmpty())
        return nextAnswers_.takeFirst();
    if (!modal_)
        return false;
    QMessageBox box(QMessageBox::Question, title, prompt, QMessageBox::Yes | QMessageBox::No,
                    window_);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString WidgetHost::openFileName() {
    return fileName(false);
}
QString WidgetHost::saveFileName() {
    return fileName(true);
}

QString WidgetHost::folderName(const QString& start) {
    return fileName(false, start, true);
}

QString WidgetHost::fileName(bool save, const QString& folderStart, bool folder) {
    ++dialogs_;
    if (!nextNames_.isEmpty())
        return nextNames_.takeFirst();
    if (!modal_)
        return {};
    if (folder)
        return QFileDialog::getExistingDirectory(window_, QStringLiteral("Ausgabeverzeichnis"),
                                                 folderStart);
    // One dialog serves Open and Save as; the save form asks before it replaces a file. Its name
    // field starts with the pattern, and the name comes back as the user typed it, with no
    // extension added. Qt's own dialog, so it looks and speaks the same on every desktop.
    QFileDialog dialog(window_, dialogTitle(), QString(),
                       QStringLiteral("Veltrano-Projekte (*.vtp)"));
    dialog.setObjectName(QStringLiteral("Dlg"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.selectFile(QStringLiteral("*.vtp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void WidgetHost::showStatus(bool visible) {
    if (!frame_)
        return;
    frame_->apply();
    frame_->setVisible(visible);
    if (visible)
        frame_->raise();
}

void WidgetHost::setCurrentFile(const QString& path) {
    if (frame_)
        frame_->setCurrentFile(path);
}

void WidgetHost::setListProgress(int value, int maximum) {
    if (frame_)
        frame_->setListProgress(value, maximum);
}

void WidgetHost::setPageProgress(qint64 value, qint64 maximum) {
    if (frame_)
        frame_->setPageProgress(value, maximum);
}

void WidgetHost::setStartEnabled(bool enabled) {
    if (start_)
        start_->setEnabled(enabled);
}

void WidgetHost::pump() {
    pump_.pump();
}

// One thread does the blocking work of the window's runs: starting a thread for every step
// would keep a page waiting for the new thread longer than many of its steps take. It takes the
// work in the order it was handed over.
struct WidgetHost::Worker {
    struct Piece {
        std::function<void()> work;
        Ticket ticket;
    };
    std::mutex mutex;
    std::condition_variable wake; // work has come, or the worker is to end
    std::deque<Piece> queue;
    bool ending = false;
    std::thread thread;

    Worker() : thread([this] { serve(); }) {}
    ~Worker() {
        {
            const std::lock_guard lock(mutex);
            ending = true;
        }
        wake.notify_one();
        thread.join();
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    Ticket hand(std::function<void()> work) {
        auto ticket = std::make_shared<WorkTicket>();
        {
            const std::lock_guard lock(mutex);
            queue.push_back({std::move(work), ticket});
        }
        wake.notify_one();
        return ticket;
    }

    void serve() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return !queue.empty() || ending; });
            if (queue.empty())
                return;
            Piece piece = std::move(queue.front());
            queue.pop_front();
            lock.unlock();
            piece.work();
            piece.work = nullptr; // what the work owned goes before its waiter goes on
            piece.ticket->finish();
            lock.lock();
        }
    }
};

WidgetHost::~WidgetHost() = default;

WidgetHost::Worker& WidgetHost::worker() {
    if (!worker_)
        worker_ = std::make_unique<Worker>();
    return *worker_;
}

Ticket WidgetHost::startBlocking(std::function<void()> work) {
    return worker().hand(std::move(work));
}

void WidgetHost::await(const Ticket& ticket) {
    // The window's thread sleeps until the work is done or its events are due, whichever comes
    // first, and wakes the moment the work ends. Due events run in a turn of the pump, as while
    // the run works, so no wait holds them back longer than one interval, however long the
    // work takes; a wait asked for from inside those events does the same with its own ticket.
    while (ticket && !ticket->waitFor(std::chrono::milliseconds(pump_.untilDue())))
        pump_.pumpWhileWaiting();
}

void WidgetHost::runBlocking(const std::function<void()>& work) {
    await(startBlocking([&work] { work(); }));
}

} // namespace veltrano::ui
