#include "filegrid.h"

#include "filelist/filelist.h"
#include "twips.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace veltrano::ui {

FileGrid::FileGrid(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideLeft);
    setAlternatingRowColors(true);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The grid brings its current row into sight itself (nothing is dragged onto it).
    setAutoScroll(false);
}

void FileGrid::setList(FileList* list) {
    list_ = list;
    setModel(list);
    connect(list, &FileList::rowRemoved, this, [this](int row) { setRowHidden(row, true); });
    connect(list, &FileList::currentRowChanged, this, &FileGrid::followCurrent);
    connect(list, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { hideRemoved(first, last); });
    connect(list, &QAbstractItemModel::modelReset, this, [this] {
        if (list_->rowCount() > 0)
            hideRemoved(0, list_->rowCount() - 1);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && list_->currentRow() != current.row())
                    list_->setCurrentRow(current.row());
            });
    setColumnWidths();
}

void FileGrid::setColumnWidths() {
    if (!model() || model()->columnCount() < 2)
        return;
    // The size column is 700 units wide and the path column takes the rest of the grid; the
    // rest is measured inside the frame and beside a shown scroll bar.
    setColumnWidth(1, twips(700));
    setColumnWidth(0, std::max(twips(700), viewport()->width() - twips(700)));
}

void FileGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    setColumnWidths();
}

void FileGrid::hideRemoved(int first, int last) {
    for (int row = first; row <= last; ++row)
        setRowHidden(row, list_->removed(row));
}

void FileGrid::followCurrent(int row) {
    if (row < 0 || row >= list_->count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = list_->index(row, 0);
    if (selectionModel()->currentIndex().row() != index.row())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    // The highlighted row stays in sight, also while a run walks the list: the scrolling waits
    // for the next turn of the event loop, which is when it can be seen.
    if (!scrollPending_) {
        scrollPending_ = true;
        QMetaObject::invokeMethod(this, &FileGrid::keepCurrentInSight, Qt::QueuedConnection);
    }
}

void FileGrid::keepCurrentInSight() {
    if (!scrollPending_)
        return;
    scrollPending_ = false;
    const int row = list_->currentRow();
    if (row >= 0 && row < list_->count() && !isRowHidden(row))
        scrollTo(list_->index(row, 0), QAbstractItemView::EnsureVisible);
}

} // namespace veltrano::ui
