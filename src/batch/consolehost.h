#pragma once

#include "host.h"

#include <QString>

class QTextStream;

namespace veltrano {

// The host of the batch tool: every message is one line "TITLE: PROMPT" on standard error, and
// on a terminal a progress line shows the page being converted. Dialogs answer "cancelled".
class ConsoleHost : public Host {
public:
    ConsoleHost(QTextStream& err, bool progressLine) : err_(err), progressLine_(progressLine) {}

    void message(const QString& prompt, const QString& title, Icon icon) override;
    void setCurrentFile(const QString& path) override;
    void setListProgress(int value, int maximum) override;
    void setPageProgress(qint64 value, qint64 maximum) override;
    void showStatus(bool visible) override;

    int messageCount() const { return messages_; }

private:
    void drawProgress();
    void clearProgress();

    QTextStream& err_;
    bool progressLine_;
    bool progressShown_ = false;
    int messages_ = 0;
    QString file_;
    int listValue_ = 0;
    int listMaximum_ = 0;
    int percent_ = -1;
};

} // namespace veltrano
