#include "consolehost.h"

#include <QRegularExpression>
#include <QTextStream>

namespace veltrano {

void ConsoleHost::message(const QString& prompt, const QString& title, Icon) {
    clearProgress();
    ++messages_;
    QString line = prompt;
    // One message, one line: the line breaks inside a prompt become blanks.
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    line.replace(breaks, QStringLiteral(" "));
    err_ << title << ": " << line << '\n';
    err_.flush();
    if (done_ < total_)
        drawProgress();
}

void ConsoleHost::setListProgress(int value, int maximum) {
    if (!clock_.isValid())
        clock_.start();
    total_ = maximum;
    done_ = value - 1;
    drawProgress();
}

void ConsoleHost::setBytesDone(int pagesDone, qint64 bytes) {
    done_ = pagesDone;
    bytesDone_ = bytes;
    drawProgress();
}

void ConsoleHost::showStatus(bool visible) {
    if (!visible)
        clearProgress();
}

void ConsoleHost::drawProgress() {
    if (!progressBar_ || total_ <= 0)
        return;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(qint64{kWidth} * done_ / total_);
    const double seconds = clock_.isValid() ? clock_.elapsed() / 1000.0 : 0.0;
    QString line = QStringLiteral("\r\x1b[K[%1%2] %3/%4")
                       .arg(QString(filled, QLatin1Char('#')), QString(kWidth - filled, u'-'))
                       .arg(done_)
                       .arg(total_);
    if (seconds > 0.2 && bytesDone_ > 0) {
        const double rate = bytesDone_ / seconds;
        line += QStringLiteral("  %1 MB/s").arg(rate / 1e6, 0, 'f', 1);
        if (totalBytes_ > bytesDone_) {
            const auto left = static_cast<qint64>((totalBytes_ - bytesDone_) / rate);
            line += QStringLiteral("  %1:%2 übrig / left")
                        .arg(left / 60)
                        .arg(left % 60, 2, 10, QLatin1Char('0'));
        }
    }
    err_ << line;
    err_.flush();
    progressShown_ = true;
}

void ConsoleHost::clearProgress() {
    if (!progressShown_)
        return;
    err_ << "\r\x1b[K";
    err_.flush();
    progressShown_ = false;
}

} // namespace veltrano
