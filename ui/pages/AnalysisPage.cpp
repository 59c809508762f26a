#include "ui/pages/AnalysisPage.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/ExchangeExport.h"
#include "records/PatientRegistry.h"
#include "records/RecordingDescription.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "render/AnalysisPicture.h"
#include "render/PictureMail.h"
#include "render/PictureWriters.h"
#include "render/ReportSources.h"
#include "ui/dialogs/ExportFileDialog.h"
#include "ui/dialogs/NoteDialog.h"
#include "ui/dialogs/ReportPrinting.h"
#include "ui/frame/PageHost.h"
#include "ui/pages/PrintPreviewView.h"
#include "ui/widgets/AnalysisRowList.h"
#include "ui/widgets/AveragedBeatView.h"
#include "ui/widgets/NoteField.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vantora {

namespace {

constexpr int kNoteLines = 4; // lines the note field shows at least
// Labels of the six result fields: heart rate, ST level, PR, QRS, QT, QTc.
constexpr std::array<int, 6> kResultLabels{
    ids::kHeartRateResult, ids::kStLevel, ids::kPr, ids::kQrs, ids::kQt, ids::kQtc};

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

// The save dialog of the export: the page's chooser (tests) or the program's.
class ExportDialogs : public RecordDialogs {
public:
    ExportDialogs(const AnalysisPage::FileChooser& chooser, QWidget& page)
        : chooser_(chooser), page_(page) {}
    std::optional<QString> chooseFile(const FileRequest& request) override {
        return chooser_ ? chooser_(request) : ExportFileDialog::choose(request, &page_);
    }
    std::optional<int> pickPatient() override { return std::nullopt; }
    std::optional<QString> editNote(const NoteRequest&) override { return std::nullopt; }

private:
    const AnalysisPage::FileChooser& chooser_;
    QWidget& page_;
};

RecordIndexEntry entryOf(const QTreeWidgetItem* item) {
    const QByteArray bytes = item->data(0, kEntryRole).toByteArray();
    if (bytes.size() != RecordIndexEntry::kBytes)
        return {};
    return RecordIndexEntry::fromBytes(reinterpret_cast<const uint8_t*>(bytes.constData()));
}

} // namespace

AnalysisPage::AnalysisPage(PageHost& frame, QString libraryPath)
    : Page(frame), model_(std::move(libraryPath)) {
    buildLayout();
    addRecordCommand(addSavePdfAction(this, [this] { OnSavePdf(); }));
    auto* exportAction = new QAction(Langpack::text(ids::kExportForOtherTools), this);
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    exportAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(exportAction, &QAction::triggered, this, &AnalysisPage::OnExportForOtherTools);
    tree_->addAction(exportAction);
    tree_->setContextMenuPolicy(Qt::ActionsContextMenu);
    addAction(exportAction);
}

AnalysisPage::~AnalysisPage() = default;

RecordingMode AnalysisPage::storeMode() const {
    return state().recordingMode == RecordingMode::Continuous ? RecordingMode::Continuous
                                                              : RecordingMode::Snap;
}

void AnalysisPage::buildLayout() {
    tree_ = new QTreeWidget(this);
    tree_->setHeaderLabel(Langpack::text(ids::kPatientsAndRecordings));
    tree_->setFixedWidth(205);
    connect(tree_, &QTreeWidget::currentItemChanged, this, &AnalysisPage::OnRecordingSelected);

    date_ = readOnlyField(this, 150);
    rate_ = readOnlyField(this, 50);
    auto* record = new QHBoxLayout;
    record->addWidget(new QLabel(Langpack::text(ids::kDateAndTime), this));
    record->addWidget(date_);
    record->addWidget(new QLabel(Langpack::text(ids::kRate), this));
    record->addWidget(rate_);
    record->addStretch(1);

    rows_ = new AnalysisRowList(model_, this);
    connect(rows_, &AnalysisRowList::rowClicked, this, &AnalysisPage::OnRowClicked);
    beat_ = new AveragedBeatView(model_, this);
    beat_->setToolTip(Langpack::text(ids::kAveragedBeat));

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

QWidget* AnalysisPage::buildResults() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    auto* title = new QLabel(Langpack::text(ids::kAnalysisTitle), box);
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
    // The note, wrapped over several lines, under the results.
    note_ = new NoteField(box);
    note_->setMinimumHeight(kNoteLines * note_->fontMetrics().lineSpacing() +
                            2 * note_->frameWidth() + 8);
    connect(note_, &NoteField::childClicked, this, &AnalysisPage::OnNoteClicked);
    grid->addWidget(new QLabel(Langpack::text(ids::kNote), box), 4, 0, Qt::AlignTop);
    grid->addWidget(note_, 4, 1, 1, 3);
    grid->setRowStretch(4, 1);
    grid->setContentsMargins(0, 0, 0, 0);
    return box;
}

void AnalysisPage::OnInitialUpdate() {
    fillTree();
}

// Lists the registry's patients and, under each, the recordings both files of
// its store hold: an entry without its record is never shown.
void AnalysisPage::fillTree() {
    const QString root = state().dataRoot;
    listedMode_ = storeMode();
    const PatientList patients = PatientRegistry(root).loadAll();
    const QSignalBlocker block(tree_);
    tree_->clear();
    int position = 0;
    for (const PatientRecord& patient : patients.records) {
        ++position;
        auto* item = new QTreeWidgetItem(tree_, {patient.id + u' ' + patient.name});
        item->setData(0, kPatientIdRole, patient.id);
        const RecordingStore store(root, listedMode_, patient.id);
        const int held = store.count().value();
        for (const ListedRecording& r : store.listIndex().recordings) {
            if (r.number > held)
                break;
            auto* child = new QTreeWidgetItem(item, {QString::number(r.number)});
            child->setData(0, kEntryRole, entryBytes(r.entry));
        }
        if (position == state().currentPatient)
            item->setExpanded(true);
    }
}

void AnalysisPage::OnRecordsChanged() {
    QString patientId;
    int number = 0;
    QByteArray entry;
    if (const QTreeWidgetItem* item = tree_->currentItem()) {
        const QTreeWidgetItem* patient = item->parent() ? item->parent() : item;
        patientId = patient->data(0, kPatientIdRole).toString();
        if (item->parent()) {
            number = item->text(0).toInt();
            entry = item->data(0, kEntryRole).toByteArray();
        }
    }
    const bool sameStore = listedMode_ == storeMode();
    fillTree();
    QTreeWidgetItem* again = sameStore ? findItem(patientId, number, entry) : nullptr;
    if (!again) {
        OnRecordingSelected(); // nothing selected: the page shows no recording
        return;
    }
    if (again->parent())
        again->parent()->setExpanded(true);
    tree_->setCurrentItem(again);
}

// The patient item (number 0) or the recording item with this number and entry.
QTreeWidgetItem* AnalysisPage::findItem(const QString& patientId, int number,
                                        const QByteArray& entry) const {
    if (patientId.isEmpty())
        return nullptr;
    for (int p = 0; p < tree_->topLevelItemCount(); ++p) {
        QTreeWidgetItem* patient = tree_->topLevelItem(p);
        if (patient->data(0, kPatientIdRole).toString() != patientId)
            continue;
        if (number == 0)
            return patient;
        QTreeWidgetItem* child =
            number <= patient->childCount() ? patient->child(number - 1) : nullptr;
        return child && child->data(0, kEntryRole).toByteArray() == entry ? child : nullptr;
    }
    return nullptr;
}

QTreeWidgetItem* AnalysisPage::selectedRecordingItem() const {
    QTreeWidgetItem* item = tree_->currentItem();
    return item && item->parent() ? item : nullptr;
}

void AnalysisPage::OnRecordingSelected() {
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
        if (!showSelectedRecording(item, n)) {
            // Deleted or replaced since the tree was read: say so instead of
            // showing an empty strip, and read the tree again once the
            // selection change is over.
            model_.showNoRecording();
            showNoRecordFields();
            showMessage(Message{ids::kRecordingGone, {}});
            QMetaObject::invokeMethod(this, &AnalysisPage::OnRecordsChanged, Qt::QueuedConnection);
        }
    }
    rows_->redrawRows();
    showFields();
}

// Loads and analyses recording `number` of the item's patient; false when the
// store no longer holds the recording the item was listed with.
bool AnalysisPage::showSelectedRecording(QTreeWidgetItem* item, int number) {
    const QString id = item->parent()->data(0, kPatientIdRole).toString();
    const RecordingStore store(state().dataRoot, listedMode_, id);
    const auto entry = store.readEntry(number - 1);
    if (!entry.ok() || entryBytes(entry.value()) != item->data(0, kEntryRole).toByteArray())
        return false;
    const auto read = store.readSamples(number - 1);
    if (!read.ok())
        return false;
    showRecordFields(id, entry.value());
    model_.showRecording(read.value());
    showLibraryStatus();
    return true;
}

void AnalysisPage::showLibraryStatus() {
    const Message problem = model_.libraryProblem();
    frame().showPageStatus(problem.isNone() ? QString() : problem.text());
}

void AnalysisPage::showNoRecordFields() {
    date_->clear();
    rate_->setText(QStringLiteral("..."));
    note_->showNote(QString());
}

void AnalysisPage::showRecordFields(const QString& patientId, const RecordIndexEntry& entry) {
    date_->setText(recordingTimeText(entry.time));
    rate_->setText(storedHeartRateText(entry.heartRate));
    const auto note = RecordingNotes(state().dataRoot, listedMode_, patientId).read(entry.time);
    if (!note.ok())
        showMessage(note.message());
    note_->showNote(note.value());
}

void AnalysisPage::showFields() {
    for (size_t k = 0; k < results_.size(); ++k)
        results_[k]->setText(model_.fields()[k]);
    beat_->update();
    setHasRecord(model_.analysisValid());
}

void AnalysisPage::OnRowClicked(int x, int y) {
    if (!selectedRecordingItem())
        return;
    const RowClickOutcome outcome = model_.rowClicked(x, y);
    if (outcome.ignored)
        return;
    if (outcome.redrawRows)
        rows_->redrawRows();
    showLibraryStatus();
    showFields();
}

void AnalysisPage::OnNoteClicked() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item || item->childCount() > 0 || !item->parent() ||
        item->data(0, kEntryRole).toByteArray().isEmpty())
        return;
    const NoteDialog::Target target{state().dataRoot, listedMode_,
                                    item->parent()->data(0, kPatientIdRole).toString(),
                                    item->parent()->text(0), entryOf(item).time};
    NoteDialog dialog(
        target, [this](const Message& m) { showMessage(m); }, this);
    if (dialog.exec() == QDialog::Accepted)
        note_->showNote(dialog.noteText());
}

AnalysisPictureContent AnalysisPage::pictureContent(const QTreeWidgetItem* item) const {
    AnalysisPictureContent content;
    content.patientText = item->parent()->text(0);
    content.patientId = item->parent()->data(0, kPatientIdRole).toString();
    content.recordingTime = date_->text();
    content.secondField = rate_->text();
    content.diagnosis = note_->toPlainText();
    content.font = font();
    addModelPictures(model_, content);
    return content;
}

void AnalysisPage::OnSavePicture() {
    const QTreeWidgetItem* item = selectedRecordingItem();
    if (!item)
        return;
    const QString folder = QDir::currentPath();
    const FileRequest request =
        analysisPictureRequest(item->parent()->text(0), item->text(0), state().dataRoot);
    const std::optional<QString> path =
        chooseFile_ ? chooseFile_(request) : ExportFileDialog::choose(request, this);
    if (path) {
        const QImage picture = composeAnalysisPicture(pictureContent(item));
        const Message saved = savePicture(picture, *path, QFileInfo(*path).suffix());
        if (!saved.isNone())
            showMessage(saved);
    }
    QDir::setCurrent(folder);
}

void AnalysisPage::OnMailPicture() {
    const QTreeWidgetItem* item = selectedRecordingItem();
    if (!item)
        return;
    const QByteArray entry = item->data(0, kEntryRole).toByteArray();
    if (entry.size() != RecordIndexEntry::kBytes)
        return;
    const SystemTime recorded =
        RecordIndexEntry::fromBytes(reinterpret_cast<const uint8_t*>(entry.constData())).time;
    const QString path =
        mailPicturePath(item->parent()->data(0, kPatientIdRole).toString(), recorded);
    Message result =
        savePicture(composeAnalysisPicture(pictureContent(item)), path, QStringLiteral("jpeg"));
    if (result.isNone()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        result = SendFileByMail(path, mailPictureSubject(item->parent()->text(0), recorded));
        QGuiApplication::restoreOverrideCursor();
    }
    if (!result.isNone())
        showMessage(result);
}

// The analysis report of the selected recording with the last analysis.
std::unique_ptr<ReportPage> AnalysisPage::reportPage(const QSize& sheetUnits) const {
    const QTreeWidgetItem* item = selectedRecordingItem();
    if (!item || !model_.analysisValid())
        return nullptr;
    AnalysisReportInput in;
    in.patientId = item->parent()->data(0, kPatientIdRole).toString();
    in.patientText = item->parent()->text(0);
    in.diagnosis = note_->toPlainText();
    in.header = entryOf(item);
    in.beat = model_.run().beat();
    in.parameters = model_.run().parameters();
    in.start = model_.run().windowStart();
    in.end = model_.run().windowEnd();
    return MakeAnalysisReportPage(model_.samples(), in, sheetUnits);
}

void AnalysisPage::OnFilePrint() {
    if (!reportPage(QSize(7128, 5040)))
        return;
    PrintReports(
        this, printer_, 1, [this](int, const QSize& units) { return reportPage(units); },
        [this](const Message& m) { showMessage(m); });
}

void AnalysisPage::OnFilePrintPreview() {
    if (reportPage(QSize(7128, 5040)))
        PrintPreviewView::open(frame(), 1,
                               [this](int, const QSize& units) { return reportPage(units); });
}

void AnalysisPage::OnSavePdf() {
    const QTreeWidgetItem* item = selectedRecordingItem();
    if (!item || !model_.analysisValid())
        return;
    const QString name = item->parent()->data(0, kPatientIdRole).toString() + u'-' + item->text(0) +
                         QStringLiteral(".pdf");
    const Message written = SaveReportPdf(
        this, chooseFile_, name, 1, [this](int, const QSize& units) { return reportPage(units); });
    if (!written.isNone())
        showMessage(written);
}

// A recording item exports that recording, a patient item all of its
// recordings; a recording the store no longer holds as listed is refused.
void AnalysisPage::OnExportForOtherTools() {
    const QTreeWidgetItem* item = tree_->currentItem();
    if (!item) {
        showMessage(Message{ids::kSelectForExport, {}});
        return;
    }
    const QTreeWidgetItem* patientItem = item->parent() ? item->parent() : item;
    const QString id = patientItem->data(0, kPatientIdRole).toString();
    int k = -1;
    if (item->parent()) {
        k = item->text(0).toInt() - 1;
        const auto entry = RecordingStore(state().dataRoot, listedMode_, id).readEntry(k);
        if (!entry.ok() || entryBytes(entry.value()) != item->data(0, kEntryRole).toByteArray()) {
            showMessage(Message{ids::kRecordingGone, {}});
            return;
        }
    }
    const PatientList patients = PatientRegistry(state().dataRoot).loadAll();
    const PatientRecord* patient = nullptr;
    for (const PatientRecord& p : patients.records)
        if (p.id == id)
            patient = &p;
    if (!patient && !patients.message.isNone()) {
        showMessage(patients.message);
        return;
    }
    ExportDialogs dialogs(chooseFile_, *this);
    const Message result = exportForOtherTools(state().dataRoot, listedMode_, patient, k, dialogs);
    if (!result.isNone())
        showMessage(result);
}

} // namespace vantora
