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

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void hideRemoved(int first, int last);
    void followCurrent(int row);

    FileList* list_ = nullptr;
};

} // namespace veltrano::ui
