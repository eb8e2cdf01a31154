#pragma once

#include "mainwindow.h"

#include <QTemporaryDir>

#include <memory>

namespace veltrano::test {

// A window as the program creates it, with modal boxes switched off, every pump running the
// events, and ending and opening recorded instead of done.
struct WindowFixture {
    explicit WindowFixture(const QString& programFolder = QStringLiteral("/opt/veltrano"));

    ui::MainWindow& window() { return *window_; }
    ui::WidgetHost& host() { return window_->host(); }
    // The full paths of the live entries of the list, in order.
    QStringList livePaths();

    std::unique_ptr<ui::MainWindow> window_;
    int exits = 0;
    QList<QUrl> opened;
};

// Writes a page of the given size in bytes, creating its folder.
void writePage(const QString& path, int bytes);

} // namespace veltrano::test
