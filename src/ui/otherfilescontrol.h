#pragma once

#include "run/sitecopy.h"

#include <QObject>

class QCheckBox;
class QLabel;
class QTimer;
class QWidget;

namespace veltrano {
class FileList;
class OptionSet;
} // namespace veltrano

namespace veltrano::ui {

class WidgetHost;

// "Andere Dateien mitkopieren" on the run page while modern pages are on: a preference of the
// user, on unless turned off. With folder output the files below the folder that holds every
// listed page that are no listed page (stylesheets, pictures, scripts) are copied into the same
// places below the output folder, before the pages are converted. The page tells how many files
// and bytes that is; above 10,000 files or 1 GB the run asks first.
class OtherFilesControl : public QObject {
    Q_OBJECT
public:
    static constexpr char kSettingsKey[] = "copyOtherFiles";
    static constexpr qsizetype kAskAboveFiles = 10'000;
    static constexpr qint64 kAskAboveBytes = 1'000'000'000;

    OtherFilesControl(OptionSet& options, FileList& list, WidgetHost& host, QWidget* runPage);

    // Whether other files are copied with the next run.
    bool active() const;
    // Before a run: the files as they are now, and the user's yes above the limits. False when
    // the user said no: the run does not start.
    bool confirm();
    // Copies the files confirmed, showing them in the run's status frame; failures are told in
    // one message.
    void copy();

    QCheckBox* check;
    QLabel* count;

private:
    OtherFiles find() const;
    void update();

    OptionSet& options_;
    FileList& list_;
    WidgetHost& host_;
    QWidget* runPage_;
    QTimer* later_;
    OtherFiles confirmed_;
};

} // namespace veltrano::ui
