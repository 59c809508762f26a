#include "ui/dialogs/PatientManagerDialog.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "ui/dialogs/PatientEditDialog.h"
#include "ui/dialogs/WorklistDialog.h"
#include "ui/frame/MessageBoxPrompter.h"
#include "ui/frame/ModalDialogs.h"
#include "ui/models/RowTableModel.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/PatientDetailPanel.h"
#include "ui/widgets/ScreenFit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vantora {

namespace {
QIcon sexIcon(int icon) {
    return QIcon(Langpack::resourcePath(QStringLiteral("icons/patient%1.svg").arg(icon)));
}
} // namespace

PatientManagerDialog::PatientManagerDialog(AppState& state, MessageBoxPrompter& prompter,
                                           QWidget* parent)
    : QDialog(parent), state_(state), prompter_(prompter), registry_(state.dataRoot) {
    setWindowTitle(Langpack::text(ids::kPatientManagerTitle));
    list_ = new QTreeView;
    // Position, id and name, the position with an icon by sex.
    rows_ = new RowTableModel(
        {Langpack::text(ids::kNumberColumn), Langpack::text(ids::kPatientId),
         Langpack::text(ids::kName)},
        [this] { return int(records_.size()); },
        [this](int row, int column, int role) -> QVariant {
            const PatientRecord& r = records_[row];
            if (role == Qt::DecorationRole && column == 0)
                return sexIcon(sexIconOf(r.sex));
            if (role != Qt::DisplayRole)
                return {};
            return column == 0 ? QString::number(row + 1) : column == 1 ? r.id : r.name;
        },
        list_);
    list_->setModel(rows_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setIconSize(QSize(20, 20));
    list_->header()->resizeSection(0, 70);
    list_->header()->resizeSection(1, 130);
    list_->setMinimumWidth(380);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PatientManagerDialog::onSelectionChanged);
    connect(list_, &QTreeView::doubleClicked, this, &PatientManagerDialog::onEdit);

    detail_ = new PatientDetailPanel;
    auto* detailBox = new QGroupBox(Langpack::text(ids::kPatientDetailsTitle));
    (new QVBoxLayout(detailBox))->addWidget(detail_);
    accessible::name(list_, ids::kA11yPatients);
    accessible::name(detail_, ids::kPatientDetailsTitle);

    add_ = new QPushButton(Langpack::text(ids::kAdd));
    edit_ = new QPushButton(Langpack::text(ids::kEdit));
    delete_ = new QPushButton(Langpack::text(ids::kDelete));
    worklist_ = new QPushButton(Langpack::text(ids::kWorklist));
    auto* close = new QPushButton(Langpack::text(ids::kClose));
    for (QPushButton* b : {add_, edit_, delete_, worklist_, close})
        b->setAutoDefault(false);
    connect(add_, &QPushButton::clicked, this, &PatientManagerDialog::onAdd);
    connect(edit_, &QPushButton::clicked, this, &PatientManagerDialog::onEdit);
    connect(delete_, &QPushButton::clicked, this, &PatientManagerDialog::onDelete);
    connect(worklist_, &QPushButton::clicked, this, &PatientManagerDialog::onWorklist);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    count_ = new QLabel;

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(count_);
    buttons->addStretch(1);
    for (QPushButton* b : {add_, edit_, delete_, worklist_, close})
        buttons->addWidget(b);
    auto* body = new QHBoxLayout;
    body->addWidget(list_, 1);
    body->addWidget(detailBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addLayout(buttons);
    resizeWithinScreen(*this, QSize(860, 520));
    reload();
}

void PatientManagerDialog::reload() {
    const PatientList all = registry_.loadAll();
    ids_ = PatientIdMap(all.records);
    records_ = all.records;
    rows_->refresh();
    count_->setText(Langpack::format(ids::kPatientCount, QString::number(all.records.size())));
    detail_->clear();
    if (!all.message.isNone())
        prompter_.show(all.message);
}

int PatientManagerDialog::selectedPosition() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void PatientManagerDialog::select(int position) {
    if (const QModelIndex row = rows_->index(position - 1, 0); row.isValid()) {
        list_->setCurrentIndex(row);
        list_->scrollTo(row);
    }
}

void PatientManagerDialog::onSelectionChanged() {
    const int position = selectedPosition();
    if (position <= 0) {
        detail_->clear();
        return;
    }
    state_.currentPatient = position;
    const Result<PatientRecord> read = registry_.read(position);
    if (read.ok())
        detail_->showRecord(read.value());
    else
        prompter_.show(read.message());
}

bool PatientManagerDialog::runDialog(PatientEditDialog& dialog) {
    return dialogHook_ ? dialogHook_(dialog) : runModal(dialog) == QDialog::Accepted;
}

void PatientManagerDialog::onAdd() {
    PatientEditDialog dialog(PatientEditDialog::Mode::Add, prompter_, this);
    Result<PatientAdded> result;
    dialog.setCommit([&](const PatientFields& fields) {
        result = registry_.add(fields, ids_, state_.homeShown);
        return result.ok() ? Message{} : result.message();
    });
    if (!runDialog(dialog) || !result.ok())
        return;
    reload();
    if (!result.value().notice.isNone()) {
        prompter_.show(result.value().notice);
        return;
    }
    select(result.value().position);
}

void PatientManagerDialog::onEdit() {
    const int position = selectedPosition();
    if (position <= 0) {
        prompter_.show({ids::kNoPatientChosen, {}});
        return;
    }
    const Result<PatientRecord> read = registry_.read(position);
    if (!read.ok()) {
        prompter_.show(read.message());
        return;
    }
    PatientEditDialog dialog(PatientEditDialog::Mode::Edit, prompter_, this);
    dialog.setRecord(read.value());
    dialog.setCommit(
        [&](const PatientFields& fields) { return registry_.edit(position, fields).message(); });
    if (!runDialog(dialog))
        return;
    if (const Result<PatientRecord> now = registry_.read(position); now.ok()) {
        records_[position - 1].name = now.value().name;
        records_[position - 1].sex = now.value().sex;
        rows_->rowChanged(position - 1);
        detail_->showRecord(now.value());
    }
}

void PatientManagerDialog::onDelete() {
    const int position = selectedPosition();
    if (position <= 0) {
        prompter_.show({ids::kNoPatientChosen, {}});
        return;
    }
    const Result<PatientRecord> stored = registry_.removable(position);
    if (!stored.ok()) {
        prompter_.show(stored.message());
        return;
    }
    if (!prompter_.confirm(PatientRegistry::deleteQuestion(stored.value().id)))
        return;
    const Result<> result = registry_.remove(position, &ids_, stored.value().id);
    if (!result.message().isNone())
        prompter_.show(result.message());
    if (!result.ok())
        return;
    state_.currentPatient = 0;
    reload();
    list_->clearSelection();
}

// A patient taken from the worklist shows selected, as one just added.
void PatientManagerDialog::onWorklist() {
    WorklistDialog dialog(state_, prompter_, this);
    runModal(dialog);
    if (!dialog.admitted())
        return;
    reload();
    select(dialog.admitted()->position);
}

} // namespace vantora
