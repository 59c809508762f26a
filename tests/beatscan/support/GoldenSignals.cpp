#include "GoldenSignals.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace golden {
namespace {

constexpr int Length = 7500;
constexpr int32_t ZeroLine = 512;

// A fixed pseudo-random sequence, so the noisy signals are the same everywhere.
class Sequence {
public:
    int32_t next(int32_t modulus) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int32_t>((state >> 33) % static_cast<uint64_t>(modulus));
    }

private:
    uint64_t state = 0x2545F4914F6CDD1DULL;
};

template <typename F>
Signal derived(const std::string& name, const std::vector<int32_t>& source, F f) {
    Signal s{name, std::vector<int32_t>(Length)};
    for (int i = 0; i < Length; ++i) {
        s.samples[i] = f(source[i]);
    }
    return s;
}

// Narrow pulses of the given height every `spacing` samples from `first`.
Signal pulses(const std::string& name, int first, int spacing, int32_t height) {
    Signal s{name, std::vector<int32_t>(Length, ZeroLine)};
    for (int r = first; r < Length; r += spacing) {
        for (int k = -3; k <= 3; ++k) {
            if (r + k >= 0 && r + k < Length) {
                s.samples[r + k] = ZeroLine + height * (4 - std::abs(k)) / 4;
            }
        }
    }
    return s;
}

std::vector<Signal> syntheticSignals() {
    std::vector<Signal> all;
    all.push_back({"flat", std::vector<int32_t>(Length, ZeroLine)});
    all.push_back({"zeros", std::vector<int32_t>(Length, 0)});
    Sequence noise;
    all.push_back(
        derived("noise", std::vector<int32_t>(Length), [&](int32_t) { return noise.next(1024); }));
    all.push_back(pulses("one-beat", 3000, Length, 300));
    all.push_back(pulses("two-beats", 3000, 400, 300));
    all.push_back(pulses("rate-60", 100, 250, 300));
    all.push_back(pulses("rate-200", 40, 75, 300));
    return all;
}

uint64_t fold(uint64_t hash, int32_t value) {
    // FNV-1a over the value's four bytes, low byte first.
    const auto bits = static_cast<uint32_t>(value);
    for (int b = 0; b < 4; ++b) {
        hash ^= (bits >> (8 * b)) & 0xFFu;
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

constexpr uint64_t HashStart = 0xCBF29CE484222325ULL;

template <typename Range> uint64_t foldAll(uint64_t hash, const Range& values) {
    for (int32_t v : values) {
        hash = fold(hash, v);
    }
    return hash;
}

uint64_t outcomeHash(uint64_t hash, const Outcome& o) {
    hash = fold(hash, o.result);
    hash = foldAll(hash, o.beat);
    hash = foldAll(hash, o.parameters);
    return foldAll(hash, o.indices);
}

} // namespace

std::vector<Signal> goldenSignals(const std::vector<std::vector<int32_t>>& recordings) {
    std::vector<Signal> all;
    Sequence noise;
    for (size_t k = 0; k < recordings.size(); ++k) {
        const std::vector<int32_t>& x = recordings[k];
        const std::string id = std::to_string(k);
        all.push_back({"recording-" + id, x});
        all.push_back(derived("inverted-" + id, x, [](int32_t v) { return 1023 - v; }));
        // Within +-8191 but beyond +-2047: the 16-bit curvature sums that need their cap.
        all.push_back(derived("times8-" + id, x, [](int32_t v) { return (v - ZeroLine) * 8; }));
        // Beyond +-8191 after smoothing: the detector's 64-bit curvature sums.
        all.push_back(derived("amplified-" + id, x,
                              [](int32_t v) { return (v - ZeroLine) * 20 + ZeroLine; }));
        // Beyond 2^24: the smoothing's sums in the order of their definition.
        all.push_back(derived("huge-" + id, x, [](int32_t v) { return (v - ZeroLine) * 80000; }));
        all.push_back(derived("attenuated-" + id, x,
                              [](int32_t v) { return (v - ZeroLine) / 4 + ZeroLine; }));
        all.push_back(
            derived("noisy-" + id, x, [&](int32_t v) { return v + noise.next(61) - 30; }));
    }
    for (Signal& s : syntheticSignals()) {
        all.push_back(std::move(s));
    }
    return all;
}

std::vector<std::pair<int32_t, int32_t>> goldenWindows() {
    const int32_t points[] = {-1, 0, 1, 1000, 2500, 3750, 5000, 6500, 7498, 7499, 7500};
    std::vector<std::pair<int32_t, int32_t>> windows;
    for (int32_t s : points) {
        for (int32_t e : points) {
            if (s < e) {
                windows.emplace_back(s, e);
            }
        }
    }
    windows.emplace_back(3750, 3750);
    windows.emplace_back(7499, 0);
    windows.emplace_back(250, 7250);
    return windows;
}

Record analyseSignal(const Signal& signal, const Analyser& analyse) {
    Record r;
    r.name = signal.name;
    const Outcome whole = analyse(signal.samples.data(), 0, 7499);
    r.result = whole.result;
    r.parameters = whole.parameters;
    r.indices = whole.indices;
    r.beatHash = foldAll(HashStart, whole.beat);
    r.windowsHash = HashStart;
    for (const auto& [start, end] : goldenWindows()) {
        r.windowsHash = outcomeHash(r.windowsHash, analyse(signal.samples.data(), start, end));
    }
    return r;
}

std::string formatRecord(const Record& r) {
    std::ostringstream line;
    line << r.name << ' ' << r.result;
    for (int32_t v : r.parameters) {
        line << ' ' << v;
    }
    for (int32_t v : r.indices) {
        line << ' ' << v;
    }
    char hashes[40];
    std::snprintf(hashes, sizeof hashes, " %016" PRIx64 " %016" PRIx64, r.beatHash, r.windowsHash);
    return line.str() + hashes;
}

Record parseRecord(const std::string& line) {
    std::istringstream in(line);
    Record r;
    in >> r.name >> r.result;
    for (int32_t& v : r.parameters) {
        in >> v;
    }
    for (int32_t& v : r.indices) {
        in >> v;
    }
    in >> std::hex >> r.beatHash >> r.windowsHash;
    std::string rest;
    if (in.fail() || (in >> rest)) {
        throw std::runtime_error("malformed golden line: " + line);
    }
    return r;
}

std::string goldenPath() {
    return std::string(VANTORA_TEST_DATA_DIR) + "/ecg/beatscan_golden.txt";
}

} // namespace golden
