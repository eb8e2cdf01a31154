// The advert panels: start-up asks for their exact addresses without waiting, a page is shown
// as rich text without its scripts, and without an answer the window works as usual.
#include "advertpanel.h"
#include "windowfixture.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::WindowFixture;

namespace {
// Routes the requests of the program through a web proxy on this port of 127.0.0.1.
void setProxy(quint16 port) {
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, port));
}

// A small web proxy on 127.0.0.1 that records the request lines it gets and answers each with
// one page, or never answers.
class LocalServer : public QObject {
public:
    explicit LocalServer(bool answer) : answer_(answer) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, this,
                                 [this, socket] { read(socket); });
            }
        });
        setProxy(server_.serverPort());
    }
    ~LocalServer() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    QStringList requests;

private:
    void read(QTcpSocket* socket) {
        buffer_[socket] += socket->readAll();
        if (!buffer_[socket].contains("\r\n\r\n"))
            return;
        requests.append(QString::fromLatin1(buffer_[socket].left(buffer_[socket].indexOf("\r\n"))));
        if (!answer_)
            return;
        const QByteArray body = "<html><body><p>Anzeige f\xc3\xbcr Sie</p><script>document.write("
                                "'geheim')</script></body></html>";
        socket->write(
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
            QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    bool answer_;
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffer_;
};
} // namespace

class TestAdvertPanel : public QObject {
    Q_OBJECT
private slots:
    void requestsExactAddresses() {
        LocalServer server(true);
        WindowFixture f;
        ui::MainWindow& w = f.window();
        // Start-up returned before any page arrived.
        QVERIFY(!w.Brw->loaded());
        QVERIFY(!w.page3->Brw2->loaded());
        QTRY_VERIFY(w.Brw->loaded() && w.page3->Brw2->loaded());
        QCOMPARE(
            QSet<QString>(server.requests.begin(), server.requests.end()),
            (QSet<QString>{
                u"GET http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu&type=allg HTTP/1.1"_s,
                u"GET http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu HTTP/1.1"_s}));
        QCOMPARE(w.page3->Brw2->address(),
                 QUrl(u"http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu&type=allg"_s));
        QCOMPARE(w.Brw->address(),
                 QUrl(u"http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu"_s));
        // Shown as rich text; the script is neither run nor shown.
        QVERIFY(w.Brw->toPlainText().contains(u"Anzeige für Sie"_s));
        QVERIFY(!w.Brw->toPlainText().contains(u"geheim"_s));
    }

    void windowWorksWhenNothingAnswers() {
        LocalServer server(false);
        const QString placeholder = ui::AdvertPanel(nullptr).toPlainText();
        WindowFixture f(u"/opt/veltrano"_s);
        ui::MainWindow& w = f.window();
        w.show();
        QTRY_COMPARE(server.requests.size(), 2);
        // The panels show their placeholder, and the window does its work meanwhile.
        QCOMPARE(w.Brw->toPlainText(), placeholder);
        QCOMPARE(w.page3->Brw2->toPlainText(), placeholder);
        QCOMPARE(w.options().values(), OptionValues::defaults(u"/opt/veltrano"_s));
        QCOMPARE(w.list().count(), 0);
        w.list().Append(u"/nirgends.htm"_s);
        QTest::mouseClick(w.page1->Command4, Qt::LeftButton);
        QCOMPARE(w.list().count(), 0);
        // Closing with the loads still pending is fine.
    }

    void refusedConnectionKeepsPlaceholder() {
        quint16 port = 0;
        {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost);
            port = probe.serverPort();
        }
        setProxy(port);
        QNetworkAccessManager network;
        ui::AdvertPanel panel(&network);
        const QString placeholder = panel.toPlainText();
        QSignalSpy finished(&panel, &ui::AdvertPanel::finished);
        panel.navigate(ui::advertAddress(false));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.constFirst().constFirst().toBool(), false);
        QCOMPARE(panel.toPlainText(), placeholder);
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }
};

QTEST_MAIN(TestAdvertPanel)
#include "tst_advertpanel.moc"
