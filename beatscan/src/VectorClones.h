// Lets the few per-sample loops of detection run on wider vector units where
// the processor has them, choosing at load time. The clones compute in the
// same integer and IEEE double arithmetic as the baseline (no fused
// multiply-add), so every result is bit-identical on every processor.
#pragma once

// GCC only: clang (the fuzz build) does not clone function templates.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define BEATSCAN_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define BEATSCAN_VECTOR_CLONES
#endif

// Lets the compiler fuse multiplies and adds in a function whose every product
// and partial sum is exact in double: with nothing rounded, a fused operation
// gives the same double as the two it replaces. Nowhere else.
#if defined(__GNUC__) && !defined(__clang__)
#define BEATSCAN_EXACT_FUSION __attribute__((optimize("fp-contract=fast")))
#else
#define BEATSCAN_EXACT_FUSION
#endif
