#include "widgethost.h"

#include "eventpump.h"
#include "statusframe.h"

#include <QEventLoop>
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
    std::mutex mutex;
    std::condition_variable wake;     // work has come, or the worker is to end
    std::condition_variable finished; // all the work handed over is done
    std::deque<std::function<void()>> queue;
    int pending = 0;            // work handed over and not yet done
    QEventLoop* loop = nullptr; // set while the window runs its events until the work is done
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

    // Called with the mutex held.
    void hand(std::function<void()> work) {
        queue.push_back(std::move(work));
        ++pending;
        wake.notify_one();
    }

    void serve() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return !queue.empty() || ending; });
            if (queue.empty())
                return;
            const std::function<void()> job = std::move(queue.front());
            queue.pop_front();
            lock.unlock();
            job();
            lock.lock();
            if (--pending > 0)
                continue;
            if (loop)
                QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
            finished.notify_one();
        }
    }
};

WidgetHost::~WidgetHost() = default;

WidgetHost::Worker& WidgetHost::worker() {
    if (!worker_)
        worker_ = std::make_unique<Worker>();
    return *worker_;
}

void WidgetHost::startBlocking(std::function<void()> work) {
    // Inside the events of a wait the work is done in place: the window's worker may be busy
    // with the run's work, which must not wait for it.
    if (blockingDepth_ > 0) {
        work();
        return;
    }
    Worker& w = worker();
    const std::lock_guard lock(w.mutex);
    w.hand(std::move(work));
}

void WidgetHost::awaitBlocking() {
    if (blockingDepth_ > 0 || !worker_)
        return;
    {
        const std::lock_guard lock(worker_->mutex);
        if (worker_->pending == 0)
            return;
    }
    runBlocking([] {});
}

void WidgetHost::runBlocking(const std::function<void()>& work) {
    // The window keeps handling its events while the worker writes, flushes and renames; the
    // run goes on only once the work is done, so pages, messages and reads keep their order.
    // Work that ends before the window's events are due again is simply waited for: the events
    // then run at the next pump, so a page's short writes cost no extra turn. When the status
    // displays are due, they are redrawn at once, while the worker writes: the window's thread
    // has nothing else to do then, so the drawing costs the run nothing.
    // Blocking work asked for from inside those events gets a worker of its own.
    std::unique_ptr<Worker> own;
    if (blockingDepth_ > 0)
        own = std::make_unique<Worker>();
    Worker& worker = own ? *own : this->worker();
    const auto done = [&worker] { return worker.pending == 0; };
    QEventLoop loop;
    bool looping = false;
    {
        std::unique_lock lock(worker.mutex);
        worker.hand([&work] { work(); });
        if (!pump_.statusDueWhileWaiting())
            worker.finished.wait_for(lock, std::chrono::milliseconds(pump_.untilDue()), done);
        looping = !done();
        if (looping)
            worker.loop = &loop;
    }
    if (looping) {
        pump_.beforeOwnEvents();
        ++blockingDepth_;
        loop.exec();
        --blockingDepth_;
        pump_.eventsRan();
    }
    std::unique_lock lock(worker.mutex);
    worker.finished.wait(lock, done);
    worker.loop = nullptr;
}

} // namespace veltrano::ui
