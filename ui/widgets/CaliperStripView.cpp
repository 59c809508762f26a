#include "ui/widgets/CaliperStripView.h"

#include "core/SignalFormat.h"
#include "records/ReplayPageModel.h"
#include "ui/widgets/Accessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantora {

namespace {
constexpr int kTraceLeft = 15; // the strip's margin, pixels
const QColor kMarkerColour(200, 0, 160);
} // namespace

CaliperStripView::CaliperStripView(QWidget* parent) : DetailStripView(parent) {}

void CaliperStripView::showRecording(const std::vector<int32_t>& samples, int gain) {
    samples_ = samples;
    gain_ = gain;
    calipers_.clear();
    fillStrip();
    accessible::describe(
        this, accessible::traceDescription(int(samples.size()) / kSamplesPerSecond, {}, gain));
}

void CaliperStripView::clearRecording() {
    samples_.clear();
    calipers_.clear();
    fillStrip();
    accessible::describe(this, accessible::traceDescription(0, {}, gain_));
}

void CaliperStripView::fillStrip() {
    strip().Reset();
    strip().SetGain(gain_);
    columns_ = std::min(width() - kTraceLeft, int(DetailStrip::kCapacity));
    for (int32_t v : ReplayPageModel::reduceToColumns(samples_, columns_))
        strip().AppendSample(v);
    update();
}

std::optional<CaliperReading> CaliperStripView::reading() const {
    if (!calipers_.active() || samples_.empty())
        return std::nullopt;
    const int n = int(samples_.size());
    return Calipers::measure(samples_, calipers_.sampleOf(calipers_.first(), n, columns_),
                             calipers_.sampleOf(calipers_.second(), n, columns_));
}

void CaliperStripView::paintEvent(QPaintEvent* event) {
    DetailStripView::paintEvent(event);
    const std::optional<CaliperReading> r = reading();
    if (!r)
        return;
    QPainter p(this);
    p.setPen(QPen(kMarkerColour, 1, Qt::DashLine));
    for (double column : {calipers_.first(), calipers_.second()}) {
        const int x = Calipers::xOfColumn(strip(), column, width(), columns_);
        p.drawLine(x, 0, x, height());
    }
    const QString text = r->text();
    const QRect box = p.fontMetrics().boundingRect(text).adjusted(-4, -2, 4, 2);
    const QRect placed = box.translated(width() - box.width() - 6 - box.left(), 6 - box.top());
    p.fillRect(placed, QColor(255, 255, 255, 220));
    p.setPen(kMarkerColour);
    p.drawText(placed, Qt::AlignCenter, text);
}

void CaliperStripView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton || samples_.empty()) {
        DetailStripView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    calipers_.begin(Calipers::columnAt(strip(), event->position().toPoint(), width(), columns_));
    update();
}

void CaliperStripView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::RightButton) || !calipers_.active()) {
        DetailStripView::mouseMoveEvent(event);
        return;
    }
    calipers_.moveTo(Calipers::columnAt(strip(), event->position().toPoint(), width(), columns_));
    update();
}

void CaliperStripView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && calipers_.active()) {
        calipers_.clear();
        update();
        return;
    }
    DetailStripView::keyPressEvent(event);
}

void CaliperStripView::resizeEvent(QResizeEvent* event) {
    DetailStripView::resizeEvent(event);
    calipers_.clear();
    fillStrip();
}

} // namespace vantora
