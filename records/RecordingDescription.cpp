#include "records/RecordingDescription.h"

#include "core/DataPaths.h"
#include "core/Langpack.h"

#include <QStringList>

namespace vantora {

namespace {
constexpr int kTypeNameBase = 61203;  // + kind 1..15
constexpr int kEventNameBase = 61289; // + bit 0..15
constexpr int kMaxKind = 15;
constexpr int kEventBits = 16;
} // namespace

QString recordingDescription(RecordingMode mode, const RecordIndexEntry& entry) {
    if (mode == RecordingMode::Snap)
        return entry.kind >= 1 && entry.kind <= kMaxKind
                   ? Langpack::text(kTypeNameBase + entry.kind)
                   : QString();
    QStringList events;
    for (int bit = 0; bit < kEventBits; ++bit)
        if (entry.kind & (1u << bit))
            events.append(Langpack::text(kEventNameBase + bit));
    return events.join(u' ');
}

QString storedHeartRateText(int rate) {
    return rate == 0 ? QStringLiteral("-") : QString::number(rate);
}

} // namespace vantora
