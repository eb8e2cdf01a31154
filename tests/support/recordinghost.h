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
        bool operator==(const Message&) const = default;
    };

    void message(const QString& prompt, const QString& title, Icon icon) override;
    QString openFileName() override;
    QString saveFileName() override;
    void showStatus(bool visible) override;
    void setCurrentFile(const QString& path) override;
    void setListProgress(int value, int maximum) override;
    void setPageProgress(qint64 value, qint64 maximum) override;
    void setStartEnabled(bool enabled) override;
    void pump() override;
    QStringList titles() const; // the titles of all messages, in order

    QList<Message> messages;
    QStringList fileAnswers; // next answers of the file dialog, first first
    int dialogsShown = 0;
    bool statusVisible = false;
    QString currentFile;
    QStringList files;    // every file shown, in order
    QList<int> positions; // every list position shown
    int listValue = -1;
    int listMaximum = -1;
    qint64 pageValue = -1;
    qint64 pageMaximum = -1;
    bool startEnabled = true;
    int pumps = 0;
    // Runs at a given pump (1-based), to act as a user during a yield.
    std::function<void(int pump)> onPump;
};

// Lets QCOMPARE show a message that differs.
char* toString(const RecordingHost::Message& m);

} // namespace veltrano::test
