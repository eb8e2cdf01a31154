#pragma once

#include <QGroupBox>

class QLabel;
class QProgressBar;

namespace veltrano::ui {

// The frame "Status" of a run: the list position (prgr), the current file (Label5, lblFIl)
// and the position inside the current page (Stat). Values are kept as they come and shown
// when the window next gets to paint, so a fast run does not spend its time drawing.
class StatusFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit StatusFrame(QWidget* parent = nullptr);

    void setCurrentFile(const QString& path);
    void setListProgress(int value, int maximum);
    void setPageProgress(qint64 value, qint64 maximum);
    // Brings the widgets up to the values set since the last call.
    void apply();

    QProgressBar* listBar() const { return listBar_; }
    QProgressBar* pageBar() const { return pageBar_; }
    QLabel* fileLabel() const { return fileLabel_; }
    // The full path of the file shown (the label may shorten it).
    const QString& currentFile() const { return file_; }

private:
    QProgressBar* listBar_;
    QProgressBar* pageBar_;
    QLabel* fileCaption_;
    QLabel* fileLabel_;
    QString file_;
    int listValue_ = 0;
    int listMaximum_ = 0;
    qint64 pageValue_ = 0;
    qint64 pageMaximum_ = 0;
    bool dirty_ = false;
};

} // namespace veltrano::ui
