// Bit-identity of the analysis with the library as it stood before its speed
// work: every output of every golden case (tests/data/ecg/beatscan_golden.txt)
// through the nine exports. Run with --write-golden to record the file from
// the library built here (only ever from a library known to be right).
#include "beatscan.h"
#include "support/GoldenSignals.h"
#include "support/ReferenceEcg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iostream>

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

void expectMatches(const std::vector<golden::Signal>& all,
                   const std::vector<golden::Record>& expected, const golden::Analyser& analyse) {
    ASSERT_EQ(all.size(), expected.size());
    for (size_t k = 0; k < all.size(); ++k) {
        const golden::Record got = golden::analyseSignal(all[k], analyse);
        EXPECT_EQ(golden::formatRecord(got), golden::formatRecord(expected[k]));
    }
}

TEST(BeatscanGolden, ExportsGiveTheRecordedOutputsBitForBit) {
    const std::vector<golden::Record> expected = readGolden();
    ASSERT_EQ(expected.size(), 60u * 6 + 7);
    expectMatches(signals(), expected, viaExports);
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
