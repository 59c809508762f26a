#include "ui/models/RowTableModel.h"

namespace vantora {

RowTableModel::RowTableModel(QStringList headers, RowCount rows, Cell cell, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)), rows_(std::move(rows)),
      cell_(std::move(cell)) {}

void RowTableModel::refresh() {
    beginResetModel();
    shown_ = rows_();
    endResetModel();
}

void RowTableModel::sync() {
    const int rows = rows_();
    if (rows > shown_) {
        beginInsertRows({}, shown_, rows - 1);
        shown_ = rows;
        endInsertRows();
    } else if (rows < shown_) {
        beginRemoveRows({}, rows, shown_ - 1);
        shown_ = rows;
        endRemoveRows();
    }
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
}

void RowTableModel::rowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_())
        return {};
    return cell_(index.row(), index.column(), role == Qt::EditRole ? Qt::DisplayRole : role);
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < headers_.size())
        return headers_[section];
    return {};
}

RowTableModel::Cell RowTableModel::texts(std::function<QStringList(int row)> texts) {
    return [texts = std::move(texts)](int row, int column, int role) -> QVariant {
        // The tooltip repeats a cell that its column may cut short.
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const QStringList cells = texts(row);
        return column < cells.size() ? QVariant(cells[column]) : QVariant();
    };
}

} // namespace vantora
