#include "records/RecordingDescription.h"

#include "core/DataPaths.h"
#include "core/Langpack.h"
#include "core/StringIds.h"

#include <QStringList>

namespace vantora {

namespace {
constexpr int kMaxKind = 15;
constexpr int kEventBits = 16;
} // namespace

QString recordingDescription(RecordingMode mode, const RecordIndexEntry& entry) {
    if (mode == RecordingMode::Snap)
        return entry.kind >= 1 && entry.kind <= kMaxKind
                   ? Langpack::text(ids::kTypeUnclassified + entry.kind)
                   : QString();
    QStringList events;
    for (int bit = 0; bit < kEventBits; ++bit)
        if (entry.kind & (1u << bit))
            events.append(Langpack::text(ids::kEventSinusRhythm + bit));
    return events.join(u' ');
}

QString storedHeartRateText(int rate) {
    return rate == 0 ? QStringLiteral("-") : QString::number(rate);
}

} // namespace vantora
