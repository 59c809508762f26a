// The download conversation on an in-memory line: the input is the
// recorder's replies, one part per command the reader sends (the first is
// waiting when the reader starts, as after the open's hello). The reader
// matches them byte by byte; what it collects whole is saved to a Snap store.
#include "device/DownloadCollector.h"
#include "device/DownloadReader.h"
#include "device/MemoryLine.h"
#include "fuzz/FuzzRoot.h"

#include <memory>

using namespace vantora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzRoot& root = fuzz::FuzzRoot::instance();
    root.reset();
    auto parts = std::make_shared<fuzz::Parts>(data, size);
    auto line = std::make_unique<MemoryLine>();
    const QByteArray first = parts->next();
    line->feed(reinterpret_cast<const uint8_t*>(first.constData()), int(first.size()));
    line->setResponder([parts](MemoryLine& l, const uint8_t*, int) {
        if (parts->atEnd())
            return;
        const QByteArray reply = parts->next();
        l.feed(reinterpret_cast<const uint8_t*>(reply.constData()), int(reply.size()));
    });
    // Every pause is cut to nothing: the reader counts silent reads, not time.
    LinkPort port(std::move(line), LinkTiming{0, 0, 0, 0, 0, 0});
    DownloadCollector collector;
    std::atomic<int> running{1};
    DownloadReader(port, collector, running).run();

    const std::vector<SnapRecording> recordings = collector.completeRecordings();
    const SnapAppendResult saved =
        RecordingStore(root.path(), RecordingMode::Snap, QStringLiteral("P1"))
            .appendSnap(recordings);
    fuzz::require(saved.saved == int(recordings.size()) || !saved.message.isNone(),
                  "complete recordings were not all saved and nothing says why");
    root.checkFence();
    return 0;
}
