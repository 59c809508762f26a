#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

namespace vantora {

// A flat list for a stock view over rows a widget-free model holds: the row
// count and every cell come from that model through two functions. The view
// lists as many rows as at the last refresh() or sync(): refresh() after the
// model read its rows again (the view forgets its selection, as a cleared
// list did); sync() after rows were added, dropped at the end or changed in
// place (the selection stays).
class RowTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using RowCount = std::function<int()>;
    // The value of a cell for a role (Qt::DisplayRole texts, and what else a
    // list shows); an invalid value for none.
    using Cell = std::function<QVariant(int row, int column, int role)>;

    RowTableModel(QStringList headers, RowCount rows, Cell cell, QObject* parent);

    void refresh();
    void sync();
    // Every cell of `row` changed in place.
    void rowChanged(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A cell function over rows of texts: column c of texts(row) for display
    // and as the cell's tooltip.
    static Cell texts(std::function<QStringList(int row)> texts);

private:
    QStringList headers_;
    RowCount rows_;
    Cell cell_;
    int shown_ = 0; // rows the view was told of
};

} // namespace vantora
