#include "ui/models/AnalysisTreeItemModel.h"

#include "records/RecordingTime.h"

namespace vantora {

// A patient row's internal id is 0; a recording row's is its patient row + 1.

AnalysisTreeItemModel::AnalysisTreeItemModel(AnalysisTreeModel& tree, QString caption,
                                             QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), caption_(std::move(caption)) {}

void AnalysisTreeItemModel::change(const std::function<void(AnalysisTreeModel&)>& f) {
    beginResetModel();
    f(tree_);
    endResetModel();
}

QModelIndex AnalysisTreeItemModel::indexOf(TreePlace place) const {
    const QModelIndex patient = index(place.patient, 0);
    return place.recording < 0 ? patient : index(place.recording, 0, patient);
}

TreePlace AnalysisTreeItemModel::placeOf(const QModelIndex& index) {
    if (!index.isValid())
        return {};
    if (index.internalId() == 0)
        return {index.row(), -1};
    return {int(index.internalId()) - 1, index.row()};
}

QModelIndex AnalysisTreeItemModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, parent.isValid() ? quintptr(parent.row() + 1) : 0);
}

QModelIndex AnalysisTreeItemModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return createIndex(int(child.internalId()) - 1, 0, quintptr(0));
}

int AnalysisTreeItemModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return int(tree_.patients().size());
    if (parent.internalId() != 0 || parent.column() != 0)
        return 0;
    return int(tree_.patients()[size_t(parent.row())].recordings.size());
}

int AnalysisTreeItemModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant AnalysisTreeItemModel::data(const QModelIndex& index, int role) const {
    const bool tip = role == Qt::ToolTipRole;
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && !tip))
        return {};
    const TreePlace place = placeOf(index);
    const AnalysisTreePatient& patient = tree_.patients()[size_t(place.patient)];
    if (place.recording < 0)
        return patient.text;
    const ListedRecording& r = patient.recordings[size_t(place.recording)];
    // The tooltip gives the whole time, with the date a Continuous row leaves out.
    return tip ? recordingTimeText(tree_.mode(), r.entry) : tree_.recordingLabel(r);
}

QVariant AnalysisTreeItemModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return caption_;
    return {};
}

} // namespace vantora
