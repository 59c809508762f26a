// Binds the trend batch to the analysis library's reentrant engine, linked
// statically: the code behind the library's QRS() export, so a recording
// analysed here gives what the analysis page's run gives, on every core.
#include "analysis/TrendAnalyser.h"

#include "beatscan/src/Engine.h"
#include "core/SignalFormat.h"

#include <algorithm>
#include <thread>

namespace vantora {

namespace {

class EngineAnalyser final : public TrendAnalyser {
public:
    explicit EngineAnalyser(int threads) : threads_(threads) {}
    int threads() const override { return threads_; }
    TrendResult analyse(const int32_t* samples) override {
        BeatscanResult out;
        TrendResult r;
        if (!beatscanAnalyse(samples, 0, kSamplesPerRecording - 1, out))
            return r;
        const int32_t* p = out.parameters;
        r.analysed = true;
        r.heartRate = p[kSlotHeartRate];
        r.st = p[kSlotST];
        r.pr = p[kSlotPR];
        r.qrs = p[kSlotQRS];
        r.qt = p[kSlotQT];
        r.qtc = p[kSlotQTc];
        return r;
    }

private:
    int threads_;
};

} // namespace

std::unique_ptr<TrendAnalyser> TrendAnalyser::create(const TrendOptions& options) {
    int threads = options.threads;
    if (threads <= 0)
        threads = int(std::thread::hardware_concurrency());
    return std::make_unique<EngineAnalyser>(std::clamp(threads, 1, kMaxTrendThreads));
}

} // namespace vantora
