#pragma once

#include "analysis/TrendBatch.h"
#include "analysis/TrendCache.h"

#include <memory>

namespace vantora {

// The library's analysis of whole recordings for the trend batch: the same
// call with the same window (0..7499) as the analysis page makes for a
// selected recording, so the results are the page's.
class TrendAnalyser {
public:
    virtual ~TrendAnalyser() = default;
    // How many threads may call analyse() at once.
    virtual int threads() const = 0;
    // 7500 clamped samples.
    virtual TrendResult analyse(const int32_t* samples) = 0;

    static std::unique_ptr<TrendAnalyser> create(const TrendOptions& options);
};

} // namespace vantora
