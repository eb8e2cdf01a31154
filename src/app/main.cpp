// The wizard window. It reads no command line: every job starts from the defaults, and
// projects are opened from the menu. The user's preferences (QSettings) are kept under the
// maker's name.
#include "io/pagewrite.h"
#include "mainwindow.h"
#include "pictures.h"
#include "qttranslation.h"
#include "usersettings.h"

#include <QApplication>
#include <QNetworkAccessManager>

int main(int argc, char* argv[]) {
    veltrano::setCreationMask(veltrano::readUmask()); // before any thread starts
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Veltrano Software"));
    QApplication::setOrganizationDomain(QStringLiteral("veltrano.example"));
    QApplication::setApplicationName(QStringLiteral("HTML Veltrano 3"));
    veltrano::ui::takeOverOldSettings();
    QApplication::setApplicationVersion(QStringLiteral("3.0.0"));
    QApplication::setDesktopFileName(QStringLiteral("veltrano"));
    QApplication::setWindowIcon(veltrano::ui::programIcon());
    veltrano::ui::installQtTranslation();

    // The advert panels are the only part of the program that goes on the network.
    QNetworkAccessManager network;
    veltrano::ui::MainWindow window(&network);
    window.show();
    return QApplication::exec();
}
