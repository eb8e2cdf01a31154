// The wizard window. It reads no command line and no settings: every job starts from the
// defaults, and projects are opened from the menu.
#include "mainwindow.h"
#include "pictures.h"

#include <QApplication>
#include <QNetworkAccessManager>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("HTML Veltrano 3"));
    QApplication::setApplicationVersion(QStringLiteral("3.0.0"));
    QApplication::setDesktopFileName(QStringLiteral("veltrano"));
    QApplication::setWindowIcon(veltrano::ui::programIcon());

    // The advert panels are the only part of the program that goes on the network.
    QNetworkAccessManager network;
    veltrano::ui::MainWindow window(&network);
    window.show();
    return QApplication::exec();
}
