// The library's nine C exports over its one module-wide state. Nothing here
// computes; see Analysis.cpp for the order of the steps.
#include "beatscan.h"

#include "Analysis.h"

namespace {

// The module state the interface hands out pointers into; rebuilt by QRS.
beatscan::AnalysisState moduleState;

} // namespace

extern "C" {

BEATSCAN_API unsigned char BEATSCAN_CALL QRS(const int32_t* samples, int32_t /*count*/,
                                             int32_t start, int32_t end) {
    // No exception may cross the C boundary: without memory for the working
    // buffers, or without samples, the call finds no beat.
    try {
        if (samples != nullptr) {
            return beatscan::analyse(moduleState, samples, start, end);
        }
    } catch (...) {
    }
    moduleState = beatscan::AnalysisState{};
    return 0;
}

BEATSCAN_API const int32_t* BEATSCAN_CALL Get_ptr_plus(void) {
    return moduleState.averagedBeat.data();
}

BEATSCAN_API const int32_t* BEATSCAN_CALL Get_Parameter(void) {
    return moduleState.parameters.data();
}

BEATSCAN_API int32_t BEATSCAN_CALL Get_index_P(void) {
    return moduleState.fiducials.P;
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_PB(void) {
    return moduleState.fiducials.PB;
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_QB(void) {
    return moduleState.fiducials.QB;
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_SE(void) {
    return moduleState.fiducials.SE;
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_T(void) {
    return moduleState.fiducials.T;
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_TE(void) {
    return moduleState.fiducials.TE;
}

} // extern "C"
