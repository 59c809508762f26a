// A stand-in for the analysis library with the same nine exports, built in
// variants that lack one export. It reports back what it was called with, so
// the binding can be checked without depending on the real detector:
//   parameters: start, end, calls since load, count, HR 60 + start % 7,
//               ST -35 (-2 mm), PR from the window, QRS from the last
//               sample, QT 400, QTc 410
//   averaged beat: element k = 512 + k, element 0 = first sample
// QRS returns 0 when the window is shorter than 10 samples.
#include <cstdint>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int32_t g_beat[250];
int32_t g_parameters[10];
[[maybe_unused]] int32_t g_calls = 0; // static state: survives only while the library stays loaded
} // namespace

#ifndef FAKE_WITHOUT_QRS
FAKE_EXPORT unsigned char QRS(const int32_t* samples, int32_t count, int32_t start, int32_t end) {
    ++g_calls;
    if (end - start < 10)
        return 0;
    for (int k = 0; k < 250; ++k)
        g_beat[k] = 512 + k;
    g_beat[0] = samples[0];
    const int32_t values[10] = {
        start, end, g_calls, count, 60 + start % 7, -35, end - start, samples[7499] % 1000,
        400,   410};
    for (int k = 0; k < 10; ++k)
        g_parameters[k] = values[k];
    return 1;
}
#endif

#ifndef FAKE_WITHOUT_BEAT
FAKE_EXPORT const int32_t* Get_ptr_plus() {
    return g_beat;
}
#endif

#ifndef FAKE_WITHOUT_PARAMETERS
FAKE_EXPORT const int32_t* Get_Parameter() {
    return g_parameters;
}
#endif

FAKE_EXPORT int32_t Get_index_P() {
    return 84;
}
FAKE_EXPORT int32_t Get_index_PB() {
    return 72;
}
FAKE_EXPORT int32_t Get_index_QB() {
    return 113;
}
FAKE_EXPORT int32_t Get_index_SE() {
    return 137;
}
FAKE_EXPORT int32_t Get_index_T() {
    return 187;
}
#ifndef FAKE_WITHOUT_TE
FAKE_EXPORT int32_t Get_index_TE() {
    return 212;
}
#endif
