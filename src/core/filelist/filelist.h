#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

namespace veltrano {

// The ordered list of pages to convert, and the model the grid shows. Entries are numbered
// from 1 in the order they were appended; model row r shows entry r + 1 (the header row of the
// grid is the view's header). A removed entry keeps its place and number and is hidden in views.
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

    // Header captions, no entries.
    void Initialise();
    // Adds an entry at the end: the path first, then its size read from disk now. The new entry
    // becomes current.
    void Append(const QString& path);
    // Append for each path in order, announced to views as one insertion (the scan's passes).
    void AppendAll(const QStringList& paths);
    // Marks the current entry removed; with no entry nothing happens.
    void RemoveCurrent();
    // Drops every entry, removed or not.
    void Clear();

    // n: the number of entries, removed ones included.
    int count() const { return static_cast<int>(entries_.size()); }
    // Entry i, 1-based.
    const Entry& entry(int i) const { return entries_[i - 1]; }
    const QString& path(int i) const { return entry(i).path; }
    bool removed(int i) const { return entry(i).removed; }

    // The current entry, 1-based; 0 when there is none (the header row).
    int currentEntry() const { return current_; }
    void setCurrentEntry(int i);

    // The model.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void currentEntryChanged(int entry);
    void entryRemoved(int entry);

private:
    QList<Entry> entries_;
    int current_ = 0;
};

} // namespace veltrano
