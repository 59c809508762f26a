// The live stream on an in-memory line: the input is everything the recorder
// sends. Frames that pass their checksum go to the live trace and, in
// segments of 1875, to a Continuous store.
#include "device/ContinuousSegmenter.h"
#include "device/LinkSink.h"
#include "device/LiveReader.h"
#include "device/LiveTrace.h"
#include "device/MemoryLine.h"
#include "fuzz/FuzzRoot.h"
#include "records/RecordingStore.h"

#include <memory>

using namespace vantora;

namespace {

class LiveSink : public LinkSink {
public:
    explicit LiveSink(const QString& root)
        : segmenter_(
              [root](std::span<const AcqPacket> packets, const SystemTime& stamp) {
                  return RecordingStore(root, RecordingMode::Continuous, QStringLiteral("P1"))
                      .appendContinuous(packets, stamp);
              },
              RecordingClock::unpaced()) {}
    void livePacket(const AcqPacket& packet) override {
        trace_.push(packet);
        segmenter_.addPacket(packet);
    }
    void finish() { trace_.rebuild(); }

private:
    LiveTrace trace_;
    ContinuousSegmenter segmenter_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzRoot& root = fuzz::FuzzRoot::instance();
    root.reset();
    auto line = std::make_unique<MemoryLine>();
    line->feed(data, int(size));
    // No pauses: the reader counts silent reads, not time.
    LinkPort port(std::move(line), LinkTiming{0, 0, 0, 0, 0, 0});
    LiveSink sink(root.path());
    std::atomic<int> running{1};
    LiveReader(port, sink, running, 0).run();
    sink.finish();
    root.checkFence();
    return 0;
}
