// The analysis as a plain function over caller-owned memory: reentrant, so
// several threads may analyse different recordings at once (the trend's batch
// does). The nine exported functions of the library sit on top of it: QRS()
// runs it into the one module-wide result that Get_ptr_plus(), Get_Parameter()
// and Get_index_*() read. Linked statically as the target beatscan_engine.
#pragma once

#include <cstdint>

// Wave positions in BeatscanResult::indices, indices into the averaged beat.
enum BeatscanIndex : int {
    BeatscanIndexP = 0,
    BeatscanIndexPB = 1,
    BeatscanIndexQB = 2,
    BeatscanIndexSE = 3,
    BeatscanIndexT = 4,
    BeatscanIndexTE = 5,
};

// Everything one analysis yields, as the exports hand it out. Before any
// analysis, and after one that finds no beat inside the window: beat and
// parameters all zeros, the indices at their defaults, valid false.
struct BeatscanResult {
    int32_t beat[250] = {};                            // averaged beat, R peak at element 125
    int32_t parameters[10] = {};                       // slots as BEATSCAN_SLOT_* in beatscan.h
    int32_t indices[6] = {84, 72, 113, 137, 187, 212}; // P, PB, QB, SE, T, TE
    bool valid = false;
};

// Analyses the 7500 samples at `samples` over the window (start, end) into
// `out`, overwriting all of it; returns out.valid, true when at least one
// detected beat lies strictly inside the window. Null samples find no beat.
// Never throws. Works on the stack (under 64 KB) and allocates nothing for
// samples within the recorder's range and well beyond (+-8191).
bool beatscanAnalyse(const int32_t* samples, int32_t start, int32_t end, BeatscanResult& out);
