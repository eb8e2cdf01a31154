#pragma once

#include "host.h"

#include <QList>
#include <QStringList>

#include <memory>

class QPushButton;
class QWidget;

namespace veltrano::ui {

class EventPump;
class StatusFrame;

// The window's side of the engine: message boxes, the project file dialog, the status frame of
// a run and the event pump. Tests switch the modal boxes off and answer the file dialog through
// queued names, so no box is ever left waiting.
class WidgetHost : public Host {
public:
    struct Message {
        QString prompt;
        QString title;
        Icon icon;
    };

    WidgetHost(QWidget* window, EventPump& pump);
    ~WidgetHost() override;
    WidgetHost(const WidgetHost&) = delete;
    WidgetHost& operator=(const WidgetHost&) = delete;

    void setStatusWidgets(StatusFrame* frame, QPushButton* startButton);

    void message(const QString& prompt, const QString& title, Icon icon) override;
    QString openFileName() override;
    QString saveFileName() override;
    // A folder chooser opened at start; empty when cancelled.
    QString folderName(const QString& start);
    // A question with "Ja" and "Nein"; true for "Ja".
    bool question(const QString& prompt, const QString& title);
    void showStatus(bool visible) override;
    void setCurrentFile(const QString& path) override;
    void setListProgress(int value, int maximum) override;
    void setPageProgress(qint64 value, qint64 maximum) override;
    void setStartEnabled(bool enabled) override;
    void pump() override;
    void runBlocking(const std::function<void()>& work) override;
    Ticket startBlocking(std::function<void()> work) override;
    void await(const Ticket& ticket) override;

    // Seams for tests and scripted use. With modal boxes off a message is only recorded, and a
    // file dialog takes the next queued name (an empty queue answers "cancelled").
    void setModalBoxes(bool shown) { modal_ = shown; }
    void setNextFileName(const QString& name) { nextNames_.append(name); }
    // With modal boxes off a question is recorded and takes the next queued answer ("Nein" when
    // none is queued).
    void setNextAnswer(bool yes) { nextAnswers_.append(yes); }
    const QList<Message>& messages() const { return messages_; }
    int dialogsShown() const { return dialogs_; }

    static QString dialogTitle();

private:
    QString fileName(bool save, const QString& folderStart = {}, bool folder = false);

    QWidget* window_;
    EventPump& pump_;
    StatusFrame* frame_ = nullptr;
    QPushButton* start_ = nullptr;
    bool modal_ = true;
    QStringList nextNames_;
    QList<bool> nextAnswers_;
    QList<Message> messages_;
    int dialogs_ = 0;
    struct Worker;
    Worker& worker();
    std::unique_ptr<Worker> worker_;
};

} // namespace veltrano::ui
