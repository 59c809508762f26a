/*
 * beatscan: analysis of one single-lead ECG recording.
 *
 * A recording is 7500 signed 32-bit samples (30 s at 250 samples/s, 512 = zero
 * line, 175 units per mV). QRS() detects the beats of the whole recording,
 * averages those strictly inside (start, end) into a one-second beat with the
 * R peak at element 125, delineates its waves and computes the rate and
 * interval parameters.
 *
 * Ownership and lifetime: the pointers returned by Get_ptr_plus() and
 * Get_Parameter() address the library's own memory. They are never null, the
 * caller must not free or write through them, and they stay valid only until
 * the next QRS() call or until the library is unloaded; copy what you keep
 * (1000 bytes of averaged beat, 40 bytes of parameters).
 *
 * Threads: not reentrant. All results live in one module-wide state that
 * every QRS() call rebuilds; serialise QRS() and the reading of its results.
 * (The station's own batch analyses on several threads through the library's
 * internal engine, which these exports sit on, not through them.)
 *
 * Before the first QRS() call the parameter block is all zeros and the wave
 * indices hold their defaults P 84, PB 72, QB 113, SE 137, T 187, TE 212.
 */
#ifndef BEATSCAN_H
#define BEATSCAN_H

#include <stdint.h>

/* Exported from the library, hidden otherwise; callers load it by name. */
#if defined(_WIN32)
#define BEATSCAN_API __attribute__((dllexport))
#define BEATSCAN_CALL __cdecl
#else
#define BEATSCAN_API __attribute__((visibility("default")))
#define BEATSCAN_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Slots of the parameter block (ten int32 values, 40 bytes). */
enum {
    BEATSCAN_SLOT_PB = 0,  /* P-wave onset, index into the averaged beat */
    BEATSCAN_SLOT_QB = 1,  /* QRS onset, index */
    BEATSCAN_SLOT_SE = 2,  /* QRS end, index */
    BEATSCAN_SLOT_TE = 3,  /* T-wave end, index */
    BEATSCAN_SLOT_HR = 4,  /* heart rate, beats/min; -1 = no rate */
    BEATSCAN_SLOT_ST = 5,  /* ST level 80 ms after SE, sample units */
    BEATSCAN_SLOT_PR = 6,  /* ms */
    BEATSCAN_SLOT_QRS = 7, /* ms */
    BEATSCAN_SLOT_QT = 8,  /* ms */
    BEATSCAN_SLOT_QTC = 9, /* ms; -1 when the rate is -1 */
    BEATSCAN_PARAMETER_COUNT = 10,
    BEATSCAN_TEMPLATE_LENGTH = 250, /* samples in the averaged beat */
    BEATSCAN_RECORD_LENGTH = 7500   /* samples read from `samples`, whatever `count` says */
};

/*
 * Analyses the 7500 samples at `samples`; `count` is not consulted. Returns 1
 * when at least one detected beat lies strictly between start and end and all
 * results are valid, else 0 (averaged beat and parameters all zeros then).
 */
BEATSCAN_API unsigned char BEATSCAN_CALL QRS(const int32_t* samples, int32_t count, int32_t start,
                                             int32_t end);

/* The averaged beat: 250 int32 values, R peak at element 125. */
BEATSCAN_API const int32_t* BEATSCAN_CALL Get_ptr_plus(void);

/* The parameter block: ten int32 values in the slot order above. */
BEATSCAN_API const int32_t* BEATSCAN_CALL Get_Parameter(void);

/* Wave positions of the last QRS() call, indices into the averaged beat. */
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_P(void);
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_PB(void);
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_QB(void);
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_SE(void);
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_T(void);
BEATSCAN_API int32_t BEATSCAN_CALL Get_index_TE(void);

#ifdef __cplusplus
}
#endif

#endif
