#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

namespace veltrano {

// The ordered list of pages to convert, and the model the grid shows: one row per entry, in the
// order entries were appended; the user-facing number of the entry in row r is r + 1. A removed
// entry keeps its row and is hidden in views.
class FileList : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Entry {
        QString path;
        QString size; // bytes as plain decimal digits; empty when the file could not be measured
        bool removed = false;
    };

    // Data role that tells views whether an entry is removed (bool).
    static constexpr int RemovedRole = Qt::UserRole + 1;

    explicit FileList(QObject* parent = nullptr);

    // Starts the list empty.
    void Initialise();
    // Adds an entry at the end, its size measured now, and makes it current.
    void Append(const QString& path);
    // Append for each path in order, announced to views as one insertion (the scan's passes).
    void appendAll(const QStringList& paths);
    // Marks the current entry removed; with no entry nothing happens.
    void RemoveCurrent();
    // Drops every entry, removed or not.
    void Clear();

    // The number of entries, removed ones included.
    int count() const { return static_cast<int>(entries_.size()); }
    // The entry in a row, 0 to count() - 1.
    const Entry& entry(int row) const { return entries_[row]; }
    const QString& path(int row) const { return entry(row).path; }
    bool removed(int row) const { return entry(row).removed; }

    // The current row; -1 when there is none.
    int currentRow() const { return current_; }
    // A row outside the list makes none current.
    void setCurrentRow(int row);

    // The model.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void currentRowChanged(int row);
    void rowRemoved(int row);

private:
    QList<Entry> entries_;
    int current_ = -1;
};

} // namespace veltrano
