#include "frontend/CSnapAnanlyseView.h"

#include "app/AppState.h"
#include "app/CMainFrame.h"
#include "app/Langpack.h"
#include "frontend/CAnalysisRowList.h"
#include "frontend/CAveragedBeatWnd.h"
#include "frontend/CNoteDialog.h"
#include "frontend/CNoteField.h"
#include "records/PatientRegistry.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantora {

namespace {

constexpr int kTreeCaption = 62013;
constexpr int kDateLabel = 62014;
constexpr int kRateLabel = 62015;
constexpr int kNoteLabel = 62012;
constexpr int kBeatLabel = 62016;
// Labels of the six result fields: heart rate, ST level, PR, QRS, QT, QTc.
constexpr std::array<int, 6> kResultLabels{61354, 61348, 61350, 61349, 61351, 61352};

// Item data: a patient item holds the patient id, a recording item its index entry.
constexpr int kPatientIdRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;

QLineEdit* readOnlyField(QWidget* parent, int width) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFixedWidth(width);
    return field;
}

QByteArray entryBytes(const RecordIndexEntry& entry) {
    const auto bytes = entry.toBytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

RecordIndexEntry entryOf(const QTreeWidgetItem* item) {
    const QByteArray bytes = item->data(0, kEntryRole).toByteArray();
    if (bytes.size() != RecordIndexEntry::kBytes)
        return {};
    return RecordIndexEntry::fromBytes(reinterpret_cast<const uint8_t*>(bytes.constData()));
}

QString dateTimeText(const SystemTime& t) {
    const QDateTime when(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    return when.isValid() ? QLocale::system().toString(when, QLocale::ShortFormat) : QString();
}

} // namespace

CSnapAnanlyseView::CSnapAnanlyseView(CMainFrame& frame, QString libraryPath)
    : CFormViewEx(frame), model_(std::move(libraryPath)) {
    buildLayout();
}

CSnapAnanlyseView::~CSnapAnanlyseView() = default;

int32_t CSnapAnanlyseView::storeMode() const {
    return state().recordingMode == kModeContinuous ? kModeContinuous : kModeSnap;
}

void CSnapAnanlyseView::buildLayout() {
    tree_ = new QTreeWidget(this);
    tree_->setHeaderLabel(Langpack::text(kTreeCaption));
    tree_->setFixedWidth(205);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &CSnapAnanlyseView::OnRecordingSelected);

    date_ = readOnlyField(this, 150);
    rate_ = readOnlyField(this, 50);
    note_ = new CNoteField(this);
    note_->setFixedHeight(26);
    connect(note_, &CNoteField::childClicked, this, &CSnapAnanlyseView::OnNoteClicked);
    auto* record = new QHBoxLayout;
    record->addWidget(new QLabel(Langpack::text(kDateLabel), this));
    record->addWidget(date_);
    record->addWidget(new QLabel(Langpack::text(kRateLabel), this));
    record->addWidget(rate_);
    record->addWidget(new QLabel(Langpack::text(kNoteLabel), this));
    record->addWidget(note_, 1);

    rows_ = new CAnalysisRowList(model_, this);
    connect(rows_, &CAnalysisRowList::rowClicked, this, &CSnapAnanlyseView::OnRowClicked);
    beat_ = new CAveragedBeatWnd(model_.panel(), this);
    beat_->setToolTip(Langpack::text(kBeatLabel));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(beat_);
    bottom->addWidget(buildResults(), 1);

    auto* right = new QVBoxLayout;
    right->addLayout(record);
    right->addWidget(rows_);
    right->addLayout(bottom);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(6);
    layout->addWidget(tree_);
    layout->addLayout(right, 1);
    showNoRecordFields();
    showFields();
}

QWidget* CSnapAnanlyseView::buildResults() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    auto* title = new QLabel(Langpack::text(61347), box);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 0, 1, 4);
    for (int k = 0; k < 6; ++k) {
        results_[size_t(k)] = readOnlyField(box, 80);
        grid->addWidget(new QLabel(Langpack::text(kResultLabels[size_t(k)]), box), 1 + k % 3,
                        2 * (k / 3));
        grid->addWidget(results_[size_t(k)], 1 + k % 3, 2 * (k / 3) + 1);
    }
    grid->setRowStretch(4, 1);
    return box;
}

void CSnapAnanlyseView::OnInitialUpdate() {
    fillTree();
}

void CSnapAnanlyseView::fillTree() {
    const QString root = state().dataRoot;
    const PatientList patients = PatientRegistry(root).loadAll();
    const QSignalBlocker block(tree_);
    tree_->clear();
    int position = 0;
    for (const PatientRecord& patient : patients.records) {
        ++position;
        auto* item = new QTreeWidgetItem(tree_, {patient.id + u' ' + patient.name});
        item->setData(0, kPatientIdRole, patient.id);
        const RecordingListing listing = RecordingStore(root, storeMode(), patient.id).listIndex();
        for (const ListedRecording& r : listing.recordings) {
            auto* child = new QTreeWidgetItem(item, {QString::number(r.number)});
            child->setData(0, kEntryRole, entryBytes(r.entry));
        }
        if (position == state().currentPatient)
            item->setExpanded(true);
    }
}

QTreeWidgetItem* CSnapAnanlyseView::selectedRecordingItem() const {
    QTreeWidgetItem* item = tree_->currentItem();
    return item && item->parent() ? item : nullptr;
}

void CSnapAnanlyseView::OnRecordingSelected() {
    QTreeWidgetItem* item = selectedRecordingItem();
    if (!item) {
        model_.showNoRecording();
        showNoRecordFields();
    } else {
        bool ok = false;
        const int n = item->text(0).toInt(&ok);
        if (!ok || n <= 0) {
            model_.forgetClicks();
            return;
        }
        const QString id = item->parent()->data(0, kPatientIdRole).toString();
        showRecordFields(id, entryOf(item));
        const auto read = RecordingStore(state().dataRoot, storeMode(), id).readSamples(n - 1);
        if (read.ok())
            model_.showRecording(read.value);
        else
            model_.showNoRecording(); // an unreadable recording shows no rows and no results
    }
    rows_->redrawRows();
    showFields();
}

void CSnapAnanlyseView::showNoRecordFields() {
    date_->clear();
    rate_->setText(QStringLiteral("..."));
    note_->showNote(QString());
}

void CSnapAnanlyseView::showRecordFields(const QString& patientId, const RecordIndexEntry& entry) {
    date_->setText(dateTimeText(entry.time));
    rate_->setText(QString::asprintf("%d", int(entry.heartRate)));
    const auto note = RecordingNotes(state().dataRoot, storeMode(), patientId).read(entry.time);
    if (!note.ok())
        showMessage(note.message);
    note_->showNote(note.value);
}

void CSnapAnanlyseView::showFields() {
    for (size_t k = 0; k < results_.size(); ++k)
        results_[k]->setText(model_.fields()[k]);
    beat_->update();
    setHasRecord(model_.analysisValid());
}

void CSnapAnanlyseView::OnRowClicked(int x, int y) {
    if (!selectedRecordingItem())
        return;
    const RowClickOutcome outcome = model_.rowClicked(x, y);
    if (outcome.ignored)
        return;
    if (outcome.redrawRows)
        rows_->redrawRows();
    showFields();
}

void CSnapAnanlyseView::OnNoteClicked() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item || item->childCount() > 0 || !item->parent() ||
        item->data(0, kEntryRole).toByteArray().isEmpty())
        return;
    const CNoteDialog::Target target{state().dataRoot, storeMode(),
                                     item->parent()->data(0, kPatientIdRole).toString(),
                                     item->parent()->text(0), entryOf(item).time};
    CNoteDialog dialog(
        target, [this](const Message& m) { showMessage(m); }, this);
    if (dialog.exec() == QDialog::Accepted)
        note_->showNote(dialog.noteText());
}

} // namespace vantora
