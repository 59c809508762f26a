#pragma once

#include "core/SignalFormat.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace vantora {

// Wave positions of the last analysis as the library's index exports give them
// (P, PB, QB, SE, T, TE); a missing export leaves its value unset.
struct WaveIndices {
    std::array<std::optional<int32_t>, 6> values;
    static constexpr std::array<const char*, 6> kNames{"P", "PB", "QB", "SE", "T", "TE"};
};

// One analysis run against the beatscan library, bound afresh every time:
// the library is loaded by its file name, "QRS", "Get_ptr_plus" and
// "Get_Parameter" are resolved by name, 1000 bytes of averaged beat and 40
// bytes of parameters are copied out, and the library is unloaded again on
// every path, so no analysis state survives between runs. A missing library or
// export is a failed run, never a message.
class AnalysisRun {
public:
    static constexpr const char* kLibraryFileName = "libbeatscan.so";

    // libraryPath: the library to load; empty means the one beside the executable.
    explicit AnalysisRun(QString libraryPath = {});
    static QString libraryBesideExecutable();
    const QString& libraryPath() const { return libraryPath_; }
    void setLibraryPath(QString path) { libraryPath_ = std::move(path); }

    // Analyses samples over the window (put in order first). False when the
    // library or an export is missing or no beat lies inside the window; the
    // parameters and the valid flag are then left as described above.
    bool run(std::span<const int32_t> samples, int32_t start, int32_t end);

    bool valid() const { return valid_; }
    // The last run could not load the library from libraryPath().
    bool libraryMissing() const { return libraryMissing_; }
    void invalidate() { valid_ = false; }
    const AveragedBeat& beat() const { return beat_; }
    const ParameterBlock& parameters() const { return parameters_; }
    int32_t windowStart() const { return windowStart_; }
    int32_t windowEnd() const { return windowEnd_; }
    const WaveIndices& indices() const { return indices_; }

private:
    QString libraryPath_;
    AveragedBeat beat_{};
    ParameterBlock parameters_{};
    WaveIndices indices_;
    bool valid_ = false;
    bool libraryMissing_ = false;
    int32_t windowStart_ = 0;
    int32_t windowEnd_ = 0;
};

} // namespace vantora
