#include "device/LivePageModel.h"

#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QFileInfo>

#include <cerrno>

#include <unistd.h>

namespace vantora {

namespace {

constexpr int kMaxHeartRate = 500; // from here on the rate is not shown
// Findings a two-finding code byte may carry: low nibble 6 ... 13, high 2 ... 5.
constexpr unsigned kLowFindings = 0x3FC1;
constexpr unsigned kHighFindings = 0x3C;

const QString kNone = QStringLiteral("--");

QString finding(int code) {
    return Langpack::text(ids::kGoodSignal + code);
}

} // namespace

LivePageModel::LivePageModel(bool simplifiedChinese) : simplifiedChinese_(simplifiedChinese) {}

bool LivePageModel::isSimplifiedChinese(const QLocale& locale) {
    // Chinese as written in the People's Republic (zh-CN), not any Chinese.
    return locale.language() == QLocale::Chinese && locale.territory() == QLocale::China &&
           locale.script() == QLocale::SimplifiedHanScript;
}

void LivePageModel::startRecording(ContinuousSegmenter::Append append, RecordingClock clock) {
    segmenter_ = std::make_unique<ContinuousSegmenter>(std::move(append), std::move(clock));
    run_ = Run::Recording;
}

void LivePageModel::startDisplayOnly() {
    segmenter_.reset();
    run_ = Run::DisplayOnly;
}

Message LivePageModel::linkEnded() {
    const Message dropped = segmenter_ ? segmenter_->reset() : Message{};
    segmenter_.reset();
    run_ = Run::Idle;
    texts_ = {};
    return dropped;
}

Message LivePageModel::packet(const AcqPacket& packet) {
    if (run_ == Run::Idle)
        return {};
    Message result;
    if (segmenter_)
        result = segmenter_->addPacket(packet);
    show(packet);
    return result;
}

void LivePageModel::show(const AcqPacket& packet) {
    texts_.heartRate = heartRateText(packet);
    if (const int icon = heartIconFor(packet, packetCount()))
        heartIcon_ = icon;
    texts_.signal = signalText(packet);
    texts_.rhythm = rhythmText(packet, simplifiedChinese_);
    trace_.push(packet);
    trace_.rebuild();
}

LivePageModel::PortProblem LivePageModel::portProblem(const QString& port) {
    if (!QFileInfo::exists(port))
        return PortProblem::Missing;
    const QByteArray path = QFileInfo(port).canonicalFilePath().toLocal8Bit();
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return PortProblem::NoPermission;
    return PortProblem::Other;
}

Message LivePageModel::openFailureMessage(const QString& port, PortProblem problem) {
    switch (problem) {
    case PortProblem::Missing:
        return {ids::kRecorderNotFound, {}};
    case PortProblem::NoPermission:
        return {ids::kPortNotPermitted, port};
    case PortProblem::Other:
        break;
    }
    return {ids::kPortBusy, port};
}

QString LivePageModel::heartRateText(const AcqPacket& p) {
    return p.valid != 0 && p.heartRate < kMaxHeartRate ? QString::number(p.heartRate) : kNone;
}

// The icon blinks once per beat: on for the first quarter of each beat's
// packets. It runs on the recording's packet count, so it stands still in
// display-only mode.
int LivePageModel::heartIconFor(const AcqPacket& p, int packetCount) {
    if (p.valid == 0 || p.heartRate <= 0 || p.heartRate >= kMaxHeartRate)
        return 0;
    const int period = kPacketsPerMinute / p.heartRate;
    const int phase = packetCount % period;
    return phase < period / 4 ? kHeartIconOn : kHeartIconOff;
}

QString LivePageModel::signalText(const AcqPacket& p) {
    return Langpack::text(p.valid != 0 ? ids::kGoodSignal : ids::kPoorSignal);
}

// On a simplified-Chinese system the recorder's mode field says that the
// code byte holds two findings, one per nibble; elsewhere it is one code.
QString LivePageModel::rhythmText(const AcqPacket& p, bool simplifiedChinese) {
    if (p.valid == 0 || p.rhythmCode <= 0)
        return kNone;
    if (simplifiedChinese && p.mode != 0) {
        const int low = p.rhythmCode & 0x0F;
        const int high = (p.rhythmCode >> 4) & 0x0F; // the code is one byte
        if (low == 0 || high == 0)
            return kNone;
        QString text;
        if ((kLowFindings >> low) & 1U)
            text += finding(low);
        if ((kHighFindings >> high) & 1U)
            text += finding(high);
        return text;
    }
    return p.rhythmCode <= 15 ? finding(p.rhythmCode) : kNone;
}

} // namespace vantora
