#include "windowactions.h"

#include "eventpump.h"
#include "io/pagewrite.h"
#include "twips.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace veltrano::ui {

namespace {

// The desktop hands a file to xdg-open, which starts even where no program shows its type; so a
// document is only handed over when the desktop names a program for its type.
bool hasViewerFor(const QUrl& url) {
    if (!url.isLocalFile())
        return true;
    const QString type = QMimeDatabase().mimeTypeForFile(url.toLocalFile()).name();
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), type});
    return process.waitForFinished(3000) && !process.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

WindowActions::WindowActions(QWidget* window, EventPump& pump, QString programFolder)
    : window_(window), pump_(pump), programFolder_(std::move(programFolder)) {
    exitProgram = [this] {
        if (pump_.depth() > 0 || pump_.isBusy()) {
            // Inside a run or a scan: the loop that yielded must not go on. The new file of the
            // page in progress is removed; its source and the pages done before stay as they are.
            std::fflush(nullptr);
            removeTemporaryFilesAndExit(0);
        }
        QCoreApplication::exit(0);
    };
    openUrl = [](const QUrl& url) { return hasViewerFor(url) && QDesktopServices::openUrl(url); };
    startMove = [this] {
        QWindow* handle = window_->window()->windowHandle();
        return handle && handle->startSystemMove();
    };
}

bool WindowActions::shellOpen(const QString& target) {
    // A path goes to the desktop as the file it names ("//help.pdf" at a root is "/help.pdf").
    const QUrl url = target.contains(QLatin1String("://"))
                         ? QUrl(target)
                         : QUrl::fromLocalFile(QDir::cleanPath(target));
    return openUrl && openUrl(url);
}

void WindowActions::endProgram() {
    if (exitProgram)
        exitProgram();
}

QString WindowActions::helpPath() const {
    // Plain joining: at a root folder that already ends in a separator the path shows two.
    const QString beside = programFolder_ + QDir::separator() + QStringLiteral("help.pdf");
    // Installed with the system's programs, the help lies in the program's data folder.
    const QString installed =
        QDir::cleanPath(programFolder_ + QStringLiteral("/" VELTRANO_DATA_FROM_BIN "/help.pdf"));
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

bool WindowActions::openHelp() {
    return shellOpen(helpPath());
}

void WindowActions::dragWindow() {
    if (startMove)
        startMove();
}

void WindowActions::shrinkWindow() {
    QWidget* top = window_->window();
    if (top->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        top->setWindowFlag(Qt::WindowStaysOnTopHint, false);
        top->show();
    }
    const int height = twips(6765);
    top->setMinimumHeight(std::min(top->minimumHeight(), height));
    top->setMaximumHeight(std::max(height, top->minimumHeight()));
    top->resize(top->width(), height);
}

} // namespace veltrano::ui
