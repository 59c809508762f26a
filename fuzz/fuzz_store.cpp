// A patient's record store as outside bytes: the data file, the index file
// and, when the input has them, an intent journal with its two scratch files.
// Every reader and the strip point builders run over it, then an append or a
// removal chosen by the input's first byte. A change that fails leaves the
// files as they were; one that succeeds changes the count by its recordings.
#include "core/DataPaths.h"
#include "fuzz/FuzzRoot.h"
#include "records/RecordingStore.h"
#include "render/StripPointBuilder.h"

#include <algorithm>

using namespace vantora;

namespace {

const QString kId = QStringLiteral("P1");

void drawSamples(const std::vector<int32_t>& samples) {
    const StripRows rows{{{0, 40}, {0, 40}, {0, 40}}};
    buildStripPoints(samples, rows, 2);
    buildColumnStripPoints(samples, rows, 1, 700);
    buildReplayRowPoints(samples, 10, 500);
}

// Reads every kind of thing at both ends of the store; the last recording's
// samples are drawn (the builders are the slowest part of a run).
int readEverything(const RecordingStore& store, bool draw) {
    const auto count = store.count();
    const RecordingListing listing = store.listIndex();
    const int n = count.ok() ? count.value() : 0;
    for (int k : {0, 1, n - 1, n}) {
        (void)store.readRecordData(k);
        (void)store.readEntry(k);
        const auto samples = store.readSamples(k);
        if (samples.ok() && draw && k == n - 1)
            drawSamples(samples.value());
    }
    for (int p : {0, n / kRecordingsPerPage})
        store.readPage(p);
    return count.ok() ? count.value() : -1;
}

SnapRecording snapRecording() {
    SnapRecording r;
    r.header.startTime = {2026, 11, 2, 8, 9, 30, 0, 0};
    r.header.recordingType = 3;
    r.header.heartRate = 72;
    std::array<int32_t, kSamplesPerRecording> samples{};
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = kSampleBaseline + int32_t(i % kSamplesPerSecond == 0 ? kUnitsPerMillivolt : 0);
    r.blocks = encodeSnapBlocks(samples);
    return r;
}

std::vector<AcqPacket> segment() {
    std::vector<AcqPacket> packets(kPacketsPerSegment);
    for (AcqPacket& p : packets) {
        p.valid = 1;
        p.heartRate = 70;
        for (int32_t& s : p.samples)
            s = kSampleBaseline;
    }
    return packets;
}

// One append or removal; the outcome must agree with the files.
void change(const RecordingStore& store, uint8_t op, int countBefore) {
    const auto before = fuzz::FuzzRoot::instance().snapshot();
    Message result;
    int expected = countBefore;
    switch ((op >> 1) % 3) {
    case 0:
        if (store.mode() == RecordingMode::Snap) {
            const SnapRecording r = snapRecording();
            result = store.appendSnap(std::span(&r, 1)).message;
        } else {
            result = store
                         .appendContinuous(segment(),
                                           SystemTime::fromFields({2026, 11, 1, 2, 10, 0, 0, 0}))
                         .message();
        }
        expected = countBefore + 1;
        break;
    case 1:
        result = store.remove(0).message();
        expected = countBefore - 1;
        break;
    default:
        result = store.removeAll().message();
        expected = 0;
        break;
    }
    if (!result.isNone()) {
        fuzz::FuzzRoot::instance().requireUnchanged(before, "a refused change wrote to the store");
        return;
    }
    fuzz::require(countBefore >= 0, "a damaged store was changed");
    const auto count = store.count();
    fuzz::require(count.ok() && count.value() == expected, "the count after a change is wrong");
    fuzz::require(int(store.listIndex().recordings.size()) == expected,
                  "the index after a change does not list every recording");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in = fuzz::begin(data, size);
    const QString r = fuzz::FuzzRoot::instance().path();
    const QString files[] = {paths::dataFile(r, in.mode, kId), paths::indexFile(r, in.mode, kId),
                             paths::journalFile(r, in.mode, kId),
                             paths::scratchDataFile(r, in.mode, kId),
                             paths::scratchIndexFile(r, kId)};
    for (int i = 0; i < 5; ++i) {
        // The journal and the scratch files only when the input has them.
        const QByteArray bytes = in.parts.next();
        if (i < 2 || !bytes.isEmpty())
            fuzz::FuzzRoot::instance().write(files[i], bytes);
    }

    RecordingStore store(r, in.mode, kId);
    const int count = readEverything(store, true);
    change(store, in.op, count);
    readEverything(store, false);
    fuzz::FuzzRoot::instance().checkFence();
    return 0;
}
