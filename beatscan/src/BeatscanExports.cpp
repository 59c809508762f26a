// The library's nine C exports over its one module-wide result. Nothing here
// computes: QRS runs the reentrant engine (Engine.h) into that result.
#include "beatscan.h"

#include "Engine.h"

namespace {

// The result the interface hands out pointers into; rebuilt by QRS.
BeatscanResult moduleResult;

} // namespace

extern "C" {

BEATSCAN_API unsigned char BEATSCAN_CALL QRS(const int32_t* samples, int32_t /*count*/,
                                             int32_t start, int32_t end) {
    return beatscanAnalyse(samples, start, end, moduleResult) ? 1 : 0;
}

BEATSCAN_API const int32_t* BEATSCAN_CALL Get_ptr_plus(void) {
    return moduleResult.beat;
}

BEATSCAN_API const int32_t* BEATSCAN_CALL Get_Parameter(void) {
    return moduleResult.parameters;
}

BEATSCAN_API int32_t BEATSCAN_CALL Get_index_P(void) {
    return moduleResult.indices[BeatscanIndexP];
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_PB(void) {
    return moduleResult.indices[BeatscanIndexPB];
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_QB(void) {
    return moduleResult.indices[BeatscanIndexQB];
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_SE(void) {
    return moduleResult.indices[BeatscanIndexSE];
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_T(void) {
    return moduleResult.indices[BeatscanIndexT];
}
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_TE(void) {
    return moduleResult.indices[BeatscanIndexTE];
}

} // extern "C"
