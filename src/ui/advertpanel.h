#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace veltrano::ui {

// A small panel that shows the maker's advert page. navigate() only starts the load and
// returns at once; until a page arrives, and when none does, the panel shows a neutral
// placeholder. The page is shown as rich text: scripts are not run, and nothing else is
// fetched for it.
class AdvertPanel : public QTextBrowser {
    Q_OBJECT
public:
    AdvertPanel(QNetworkAccessManager* network, QWidget* parent = nullptr);
    ~AdvertPanel() override;

    void navigate(const QUrl& address);

    const QUrl& address() const { return address_; }
    bool loaded() const { return loaded_; }

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // The load has ended, with a page or without one.
    void finished(bool loaded);

private:
    void showPlaceholder();
    void takeReply();
    void dropReply();

    QNetworkAccessManager* network_;
    // Guarded: the network manager may delete its replies before the panel goes.
    QPointer<QNetworkReply> reply_;
    QUrl address_;
    bool loaded_ = false;
};

// The maker's advert endpoint, with the page type for the panel on the third page.
QUrl advertAddress(bool general);

} // namespace veltrano::ui
