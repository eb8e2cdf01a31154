#include "windowactions.h"

#include "eventpump.h"
#include "io/pagewrite.h"
#include "twips.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace veltrano::ui {

WindowActions::WindowActions(QWidget* window, EventPump& pump, QString programFolder)
    : window_(window), pump_(pump), programFolder_(std::move(programFolder)) {
    exitProgram = [this] {
        if (pump_.depth() > 0 || pump_.busy()) {
            // Inside a run or a scan: the loop that yielded must not go on. The new file of the
            // page in progress is removed; its source and the pages done before stay as they are.
            std::fflush(nullptr);
            RemoveTemporaryFilesAndExit(0);
        }
        QCoreApplication::exit(0);
    };
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    startMove = [this] {
        QWindow* handle = window_->window()->windowHandle();
        return handle && handle->startSystemMove();
    };
}

void WindowActions::shellOpen(const QString& target) {
    // A path goes to the desktop as the file it names ("//help.pdf" at a root is "/help.pdf").
    const QUrl url = target.contains(QLatin1String("://"))
                         ? QUrl(target)
                         : QUrl::fromLocalFile(QDir::cleanPath(target));
    if (openUrl)
        openUrl(url);
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

void WindowActions::openHelp() {
    shellOpen(helpPath());
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
