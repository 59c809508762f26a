#include "ui/pages/RecordsPage.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/ExchangeExport.h"
#include "records/RecordingDescription.h"
#include "records/RecordingTime.h"
#include "ui/dialogs/ExportFileDialog.h"
#include "ui/dialogs/NoteDialog.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/frame/HospitalLink.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/frame/ModalDialogs.h"
#include "ui/frame/PageHost.h"
#include "ui/models/RowTableModel.h"
#include "ui/pages/RecordPageParts.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/RecordPreview.h"
#include "ui/widgets/ScreenFit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

namespace vantora {

namespace {

constexpr int kButtonTexts[] = {ids::kRecordsFind,   ids::kRecordsShowAll, ids::kRecordsDelete,
                                ids::kRecordsNote,   ids::kRecordsExport,  ids::kRecordsImport,
                                ids::kSendToArchive, ids::kFromArchive,    ids::kWorklist};
constexpr int kRecordingListWidth = 290; // pixels: number, time and rate shown whole
constexpr int kNumberColumnWidth = 50;
constexpr int kTimeColumnWidth = 135;
// Patient list columns: position, id, name, sex, date, number, decimal, text 1, text 2.
constexpr int kPatientColumns[] = {ids::kNumberColumn, ids::kPatientId,   ids::kName,
                                   ids::kSex,          ids::kDateOfBirth, ids::kHeight,
                                   ids::kWeight,       ids::kTelephone,   ids::kAddress};
// Recording list columns: number, start time, heart rate.
constexpr int kRecordingColumns[] = {ids::kNumberColumn, ids::kRecordingTime, ids::kHeartRate};

// The program's dialogs for the page's model.
class PageDialogs : public RecordDialogs {
public:
    PageDialogs(QWidget& page, const AppState& state, MessageBoxPrompter& prompter)
        : page_(page), state_(state), prompter_(prompter) {}

    std::optional<QString> chooseFile(const FileRequest& request) override {
        return ExportFileDialog::choose(request, &page_);
    }
    std::optional<int> pickPatient() override {
        const std::optional<PickedPatient> picked =
            PatientPickerDialog::pick(state_.dataRoot, prompter_, &page_);
        return picked ? std::optional<int>(picked->position) : std::nullopt;
    }
    std::optional<QString> editNote(const NoteRequest& request) override {
        const NoteDialog::Target target{state_.dataRoot,
                                        RecordsPageModel::storeModeOf(state_.recordingMode),
                                        request.patientId, request.patientText, request.start};
        NoteDialog dialog(
            target, [this](const Message& m) { prompter_.show(m); }, &page_);
        if (runModal(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.noteText();
    }

private:
    QWidget& page_;
    const AppState& state_;
    MessageBoxPrompter& prompter_;
};

QStringList headers(std::span<const int> columns) {
    QStringList labels;
    for (int id : columns)
        labels << Langpack::text(id);
    return labels;
}

QTreeView* makeList(QWidget* parent, RowTableModel* rows) {
    auto* list = new QTreeView(parent);
    rows->setParent(list);
    list->setModel(rows);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    return list;
}

} // namespace

RecordsPage::RecordsPage(PageHost& frame)
    : Page(frame), model_(frame.state().dataRoot, frame.state().recordingMode),
      ownDialogs_(std::make_unique<PageDialogs>(*this, frame.state(), frame.prompter())),
      dialogs_(ownDialogs_.get()) {
    buildLayout();
}

RecordsPage::~RecordsPage() = default;

QPushButton* RecordsPage::button(int which) const {
    return which >= 0 && which < kButtonCount ? buttons_[which] : nullptr;
}

void RecordsPage::buildLayout() {
    recordingRows_ = new RowTableModel(
        headers(kRecordingColumns), [this] { return int(model_.recordings().size()); },
        RowTableModel::texts([this](int row) {
            const ListedRecording& r = model_.recordings()[size_t(row)];
            return QStringList{QString::number(r.number), recordingTimeText(model_.mode(), r.entry),
                               storedHeartRateText(r.entry.heartRate)};
        }),
        this);
    recordings_ = makeList(this, recordingRows_);
    recordings_->setFixedWidth(kRecordingListWidth);
    recordings_->setColumnWidth(0, kNumberColumnWidth);
    recordings_->setColumnWidth(1, kTimeColumnWidth);
    recordings_->installEventFilter(this);
    info_ = new QTextEdit(this);
    info_->setReadOnly(true);
    preview_ = new RecordPreview(this);

    auto* recordingPane = new QVBoxLayout;
    auto* recordingsLabel = new QLabel(Langpack::text(ids::kRecordsList), this);
    recordingPane->addWidget(recordingsLabel);
    recordingPane->addWidget(recordings_);
    accessible::labelField(recordingsLabel, recordings_);
    accessible::name(info_, ids::kA11yRecordingInformation);
    auto* top = new QHBoxLayout;
    top->addWidget(buildPatientPane(), 1);
    top->addLayout(recordingPane);
    top->addWidget(info_, 0);
    info_->setFixedWidth(200);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(scrollingView(preview_), 0, Qt::AlignTop);
    bottom->addWidget(buildCommandPane(), 1, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom, 0);
    layout->setContentsMargins(6, 6, 6, 6);
    // Tab reads the page: the search, the patients, their recordings, the
    // information, then the commands below (built in reading order).
    setTabChain({byId_, byName_, searchText_, buttons_[kFind], buttons_[kShowAll], patients_,
                 recordings_, info_, gain_});

    connect(patients_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &RecordsPage::onPatientRow);
    connect(recordings_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &RecordsPage::onRecordingRow);
}

QWidget* RecordsPage::buildPatientPane() {
    auto* pane = new QWidget(this);
    patientRows_ = new RowTableModel(
        headers(kPatientColumns), [this] { return model_.patients().rowCount(); },
        RowTableModel::texts([this](int row) { return model_.patients().rowTexts(row); }), this);
    patients_ = makeList(pane, patientRows_);
    patients_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    byId_ = new QRadioButton(Langpack::text(ids::kPatientId), pane);
    byName_ = new QRadioButton(Langpack::text(ids::kName), pane);
    byId_->setChecked(true);
    auto* choice = new QButtonGroup(pane);
    choice->addButton(byId_);
    choice->addButton(byName_);
    connect(byId_, &QRadioButton::toggled, this, &RecordsPage::onSearchChoice);
    searchText_ = new QLineEdit(pane);
    connect(searchText_, &QLineEdit::returnPressed, this, &RecordsPage::OnFind);
    for (int b : {kFind, kShowAll})
        buttons_[b] = new QPushButton(Langpack::text(kButtonTexts[b]), pane);
    connect(buttons_[kFind], &QPushButton::clicked, this, &RecordsPage::OnFind);
    connect(buttons_[kShowAll], &QPushButton::clicked, this, &RecordsPage::OnShowAll);

    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(Langpack::text(ids::kRecordsSearch), pane));
    search->addWidget(byId_);
    search->addWidget(byName_);
    search->addWidget(searchText_, 1);
    search->addWidget(buttons_[kFind]);
    search->addWidget(buttons_[kShowAll]);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(search);
    layout->addWidget(patients_, 1);
    accessible::name(patients_, ids::kA11yPatients);
    accessible::name(searchText_, ids::kRecordsSearch);
    onSearchChoice();
    return pane;
}

QWidget* RecordsPage::buildCommandPane() {
    auto* pane = new QWidget(this);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(6, 0, 0, 0); // close enough to fit a 1024 x 600 screen
    layout->setSpacing(4);
    gain_ = new QComboBox(pane);
    gain_->addItems({QStringLiteral("X  1 "), QStringLiteral("X  2 ")});
    connect(gain_, &QComboBox::currentIndexChanged, this, &RecordsPage::onGain);
    gainCaption_ = new QLabel(pane);
    auto* gain = new QHBoxLayout;
    gain->addWidget(gain_);
    gain->addWidget(gainCaption_, 1);
    layout->addLayout(gain);
    accessible::name(gain_, ids::kGain);
    gainCaption_->setBuddy(gain_);

    // One-or-all choices: the selected recording is the initial choice.
    auto choiceBox = [&](int caption, QRadioButton*& all, int command) {
        auto* box = new QGroupBox(Langpack::text(caption), pane);
        auto* one = new QRadioButton(Langpack::text(ids::kRecordsSelected), box);
        all = new QRadioButton(Langpack::text(ids::kRecordsAll), box);
        one->setChecked(true);
        buttons_[command] = new QPushButton(Langpack::text(kButtonTexts[command]), box);
        auto* v = new QVBoxLayout(box);
        v->setSpacing(2);
        v->setContentsMargins(6, 4, 6, 6);
        v->addWidget(one);
        v->addWidget(all);
        v->addWidget(buttons_[command]);
        layout->addWidget(box);
    };
    choiceBox(ids::kRecordsDelete, deleteAll_, kDelete);
    choiceBox(ids::kRecordsExportBox, exportAll_, kExport);
    // EDF+ or CSV of the export choice's recordings; the store keeps them.
    auto* otherTools = new QPushButton(Langpack::text(ids::kExportForOtherTools), pane);
    layout->addWidget(otherTools);
    connect(otherTools, &QPushButton::clicked, this, &RecordsPage::OnExportForOtherTools);
    auto* lastRow = new QHBoxLayout;
    for (int b : {kImport, kNote}) {
        buttons_[b] = new QPushButton(Langpack::text(kButtonTexts[b]), pane);
        lastRow->addWidget(buttons_[b]);
    }
    layout->addLayout(lastRow);
    auto* hospitalRow = new QHBoxLayout;
    for (int b : {kSendToArchive, kFromArchive, kWorklist}) {
        buttons_[b] = new QPushButton(Langpack::text(kButtonTexts[b]), pane);
        buttons_[b]->setEnabled(frame().hospitalLink() != nullptr);
        hospitalRow->addWidget(buttons_[b]);
    }
    layout->addLayout(hospitalRow);
    layout->addStretch(1);
    connect(buttons_[kSendToArchive], &QPushButton::clicked, this, &RecordsPage::OnSendToArchive);
    connect(buttons_[kFromArchive], &QPushButton::clicked, this, &RecordsPage::OnFromArchive);
    connect(buttons_[kWorklist], &QPushButton::clicked, this, &RecordsPage::OnWorklist);
    connect(buttons_[kDelete], &QPushButton::clicked, this, &RecordsPage::OnDelete);
    connect(buttons_[kExport], &QPushButton::clicked, this, &RecordsPage::OnExport);
    connect(buttons_[kImport], &QPushButton::clicked, this, &RecordsPage::OnImport);
    connect(buttons_[kNote], &QPushButton::clicked, this, &RecordsPage::OnNote);
    connect(deleteAll_, &QRadioButton::toggled, this, [this](bool on) { model_.setDeleteAll(on); });
    connect(exportAll_, &QRadioButton::toggled, this, [this](bool on) { model_.setExportAll(on); });
    return pane;
}

void RecordsPage::OnInitialUpdate() {
    const QVector<Message> messages = model_.firstDisplay(state(), prompter(), *dialogs_);
    showPatients();
    for (const Message& m : messages)
        showMessage(m);
    patients_->setFocus();
}

void RecordsPage::OnRecordsChanged() {
    const Message m = model_.reload(state().recordingMode);
    showPatients();
    show(m);
}

// A file handed over while the page is shown: imported like one the program
// was started with, and the flag cleared so the next file is taken too.
void RecordsPage::importHandedFile(const QString& path) {
    const Message reloaded = model_.reload(state().recordingMode);
    const Message imported = model_.importPath(path, prompter(), *dialogs_, false);
    state().pendingFile = false;
    state().pendingPath.clear();
    showPatients();
    show(reloaded);
    show(imported);
}

void RecordsPage::show(const Message& message) {
    if (!message.isNone())
        showMessage(message);
}

void RecordsPage::showPatients() {
    {
        const QScopedValueRollback guard(syncing_, true);
        patientRows_->refresh();
    }
    syncPatientSelection();
    shownRevision_ = -1;
    showRecordings();
}

void RecordsPage::syncPatientSelection() {
    const QScopedValueRollback guard(syncing_, true);
    showMatchedPatients(patients_, patientRows_, model_.patients());
}

// The recording rows, rebuilt when the model read its list again.
void RecordsPage::showRecordings() {
    if (shownRevision_ != model_.listRevision()) {
        shownRevision_ = model_.listRevision();
        const QScopedValueRollback guard(syncing_, true);
        recordingRows_->refresh();
    }
    {
        const QScopedValueRollback guard(syncing_, true);
        recordings_->setCurrentIndex(recordingRows_->index(model_.currentRecording(), 0));
    }
    showRecording();
}

void RecordsPage::showRecording() {
    if (model_.currentRecording() < 0)
        info_->clear();
    else
        showRecordingInfo(info_, model_.infoLine(), model_.note());
    gainCaption_->setText(model_.gainCaption());
    preview_->showRecording(model_.previewSamples(), model_.mode(), model_.gain());
}

void RecordsPage::onSearchChoice() {
    const PatientSearchField field =
        byId_->isChecked() ? PatientSearchField::Id : PatientSearchField::Name;
    model_.patients().setSearchField(field);
    searchText_->setValidator(nullptr);
    searchText_->setMaxLength(PatientListModel::maxSearchChars(field));
    searchText_->setText(model_.patients().searchText());
    if (field == PatientSearchField::Id)
        searchText_->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]*")), searchText_));
}

void RecordsPage::onPatientRow() {
    if (syncing_)
        return;
    const int row = patients_->currentIndex().row();
    show(model_.selectPatient(row));
    showRecordings();
}

void RecordsPage::onRecordingRow() {
    if (syncing_)
        return;
    const int row = recordings_->currentIndex().row();
    show(model_.selectRecording(row));
    showRecording();
}

void RecordsPage::onGain(int index) {
    show(model_.setGain(index + 1));
    showRecording();
}

void RecordsPage::OnFind() {
    model_.patients().setSearchText(searchText_->text());
    const Message m = model_.find();
    syncPatientSelection();
    showRecordings();
    show(m);
}

void RecordsPage::OnShowAll() {
    const Message m = model_.showAll();
    searchText_->clear();
    showPatients();
    show(m);
}

void RecordsPage::OnDelete() {
    const Message m = model_.deleteRecordings(prompter());
    showRecordings();
    show(m);
}

void RecordsPage::OnNote() {
    const Message m = model_.editNote(*dialogs_);
    showRecording();
    show(m);
}

void RecordsPage::OnExport() {
    const RecordsPageModel::ExportOutcome out = model_.exportRecordings(prompter(), *dialogs_);
    Message message = out.message;
    if (!out.picturePath.isEmpty() && preview_->hasRecording())
        message = saveStripPicture(preview_->rows(), out.picturePath).message();
    showRecordings();
    show(message);
}

void RecordsPage::OnExportForOtherTools() {
    const int k = model_.exportAll() ? -1 : model_.currentRecording();
    if (!model_.exportAll() && k < 0) {
        show(Message{ids::kSelectForExport, {}});
        return;
    }
    show(exportForOtherTools(state().dataRoot, model_.mode(), model_.selectedPatient(), k,
                             *dialogs_));
}

void RecordsPage::OnImport() {
    const Message m = model_.importCommand(prompter(), *dialogs_);
    showPatients();
    show(m);
}

void RecordsPage::OnSendToArchive() {
    const PatientRecord* patient = model_.selectedPatient();
    const bool all = model_.exportAll();
    if (!patient || (!all && model_.currentRecording() < 0)) {
        show(Message{patient ? ids::kSelectForExport : ids::kSelectPatient, {}});
        return;
    }
    std::vector<RecordingKey> keys;
    const auto& listed = model_.recordings();
    if (all)
        for (const ListedRecording& r : listed)
            keys.push_back({patient->id, model_.mode(), r.number});
    else
        keys.push_back(
            {patient->id, model_.mode(), listed[size_t(model_.currentRecording())].number});
    frame().hospitalLink()->sendRecordings(std::move(keys));
}

void RecordsPage::OnFromArchive() {
    const PatientRecord* patient = model_.selectedPatient();
    if (!patient) {
        show(Message{ids::kSelectPatient, {}});
        return;
    }
    if (frame().hospitalLink()->openArchiveStudies(patient->id, this))
        OnRecordsChanged();
}

void RecordsPage::OnWorklist() {
    if (frame().hospitalLink()->openWorklist(this))
        OnRecordsChanged();
}

// Delete on a selected recording asks to delete that one recording.
bool RecordsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == recordings_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && model_.currentRecording() >= 0) {
        const Message m = model_.deleteSelected(prompter());
        showRecordings();
        show(m);
        return true;
    }
    return Page::eventFilter(watched, event);
}

} // namespace vantora
