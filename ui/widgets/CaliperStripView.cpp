#include "ui/widgets/CaliperStripView.h"

#include "core/Langpack.h"
#include "core/SignalFormat.h"
#include "core/StringIds.h"
#include "ui/widgets/Accessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vantora {

namespace {
const QColor kMarkerColour(200, 0, 160);
} // namespace

CaliperStripView::CaliperStripView(QWidget* parent) : DetailStripView(parent) {
    setToolTip(Langpack::text(ids::kDetailStripGestures));
}

void CaliperStripView::showRecording(const std::vector<int32_t>& samples, int gain, int selectionX,
                                     int rowWidth) {
    samples_ = samples;
    gain_ = gain;
    selectionX_ = selectionX;
    rowWidth_ = rowWidth;
    calipers_.clear();
    reduction_ = DetailReduction::compute(samples_, width());
    fillStrip();
    accessible::describe(
        this, accessible::traceDescription(int(samples.size()) / kSamplesPerSecond, {}, gain));
}

void CaliperStripView::showStretch(int selectionX, int rowWidth) {
    selectionX_ = selectionX;
    rowWidth_ = rowWidth;
    calipers_.clear();
    fillStrip();
}

void CaliperStripView::clearRecording() {
    samples_.clear();
    calipers_.clear();
    reduction_ = {};
    fillStrip();
    accessible::describe(this, accessible::traceDescription(0, {}, gain_));
}

void CaliperStripView::fillStrip() {
    strip().Reset();
    strip().SetGain(gain_);
    first_ = reduction_.firstEntry(width(), selectionX_, rowWidth_);
    const std::vector<int32_t> shown = reduction_.stretch(width(), selectionX_, rowWidth_);
    columns_ = std::min(int(shown.size()), int(DetailStrip::kCapacity));
    for (int32_t v : shown)
        strip().AppendSample(v);
    update();
    emit stretchShown();
}

std::optional<CaliperReading> CaliperStripView::reading() const {
    if (!calipers_.active() || samples_.empty())
        return std::nullopt;
    const int n = int(samples_.size());
    const double ratio = reduction_.ratio;
    return Calipers::measure(samples_, Calipers::sampleOf(calipers_.first(), first_, ratio, n),
                             Calipers::sampleOf(calipers_.second(), first_, ratio, n));
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
    measuring_ = event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier) &&
                 columns_ > 0;
    if (!measuring_) {
        DetailStripView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    calipers_.begin(Calipers::columnAt(strip(), event->position().toPoint(), width(), columns_));
    update();
}

void CaliperStripView::mouseMoveEvent(QMouseEvent* event) {
    if (!measuring_ || !(event->buttons() & Qt::LeftButton)) {
        DetailStripView::mouseMoveEvent(event);
        return;
    }
    calipers_.moveTo(Calipers::columnAt(strip(), event->position().toPoint(), width(), columns_));
    update();
}

void CaliperStripView::mouseReleaseEvent(QMouseEvent* event) {
    measuring_ = false;
    DetailStripView::mouseReleaseEvent(event);
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
    reduction_ = DetailReduction::compute(samples_, width());
    fillStrip();
}

} // namespace vantora
