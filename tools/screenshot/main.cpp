// Shows the wizard window with a small example site in its list and saves a picture of each
// wizard page: veltrano-screenshot OUTPUT-FOLDER. scripts/screenshot runs it under Xvfb.
#include "filespage.h"
#include "folderbrowser.h"
#include "mainwindow.h"
#include "pictures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(veltrano::ui::programIcon());
    if (argc != 2) {
        std::fprintf(stderr, "usage: veltrano-screenshot OUTPUT-FOLDER\n");
        return 64;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);

    // An example site, so the first page shows the browser and the list at work.
    QTemporaryDir site;
    const QString root = site.path() + QStringLiteral("/meine-webseite");
    QDir().mkpath(root + QStringLiteral("/produkte"));
    const char* pages[] = {"index.html",
                           "kontakt.html",
                           "impressum.htm",
                           "produkte/angebot.html",
                           "produkte/preise.shtml",
                           "bilder.txt"};
    int n = 1;
    for (const char* name : pages) {
        QFile file(root + QLatin1Char('/') + QString::fromLatin1(name));
        // The shop pages are UTF-8 with a commented-out tag, which step 3 names.
        const QByteArray extra = n > 3 ? "<!-- <b>alt</b> -->Gr\xC3\xBC\xC3\x9F"
                                         "e"
                                       : "";
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray("<html><head></head><body>") + extra +
                       QByteArray(n++ * 700, 'x') + QByteArray("</body></html>\r\n"));
    }
    QDir::setCurrent(root);

    // No network: the advert panels show their placeholder, the same in every picture.
    veltrano::ui::MainWindow window(nullptr, QStringLiteral("/opt/veltrano"));
    window.actions().exitProgram = [] {};
    window.show();
    window.filesPage->folderBox->setPath(root);
    window.scanFolder();
    window.filesPage->fileBox->item(0)->setSelected(true);
    QTest::qWait(600);

    const char* names[] = {"screenshot-1-dateien.png", "screenshot-2-optionen.png",
                           "screenshot-3-ausfuehren.png"};
    for (int i = 0; i < 3; ++i) {
        window.wizardTabs->setCurrentIndex(i);
        QTest::qWait(300);
        const QString path = out + QLatin1Char('/') + QString::fromLatin1(names[i]);
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
