// The advert panels: start-up asks for their exact addresses without waiting, a page is shown
// as rich text without its scripts, and without an answer the panel keeps its placeholder.
#include "advertpanel.h"
#include "windowfixture.h"

#include <QSignalSpy>

using namespace veltrano;
using namespace Qt::StringLiterals;
using veltrano::test::LocalNetwork;
using veltrano::test::WindowFixture;

class TestAdvertPanel : public QObject {
    Q_OBJECT
private slots:
    void startUpRequestsBothPanels() {
        WindowFixture f;
        ui::MainWindow& w = f.window();
        const QUrl band(u"http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu"_s);
        const QUrl page(u"http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu&type=allg"_s);
        QCOMPARE(f.network.requests, (QList<QUrl>{page, band}));
        QCOMPARE(w.bandAdvert->address(), band);
        QCOMPARE(w.runPage->pageAdvert->address(), page);
        // Start-up returned with no answer; the window works meanwhile.
        QVERIFY(!w.bandAdvert->loaded() && !w.runPage->pageAdvert->loaded());
        QTest::mouseClick(w.filesPage->clearButton, Qt::LeftButton);
    }

    void answers_data() {
        QTest::addColumn<LocalNetwork::Answer>("answer");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QString>("shown"); // empty: the placeholder
        const QByteArray html = "text/html; charset=utf-8";
        QTest::newRow("page") << LocalNetwork::Answer::Page << html << u"Anzeige für Sie"_s;
        QTest::newRow("latin1") << LocalNetwork::Answer::Page << QByteArray("text/html")
                                << u"Anzeige fÃ¼r Sie"_s;
        QTest::newRow("plain") << LocalNetwork::Answer::Page << QByteArray("text/plain")
                               << u"<p>Anzeige f"_s;
        QTest::newRow("refused") << LocalNetwork::Answer::Error << html << QString();
    }
    void answers() {
        QFETCH(LocalNetwork::Answer, answer);
        QFETCH(QByteArray, type);
        QFETCH(QString, shown);
        LocalNetwork network;
        network.answer = answer;
        network.contentType = type;
        network.page = "<html><body><p>Anzeige f\xc3\xbcr Sie</p><script>document.write("
                       "'geheim')</script></body></html>";
        ui::AdvertPanel panel(&network);
        const QString placeholder = panel.toPlainText();
        QSignalSpy finished(&panel, &ui::AdvertPanel::finished);
        panel.navigate(ui::advertAddress(false));
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.constFirst().constFirst().toBool(), !shown.isEmpty());
        QCOMPARE(panel.loaded(), !shown.isEmpty());
        if (shown.isEmpty())
            QCOMPARE(panel.toPlainText(), placeholder);
        else
            QVERIFY2(panel.toPlainText().contains(shown), qPrintable(panel.toPlainText()));
        // Rich text: the script is neither run nor shown.
        QCOMPARE(panel.toPlainText().contains(u"geheim"_s), type == "text/plain");
    }
};

QTEST_MAIN(TestAdvertPanel)
#include "tst_advertpanel.moc"
