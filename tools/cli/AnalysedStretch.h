#pragma once

#include "render/AnalysisPageModel.h"
#include "tools/cli/CliContext.h"

#include <optional>
#include <span>

namespace vantora::cli {

// --start S --end E: a stretch of sample numbers instead of the whole recording.
struct Stretch {
    std::optional<int> start;
    std::optional<int> end;
};
// Takes and checks both options (usage errors name `command`).
Stretch takeStretch(CliContext& ctx, const char* command);

// The page's road: the whole recording when it is selected, then the chosen
// stretch as two clicks would give it.
void analyseOnPage(AnalysisPageModel& page, std::span<const int32_t> samples,
                   const Stretch& stretch);

} // namespace vantora::cli
