#pragma once

#include <QTableView>

namespace veltrano {
class FileList;
}

namespace veltrano::ui {

// The grid that shows the FileList. Removed entries are drawn with no height, the
// highlighted row follows the list's current entry, and a click makes an entry current.
class FileGrid : public QTableView {
    Q_OBJECT
public:
    explicit FileGrid(QWidget* parent = nullptr);

    void setList(FileList* list);
    // Column widths in layout units: the size column 700 wide, the path column the rest.
    void setColumnWidths();
    // Scrolls the highlighted row into sight when the list moved it since the last look; the
    // window calls it before its events run, so a run scrolls once per repaint, not per page.
    void keepCurrentInSight();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void hideRemoved(int first, int last);
    void followCurrent(int row);

    FileList* list_ = nullptr;
    bool scrollPending_ = false;
};

} // namespace veltrano::ui
