// The voice lanes on AVX2: eight lanes are one 256-bit register (two for
// doubles).  Every function of this file is compiled for AVX2 by the target
// pragma below, which comes after the includes, so no inline function of a
// shared header is built with AVX2 instructions here.  Nothing in this file
// runs unless voiceLanesAvx2Available() said yes.  FMA stays off: the lanes
// round every product as the plain render does.

#include "engine/VoiceLanes.h"

#include "engine/BandlimitedWavetableSet.h"
#include "engine/CatmullRomCoefficients.h"
#include "engine/ExpTwoLanes.h"
#include "engine/PhaseWrap.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
 #include <immintrin.h>

 #if defined(__clang__)
  #pragma clang attribute push (__attribute__ ((target ("avx2"))), apply_to = function)
 #else
  #pragma GCC push_options
  #pragma GCC target ("avx2")
 #endif

namespace
{
/** Eight floats. */
struct F8
{
    __m256 v;

    static F8 load (const float* p) noexcept       { return { _mm256_load_ps (p) }; }
    static F8 broadcast (float x) noexcept         { return { _mm256_set1_ps (x) }; }
    void store (float* p) const noexcept           { _mm256_store_ps (p, v); }
};

/** Eight 32-bit integers. */
struct I8
{
    __m256i v;

    static I8 load (const int32_t* p) noexcept     { return { _mm256_load_si256 ((const __m256i*) p) }; }
    static I8 broadcast (int32_t x) noexcept       { return { _mm256_set1_epi32 (x) }; }
    void store (int32_t* p) const noexcept         { _mm256_store_si256 ((__m256i*) p, v); }
};

/** Eight doubles. */
struct D8
{
    __m256d v[2];

    static D8 load (const double* p) noexcept      { return { { _mm256_load_pd (p), _mm256_load_pd (p + 4) } }; }
    static D8 broadcast (double x) noexcept        { return { { _mm256_set1_pd (x), _mm256_set1_pd (x) } }; }
    void store (double* p) const noexcept          { _mm256_store_pd (p, v[0]); _mm256_store_pd (p + 4, v[1]); }
};

#define KEST_LANES_F(name, op) \
    inline F8 name (F8 a, F8 b) noexcept { return { op (a.v, b.v) }; }
#define KEST_LANES_I(name, op) \
    inline I8 name (I8 a, I8 b) noexcept { return { op (a.v, b.v) }; }
#define KEST_LANES_D(name, op) \
    inline D8 name (D8 a, D8 b) noexcept { return { { op (a.v[0], b.v[0]), op (a.v[1], b.v[1]) } }; }

inline __m256 lessThanPs (__m256 a, __m256 b) noexcept       { return _mm256_cmp_ps (a, b, _CMP_LT_OQ); }
inline __m256 lessEqualPs (__m256 a, __m256 b) noexcept      { return _mm256_cmp_ps (a, b, _CMP_LE_OQ); }
inline __m256 greaterThanPs (__m256 a, __m256 b) noexcept    { return _mm256_cmp_ps (a, b, _CMP_GT_OQ); }
inline __m256 notEqualPs (__m256 a, __m256 b) noexcept       { return _mm256_cmp_ps (a, b, _CMP_NEQ_UQ); }
inline __m256 equalToPs (__m256 a, __m256 b) noexcept        { return _mm256_cmp_ps (a, b, _CMP_EQ_OQ); }
inline __m256 greaterEqualPs (__m256 a, __m256 b) noexcept   { return _mm256_cmp_ps (a, b, _CMP_GE_OQ); }
inline __m256 notGreaterThanPs (__m256 a, __m256 b) noexcept { return _mm256_cmp_ps (a, b, _CMP_NGT_UQ); }
inline __m256d lessEqualPd (__m256d a, __m256d b) noexcept   { return _mm256_cmp_pd (a, b, _CMP_LE_OQ); }
inline __m256d greaterEqualPd (__m256d a, __m256d b) noexcept { return _mm256_cmp_pd (a, b, _CMP_GE_OQ); }
inline __m256d notEqualPd (__m256d a, __m256d b) noexcept    { return _mm256_cmp_pd (a, b, _CMP_NEQ_UQ); }

KEST_LANES_F (operator+, _mm256_add_ps)
KEST_LANES_F (operator-, _mm256_sub_ps)
KEST_LANES_F (operator*, _mm256_mul_ps)
KEST_LANES_F (operator/, _mm256_div_ps)
KEST_LANES_F (minOf, _mm256_min_ps)         // a < b ? a : b
KEST_LANES_F (maxOf, _mm256_max_ps)         // a > b ? a : b
KEST_LANES_F (lessThan, lessThanPs)
KEST_LANES_F (lessEqual, lessEqualPs)
KEST_LANES_F (greaterThan, greaterThanPs)
KEST_LANES_F (notEqual, notEqualPs)         // true for NaN
KEST_LANES_F (equalTo, equalToPs)
KEST_LANES_F (greaterEqual, greaterEqualPs)
KEST_LANES_F (notGreaterThan, notGreaterThanPs) // true for NaN
KEST_LANES_F (andLanes, _mm256_and_ps)
KEST_LANES_F (orLanes, _mm256_or_ps)
KEST_LANES_F (xorLanes, _mm256_xor_ps)
KEST_LANES_F (andNotLanes, _mm256_andnot_ps)

KEST_LANES_I (operator+, _mm256_add_epi32)
KEST_LANES_I (operator-, _mm256_sub_epi32)
KEST_LANES_I (operator&, _mm256_and_si256)
KEST_LANES_I (operator|, _mm256_or_si256)
KEST_LANES_I (operator^, _mm256_xor_si256)
KEST_LANES_I (equal, _mm256_cmpeq_epi32)
KEST_LANES_I (greaterThan, _mm256_cmpgt_epi32)

KEST_LANES_D (operator+, _mm256_add_pd)
KEST_LANES_D (operator-, _mm256_sub_pd)
KEST_LANES_D (operator*, _mm256_mul_pd)
KEST_LANES_D (operator/, _mm256_div_pd)
KEST_LANES_D (minOf, _mm256_min_pd)
KEST_LANES_D (maxOf, _mm256_max_pd)
KEST_LANES_D (greaterEqual, greaterEqualPd)
KEST_LANES_D (lessEqual, lessEqualPd)
KEST_LANES_D (notEqual, notEqualPd)
KEST_LANES_D (andLanes, _mm256_and_pd)
KEST_LANES_D (andNotLanes, _mm256_andnot_pd)

#undef KEST_LANES_F
#undef KEST_LANES_I
#undef KEST_LANES_D

inline F8 sqrtOf (F8 a) noexcept   { return { _mm256_sqrt_ps (a.v) }; }
inline F8 asFloat (I8 a) noexcept  { return { _mm256_castsi256_ps (a.v) }; }
inline I8 asInt (F8 a) noexcept    { return { _mm256_castps_si256 (a.v) }; }
inline F8 toFloat (I8 a) noexcept  { return { _mm256_cvtepi32_ps (a.v) }; }
inline I8 truncate (F8 a) noexcept { return { _mm256_cvttps_epi32 (a.v) }; }
inline F8 floorOf (F8 a) noexcept  { return { _mm256_floor_ps (a.v) }; }

inline int bitsOf (F8 mask) noexcept { return _mm256_movemask_ps (mask.v); }
inline int bitsOf (D8 mask) noexcept { return _mm256_movemask_pd (mask.v[0]) | _mm256_movemask_pd (mask.v[1]) << 4; }

template <int n> inline I8 shiftLeft (I8 a) noexcept  { return { _mm256_slli_epi32 (a.v, n) }; }
template <int n> inline I8 shiftRight (I8 a) noexcept { return { _mm256_srli_epi32 (a.v, n) }; }

inline D8 toDouble (F8 a) noexcept
{
    return { { _mm256_cvtps_pd (_mm256_castps256_ps128 (a.v)), _mm256_cvtps_pd (_mm256_extractf128_ps (a.v, 1)) } };
}

inline F8 toFloat (D8 a) noexcept
{
    return { _mm256_insertf128_ps (_mm256_castps128_ps256 (_mm256_cvtpd_ps (a.v[0])), _mm256_cvtpd_ps (a.v[1]), 1) };
}

/** The bits of each double lane as a 64-bit integer. */
struct U8
{
    __m256i v[2];
};

inline U8 bitsAsIntegers (D8 a) noexcept
{
    return { { _mm256_castpd_si256 (a.v[0]), _mm256_castpd_si256 (a.v[1]) } };
}

inline D8 scaleFromTable (U8 ki) noexcept
{
    const auto* table = (const long long*) ExpTwoLanes::table;
    const __m256i low = _mm256_set1_epi64x (ExpTwoLanes::tableSize - 1);
    D8 result;
    for (int i = 0; i < 2; ++i)
    {
        const __m256i entry = _mm256_i64gather_epi64 (table, _mm256_and_si256 (ki.v[i], low), 8);
        const __m256i bits = _mm256_add_epi64 (entry, _mm256_slli_epi64 (ki.v[i], 52 - ExpTwoLanes::tableBits));
        result.v[i] = _mm256_castsi256_pd (bits);
    }
    return result;
}

inline F8 select (F8 mask, F8 a, F8 b) noexcept { return { _mm256_blendv_ps (b.v, a.v, mask.v) }; }
inline I8 select (I8 mask, I8 a, I8 b) noexcept { return { _mm256_blendv_epi8 (b.v, a.v, mask.v) }; }


constexpr int groupsInFlight = 2; // sixteen registers hold most of two groups' ladders

#include "engine/ExpTwoLanesKernel.h"
#include "engine/VoiceLaneKernel.h"
} // namespace

void renderVoiceLanesAvx2 (VoiceLanes& lanes, int numGroups, int numSamples) noexcept
{
    renderLanes (lanes, numGroups, numSamples);
}

void exp2VoiceLanesAvx2 (const float* in, float* out) noexcept
{
    exp2Lanes (F8::load (in)).store (out);
}

void oscillatorHzVoiceLanesAvx2 (const double* pitch, float* out) noexcept
{
    oscillatorHzLanes (D8::load (pitch)).store (out);
}

 #if defined(__clang__)
  #pragma clang attribute pop
 #else
  #pragma GCC pop_options
 #endif

#else
void renderVoiceLanesAvx2 (VoiceLanes& lanes, int numGroups, int numSamples) noexcept
{
    renderVoiceLanesSse2 (lanes, numGroups, numSamples);
}

void exp2VoiceLanesAvx2 (const float* in, float* out) noexcept
{
    exp2VoiceLanesSse2 (in, out);
}

void oscillatorHzVoiceLanesAvx2 (const double* pitch, float* out) noexcept
{
    oscillatorHzVoiceLanesSse2 (pitch, out);
}
#endif
