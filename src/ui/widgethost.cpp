#include "widgethost.h"

#include "eventpump.h"
#include "statusframe.h"

#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <chrono>
#include <condition_variable>
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

void WidgetHost::runBlocking(const std::function<void()>& work) {
    // The window keeps handling its events while the worker writes, flushes and renames; the
    // run goes on only once the work is done, so pages, messages and reads keep their order.
    // Work that ends before the window's events are due again is simply waited for: the events
    // then run at the next pump, so a page's short writes cost no extra turn of repainting.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool looping = false;
    QEventLoop loop;
    std::thread worker([&] {
        work();
        const std::lock_guard lock(mutex);
        done = true;
        if (looping)
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        finished.notify_one();
    });
    {
        std::unique_lock lock(mutex);
        finished.wait_for(lock, std::chrono::milliseconds(pump_.untilDue()), [&] { return done; });
        looping = !done;
    }
    if (looping) {
        pump_.beforeOwnEvents();
        loop.exec();
        pump_.eventsRan();
    }
    worker.join();
}

} // namespace veltrano::ui
