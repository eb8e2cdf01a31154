#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace veltrano::ui {

class EventPump;

// The small actions of the window that belong to no conversion: ending the program, opening
// the help document and the home page through the desktop, moving the window by a label.
// Ending and opening go through replaceable functions, so tests see them happen without the
// test process ending or a viewer starting.
class WindowActions {
public:
    WindowActions(QWidget* window, EventPump& pump, QString programFolder);

    // The maker's home page.
    static QString homePageAddress() { return QStringLiteral("http://www.veltrano.example/"); }

    // Hands a path or a web address to the desktop; false when the desktop has no program for
    // it.
    bool shellOpen(const QString& target);
    // "B&enden", a click on the introduction of the options page, any close request: the process
    // ends at once, nothing is asked. A page in progress leaves no file behind: its new file is
    // removed first.
    void endProgram();
    // "&Hilfe": the program folder, a separator and "help.pdf"; for a program installed in a bin
    // folder, the help.pdf of its data folder when there is none beside it.
    // False when no program could show it.
    bool openHelp();
    QString helpPath() const;
    // The maker's logo and the home-page link.
    void openHomePage() { shellOpen(homePageAddress()); }
    // A drag with the left mouse button on the options page's heading moves the window as if its
    // title bar were held.
    void dragWindow();
    // A double-click on that heading: out of the always-on-top band, then the window is made 6765
    // layout units high (the wizard pages and the help row stay, the advert band goes).
    void shrinkWindow();

    // Replaceable for tests.
    std::function<void()> exitProgram;
    std::function<bool(const QUrl&)> openUrl;
    std::function<bool()> startMove;

private:
    QWidget* window_;
    EventPump& pump_;
    QString programFolder_;
};

} // namespace veltrano::ui
