// QRS on arbitrary 32-bit samples: the input is the window (start and end,
// 32-bit little-endian each) and then samples, repeated to fill the 7500 the
// library reads, so a short input is a periodic signal with beats to find.
#include "beatscan.h"

#include <cstring>
#include <vector>

namespace {

int32_t takeInt32(const uint8_t*& data, size_t& size, int32_t fallback) {
    if (size < 4)
        return fallback;
    int32_t v = 0;
    std::memcpy(&v, data, 4);
    data += 4;
    size -= 4;
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int32_t start = takeInt32(data, size, 0);
    const int32_t end = takeInt32(data, size, BEATSCAN_RECORD_LENGTH);
    std::vector<int32_t> samples(BEATSCAN_RECORD_LENGTH, 0);
    const size_t given = size / 4;
    for (size_t i = 0; given > 0 && i < samples.size(); ++i)
        std::memcpy(&samples[i], data + 4 * (i % given), 4);

    if (QRS(samples.data(), BEATSCAN_RECORD_LENGTH, start, end) != 0) {
        const int32_t* beat = Get_ptr_plus();
        const int32_t* parameters = Get_Parameter();
        volatile uint32_t sink =
            uint32_t(beat[BEATSCAN_TEMPLATE_LENGTH - 1]) ^ uint32_t(parameters[BEATSCAN_SLOT_QTC]);
        (void)sink;
    }
    Get_index_P();
    Get_index_PB();
    Get_index_QB();
    Get_index_SE();
    Get_index_T();
    Get_index_TE();
    return 0;
}
