#include "ui/pages/LivePage.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "device/LiveTrace.h"
#include "device/PortDiscovery.h"
#include "device/PortMonitor.h"
#include "device/UdevPortEnumerator.h"
#include "records/RecordingStore.h"
#include "render/LiveTracePainter.h"
#include "ui/frame/PageHost.h"
#include "ui/frame/PageIds.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/LiveTraceView.h"
#include "ui/widgets/ScreenFit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace vantora {

namespace {

constexpr int kFirstText = 1229; // heart rate; 1230 rhythm ... 1235 sex
constexpr int kRateText = 1229;
constexpr int kRhythmText = 1230;
constexpr int kSignalText = 1231;
constexpr int kSpeedText = 1232;
constexpr int kIdText = 1233;
constexpr int kNameText = 1234;
constexpr int kSexText = 1235;
// Captions above the texts 1229 ... 1235.
constexpr int kCaptions[7] = {ids::kLiveHeartRate,  ids::kLiveRhythm,    ids::kLiveSignal,
                              ids::kLivePaperSpeed, ids::kLivePatientId, ids::kLiveName,
                              ids::kLiveSex};
const QString kPaperSpeed = QStringLiteral("25mm/s");

DeviceLink::PortFinder stationFinder() {
    return [] {
        UdevPortEnumerator udev;
        return PortDiscovery::resolve(std::nullopt, udev);
    };
}

QPushButton* imageButton(int icon, int tip, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setIcon(QIcon(Langpack::resourcePath(QStringLiteral("icons/%1.svg").arg(icon))));
    b->setIconSize(QSize(36, 36));
    b->setToolTip(Langpack::text(tip));
    accessible::name(b, tip); // the button shows only its picture
    return b;
}

void setTextFont(QLabel* label, int pixelHeight, int faceText) {
    QFont f = label->font();
    f.setPixelSize(pixelHeight);
    if (const QString face = Langpack::text(faceText); !face.isEmpty())
        f.setFamily(face);
    label->setFont(f);
}

} // namespace

// Hands what the reader thread reports to the page through its event loop,
// copied, in the reader's order, tagged with the link it belongs to.
class LivePage::Forwarder : public LinkSink {
public:
    Forwarder(LivePage& page, int link) : page_(page), link_(link) {}

    void livePacket(const AcqPacket& packet) override {
        post([p = &page_, l = link_, packet] { p->onPacket(l, packet); });
    }
    void linkStatus(int status) override {
        post([p = &page_, l = link_, status] { p->onLinkStatus(l, status); });
    }
    void showMessage(const Message& message) override {
        post([p = &page_, l = link_, message] { p->onLinkMessage(l, message); });
    }

private:
    template <class F> void post(F&& f) {
        QMetaObject::invokeMethod(&page_, std::forward<F>(f), Qt::QueuedConnection);
    }
    LivePage& page_;
    int link_;
};

LivePage::LivePage(PageHost& frame, DeviceLink::PortFinder finder)
    : Page(frame), finder_(finder ? std::move(finder) : stationFinder()),
      link_(std::make_unique<DeviceLink>([this] {
          const std::optional<QString> port = finder_();
          triedPort_ = port.value_or(QString());
          return port;
      })) {
    chooser_ = [this] { return PatientPickerDialog::pick(state().dataRoot, prompter(), this); };
    buildLayout();
    monitor_ = new PortMonitor(this);
    connect(monitor_, &PortMonitor::portRemoved, this, &LivePage::onPortRemoved);
}

LivePage::~LivePage() {
    link_->stopLiveLink();
}

void LivePage::buildLayout() {
    start_ = imageButton(203, ids::kLiveStart, this);
    stop_ = imageButton(202, ids::kLiveStop, this);
    home_ = imageButton(201, ids::kLiveHome, this);
    record_ = new QRadioButton(Langpack::text(ids::kLiveRecord), this);
    displayOnly_ = new QRadioButton(Langpack::text(ids::kLiveDisplayOnly), this);
    connect(start_, &QPushButton::clicked, this, &LivePage::OnStart);
    connect(stop_, &QPushButton::clicked, this, &LivePage::OnStop);
    connect(home_, &QPushButton::clicked, this, &LivePage::OnHome);

    auto* grid = new QGridLayout;
    for (int k = 0; k < 7; ++k) {
        texts_[k] = new QLabel(this);
        texts_[k]->setObjectName(QString::number(kFirstText + k));
        texts_[k]->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255); "
                                                "background-color: rgb(200, 200, 200);"));
        texts_[k]->setMinimumWidth(k == 0 ? 90 : 150);
        grid->addWidget(new QLabel(Langpack::text(kCaptions[k]), this), k / 4 * 2, k % 4);
        grid->addWidget(texts_[k], k / 4 * 2 + 1, k % 4);
    }
    setTextFont(text(kRateText), 30, ids::kRateFace);
    for (int id : {kSignalText, kSpeedText, kIdText, kNameText, kSexText})
        setTextFont(text(id), 20, ids::kTextFace);
    setTextFont(text(kRhythmText), 15, ids::kTextFace);
    heart_ = new QLabel(this);
    heart_->setFixedSize(40, 40);
    grid->addWidget(heart_, 0, 4, 2, 1);
    grid->setColumnStretch(5, 1);

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{start_, stop_, home_, record_, displayOnly_})
        bar->addWidget(w);
    bar->addStretch(1);
    trace_ = new LiveTraceView(model_.trace(), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 8, 8);
    layout->addLayout(bar);
    layout->addLayout(grid);
    layout->addSpacing(8);
    traceArea_ = scrollingView(trace_);
    // The calibration mark beside the trace is the page's: it follows a scroll.
    connect(traceArea_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            qOverload<>(&QWidget::update));
    layout->addWidget(traceArea_, 1, Qt::AlignLeft);
    layout->addStretch(0);
    nameControls();
}

void LivePage::nameControls() {
    accessible::name(heart_, ids::kA11yHeartbeat, ids::kA11yHeartbeatMeaning);
    describeTrace();
}

// The sweep, with the recorder's heart rate while it sends one.
void LivePage::describeTrace() {
    accessible::describe(trace_,
                         accessible::traceDescription(LiveTrace::kSamples / kSamplesPerSecond,
                                                      model_.texts().heartRate, 1));
}

void LivePage::OnInitialUpdate() {
    setWindowTitle(Langpack::text(ids::kRealTimeTitle));
    record_->setChecked(true);
    showHeartIcon(model_.heartIcon());
    setRunning(false);
}

QLabel* LivePage::text(int controlId) const {
    const int k = controlId - kFirstText;
    return k >= 0 && k < 7 ? texts_[k] : nullptr;
}

bool LivePage::choosePatient() {
    const std::optional<PickedPatient> picked = chooser_();
    if (!picked)
        return false;
    if (picked->id.isEmpty()) {
        showMessage(Message{ids::kNoPatientId, {}});
        return false;
    }
    patient_ = *picked;
    return true;
}

void LivePage::OnStart() {
    if (model_.running())
        return;
    const bool recording = record_->isChecked();
    if (recording && !choosePatient())
        return;
    ++linkNumber_;
    if (recording) {
        auto store = std::make_shared<RecordingStore>(state().dataRoot, RecordingMode::Continuous,
                                                      patient_.id);
        model_.startRecording(
            [store](std::span<const AcqPacket> p, const SystemTime& stamp) {
                return store->appendContinuous(p, stamp);
            },
            clock_);
    } else {
        model_.startDisplayOnly();
    }
    setRunning(true);
    text(kSpeedText)->setText(kPaperSpeed);
    if (recording) {
        text(kIdText)->setText(patient_.id);
        text(kNameText)->setText(patient_.name);
        text(kSexText)->setText(patient_.sex);
    }
    forwarders_.push_back(std::make_unique<Forwarder>(*this, linkNumber_));
    if (!link_->openLiveLink(*forwarders_.back()).ok())
        showOpenFailure(link_->openFailure().why);
}

// The link reports its end itself; here the page says why when the port was
// found but not opened (a missing port has had 61282 from the link).
void LivePage::showOpenFailure(DeviceLink::Refusal why) {
    model_.linkEnded();
    setRunning(false);
    if (why == DeviceLink::Refusal::NoPort)
        return;
    if (why == DeviceLink::Refusal::OpenFailed)
        showMessage(
            LivePageModel::openFailureMessage(triedPort_, LivePageModel::portProblem(triedPort_)));
    else
        showMessage(Message{ids::kLinkFailed, {}});
}

void LivePage::OnStop() {
    link_->stopLiveLink();
    // Idle at once: packets still under way belong to no segment.
    endRecording();
}

// Idle; a recording cut inside a segment says how much signal was not stored.
void LivePage::endRecording() {
    const Message dropped = model_.linkEnded();
    setRunning(false);
    if (!dropped.isNone())
        showMessage(dropped);
}

void LivePage::OnHome() {
    OnStop();
    frame().ShowPage(page::kHome);
    frame().UpdateCommandUI();
}

void LivePage::onPortRemoved(const QString& devNode) {
    link_->onPortRemoved(devNode);
}

void LivePage::onPacket(int link, const AcqPacket& packet) {
    if (link != linkNumber_ || !model_.running())
        return;
    const Message problem = model_.packet(packet);
    showTexts();
    showHeartIcon(model_.heartIcon());
    trace_->refresh();
    if (!problem.isNone())
        showMessage(problem);
}

void LivePage::onLinkStatus(int link, int status) {
    if (status != 0 || link != linkNumber_ || !model_.running())
        return;
    endRecording();
}

void LivePage::onLinkMessage(int link, const Message& message) {
    if (link == linkNumber_)
        showMessage(message);
}

void LivePage::showTexts() {
    const LiveTexts& t = model_.texts();
    const std::pair<int, const QString*> shown[] = {
        {kRateText, &t.heartRate}, {kRhythmText, &t.rhythm}, {kSignalText, &t.signal}};
    for (const auto& [id, value] : shown) {
        if (text(id)->text().compare(*value, Qt::CaseInsensitive) != 0)
            text(id)->setText(*value);
    }
    describeTrace();
}

void LivePage::showHeartIcon(int icon) {
    if (icon == heartIconShown_)
        return;
    heartIconShown_ = icon;
    QPixmap& image = heartImages_[icon]; // drawn once, shown twice a beat
    if (image.isNull())
        image = QIcon(Langpack::resourcePath(QStringLiteral("icons/%1.svg").arg(icon)))
                    .pixmap(heart_->size());
    heart_->setPixmap(image);
}

void LivePage::setRunning(bool running) {
    stop_->setEnabled(running);
    start_->setEnabled(!running);
    record_->setEnabled(!running);
    displayOnly_->setEnabled(!running);
    if (!running) {
        for (QLabel* label : texts_)
            label->clear();
    }
}

void LivePage::paintEvent(QPaintEvent* event) {
    Page::paintEvent(event);
    if (window()->isMinimized())
        return;
    QPainter p(this);
    p.setClipRect(QRect(0, traceArea_->y(), width(), traceArea_->height()));
    live_paint::paintCalibrationMark(p, QRect(trace_->mapTo(this, QPoint()), trace_->size()));
}

} // namespace vantora
