#pragma once

#include "host.h"

#include <QElapsedTimer>
#include <QString>

class QTextStream;

namespace veltrano {

// The host of the batch tool: every message is one line "TITLE: PROMPT" on standard error, and
// on a terminal a progress bar shows the pages done, the reading speed and the time left.
// Dialogs answer "cancelled".
class ConsoleHost : public Host {
public:
    ConsoleHost(QTextStream& err, bool progressBar) : err_(err), progressBar_(progressBar) {}

    void message(const QString& prompt, const QString& title, Icon icon) override;
    void setListProgress(int value, int maximum) override;
    void showStatus(bool visible) override;

    // The bytes of all pages, for the speed and the time left; then the bytes read so far.
    void setTotalBytes(qint64 bytes) { totalBytes_ = bytes; }
    void setBytesDone(int pagesDone, qint64 bytes);

    int messageCount() const { return messages_; }

private:
    void drawProgress();
    void clearProgress();

    QTextStream& err_;
    bool progressBar_;
    bool progressShown_ = false;
    int messages_ = 0;
    int done_ = 0;
    int total_ = 0;
    qint64 totalBytes_ = 0;
    qint64 bytesDone_ = 0;
    QElapsedTimer clock_;
};

} // namespace veltrano
