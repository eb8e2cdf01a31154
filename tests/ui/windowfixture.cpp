#include "windowfixture.h"

#include "support/testfiles.h"

#include <QAbstractButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

namespace veltrano::test {

namespace {

// The user's preferences go to a folder of the test's own, never to the real ones.
QString settingsFolder() {
    static QTemporaryDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    return folder.path();
}

} // namespace

WindowFixture::WindowFixture(const QString& programFolder)
    : window_((settingsFolder(), std::make_unique<ui::MainWindow>(programFolder))) {
    window_->host().setModalBoxes(false);
    window_->eventPump().setInterval(0);
    window_->actions().exitProgram = [this] { ++exits; };
    window_->actions().openUrl = [this](const QUrl& url) { opened.append(url); };
    window_->actions().startMove = [] { return true; };
}

ui::MainWindow& WindowFixture::showPage(int index) {
    window_->show();
    window_->Tab1->setCurrentIndex(index);
    return *window_;
}

QStringList WindowFixture::livePaths() {
    QStringList paths;
    FileList& list = window_->list();
    for (int i = 0; i < list.count(); ++i) {
        if (!list.removed(i))
            paths.append(list.path(i));
    }
    return paths;
}

QStringList WindowFixture::messages() {
    QStringList shown;
    for (const auto& m : host().messages())
        shown.append(m.title + QStringLiteral(": ") + m.prompt);
    return shown;
}

void clickBox(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void writePage(const QString& path, int bytes) {
    QByteArray page("<html><body>");
    page.append(QByteArray(std::max<int>(0, bytes - 26), 'a'));
    page.append("</body></html>");
    writeFile(path, page.left(bytes));
}

} // namespace veltrano::test
