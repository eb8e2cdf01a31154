#include "windowfixture.h"

#include "support/testfiles.h"

namespace veltrano::test {

WindowFixture::WindowFixture(const QString& programFolder)
    : window_(std::make_unique<ui::MainWindow>(programFolder)) {
    window_->host().setModalBoxes(false);
    window_->eventPump().setInterval(0);
    window_->actions().exitProgram = [this] { ++exits; };
    window_->actions().openUrl = [this](const QUrl& url) { opened.append(url); };
    window_->actions().startMove = [] { return true; };
}

QStringList WindowFixture::livePaths() {
    QStringList paths;
    FileList& list = window_->list();
    for (int i = 1; i <= list.count(); ++i) {
        if (!list.removed(i))
            paths.append(list.path(i));
    }
    return paths;
}

void writePage(const QString& path, int bytes) {
    QByteArray page("<html><body>");
    page.append(QByteArray(std::max<int>(0, bytes - 26), 'a'));
    page.append("</body></html>");
    page = page.left(bytes);
    writeFile(path, page);
}

} // namespace veltrano::test
