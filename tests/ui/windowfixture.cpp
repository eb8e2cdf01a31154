#include "windowfixture.h"

#include "support/testfiles.h"

#include <QAbstractButton>
#include <QNetworkReply>
#include <QTabWidget>
#include <QTest>

namespace veltrano::test {

namespace {
// A reply that answers from memory once the event loop turns, or never.
class LocalReply : public QNetworkReply {
public:
    LocalReply(const QNetworkRequest& request, const LocalNetwork& network, QObject* parent)
        : QNetworkReply(parent), body_(network.page) {
        setRequest(request);
        setUrl(request.url());
        setOperation(QNetworkAccessManager::GetOperation);
        open(QIODevice::ReadOnly);
        if (network.answer == LocalNetwork::Answer::Never)
            return;
        if (network.answer == LocalNetwork::Answer::Page) {
            setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 200);
            setHeader(QNetworkRequest::ContentTypeHeader, network.contentType);
        } else {
            body_.clear();
            setError(ConnectionRefusedError, QStringLiteral("refused"));
        }
        QMetaObject::invokeMethod(
            this,
            [this] {
                setFinished(true);
                emit finished();
            },
            Qt::QueuedConnection);
    }
    void abort() override {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return body_.size() - read_ + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min<qint64>(maxSize, body_.size() - read_);
        std::copy_n(body_.constData() + read_, n, data);
        read_ += n;
        return n;
    }

private:
    QByteArray body_;
    qint64 read_ = 0;
};
} // namespace

QNetworkReply* LocalNetwork::createRequest(Operation, const QNetworkRequest& request, QIODevice*) {
    requests.append(request.url());
    return new LocalReply(request, *this, this);
}

WindowFixture::WindowFixture(const QString& programFolder)
    : window_(std::make_unique<ui::MainWindow>(&network, programFolder)) {
    window_->host().setModalBoxes(false);
    window_->eventPump().setInterval(0);
    window_->actions().exitProgram = [this] { ++exits; };
    window_->actions().openUrl = [this](const QUrl& url) { opened.append(url); };
    window_->actions().startMove = [] { return true; };
}

ui::MainWindow& WindowFixture::showPage(int index) {
    window_->show();
    window_->wizardTabs->setCurrentIndex(index);
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
