#include "records/PatientListModel.h"

#include <utility>

namespace vantora {

PatientListModel::PatientListModel(QString dataRoot) : root_(std::move(dataRoot)) {}

Message PatientListModel::load() {
    PatientList list = PatientRegistry(root_).loadAll();
    records_ = std::move(list.records);
    matched_.clear();
    current_ = records_.isEmpty() ? -1 : 0;
    return list.message;
}

QStringList PatientListModel::rowTexts(int row) const {
    const PatientRecord& r = records_[row];
    return {QString::number(row + 1),
            r.id,
            r.name,
            r.sex,
            r.date,
            r.height,
            r.weight,
            r.telephone,
            r.address};
}

bool PatientListModel::select(int row) {
    if (row < 0 || row >= rowCount() || row == current_)
        return false;
    current_ = row;
    return true;
}

const PatientRecord* PatientListModel::selectedRecord() const {
    return hasSelection() ? &records_[current_] : nullptr;
}

void PatientListModel::setSearchField(PatientSearchField field) {
    field_ = field;
    text_ = acceptedSearchText(field_, text_);
}

int PatientListModel::maxSearchChars(PatientSearchField field) {
    return field == PatientSearchField::Id ? kMaxIdSearchChars : kMaxNameSearchChars;
}

QString PatientListModel::acceptedSearchText(PatientSearchField field, const QString& typed) {
    QString text;
    if (field == PatientSearchField::Id) {
        for (QChar c : typed)
            if (c >= u'0' && c <= u'9')
                text.append(c);
    } else {
        text = typed;
    }
    return text.left(maxSearchChars(field));
}

QString PatientListModel::setSearchText(const QString& typed) {
    text_ = acceptedSearchText(field_, typed);
    return text_;
}

PatientListModel::FindResult PatientListModel::find() {
    FindResult result;
    const Result<QVector<int>> found = PatientRegistry::search(records_, field_, text_);
    result.message = found.message();
    if (found.value().isEmpty())
        return result;
    matched_.clear();
    for (int position : found.value())
        matched_.append(position - 1);
    result.moved = select(matched_.first());
    return result;
}

Message PatientListModel::showAll() {
    text_.clear();
    return load();
}

} // namespace vantora
