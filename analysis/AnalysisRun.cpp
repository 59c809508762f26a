// The analysis run: binds the beatscan library per run (load, resolve, call,
// copy, unload) and keeps copies of its averaged beat and parameter block.
// Tested by tests/analysis/AnalysisRunTest.cpp with the built library, a
// missing library and a library path that is not a library.
#include "analysis/AnalysisRun.h"

#include <QCoreApplication>
#include <QLibrary>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace vantora {

namespace {

using QrsFn = unsigned char (*)(const int32_t*, int32_t, int32_t, int32_t);
using BlockFn = const int32_t* (*)();
using IndexFn = int32_t (*)();

// Unloads on every path out of a run.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const QString& path) : lib_(path) { loaded_ = lib_.load(); }
    ~LoadedLibrary() {
        if (loaded_)
            lib_.unload();
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return loaded_; }
    template <typename Fn> Fn resolve(const char* name) {
        return reinterpret_cast<Fn>(lib_.resolve(name));
    }

private:
    QLibrary lib_;
    bool loaded_ = false;
};

WaveIndices readIndices(LoadedLibrary& lib) {
    static constexpr std::array<const char*, 6> kExports{"Get_index_P",  "Get_index_PB",
                                                         "Get_index_QB", "Get_index_SE",
                                                         "Get_index_T",  "Get_index_TE"};
    WaveIndices indices;
    for (size_t k = 0; k < kExports.size(); ++k)
        if (const auto fn = lib.resolve<IndexFn>(kExports[k]))
            indices.values[k] = fn();
    return indices;
}

} // namespace

AnalysisRun::AnalysisRun(QString libraryPath)
    : libraryPath_(libraryPath.isEmpty() ? libraryBesideExecutable() : std::move(libraryPath)) {}

QString AnalysisRun::libraryBesideExecutable() {
    return QCoreApplication::applicationDirPath() + u'/' + QLatin1String(kLibraryFileName);
}

bool AnalysisRun::run(std::span<const int32_t> samples, int32_t start, int32_t end) {
    // The library keeps its results in its own globals: the window and the
    // archive sender's thread may both analyse, one at a time.
    static std::mutex oneAtATime;
    const std::lock_guard lock(oneAtATime);
    valid_ = false;
    if (end < start)
        std::swap(start, end);
    LoadedLibrary lib(libraryPath_);
    libraryMissing_ = !lib.loaded();
    if (libraryMissing_)
        return false;

    // The library always reads a whole recording; a shorter buffer is padded with zeros.
    std::vector<int32_t> buffer(kSamplesPerRecording, 0);
    std::copy_n(samples.begin(), std::min<size_t>(samples.size(), buffer.size()), buffer.begin());
    const auto qrs = lib.resolve<QrsFn>("QRS");
    if (!qrs || qrs(buffer.data(), kSamplesPerRecording, start, end) == 0)
        return false;

    const auto getBeat = lib.resolve<BlockFn>("Get_ptr_plus");
    if (const int32_t* beat = getBeat ? getBeat() : nullptr)
        std::memcpy(beat_.data(), beat, sizeof(beat_)); // 1000 bytes
    const auto getParameters = lib.resolve<BlockFn>("Get_Parameter");
    const int32_t* parameters = getParameters ? getParameters() : nullptr;
    if (!parameters)
        return false;
    std::memcpy(parameters_.data(), parameters, sizeof(parameters_)); // 40 bytes
    indices_ = readIndices(lib);

    windowStart_ = start;
    windowEnd_ = end;
    valid_ = true;
    return true;
}

} // namespace vantora
