#include "ui/pages/ReplayPage.h"

#include "analysis/ResultFields.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/PatientRegistry.h"
#include "records/RecordingTime.h"
#include "render/ReplayRowImage.h"
#include "render/ReportSources.h"
#include "render/StripPointBuilder.h"
#include "ui/dialogs/ReportPrinting.h"
#include "ui/frame/HospitalLink.h"
#include "ui/frame/PageHost.h"
#include "ui/models/RowTableModel.h"
#include "ui/pages/PrintPreviewView.h"
#include "ui/pages/RecordPageParts.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/CaliperStripView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace vantora {

namespace {
constexpr std::array<int, ReplayPage::kPageButtons> kPageButtonCaptions{
    ids::kReplayFirst, ids::kReplayPrevious, ids::kReplayNext, ids::kReplayLast};
constexpr int kTraceHeight = 190; // the strip's zero line sits 95 px down

QLineEdit* readOnlyField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    return field;
}
} // namespace

ReplayPage::ReplayPage(PageHost& frame)
    : Page(frame), patients_(frame.state().dataRoot), replay_(frame.state().dataRoot) {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildPatientSide());
    layout->addWidget(buildRecordSide(), 1);
    addRecordCommand(addSavePdfAction(this, [this] { OnSavePdf(); }));
}

QWidget* ReplayPage::buildPatientSide() {
    auto* side = new QWidget(this);
    side->setFixedWidth(260);
    auto* v = new QVBoxLayout(side);
    v->setContentsMargins(0, 0, 0, 0);
    patientList_ = new QTreeView(side);
    patientRows_ = new RowTableModel(
        {QString(), QString()}, [this] { return patients_.rowCount(); },
        RowTableModel::texts([this](int row) {
            return QStringList{patients_.record(row).id, patients_.record(row).name};
        }),
        patientList_);
    patientList_->setModel(patientRows_);
    patientList_->setHeaderHidden(true);
    patientList_->setRootIsDecorated(false);
    patientList_->setSelectionMode(QAbstractItemView::ExtendedSelection); // search matches
    v->addWidget(patientList_);
    searchField_ = new QComboBox(side);
    searchField_->addItems({Langpack::text(ids::kReplayById), Langpack::text(ids::kReplayByName)});
    search_ = new QLineEdit(side);
    auto* find = new QPushButton(Langpack::text(ids::kReplaySearch), side);
    auto* all = new QPushButton(Langpack::text(ids::kReplayShowAll), side);
    auto* grid = new QGridLayout;
    grid->addWidget(searchField_, 0, 0);
    grid->addWidget(search_, 0, 1);
    grid->addWidget(find, 1, 0);
    grid->addWidget(all, 1, 1);
    v->addLayout(grid);
    accessible::name(patientList_, ids::kA11yPatients);
    accessible::name(searchField_, ids::kA11ySearchBy);
    search_->setAccessibleName(find->text());

    connect(patientList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& item) {
                if (!filling_ && item.isValid())
                    OnPatientSelected(item.row());
            });
    connect(searchField_, &QComboBox::currentIndexChanged, this, [this](int i) {
        patients_.setSearchField(i == 0 ? PatientSearchField::Id : PatientSearchField::Name);
        search_->setText(patients_.searchText());
    });
    connect(search_, &QLineEdit::textEdited, this,
            [this](const QString& typed) { search_->setText(patients_.setSearchText(typed)); });
    connect(find, &QPushButton::clicked, this, &ReplayPage::OnFind);
    connect(search_, &QLineEdit::returnPressed, this, &ReplayPage::OnFind);
    connect(all, &QPushButton::clicked, this, &ReplayPage::OnShowAll);
    return side;
}

QWidget* ReplayPage::buildRecordSide() {
    auto* side = new QWidget(this);
    auto* v = new QVBoxLayout(side);
    v->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    for (int b = 0; b < kPageButtons; ++b) {
        // On the page from the start: Tab meets them before the controls beside them.
        pageButtons_[size_t(b)] =
            new QPushButton(Langpack::text(kPageButtonCaptions[size_t(b)]), side);
        connect(pageButtons_[size_t(b)], &QPushButton::clicked, this,
                [this, b] { OnPageButton(b); });
    }
    caption_ = new QLabel(side);
    bar->addWidget(pageButtons_[kFirst]);
    bar->addWidget(pageButtons_[kPrevious]);
    bar->addWidget(caption_);
    bar->addWidget(pageButtons_[kNext]);
    bar->addWidget(pageButtons_[kLast]);
    bar->addStretch();
    all_ = new QCheckBox(Langpack::text(ids::kReplayAllRecordings), side);
    bar->addWidget(all_);
    gainCaption_ = new QLabel(ReplayPageModel::gainCaption(1), side);
    gain_ = new QComboBox(side);
    gain_->addItems(ReplayPageModel::gainItems());
    bar->addWidget(gainCaption_);
    bar->addWidget(gain_);
    v->addLayout(bar);

    thumbs_ = new QListView(side);
    // A thumbnail: its trace, number and start time, in a cell of the grid.
    thumbRows_ = new RowTableModel(
        {QString()},
        [this] { return int(std::min<size_t>(thumbIcons_.size(), replay_.thumbnails().size())); },
        [this](int row, int, int role) -> QVariant {
            const ReplayThumbnail& t = replay_.thumbnails()[size_t(row)];
            if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
                return QStringLiteral("%1  %2").arg(t.number).arg(
                    recordingTimeText(replay_.mode(), t.entry));
            if (role == Qt::DecorationRole)
                return thumbIcons_[row];
            if (role == Qt::SizeHintRole)
                return thumbs_->gridSize();
            return {};
        },
        thumbs_);
    thumbs_->setModel(thumbRows_);
    thumbs_->setViewMode(QListView::IconMode);
    thumbs_->setMovement(QListView::Static);
    thumbs_->setResizeMode(QListView::Adjust);
    thumbs_->setIconSize(QSize(kThumbnailWidth, ReplayRowImage::kHeight));
    thumbs_->setGridSize(QSize(kThumbnailWidth + 8, ReplayRowImage::kHeight + 24));
    thumbs_->setMinimumHeight(ReplayRowImage::kHeight + 24 + 8); // one row; scrolls below that
    thumbs_->installEventFilter(this);
    thumbs_->viewport()->installEventFilter(this);
    v->addWidget(thumbs_, 1);

    auto* fields = new QHBoxLayout;
    time_ = readOnlyField(side);
    rate_ = readOnlyField(side);
    auto* timeLabel = new QLabel(Langpack::text(ids::kRecordingTime), side);
    auto* rateLabel = new QLabel(Langpack::text(ids::kHeartRateResult), side);
    fields->addWidget(timeLabel);
    fields->addWidget(time_);
    fields->addWidget(rateLabel);
    fields->addWidget(rate_);
    accessible::labelField(timeLabel, time_);
    accessible::labelField(rateLabel, rate_, QLatin1String(kResultUnits[0]));
    v->addLayout(fields);
    info_ = new QTextEdit(side);
    info_->setReadOnly(true);
    info_->setMinimumHeight(40); // two lines; four where the window is high enough
    info_->setMaximumHeight(64);
    v->addWidget(info_);
    trace_ = new CaliperStripView(side);
    trace_->setFixedHeight(kTraceHeight);
    v->addWidget(trace_);
    connect(trace_, &CaliperStripView::stretchShown, this, &ReplayPage::showSelectionMark);
    accessible::name(thumbs_, ids::kRecordsList);
    accessible::name(info_, ids::kA11yRecordingInformation);
    accessible::name(gain_, ids::kGain);
    gainCaption_->setBuddy(gain_);

    connect(thumbs_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& item) {
                if (!filling_)
                    OnThumbnailSelected(item.row());
            });
    connect(gain_, &QComboBox::activated, this, &ReplayPage::OnGainChosen);
    return side;
}

RecordingMode ReplayPage::storeMode() const {
    return state().recordingMode == RecordingMode::Continuous ? RecordingMode::Continuous
                                                              : RecordingMode::Snap;
}

void ReplayPage::OnInitialUpdate() {
    OnRecordsChanged();
}

void ReplayPage::OnRecordsChanged() {
    // The patient shown stays selected while the registry still holds it.
    const PatientRecord* before = patients_.selectedRecord();
    const QString shownId = before ? before->id : QString();
    if (const Message m = patients_.load(); !m.isNone())
        showMessage(m);
    for (int row = 0; row < patients_.rowCount() && !shownId.isEmpty(); ++row) {
        if (patients_.record(row).id == shownId)
            patients_.select(row);
    }
    fillPatients();
    const PatientRecord* p = patients_.selectedRecord();
    showPage(replay_.showPatient(storeMode(), p ? p->id : QString()));
}

void ReplayPage::fillPatients() {
    filling_ = true;
    patientRows_->refresh();
    if (patients_.hasSelection())
        patientList_->setCurrentIndex(patientRows_->index(patients_.currentRow(), 0));
    filling_ = false;
}

void ReplayPage::OnPatientSelected(int row) {
    patients_.select(row);
    const PatientRecord* p = patients_.selectedRecord();
    showPage(replay_.showPatient(storeMode(), p ? p->id : QString()));
}

void ReplayPage::OnFind() {
    const PatientListModel::FindResult r = patients_.find();
    if (!r.message.isNone()) {
        showMessage(r.message);
        return;
    }
    filling_ = true;
    showMatchedPatients(patientList_, patientRows_, patients_);
    filling_ = false;
    if (r.moved)
        OnPatientSelected(patients_.currentRow());
}

void ReplayPage::OnShowAll() {
    search_->clear();
    if (const Message m = patients_.showAll(); !m.isNone())
        showMessage(m);
    fillPatients();
    const PatientRecord* p = patients_.selectedRecord();
    showPage(replay_.showPatient(storeMode(), p ? p->id : QString()));
}

void ReplayPage::OnPageButton(int button) {
    const PagingControls paging = replay_.paging();
    const std::array<bool, kPageButtons> enabled{paging.first, paging.previous, paging.next,
                                                 paging.last};
    if (button < 0 || button >= kPageButtons || !enabled[size_t(button)])
        return;
    switch (button) {
    case kFirst:
        showPage(replay_.firstPage());
        break;
    case kPrevious:
        showPage(replay_.previousPage());
        break;
    case kNext:
        showPage(replay_.nextPage());
        break;
    default:
        showPage(replay_.lastPage());
        break;
    }
}

void ReplayPage::showPage(const Message& message) {
    filling_ = true;
    thumbImages_.clear();
    thumbIcons_.clear();
    markedRow_ = -1;
    stretchX_ = 0;
    for (const ReplayThumbnail& t : replay_.thumbnails()) {
        thumbImages_.append(ReplayRowImage::render(
            kThumbnailWidth, buildReplayRowPoints(t.samples, 0, kThumbnailWidth),
            devicePixelRatioF()));
        thumbIcons_.append(QIcon(QPixmap::fromImage(thumbImages_.back())));
    }
    thumbRows_->refresh();
    if (replay_.selected() >= 0)
        thumbs_->setCurrentIndex(thumbRows_->index(replay_.selected(), 0));
    filling_ = false;
    const PagingControls paging = replay_.paging();
    pageButtons_[kFirst]->setEnabled(paging.first);
    pageButtons_[kPrevious]->setEnabled(paging.previous);
    pageButtons_[kNext]->setEnabled(paging.next);
    pageButtons_[kLast]->setEnabled(paging.last);
    caption_->setText(paging.caption());
    showSelected();
    if (!message.isNone())
        showMessage(message);
}

void ReplayPage::OnThumbnailSelected(int index) {
    if (!replay_.select(index))
        return;
    stretchX_ = 0;
    showSelected();
}

bool ReplayPage::OnStretchChosen(int index, QPoint inImage) {
    if (index != replay_.selected() && index >= 0 && index < thumbRows_->rowCount())
        thumbs_->setCurrentIndex(thumbRows_->index(index, 0)); // selects it
    const bool onGrid = inImage.y() >= 0 && inImage.y() < ReplayRowImage::kGridHeight &&
                        inImage.x() >= 0 && inImage.x() < kThumbnailWidth;
    if (index != replay_.selected() || !onGrid || replay_.selectedThumbnail() == nullptr)
        return false;
    stretchX_ = inImage.x();
    trace_->showStretch(stretchX_, kThumbnailWidth);
    return true;
}

// The green mark on the selected thumbnail: the stretch the large trace shows.
void ReplayPage::showSelectionMark() {
    if (markedRow_ >= 0 && markedRow_ < thumbImages_.size()) {
        thumbIcons_[markedRow_] = QIcon(QPixmap::fromImage(thumbImages_[markedRow_]));
        thumbRows_->rowChanged(markedRow_);
    }
    markedRow_ = -1;
    const int row = replay_.selected();
    const DetailReduction& shown = trace_->reduction();
    if (row < 0 || row >= thumbImages_.size() || shown.empty())
        return;
    QImage marked = thumbImages_[row];
    ReplayRowImage::drawSelectionMark(
        marked, stretchX_,
        ReplayRowImage::selectionMarkWidth(kThumbnailWidth, trace_->width(), shown.ratio));
    thumbIcons_[row] = QIcon(QPixmap::fromImage(marked));
    thumbRows_->rowChanged(row);
    markedRow_ = row;
}

// Where a thumbnail's image lies in the list's viewport, as the style draws it.
QRect ReplayPage::thumbnailImageRect(const QModelIndex& item) const {
    QStyleOptionViewItem option;
    option.initFrom(thumbs_);
    option.rect = thumbs_->visualRect(item);
    option.features = QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasDisplay |
                      QStyleOptionViewItem::WrapText;
    option.decorationSize = thumbs_->iconSize();
    option.decorationPosition = QStyleOptionViewItem::Top;
    option.decorationAlignment = Qt::AlignCenter;
    option.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
    option.text = item.data().toString();
    option.icon = item.data(Qt::DecorationRole).value<QIcon>();
    return thumbs_->style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, thumbs_);
}

void ReplayPage::showSelected() {
    time_->setText(replay_.timeText());
    rate_->setText(replay_.heartRateText());
    info_->clear();
    const ReplayThumbnail* t = replay_.selectedThumbnail();
    if (t == nullptr) {
        info_->setPlainText(replay_.descriptionText()); // "..."
        trace_->clearRecording();
        setHasRecord(false);
        return;
    }
    const Result<QStringList> note = replay_.noteLines();
    showRecordingInfo(info_, replay_.descriptionText(), note.value().join(u'\n'));
    trace_->showRecording(t->samples, replay_.gain(), stretchX_, kThumbnailWidth);
    describeTrace();
    setHasRecord(true);
    if (!note.message().isNone())
        showMessage(note.message());
}

void ReplayPage::OnGainChosen(int item) {
    replay_.setGain(item + 1);
    gainCaption_->setText(ReplayPageModel::gainCaption(replay_.gain()));
    if (const ReplayThumbnail* t = replay_.selectedThumbnail())
        trace_->showRecording(t->samples, replay_.gain(), stretchX_, kThumbnailWidth);
    describeTrace();
}

// The trace with the recorder's heart rate, for screen readers.
void ReplayPage::describeTrace() {
    if (replay_.selectedThumbnail())
        accessible::describe(trace_, accessible::traceDescription(kSecondsPerRecording,
                                                                  rate_->text(), replay_.gain()));
}

bool ReplayPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == thumbs_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = press->position().toPoint();
        if (const QModelIndex item = thumbs_->indexAt(at);
            item.isValid() && press->button() == Qt::LeftButton)
            OnStretchChosen(item.row(), at - thumbnailImageRect(item).topLeft());
    }
    if (watched == thumbs_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            OnPageButton(key == Qt::Key_PageDown ? kNext : kPrevious);
            return true;
        }
    }
    return Page::eventFilter(watched, event);
}

RecordReportSet ReplayPage::selectedReport() const {
    const int selected = replay_.selected();
    if (selected < 0 || replay_.patientId().isEmpty())
        return {};
    const QString& root = state().dataRoot;
    const int position = PatientRegistry(root).findById(replay_.patientId());
    const int first = replay_.page().page * kRecordingsPerPage;
    const bool all = all_->isChecked();
    const int to = all ? int(replay_.thumbnails().size()) : selected + 1;
    std::vector<int> indices;
    for (int k = all ? 0 : selected; k < to; ++k)
        indices.push_back(first + k);
    return ReadRecordReports(root, replay_.mode(), position, indices);
}

void ReplayPage::OnFilePrint() {
    const RecordReportSet set = selectedReport();
    if (!set.message.isNone())
        showMessage(set.message);
    if (set.items.empty())
        return;
    PrintReports(
        this, printer_, int(set.items.size()),
        [&set](int k, const QSize& units) { return MakeRecordReportPage(set, k, units); },
        [this](const Message& m) { showMessage(m); });
}

// The preview outlives this call: its pages keep the reports read here.
void ReplayPage::OnFilePrintPreview() {
    auto set = std::make_shared<const RecordReportSet>(selectedReport());
    if (set->items.empty())
        return;
    PrintPreviewView::open(frame(), int(set->items.size()), [set](int k, const QSize& units) {
        return MakeRecordReportPage(*set, k, units);
    });
}

void ReplayPage::OnSavePdf() {
    const RecordReportSet set = selectedReport();
    if (set.items.empty())
        return;
    // "1001-16.pdf" for one recording, "1001-1-15.pdf" for a list page.
    QString name = set.patient.id + u'-' + QString::number(set.items.front().number);
    if (set.items.size() > 1)
        name += u'-' + QString::number(set.items.back().number);
    name += QStringLiteral(".pdf");
    const Message written = SaveReportPdf(
        this, chooseFile_, name, int(set.items.size()),
        [&set](int k, const QSize& units) { return MakeRecordReportPage(set, k, units); });
    if (!written.isNone())
        showMessage(written);
}

void ReplayPage::OnSendToArchive() {
    const ReplayThumbnail* shown = replay_.selectedThumbnail();
    if (!shown || replay_.patientId().isEmpty()) {
        showMessage({ids::kSelectItem, {}});
        return;
    }
    if (frame().hospitalLink())
        frame().hospitalLink()->sendRecordings(
            {{replay_.patientId(), replay_.mode(), shown->number}});
}

} // namespace vantora
