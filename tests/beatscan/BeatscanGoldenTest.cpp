// Bit-identity of the analysis with the library as it stood before its speed
// work: every output of every golden case (tests/data/ecg/beatscan_golden.txt)
// through the nine exports, and through the reentrant engine on two threads
// at once. `BeatscanGoldenTest --write-golden FILE` records the file through
// the exports of the libbeatscan.so it loads: to add cases, record them from
// the library as it stood (LD_LIBRARY_PATH=<its build>), never from a changed one.
#include "Engine.h"
#include "beatscan.h"
#include "support/GoldenSignals.h"
#include "support/ReferenceEcg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

namespace {

golden::Outcome viaExports(const int32_t* samples, int32_t start, int32_t end) {
    golden::Outcome o;
    o.result = QRS(samples, 7500, start, end);
    std::memcpy(o.beat.data(), Get_ptr_plus(), sizeof o.beat);
    std::memcpy(o.parameters.data(), Get_Parameter(), sizeof o.parameters);
    o.indices = {Get_index_P(),  Get_index_PB(), Get_index_QB(),
                 Get_index_SE(), Get_index_T(),  Get_index_TE()};
    return o;
}

golden::Outcome viaEngine(const int32_t* samples, int32_t start, int32_t end) {
    BeatscanResult r;
    golden::Outcome o;
    o.result = beatscanAnalyse(samples, start, end, r) ? 1 : 0;
    std::copy(std::begin(r.beat), std::end(r.beat), o.beat.begin());
    std::copy(std::begin(r.parameters), std::end(r.parameters), o.parameters.begin());
    std::copy(std::begin(r.indices), std::end(r.indices), o.indices.begin());
    return o;
}

std::vector<golden::Signal> signals() {
    return golden::goldenSignals(reference::loadReferenceSet().recordings);
}

std::vector<golden::Record> readGolden() {
    std::ifstream in(golden::goldenPath());
    std::vector<golden::Record> records;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#') {
            records.push_back(golden::parseRecord(line));
        }
    }
    return records;
}

// The signals checked: all of them, but under the sanitizers' unoptimised
// build (a hundred times slower) every 20th, which steps through each kind,
// and the synthetic ones.
std::vector<size_t> checkedSignals(size_t count) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr size_t Stride = 20;
#else
    constexpr size_t Stride = 1;
#endif
    std::vector<size_t> checked;
    for (size_t k = 0; k < count; ++k) {
        if (k % Stride == 0 || k + 7 >= count) {
            checked.push_back(k);
        }
    }
    return checked;
}

void expectSame(const std::vector<golden::Record>& got, const std::vector<golden::Record>& expected,
                const std::vector<size_t>& checked) {
    for (size_t k : checked) {
        EXPECT_EQ(golden::formatRecord(got[k]), golden::formatRecord(expected[k]));
    }
}

TEST(BeatscanGolden, ExportsGiveTheRecordedOutputsBitForBit) {
    const std::vector<golden::Record> expected = readGolden();
    const std::vector<golden::Signal> all = signals();
    ASSERT_EQ(expected.size(), 60u * 7 + 7);
    ASSERT_EQ(all.size(), expected.size());
    const std::vector<size_t> checked = checkedSignals(all.size());
    std::vector<golden::Record> got(all.size());
    for (size_t k : checked) {
        got[k] = golden::analyseSignal(all[k], viaExports);
    }
    expectSame(got, expected, checked);
}

// Each thread takes every other signal; results are compared once both are done.
TEST(BeatscanGolden, EngineOnTwoThreadsGivesTheRecordedOutputs) {
    const std::vector<golden::Record> expected = readGolden();
    const std::vector<golden::Signal> all = signals();
    ASSERT_EQ(all.size(), expected.size());
    const std::vector<size_t> checked = checkedSignals(all.size());
    std::vector<golden::Record> got(all.size());
    auto run = [&](size_t first) {
        for (size_t i = first; i < checked.size(); i += 2) {
            got[checked[i]] = golden::analyseSignal(all[checked[i]], viaEngine);
        }
    };
    std::thread other(run, 1);
    run(0);
    other.join();
    expectSame(got, expected, checked);
}

int writeGolden(const char* path) {
    std::ofstream out(path);
    out << "# signal result PB QB SE TE HR ST PR QRS QT QTc P PB QB SE T TE beat-hash "
           "windows-hash\n";
    for (const golden::Signal& s : signals()) {
        out << golden::formatRecord(golden::analyseSignal(s, viaExports)) << '\n';
    }
    return out ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-golden") == 0) {
        return writeGolden(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
