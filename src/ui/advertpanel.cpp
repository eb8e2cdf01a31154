#include "advertpanel.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>
#include <utility>

namespace veltrano::ui {

namespace {
constexpr int kTimeoutMs = 15000;
constexpr qint64 kMaxPageBytes = 512 * 1024;

// The page's text in the character set its server names, Windows-1252 when it names none.
QString decodePage(const QByteArray& bytes, const QString& contentType) {
    QString charset = QStringLiteral("windows-1252");
    const qsizetype at = contentType.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
    if (at >= 0)
        charset = contentType.mid(at + 8).section(QLatin1Char(';'), 0, 0).trimmed();
    QStringDecoder decoder(charset.toLatin1().constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(bytes);
}
// The page as rich text: script and style blocks are dropped, never run or shown as text.
QString withoutScripts(QString page) {
    static const QRegularExpression blocks(
        QStringLiteral("<(script|style)\\b[^>]*>.*?</\\1\\s*>|<(script|style)\\b[^>]*/>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    page.remove(blocks);
    return page;
}
} // namespace

QUrl advertAddress(bool general) {
    QString address = QStringLiteral("http://www.veltrano.example/_ads/vts.cgi?prg=vtp&lang=deu");
    if (general)
        address += QStringLiteral("&type=allg");
    return QUrl(address);
}

AdvertPanel::AdvertPanel(QNetworkAccessManager* network, QWidget* parent)
    : QTextBrowser(parent), network_(network) {
    setOpenLinks(true);
    setOpenExternalLinks(true);
    setFrameShape(QFrame::StyledPanel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    showPlaceholder();
}

AdvertPanel::~AdvertPanel() {
    dropReply();
}

void AdvertPanel::dropReply() {
    QNetworkReply* reply = reply_.data();
    reply_.clear();
    if (reply == nullptr)
        return;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

void AdvertPanel::showPlaceholder() {
    setHtml(
        QStringLiteral("<table width='100%' height='100%'><tr><td align='center' valign='middle' "
                       "style='color:#8a8f98'><b>HTML Veltrano 3</b><br/>Quelltextschutz f&uuml;r "
                       "Webseiten</td></tr></table>"));
}

void AdvertPanel::navigate(const QUrl& address) {
    address_ = address;
    loaded_ = false;
    dropReply();
    if (!network_ || !address.isValid())
        return;
    QNetworkRequest request(address);
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::finished, this, &AdvertPanel::takeReply);
}

void AdvertPanel::takeReply() {
    QNetworkReply* reply = reply_.data();
    reply_.clear();
    if (reply == nullptr)
        return;
    reply->deleteLater();
    // A web server's answer counts only with a success status; a page that comes without one
    // (from a local or data address) counts when it arrived without error.
    const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = code.isValid() ? code.toInt() : 200;
    if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) {
        emit finished(false);
        return;
    }
    const QByteArray bytes = reply->read(kMaxPageBytes);
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    const QString page = decodePage(bytes, type);
    if (type.startsWith(QLatin1String("text/plain"), Qt::CaseInsensitive))
        setPlainText(page);
    else
        setHtml(withoutScripts(page));
    loaded_ = true;
    emit finished(true);
}

QVariant AdvertPanel::loadResource(int /*type*/, const QUrl& /*name*/) {
    // Pictures, style sheets and frames of the advert page are not fetched: the panel never
    // reads local files on the page's behalf and never blocks on the network.
    return {};
}

} // namespace veltrano::ui
