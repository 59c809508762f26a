#include "ReferenceEcg.h"

#include "MiniJson.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace reference {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Recording> readRecordings(const std::string& bytes) {
    if (bytes.size() != size_t(RecordingCount) * SamplesPerRecording * 2) {
        throw std::runtime_error("sample file has an unexpected size");
    }
    std::vector<Recording> recordings(RecordingCount, Recording(SamplesPerRecording));
    for (size_t i = 0; i < bytes.size() / 2; ++i) {
        const auto low = static_cast<uint8_t>(bytes[2 * i]);
        const auto high = static_cast<uint8_t>(bytes[2 * i + 1]);
        const auto sample = static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
        recordings[i / SamplesPerRecording][i % SamplesPerRecording] = sample;
    }
    return recordings;
}

ExpectedAnalysis readCase(const minijson::Value& c) {
    ExpectedAnalysis e;
    e.segment = static_cast<int>(c["segment"].asInt());
    e.start = static_cast<int32_t>(c["start"].asInt());
    e.end = static_cast<int32_t>(c["end"].asInt());
    e.result = static_cast<int>(c["result"].asInt());
    e.beats = c["beats"].asIntList();
    e.averagedBeat = c["averagedBeat"].asIntList();
    e.parameters = c["parameters"].asIntList();
    for (const char* name : {"P", "PB", "QB", "SE", "T", "TE"}) {
        e.indices[name] = static_cast<int32_t>(c["indices"][name].asInt());
    }
    return e;
}

} // namespace

std::string sharedEcgPath(const std::string& file) {
    return std::string(VANTORA_TEST_DATA_DIR) + "/ecg/" + file;
}

ReferenceSet loadReferenceSet() {
    ReferenceSet set;
    const minijson::Value doc = minijson::parse(readFile(sharedEcgPath("mitdb100_expected.json")));
    set.recordings = readRecordings(readFile(sharedEcgPath(doc["samplesFile"].text)));
    for (int k = 0; k < RecordingCount; ++k) {
        set.referenceBeats.push_back(doc["referenceBeats"][std::to_string(k)].asIntList());
    }
    for (const minijson::Value& c : doc["cases"].items) {
        set.cases.push_back(readCase(c));
    }
    return set;
}

} // namespace reference
