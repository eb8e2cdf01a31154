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
}

void ConsoleHost::setCurrentFile(const QString& path) {
    file_ = path;
    percent_ = -1;
}

void ConsoleHost::setListProgress(int value, int maximum) {
    listValue_ = value;
    listMaximum_ = maximum;
    percent_ = 0;
    drawProgress();
}

void ConsoleHost::setPageProgress(qint64 value, qint64 maximum) {
    if (maximum <= 0 || listValue_ == 0)
        return;
    const int percent = static_cast<int>(qBound<qint64>(0, value * 100 / maximum, qint64{100}));
    if (percent == percent_)
        return;
    percent_ = percent;
    drawProgress();
}

void ConsoleHost::showStatus(bool visible) {
    if (!visible)
        clearProgress();
}

void ConsoleHost::drawProgress() {
    if (!progressLine_)
        return;
    err_ << "\r\x1b[K" << '[' << listValue_ << '/' << listMaximum_ << "] " << percent_ << "% "
         << file_;
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
