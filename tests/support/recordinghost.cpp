#include "recordinghost.h"

#include <QtTest>

namespace veltrano::test {

void RecordingHost::message(const QString& prompt, const QString& title, Icon icon) {
    messages.append({prompt, title, icon});
}

QString RecordingHost::openFileName() {
    ++dialogsShown;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString RecordingHost::saveFileName() {
    return openFileName();
}
void RecordingHost::showStatus(bool visible) {
    statusVisible = visible;
}
void RecordingHost::setCurrentFile(const QString& path) {
    files.append(currentFile = path);
}

void RecordingHost::setListProgress(int value, int maximum) {
    positions.append(listValue = value);
    listMaximum = maximum;
}

void RecordingHost::setPageProgress(qint64 value, qint64 maximum) {
    pageValue = value;
    pageMaximum = maximum;
}

void RecordingHost::setStartEnabled(bool enabled) {
    startEnabled = enabled;
}

void RecordingHost::pump() {
    ++pumps;
    if (onPump)
        onPump(pumps);
}

QStringList RecordingHost::titles() const {
    QStringList t;
    for (const auto& m : messages)
        t << m.title;
    return t;
}

char* toString(const RecordingHost::Message& m) {
    return QTest::toString(
        QStringLiteral("%1 | %2 | icon %3").arg(m.title, m.prompt).arg(static_cast<int>(m.icon)));
}

} // namespace veltrano::test
