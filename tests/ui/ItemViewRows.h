#pragma once

// Rows of a stock item view by position: row `row` at the top level, or its
// child `child` (-1: the row itself).
#include <QAbstractItemView>

namespace vantora::test {

inline QModelIndex rowIndex(const QAbstractItemView* view, int row, int child = -1) {
    const QModelIndex top = view->model()->index(row, 0);
    return child < 0 ? top : view->model()->index(child, 0, top);
}
// Rows at the top level, or under top row `row`.
inline int rowCount(const QAbstractItemView* view, int row = -1) {
    return view->model()->rowCount(row < 0 ? QModelIndex() : rowIndex(view, row));
}
inline QString rowText(const QAbstractItemView* view, int row, int child = -1, int column = 0) {
    const QModelIndex at = rowIndex(view, row, child);
    return at.siblingAtColumn(column).data().toString();
}
inline void selectRow(QAbstractItemView* view, int row, int child = -1) {
    view->setCurrentIndex(rowIndex(view, row, child));
}
inline bool hasCurrent(const QAbstractItemView* view) {
    return view->currentIndex().isValid();
}

} // namespace vantora::test
