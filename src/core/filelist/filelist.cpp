#include "filelist.h"

#include <QFile>

#include <sys/stat.h>

namespace veltrano {

namespace {

constexpr int kPathColumn = 0;
constexpr int kSizeColumn = 1;

// Header and size cells sit centred at the bottom of their cells.
constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignBottom;

// The file's length as plain digits, measured now; empty when the file cannot be measured.
QString measuredSize(const QString& path) {
    if (path.isEmpty())
        return {};
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return QString::number(static_cast<qint64>(st.st_size));
}

} // namespace

FileList::FileList(QObject* parent) : QAbstractTableModel(parent) {}

void FileList::Initialise() {
    Clear();
}

void FileList::Append(const QString& path) {
    const int row = count();
    // The entry appears whole: its path with the size measured now (empty when the file
    // cannot be measured; the path stays all the same).
    Entry entry{path, measuredSize(path), false};
    beginInsertRows(QModelIndex(), row, row);
    entries_.append(std::move(entry));
    endInsertRows();
    setCurrentRow(row);
}

void FileList::appendAll(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    const int first = count();
    QList<Entry> added;
    added.reserve(paths.size());
    for (const QString& path : paths)
        added.append(Entry{path, measuredSize(path), false});
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(added.size()) - 1);
    entries_.append(std::move(added));
    endInsertRows();
    setCurrentRow(count() - 1);
}

void FileList::RemoveCurrent() {
    if (current_ < 0 || current_ >= count())
        return;
    Entry& e = entries_[current_];
    if (e.removed)
        return;
    e.removed = true;
    emit dataChanged(index(current_, kPathColumn), index(current_, kSizeColumn), {RemovedRole});
    emit rowRemoved(current_);
}

void FileList::Clear() {
    beginResetModel();
    entries_.clear();
    endResetModel();
    setCurrentRow(-1);
}

void FileList::setCurrentRow(int row) {
    if (row < 0 || row >= count())
        row = -1;
    if (row == current_)
        return;
    current_ = row;
    emit currentRowChanged(current_);
}

int FileList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int FileList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant FileList::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry& e = entries_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return index.column() == kPathColumn ? e.path : e.size;
    case Qt::TextAlignmentRole:
        if (index.column() == kSizeColumn)
            return QVariant(kCentred.toInt());
        return {};
    case RemovedRole:
        return e.removed;
    default:
        return {};
    }
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 1)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return section == kPathColumn ? QStringLiteral("Dateiname & Pfad")
                                      : QStringLiteral("Größe");
    case Qt::TextAlignmentRole:
        return QVariant(kCentred.toInt());
    default:
        return {};
    }
}

} // namespace veltrano
