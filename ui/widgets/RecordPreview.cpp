#include "ui/widgets/RecordPreview.h"

#include "core/SignalFormat.h"
#include "core/StringIds.h"
#include "ui/widgets/Accessible.h"

#include <QPainter>

namespace vantora {

RecordPreview::RecordPreview(QWidget* parent) : QWidget(parent) {
    setFixedSize(record_rows::kRowWidth, 3 * record_rows::kRowHeight);
    rows_ = renderRecordRows({}, RecordingMode::None, 1);
    accessible::name(this, ids::kA11yEcgPreview);
    accessible::describe(this, accessible::traceDescription(0, {}, 1));
}

void RecordPreview::showRecording(const std::vector<int32_t>& samples, RecordingMode mode,
                                  int gain) {
    hasRecording_ = !samples.empty();
    rows_ = renderRecordRows(samples, mode, gain);
    samples_ = samples;
    mode_ = mode;
    gain_ = gain;
    shown_ = {};
    accessible::describe(
        this, accessible::traceDescription(int(samples.size()) / kSamplesPerSecond, {}, gain));
    update();
}

void RecordPreview::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const bool scaled = ratio != 1;
    if (scaled && shown_.front().devicePixelRatio() != ratio)
        shown_ = renderRecordRows(samples_, mode_, gain_,
                                  {record_rows::kRowWidth, record_rows::kRowHeight}, ratio);
    QPainter painter(this);
    int y = 0;
    for (const QImage& row : scaled ? shown_ : rows_) {
        painter.drawImage(0, y, row);
        y += row.height();
    }
}

} // namespace vantora
