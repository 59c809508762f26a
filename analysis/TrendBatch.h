#pragma once

#include "analysis/TrendSeries.h"
#include "core/Result.h"

#include <QString>

#include <atomic>
#include <functional>

namespace vantora {

struct TrendProgress {
    int done = 0;  // recordings whose point is known (cached or analysed)
    int total = 0; // recordings in the store
};

// Loads the patient's Continuous trend: cached points as they are, the rest
// analysed (on both cores), the cache beside the store rewritten if anything
// changed. Each point holds what the analysis page shows for the whole
// recording. Blocks: callers run it off the UI thread. Calls `progress` from
// the worker threads (not the caller's), never from two at once; when
// `cancel` becomes true it returns early with kTrendAnalysisCancelled and keeps the
// cache as it was. A missing store is an empty series; a damaged store or a
// missing analysis library is a failure with its message.
Result<TrendSeries> loadTrend(const QString& dataRoot, const QString& patientId,
                              const std::function<void(TrendProgress)>& progress = {},
                              const std::atomic<bool>* cancel = nullptr);

// What a load did, for tests and benchmarks.
struct TrendLoadStats {
    bool fromCache = false; // the store was unchanged: no record was read
    int analysed = 0;       // recordings the cache did not know
    bool cacheWritten = false;
};

// How the batch analyses: benchmarks and tests compare one thread with
// several. threads 0: one per core, at most kMaxTrendThreads.
struct TrendOptions {
    int threads = 0;
    TrendLoadStats* stats = nullptr; // filled when set
};
constexpr int kMaxTrendThreads = 4;

Result<TrendSeries> loadTrendWith(const TrendOptions& options, const QString& dataRoot,
                                  const QString& patientId,
                                  const std::function<void(TrendProgress)>& progress = {},
                                  const std::atomic<bool>* cancel = nullptr);

} // namespace vantora
