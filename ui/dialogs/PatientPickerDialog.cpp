#include "ui/dialogs/PatientPickerDialog.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/dialogs/QuickAddDialog.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/ModalDialogs.h"
#include "ui/models/RowTableModel.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/ScreenFit.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vantora {

namespace {
constexpr int kColumnPadding = 18; // px between columns
}

PatientPickerDialog::PatientPickerDialog(const QString& dataRoot, MessageBoxPrompter& prompter,
                                         QWidget* parent)
    : QDialog(parent), registry_(dataRoot), prompter_(prompter) {
    setWindowTitle(Langpack::text(ids::kChoosePatientTitle));
    list_ = new QTreeView;
    QStringList headers;
    for (int id : {ids::kNumberColumn, ids::kPatientId, ids::kName, ids::kSex, ids::kDateOfBirth,
                   ids::kHeight, ids::kWeight, ids::kTelephone, ids::kAddress})
        headers << Langpack::text(id);
    rows_ = new RowTableModel(
        headers, [this] { return int(records_.size()); }, RowTableModel::texts([this](int i) {
            const PatientRecord& r = records_[i];
            return QStringList{QString::number(i + 1),
                               r.id,
                               r.name,
                               r.sex,
                               r.date,
                               r.height,
                               weightToLocale(r.weight, QLocale()),
                               r.telephone,
                               r.address};
        }),
        list_);
    list_->setModel(rows_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->header()->resizeSection(0, 60);
    connect(list_, &QTreeView::doubleClicked, this, &PatientPickerDialog::accept);
    accessible::name(list_, ids::kA11yPatients);

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
    resizeWithinScreen(*this, QSize(900, 460));
    reload();
}

void PatientPickerDialog::reload() {
    const PatientList all = registry_.loadAll();
    records_ = all.records;
    rows_->refresh();
    for (int c = 1; c < rows_->columnCount(); ++c) {
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
    const bool added =
        quickAddHook_ ? quickAddHook_(dialog) : runModal(dialog) == QDialog::Accepted;
    if (!added || dialog.addedPosition() <= 0)
        return;
    reload();
    if (const QModelIndex last = rows_->index(rows_->rowCount() - 1, 0); last.isValid()) {
        list_->setCurrentIndex(last);
        list_->scrollTo(last);
    }
}

void PatientPickerDialog::accept() {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        prompter_.show({ids::kSelectItem, {}});
        return;
    }
    const int index = rows.first().row();
    const PatientRecord& r = records_[index];
    picked_ = PickedPatient{index, r.id, r.name, r.sex};
    QDialog::accept();
}

std::optional<PickedPatient>
PatientPickerDialog::pick(const QString& dataRoot, MessageBoxPrompter& prompter, QWidget* parent) {
    PatientPickerDialog dialog(dataRoot, prompter, parent);
    if (runModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.picked();
}

} // namespace vantora
