#include "ui/dialogs/PatientPickerDialog.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/dialogs/QuickAddDialog.h"
#include "ui/frame/MessageBoxPrompter.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantora {

namespace {
constexpr int kColumnPadding = 18; // px between columns
}

PatientPickerDialog::PatientPickerDialog(const QString& dataRoot, MessageBoxPrompter& prompter,
                                         QWidget* parent)
    : QDialog(parent), registry_(dataRoot), prompter_(prompter) {
    setWindowTitle(Langpack::text(ids::kChoosePatientTitle));
    list_ = new QTreeWidget;
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    QStringList headers;
    for (int id : {ids::kNumberColumn, ids::kPatientId, ids::kName, ids::kSex, ids::kDateOfBirth,
                   ids::kHeight, ids::kWeight, ids::kTelephone, ids::kAddress})
        headers << Langpack::text(id);
    list_->setHeaderLabels(headers);
    list_->header()->resizeSection(0, 60);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &PatientPickerDialog::accept);

    newPatient_ = new QPushButton(Langpack::text(ids::kNewPatientButton));
    newPatient_->setAutoDefault(false);
    connect(newPatient_, &QPushButton::clicked, this, &PatientPickerDialog::onNewPatient);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->addButton(newPatient_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &PatientPickerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(900, 460);
    reload();
}

void PatientPickerDialog::reload() {
    const PatientList all = registry_.loadAll();
    records_ = all.records;
    list_->clear();
    for (int i = 0; i < records_.size(); ++i) {
        const PatientRecord& r = records_[i];
        new QTreeWidgetItem(list_, {QString::number(i + 1), r.id, r.name, r.sex, r.date, r.height,
                                    weightToLocale(r.weight, QLocale()), r.telephone, r.address});
    }
    for (int c = 1; c < list_->columnCount(); ++c) {
        list_->resizeColumnToContents(c);
        list_->setColumnWidth(c, list_->columnWidth(c) + kColumnPadding);
    }
    if (!all.message.isNone())
        prompter_.show(all.message);
}

void PatientPickerDialog::onNewPatient() {
    QStringList ids;
    for (const PatientRecord& r : records_)
        ids << r.id;
    QuickAddDialog dialog(registry_, ids, prompter_, this);
    const bool added = quickAddHook_ ? quickAddHook_(dialog) : dialog.exec() == QDialog::Accepted;
    if (!added || dialog.addedPosition() <= 0)
        return;
    reload();
    if (QTreeWidgetItem* last = list_->topLevelItem(list_->topLevelItemCount() - 1)) {
        list_->setCurrentItem(last);
        list_->scrollToItem(last);
    }
}

void PatientPickerDialog::accept() {
    const QList<QTreeWidgetItem*> rows = list_->selectedItems();
    if (rows.isEmpty()) {
        prompter_.show({ids::kSelectItem, {}});
        return;
    }
    const int index = list_->indexOfTopLevelItem(rows.first());
    const PatientRecord& r = records_[index];
    picked_ = PickedPatient{index, r.id, r.name, r.sex};
    QDialog::accept();
}

std::optional<PickedPatient>
PatientPickerDialog::pick(const QString& dataRoot, MessageBoxPrompter& prompter, QWidget* parent) {
    PatientPickerDialog dialog(dataRoot, prompter, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.picked();
}

} // namespace vantora
