#include "ui/pages/AnalysisPage.h"

#include "analysis/ResultFields.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordDialogs.h"
#include "records/RecordingTime.h"
#include "records/RecordsPageModel.h"
#include "render/AnalysisPicture.h"
#include "render/PictureMail.h"
#include "render/PictureWriters.h"
#include "render/ReportSources.h"
#include "ui/dialogs/ExportFileDialog.h"
#include "ui/dialogs/NoteDialog.h"
#include "ui/dialogs/ReportPrinting.h"
#include "ui/frame/HospitalLink.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/frame/ModalDialogs.h"
#include "ui/frame/PageHost.h"
#include "ui/models/AnalysisTreeItemModel.h"
#include "ui/pages/PrintPreviewView.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/AnalysisRowList.h"
#include "ui/widgets/AveragedBeatView.h"
#include "ui/widgets/NoteField.h"
#include "ui/widgets/ScreenFit.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeView>
#include <QVBoxLayout>

namespace vantora {

namespace {

constexpr int kNoteLines = 4; // lines the note field shows at least
// Labels of the six result fields: heart rate, ST level, PR, QRS, QT, QTc.
constexpr std::array<int, 6> kResultLabels{
    ids::kHeartRateResult, ids::kStLevel, ids::kPr, ids::kQrs, ids::kQt, ids::kQtc};

QLineEdit* readOnlyField(QWidget* parent, int width) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFixedWidth(width);
    return field;
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

} // namespace

AnalysisPage::AnalysisPage(PageHost& frame, QString libraryPath)
    : Page(frame), model_(std::move(libraryPath)), treeModel_(frame.state().dataRoot) {
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
    return RecordsPageModel::storeModeOf(state().recordingMode);
}

void AnalysisPage::buildLayout() {
    tree_ = new QTreeView(this);
    treeItems_ =
        new AnalysisTreeItemModel(treeModel_, Langpack::text(ids::kPatientsAndRecordings), tree_);
    tree_->setModel(treeItems_);
    tree_->setMinimumWidth(150); // gives way to the rows on a narrow window
    tree_->setMaximumWidth(205);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &AnalysisPage::OnRecordingSelected);

    // Wide enough for a Continuous segment's "start – end" within one day.
    RecordIndexEntry widest;
    widest.time = SystemTime::fromDateTime(QDateTime(QDate(2026, 12, 28), QTime(23, 58, 58)));
    date_ = readOnlyField(
        this,
        fontMetrics().horizontalAdvance(recordingTimeText(RecordingMode::Continuous, widest)) + 16);
    rate_ = readOnlyField(this, 50);
    auto* record = new QHBoxLayout;
    auto* dateLabel = new QLabel(Langpack::text(ids::kDateAndTime), this);
    auto* rateLabel = new QLabel(Langpack::text(ids::kRate), this);
    record->addWidget(dateLabel);
    record->addWidget(date_);
    record->addWidget(rateLabel);
    record->addWidget(rate_);
    accessible::labelField(dateLabel, date_);
    accessible::labelField(rateLabel, rate_, QLatin1String(kResultUnits[0]));
    // The trend of the patient's whole Continuous store, one click away.
    const QString trendText = Langpack::text(ids::kCmdTrend);
    trend_ = new QPushButton(trendText.section(u'\n', 1, 1), this);
    trend_->setToolTip(trendText.section(u'\n', 0, 0));
    trend_->setVisible(storeMode() == RecordingMode::Continuous);
    connect(trend_, &QPushButton::clicked, this, [this] { frame().OnCommand(ids::kCmdTrend); });
    record->addWidget(trend_);
    record->addStretch(1);

    rows_ = new AnalysisRowList(model_, this);
    connect(rows_, &AnalysisRowList::rowClicked, this, &AnalysisPage::OnRowClicked);
    beat_ = new AveragedBeatView(model_, this);
    beat_->setToolTip(Langpack::text(ids::kAveragedBeat));
    accessible::name(beat_, ids::kAveragedBeat);
    accessible::name(tree_, ids::kPatientsAndRecordings);

    auto* bottom = new QHBoxLayout;
    // The beat is always whole; the results beside it take its height, so
    // that on a low window only the rows above scroll.
    QScrollArea* beatArea = scrollingView(beat_);
    beatArea->setMinimumHeight(beatArea->sizeHint().height());
    QWidget* results = buildResults();
    results->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    bottom->addWidget(beatArea);
    bottom->addWidget(results, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(4); // the three rows stay whole in a 1024 x 768 window
    right->addLayout(record);
    right->addWidget(scrollingView(rows_), 1);
    right->addLayout(bottom);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(6);
    layout->addWidget(tree_);
    layout->addLayout(right, 1);
    showRecordFields(false);
    showFields();
    // Tab goes as the eye reads: the results row by row, not column by column.
    setTabChain({tree_, date_, rate_, trend_, rows_, results_[0], results_[3], results_[1],
                 results_[4], results_[2], results_[5], note_});
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
        auto* label = new QLabel(Langpack::text(kResultLabels[size_t(k)]), box);
        accessible::labelField(label, results_[size_t(k)]); // the text holds the unit
        grid->addWidget(label, 1 + k % 3, 2 * (k / 3));
        grid->addWidget(results_[size_t(k)], 1 + k % 3, 2 * (k / 3) + 1);
    }
    // The note, wrapped over several lines, under the results.
    note_ = new NoteField(box);
    note_->setMinimumHeight(kNoteLines * note_->fontMetrics().lineSpacing() +
                            2 * note_->frameWidth() + 8);
    connect(note_, &NoteField::childClicked, this, &AnalysisPage::OnNoteClicked);
    auto* noteLabel = new QLabel(Langpack::text(ids::kNote), box);
    accessible::labelField(noteLabel, note_);
    grid->addWidget(noteLabel, 4, 0, Qt::AlignTop);
    grid->addWidget(note_, 4, 1, 1, 3);
    grid->setRowStretch(4, 1);
    grid->setContentsMargins(0, 0, 0, 0);
    return box;
}

void AnalysisPage::OnInitialUpdate() {
    fillTree();
    // Back on the page: the recording left shown, when the store still holds it.
    const TreePlace kept = treeModel_.find(state().analysisSelection);
    if (kept.patient < 0)
        return;
    tree_->expand(treeItems_->indexOf({kept.patient, -1}));
    tree_->setCurrentIndex(treeItems_->indexOf(kept));
}

// Reads the tree again (nothing selected) and opens the current patient.
void AnalysisPage::fillTree() {
    treeItems_->change([this](AnalysisTreeModel& t) { t.load(state().recordingMode); });
    tree_->expand(treeItems_->indexOf({state().currentPatient - 1, -1}));
}

void AnalysisPage::OnRecordsChanged() {
    // A reset leaves nothing current and tells no one: the page selects again.
    TreePlace again;
    treeItems_->change(
        [this, &again](AnalysisTreeModel& t) { again = t.reload(state().recordingMode); });
    tree_->expand(treeItems_->indexOf({state().currentPatient - 1, -1}));
    if (again.patient < 0) {
        OnRecordingSelected(); // nothing selected: the page shows no recording
        return;
    }
    tree_->expand(treeItems_->indexOf({again.patient, -1}));
    tree_->setCurrentIndex(treeItems_->indexOf(again));
}

void AnalysisPage::OnRecordingSelected() {
    const TreePlace place = AnalysisTreeItemModel::placeOf(tree_->currentIndex());
    const bool shown = treeModel_.select(place);
    if (shown && place.patient >= 0)
        state().analysisSelection = treeModel_.remembered();
    if (shown && treeModel_.selectedRecording()) {
        showRecordFields(true);
        model_.showRecording(treeModel_.samples());
        showLibraryStatus();
    } else {
        model_.showNoRecording();
        showRecordFields(false);
    }
    if (!shown) {
        // Read the tree again once the selection change is over.
        showMessage(treeModel_.message());
        QMetaObject::invokeMethod(this, &AnalysisPage::OnRecordsChanged, Qt::QueuedConnection);
    }
    rows_->redrawRows();
    showFields();
}

void AnalysisPage::showLibraryStatus() {
    const Message problem = model_.libraryProblem();
    frame().showPageStatus(problem.isNone() ? QString() : problem.text());
}

// The date, rate and note of the recording shown; "", "..." and no note for none.
void AnalysisPage::showRecordFields(bool shown) {
    date_->setText(shown
                       ? recordingTimeText(treeModel_.mode(), treeModel_.selectedRecording()->entry)
                       : QString());
    rate_->setText(shown ? treeModel_.rateText() : QStringLiteral("..."));
    note_->showNote(shown ? treeModel_.note() : QString());
    if (shown && !treeModel_.message().isNone())
        showMessage(treeModel_.message());
}

void AnalysisPage::showFields() {
    for (size_t k = 0; k < results_.size(); ++k)
        results_[k]->setText(withUnit(model_.fields()[k], k));
    beat_->update();
    setHasRecord(model_.analysisValid());
    describeViews();
}

// What the rows, the beat and each result field say, with units, as a screen
// reader reads them ("QT 380 ms").
void AnalysisPage::describeViews() {
    const bool shown = treeModel_.selectedRecording() != nullptr;
    accessible::describe(
        rows_, accessible::traceDescription(shown ? kSecondsPerRecording : 0, rate_->text(), 1));
    QStringList results;
    for (size_t k = 0; k < results_.size(); ++k) {
        const QString value = model_.fields()[k];
        const QString spoken = value == QStringLiteral("...")
                                   ? QString()
                                   : Langpack::text(kResultLabels[k]) + u' ' + withUnit(value, k);
        accessible::describe(results_[k], spoken);
        if (!spoken.isEmpty())
            results << spoken;
    }
    accessible::describe(beat_, model_.beatShown() ? results.join(QStringLiteral(", "))
                                                   : Langpack::text(ids::kA11yNoAnalysis));
}

void AnalysisPage::OnRowClicked(int x, int y) {
    if (!treeModel_.selectedRecording())
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
    const ListedRecording* recording = treeModel_.selectedRecording();
    if (!recording)
        return;
    const AnalysisTreePatient& patient = *treeModel_.selectedPatient();
    const NoteDialog::Target target{state().dataRoot, treeModel_.mode(), patient.id, patient.text,
                                    recording->entry.time};
    NoteDialog dialog(
        target, [this](const Message& m) { showMessage(m); }, this);
    if (runModal(dialog) == QDialog::Accepted) {
        treeModel_.setNote(dialog.noteText());
        note_->showNote(treeModel_.note());
    }
}

AnalysisPictureContent AnalysisPage::pictureContent() const {
    AnalysisPictureContent content;
    content.patientText = treeModel_.selectedPatient()->text;
    content.patientId = treeModel_.selectedPatient()->id;
    content.recordingTime = date_->text();
    content.secondField = rate_->text();
    content.diagnosis = note_->toPlainText();
    content.font = font();
    addModelPictures(model_, content);
    return content;
}

void AnalysisPage::OnSavePicture() {
    const ListedRecording* recording = treeModel_.selectedRecording();
    if (!recording)
        return;
    const QString folder = QDir::currentPath();
    const FileRequest request = analysisPictureRequest(
        treeModel_.selectedPatient()->text, QString::number(recording->number), state().dataRoot);
    const std::optional<QString> path =
        chooseFile_ ? chooseFile_(request) : ExportFileDialog::choose(request, this);
    if (path) {
        const QImage picture = composeAnalysisPicture(pictureContent());
        const Result<> saved = savePicture(picture, *path, QFileInfo(*path).suffix());
        if (!saved.ok())
            showMessage(saved.message());
    }
    QDir::setCurrent(folder);
}

void AnalysisPage::OnMailPicture() {
    const ListedRecording* recording = treeModel_.selectedRecording();
    if (!recording)
        return;
    const AnalysisTreePatient& patient = *treeModel_.selectedPatient();
    const SystemTime recorded = recording->entry.time;
    const QString path = mailPicturePath(patient.id, recorded);
    Message result =
        savePicture(composeAnalysisPicture(pictureContent()), path, QStringLiteral("jpeg"))
            .message();
    if (result.isNone()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        result = SendFileByMail(path, mailPictureSubject(patient.text, date_->text())).message();
        QGuiApplication::restoreOverrideCursor();
    }
    if (!result.isNone())
        showMessage(result);
}

// The analysis report of the selected recording with the last analysis.
std::unique_ptr<ReportPage> AnalysisPage::reportPage(const QSize& sheetUnits) const {
    const ListedRecording* recording = treeModel_.selectedRecording();
    if (!recording || !model_.analysisValid())
        return nullptr;
    AnalysisReportInput in;
    in.patientId = treeModel_.selectedPatient()->id;
    in.patientText = treeModel_.selectedPatient()->text;
    in.diagnosis = note_->toPlainText();
    in.header = recording->entry;
    in.mode = treeModel_.mode();
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
    const ListedRecording* recording = treeModel_.selectedRecording();
    if (!recording || !model_.analysisValid())
        return;
    const QString name = treeModel_.selectedPatient()->id + u'-' +
                         QString::number(recording->number) + QStringLiteral(".pdf");
    const Message written = SaveReportPdf(
        this, chooseFile_, name, 1, [this](int, const QSize& units) { return reportPage(units); });
    if (!written.isNone())
        showMessage(written);
}

// A recording item sends that recording, a patient item all of its recordings.
void AnalysisPage::OnSendToArchive() {
    const AnalysisTreePatient* patient = treeModel_.selectedPatient();
    if (!patient) {
        showMessage({ids::kSelectPatient, {}});
        return;
    }
    const ListedRecording* recording = treeModel_.selectedRecording();
    std::vector<RecordingKey> keys;
    for (const ListedRecording& r : patient->recordings)
        if (!recording || r.number == recording->number)
            keys.push_back({patient->id, storeMode(), r.number});
    if (frame().hospitalLink())
        frame().hospitalLink()->sendRecordings(std::move(keys));
}

// A recording item exports that recording, a patient item all of its
// recordings; a recording the store no longer holds as listed is refused.
void AnalysisPage::OnExportForOtherTools() {
    ExportDialogs dialogs(chooseFile_, *this);
    const Message result = treeModel_.exportForOtherTools(dialogs);
    if (!result.isNone())
        showMessage(result);
}

} // namespace vantora
