#pragma once

#include "host.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace veltrano::test {

// A host that records everything the engine shows and answers dialogs from a queue.
class RecordingHost : public Host {
public:
    struct Message {
        QString prompt;
        QString title;
        Icon icon;
    };

    void message(const QString& prompt, const QString& title, Icon icon) override {
        messages.append({prompt, title, icon});
    }
    QString openFileName() override {
        ++dialogsShown;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QString saveFileName() override { return openFileName(); }
    void showStatus(bool visible) override { statusVisible = visible; }
    void setCurrentFile(const QString& path) override { files.append(currentFile = path); }
    void setListProgress(int value, int maximum) override {
        positions.append(value);
        listMaximum = maximum;
    }
    void setPageProgress(qint64 value, qint64 maximum) override {
        pageValue = value;
        pageMaximum = maximum;
    }
    void setStartEnabled(bool enabled) override { startEnabled = enabled; }
    void pump() override {
        ++pumps;
        if (onPump)
            onPump(pumps);
    }

    QList<Message> messages;
    QStringList fileAnswers; // next answers of the file dialog, first first
    int dialogsShown = 0;
    bool statusVisible = false;
    QString currentFile;
    QStringList files;    // every file shown, in order
    QList<int> positions; // every list position shown
    int listMaximum = -1;
    qint64 pageValue = -1;
    qint64 pageMaximum = -1;
    bool startEnabled = true;
    int pumps = 0;
    // Runs at a given pump (1-based), to act as a user during a yield.
    std::function<void(int pump)> onPump;
};

} // namespace veltrano::test
