#pragma once

#include "records/AnalysisTreeModel.h"

#include <QAbstractItemModel>

#include <functional>

namespace vantora {

// The analysis tree for a stock tree view: a patient row per patient ("id
// name") and under it a row per recording (its number and time, the whole
// time as its tooltip), one column headed by `caption`. Changes to the tree model go through
// change().
class AnalysisTreeItemModel : public QAbstractItemModel {
    Q_OBJECT
public:
    AnalysisTreeItemModel(AnalysisTreeModel& tree, QString caption, QObject* parent);

    // Runs `f` on the tree model as a reset of the rows.
    void change(const std::function<void(AnalysisTreeModel&)>& f);

    QModelIndex indexOf(TreePlace place) const;
    static TreePlace placeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    AnalysisTreeModel& tree_;
    QString caption_;
};

} // namespace vantora
