#pragma once

// The window with all its pages and controls, for tests that drive them.
#include "actionlabel.h"
#include "filespage.h"
#include "mainwindow.h"
#include "optionbinding.h"
#include "optionspage.h"
#include "runpage.h"
#include "statusframe.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class QAbstractButton;

namespace veltrano::test {

// Network access that never leaves the process: each request is recorded and answered from
// here, with the page set, with an error, or never.
class LocalNetwork : public QNetworkAccessManager {
public:
    enum class Answer { Page, Error, Never };
    Answer answer = Answer::Never;
    QByteArray page;
    QByteArray contentType = "text/html; charset=utf-8";
    QList<QUrl> requests;

protected:
    QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request,
                                 QIODevice* body) override;
};

// A window as the program creates it, on a network of its own, with modal boxes switched off, every
// pump running the events, and ending and opening recorded instead of done.
struct WindowFixture {
    explicit WindowFixture(const QString& programFolder = QStringLiteral("/opt/veltrano"));

    ui::MainWindow& window() { return *window_; }
    ui::WidgetHost& host() { return window_->host(); }
    // Shows the window on the page of the given index.
    ui::MainWindow& showPage(int index);
    // The full paths of the live entries of the list, in order.
    QStringList livePaths();
    // The messages shown so far, each as "title: prompt".
    QStringList messages();

    LocalNetwork network; // outlives the window
    std::unique_ptr<ui::MainWindow> window_;
    int exits = 0;
    QList<QUrl> opened;
};

// Clicks a check box or radio button on its box, where the user clicks.
void clickBox(QAbstractButton* button);

// Writes a page of the given size in bytes, creating its folder.
void writePage(const QString& path, int bytes);

} // namespace veltrano::test
