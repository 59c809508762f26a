#include "ui/pages/TrendPage.h"

#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "render/TrendReport.h"
#include "ui/dialogs/ReportPrinting.h"
#include "ui/frame/KeyboardFocus.h"
#include "ui/frame/PageHost.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/PrintPreviewView.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/TrendView.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vantora {

namespace {

// A label and its field, named after the label for screen readers.
void addLabelled(QHBoxLayout* row, QWidget* parent, int text, QWidget* field,
                 const QString& unit = {}) {
    auto* label = new QLabel(Langpack::text(text), parent);
    accessible::labelField(label, field, unit);
    row->addWidget(label);
    row->addWidget(field);
}

QSpinBox* limitField(QWidget* parent, int low, int high, const QString& unit) {
    auto* field = new QSpinBox(parent);
    field->setRange(low, high);
    field->setSuffix(u' ' + unit);
    return field;
}

} // namespace

TrendPage::TrendPage(PageHost& frame) : Page(frame) {
    buildLayout();
    model_.setThresholds(TrendThresholds::load(AppSettings()));
    addRecordCommand(addSavePdfAction(this, [this] { OnSavePdf(); }));
}

TrendPage::~TrendPage() {
    stopLoading();
}

QWidget* TrendPage::buildLimits() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    patients_ = new QComboBox(box);
    patients_->setMinimumContentsLength(14);
    patients_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    addLabelled(row, box, ids::kPatient, patients_);
    rateBelow_ = limitField(box, 1, 300, QStringLiteral("bpm"));
    rateAbove_ = limitField(box, 1, 300, QStringLiteral("bpm"));
    st_ = new QDoubleSpinBox(box);
    st_->setRange(0.05, 20.0);
    st_->setDecimals(2);
    st_->setSingleStep(0.25);
    st_->setSuffix(QStringLiteral(" mm"));
    qtc_ = limitField(box, 1, 2000, QStringLiteral("ms"));
    qtc_->setSingleStep(10);
    addLabelled(row, box, ids::kTrendRateBelow, rateBelow_);
    addLabelled(row, box, ids::kTrendRateAbove, rateAbove_);
    addLabelled(row, box, ids::kTrendStFrom, st_);
    addLabelled(row, box, ids::kTrendQtcFrom, qtc_);
    row->addStretch(1);
    showAll_ = new QPushButton(Langpack::text(ids::kTrendShowAll), box);
    row->addWidget(showAll_);
    return box;
}

void TrendPage::buildLayout() {
    QWidget* limits = buildLimits();
    view_ = new TrendView(model_, this);
    accessible::name(view_, ids::kTrendTrendPlots);
    view_->setToolTip(Langpack::text(ids::kTrendLeftAndRightMove));

    cursor_ = new QLineEdit(this);
    cursor_->setReadOnly(true);
    auto* cursorRow = new QHBoxLayout;
    addLabelled(cursorRow, this, ids::kTrendCursor, cursor_);
    open_ = new QPushButton(Langpack::text(ids::kTrendOpenInAnalysis), this);
    cursorRow->addWidget(open_);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto* summaryRow = new QHBoxLayout;
    addLabelled(summaryRow, this, ids::kTrendSummary, summary_);
    summaryRow->setStretch(1, 1);

    progress_ = new QProgressBar(this);
    progressText_ = new QLabel(this);
    cancel_ = new QPushButton(Langpack::text(ids::kTrendCancel), this);
    accessible::labelField(progressText_, progress_);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progressText_);
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(limits);
    layout->addWidget(view_, 1);
    layout->addLayout(progressRow);
    layout->addLayout(cursorRow);
    layout->addLayout(summaryRow);
    showLoading(false);

    connect(view_, &TrendView::changed, this, &TrendPage::showCursor);
    connect(view_, &TrendView::openRequested, this, &TrendPage::openCursorRecording);
    connect(open_, &QPushButton::clicked, this, &TrendPage::openCursorRecording);
    connect(showAll_, &QPushButton::clicked, this, [this] {
        model_.showAll();
        view_->update();
        showCursor();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    connect(patients_, &QComboBox::activated, this, &TrendPage::loadChosenPatient);
    setTabChain(
        {patients_, rateBelow_, rateAbove_, st_, qtc_, showAll_, view_, cancel_, cursor_, open_});
}

void TrendPage::fillPatients() {
    const QString was = chosenId();
    patients_->clear();
    const PatientList list = PatientRegistry(state().dataRoot).loadAll();
    for (const PatientRecord& p : list.records)
        patients_->addItem(p.id + QStringLiteral("  ") + p.name, p.id);
    // The patient the analysis page showed in Continuous mode, else the current one.
    QString wanted = was;
    const AnalysisSelection& kept = state().analysisSelection;
    if (wanted.isEmpty() && kept.mode == RecordingMode::Continuous)
        wanted = kept.patientId;
    if (wanted.isEmpty() && state().currentPatient > 0 &&
        state().currentPatient <= list.records.size())
        wanted = list.records[state().currentPatient - 1].id;
    const int at = patients_->findData(wanted);
    patients_->setCurrentIndex(at >= 0 ? at : 0);
}

QString TrendPage::chosenId() const {
    return patients_->currentData().toString();
}

void TrendPage::OnInitialUpdate() {
    const TrendThresholds& t = model_.thresholds();
    rateBelow_->setValue(t.rateBelow);
    rateAbove_->setValue(t.rateAbove);
    st_->setValue(t.stMm);
    qtc_->setValue(t.qtcMs);
    for (QAbstractSpinBox* field :
         {static_cast<QAbstractSpinBox*>(rateBelow_), static_cast<QAbstractSpinBox*>(rateAbove_),
          static_cast<QAbstractSpinBox*>(st_), static_cast<QAbstractSpinBox*>(qtc_)})
        connect(field, &QAbstractSpinBox::editingFinished, this, &TrendPage::onLimitsEdited);
    fillPatients();
    loadChosenPatient();
}

void TrendPage::OnRecordsChanged() {
    fillPatients();
    loadChosenPatient();
}

void TrendPage::onLimitsEdited() {
    const TrendThresholds t{rateBelow_->value(), rateAbove_->value(), st_->value(), qtc_->value()};
    if (t == model_.thresholds())
        return;
    model_.setThresholds(t);
    AppSettings settings;
    t.save(settings);
    view_->update();
    showCursor();
}

void TrendPage::stopLoading() {
    cancelled_ = true;
    if (worker_.joinable())
        worker_.join();
    cancelled_ = false;
}

void TrendPage::loadChosenPatient() {
    stopLoading();
    ++generation_;
    model_.setSeries({});
    showCursor();
    setHasRecord(false);
    const QString id = chosenId();
    if (id.isEmpty()) {
        frame().showPageStatus(Langpack::text(ids::kTrendPatientNoPatientSelected));
        return;
    }
    showLoading(true);
    progress_->setRange(0, 0);
    const int generation = generation_;
    worker_ = std::thread([this, generation, root = state().dataRoot, id] {
        Result<TrendSeries> series = loadTrend(
            root, id,
            [this, generation](TrendProgress p) {
                QMetaObject::invokeMethod(
                    this, [this, generation, p] { onProgress(generation, p); },
                    Qt::QueuedConnection);
            },
            &cancelled_);
        QMetaObject::invokeMethod(
            this, [this, generation, s = std::move(series)] { onLoaded(generation, s); },
            Qt::QueuedConnection);
    });
}

void TrendPage::onProgress(int generation, TrendProgress p) {
    if (generation != generation_ || !loading())
        return;
    progress_->setRange(0, std::max(p.total, 1));
    progress_->setValue(p.done);
    progressText_->setText(fillText(ids::kTrendAnalysingTheRecordingsOf,
                                    {QString::number(p.done), QString::number(p.total)}));
}

void TrendPage::onLoaded(int generation, Result<TrendSeries> series) {
    if (generation != generation_)
        return;
    if (worker_.joinable())
        worker_.join();
    showLoading(false);
    if (!series.ok()) {
        frame().showPageStatus(series.message().text());
        return;
    }
    if (series.value().points.empty()) {
        frame().showPageStatus(Langpack::format(ids::kTrendNoContinuousRecordingsOf, chosenId()));
        return;
    }
    frame().showPageStatus({});
    model_.setSeries(std::move(series).value());
    model_.setCursor(model_.view().start);
    view_->update();
    showCursor();
    setHasRecord(true);
}

void TrendPage::showLoading(bool loading) {
    progress_->setVisible(loading);
    progressText_->setVisible(loading);
    cancel_->setVisible(loading);
    if (loading)
        progressText_->setText(fillText(ids::kTrendAnalysingTheRecordingsOf,
                                        {QStringLiteral("0"), QStringLiteral("...")}));
}

void TrendPage::showCursor() {
    cursor_->setText(trendCursorText(model_));
    summary_->setText(model_.empty() ? QString() : trendSummaryText(model_));
    open_->setEnabled(model_.cursorPoint() != nullptr);
    const TrendPeriod v = model_.view();
    accessible::describe(
        view_, model_.empty()
                   ? QString()
                   : fillText(ids::kTrendHeartRateStPr,
                              {stationDateTimeText(QDateTime::fromMSecsSinceEpoch(v.start)),
                               stationDateTimeText(QDateTime::fromMSecsSinceEpoch(v.end))}));
}

// The analysis page opens on the recording: the selection it keeps names the
// recording by its number and index entry, as its own tree does.
void TrendPage::openCursorRecording() {
    const TrendPoint* point = model_.cursorPoint();
    const QString id = chosenId();
    if (!point || id.isEmpty())
        return;
    const RecordingStore store(state().dataRoot, RecordingMode::Continuous, id);
    const Result<RecordIndexEntry> entry = store.readEntry(point->number - 1);
    if (!entry.ok()) {
        showMessage(entry.message());
        return;
    }
    const auto bytes = entry.value().toBytes();
    AppState& s = state();
    s.recordingMode = RecordingMode::Continuous;
    s.currentPatient = PatientRegistry(s.dataRoot).findById(id);
    s.analysisSelection = {
        RecordingMode::Continuous, id, point->number,
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))};
    frame().ShowPage(page::kAnalysis);
}

std::unique_ptr<ReportPage> TrendPage::reportPage(const QSize& sheetUnits) const {
    if (model_.empty())
        return nullptr;
    return MakeTrendReportPage(
        model_, chosenId(), patients_->currentText().section(QStringLiteral("  "), 1), sheetUnits);
}

void TrendPage::OnFilePrint() {
    if (!model_.empty())
        PrintReports(
            this, printer_, 1, [this](int, const QSize& units) { return reportPage(units); },
            [this](const Message& m) { showMessage(m); });
}

void TrendPage::OnFilePrintPreview() {
    if (!model_.empty())
        PrintPreviewView::open(frame(), 1,
                               [this](int, const QSize& units) { return reportPage(units); });
}

void TrendPage::OnSavePdf() {
    if (model_.empty())
        return;
    const QString name = chosenId() + QStringLiteral("-trend.pdf");
    const Message written = SaveReportPdf(
        this, chooseFile_, name, 1, [this](int, const QSize& units) { return reportPage(units); });
    if (!written.isNone())
        showMessage(written);
}

} // namespace vantora
