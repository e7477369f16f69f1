// The voice lanes on SSE2, which every x86-64 processor has: eight lanes are
// two 128-bit registers (four for doubles).  Elsewhere the lanes run one
// after the other in plain code.

#include "engine/VoiceLanes.h"

#include "engine/BandlimitedWavetableSet.h"
#include "engine/CatmullRomCoefficients.h"
#include "engine/ExpTwoLanes.h"
#include "engine/PhaseWrap.h"


#if defined(__SSE2__) || defined(_M_X64)
 #include <emmintrin.h>

namespace
{
constexpr int halves = 2;

struct I8;

/** Eight floats. */
struct F8
{
    __m128 v[halves];

    static F8 load (const float* p) noexcept       { return { { _mm_load_ps (p), _mm_load_ps (p + 4) } }; }
    static F8 broadcast (float x) noexcept         { return { { _mm_set1_ps (x), _mm_set1_ps (x) } }; }
    void store (float* p) const noexcept           { _mm_store_ps (p, v[0]); _mm_store_ps (p + 4, v[1]); }
};

/** Eight 32-bit integers. */
struct I8
{
    __m128i v[halves];

    static I8 load (const int32_t* p) noexcept
    {
        return { { _mm_load_si128 ((const __m128i*) p), _mm_load_si128 ((const __m128i*) (p + 4)) } };
    }
    static I8 broadcast (int32_t x) noexcept       { return { { _mm_set1_epi32 (x), _mm_set1_epi32 (x) } }; }
    void store (int32_t* p) const noexcept
    {
        _mm_store_si128 ((__m128i*) p, v[0]);
        _mm_store_si128 ((__m128i*) (p + 4), v[1]);
    }
};

/** Eight doubles. */
struct D8
{
    __m128d v[4];

    static D8 load (const double* p) noexcept
    {
        return { { _mm_load_pd (p), _mm_load_pd (p + 2), _mm_load_pd (p + 4), _mm_load_pd (p + 6) } };
    }
    static D8 broadcast (double x) noexcept        { const __m128d b = _mm_set1_pd (x); return { { b, b, b, b } }; }
    void store (double* p) const noexcept
    {
        for (int i = 0; i < 4; ++i)
            _mm_store_pd (p + 2 * i, v[i]);
    }
};

#define KEST_LANES_F(name, op) \
    inline F8 name (F8 a, F8 b) noexcept { return { { op (a.v[0], b.v[0]), op (a.v[1], b.v[1]) } }; }
#define KEST_LANES_I(name, op) \
    inline I8 name (I8 a, I8 b) noexcept { return { { op (a.v[0], b.v[0]), op (a.v[1], b.v[1]) } }; }
#define KEST_LANES_D(name, op) \
    inline D8 name (D8 a, D8 b) noexcept { return { { op (a.v[0], b.v[0]), op (a.v[1], b.v[1]), op (a.v[2], b.v[2]), op (a.v[3], b.v[3]) } }; }

KEST_LANES_F (operator+, _mm_add_ps)
KEST_LANES_F (operator-, _mm_sub_ps)
KEST_LANES_F (operator*, _mm_mul_ps)
KEST_LANES_F (operator/, _mm_div_ps)
KEST_LANES_F (minOf, _mm_min_ps)            // a < b ? a : b
KEST_LANES_F (maxOf, _mm_max_ps)            // a > b ? a : b
KEST_LANES_F (lessThan, _mm_cmplt_ps)
KEST_LANES_F (lessEqual, _mm_cmple_ps)
KEST_LANES_F (greaterThan, _mm_cmpgt_ps)
KEST_LANES_F (notEqual, _mm_cmpneq_ps)      // true for NaN
KEST_LANES_F (equalTo, _mm_cmpeq_ps)
KEST_LANES_F (greaterEqual, _mm_cmpge_ps)
KEST_LANES_F (notGreaterThan, _mm_cmpngt_ps) // true for NaN
KEST_LANES_F (andLanes, _mm_and_ps)
KEST_LANES_F (orLanes, _mm_or_ps)
KEST_LANES_F (xorLanes, _mm_xor_ps)
KEST_LANES_F (andNotLanes, _mm_andnot_ps)   // ~a & b

KEST_LANES_I (operator+, _mm_add_epi32)
KEST_LANES_I (operator-, _mm_sub_epi32)
KEST_LANES_I (operator&, _mm_and_si128)
KEST_LANES_I (operator|, _mm_or_si128)
KEST_LANES_I (operator^, _mm_xor_si128)
KEST_LANES_I (equal, _mm_cmpeq_epi32)
KEST_LANES_I (greaterThan, _mm_cmpgt_epi32)
KEST_LANES_I (andNotLanes, _mm_andnot_si128)

KEST_LANES_D (operator+, _mm_add_pd)
KEST_LANES_D (operator-, _mm_sub_pd)
KEST_LANES_D (operator*, _mm_mul_pd)
KEST_LANES_D (operator/, _mm_div_pd)
KEST_LANES_D (minOf, _mm_min_pd)
KEST_LANES_D (maxOf, _mm_max_pd)
KEST_LANES_D (greaterEqual, _mm_cmpge_pd)
KEST_LANES_D (lessEqual, _mm_cmple_pd)
KEST_LANES_D (notEqual, _mm_cmpneq_pd)
KEST_LANES_D (andLanes, _mm_and_pd)
KEST_LANES_D (andNotLanes, _mm_andnot_pd)

#undef KEST_LANES_F
#undef KEST_LANES_I
#undef KEST_LANES_D

inline F8 sqrtOf (F8 a) noexcept  { return { { _mm_sqrt_ps (a.v[0]), _mm_sqrt_ps (a.v[1]) } }; }
inline F8 asFloat (I8 a) noexcept { return { { _mm_castsi128_ps (a.v[0]), _mm_castsi128_ps (a.v[1]) } }; }
inline I8 asInt (F8 a) noexcept   { return { { _mm_castps_si128 (a.v[0]), _mm_castps_si128 (a.v[1]) } }; }
inline F8 toFloat (I8 a) noexcept { return { { _mm_cvtepi32_ps (a.v[0]), _mm_cvtepi32_ps (a.v[1]) } }; }
inline I8 truncate (F8 a) noexcept { return { { _mm_cvttps_epi32 (a.v[0]), _mm_cvttps_epi32 (a.v[1]) } }; }

inline int bitsOf (F8 mask) noexcept { return _mm_movemask_ps (mask.v[0]) | _mm_movemask_ps (mask.v[1]) << 4; }
inline int bitsOf (D8 mask) noexcept
{
    return _mm_movemask_pd (mask.v[0]) | _mm_movemask_pd (mask.v[1]) << 2
         | _mm_movemask_pd (mask.v[2]) << 4 | _mm_movemask_pd (mask.v[3]) << 6;
}

template <int n> inline I8 shiftLeft (I8 a) noexcept  { return { { _mm_slli_epi32 (a.v[0], n), _mm_slli_epi32 (a.v[1], n) } }; }
template <int n> inline I8 shiftRight (I8 a) noexcept { return { { _mm_srli_epi32 (a.v[0], n), _mm_srli_epi32 (a.v[1], n) } }; }

inline D8 toDouble (F8 a) noexcept
{
    return { { _mm_cvtps_pd (a.v[0]), _mm_cvtps_pd (_mm_movehl_ps (a.v[0], a.v[0])),
               _mm_cvtps_pd (a.v[1]), _mm_cvtps_pd (_mm_movehl_ps (a.v[1], a.v[1])) } };
}

inline F8 toFloat (D8 a) noexcept
{
    return { { _mm_movelh_ps (_mm_cvtpd_ps (a.v[0]), _mm_cvtpd_ps (a.v[1])),
               _mm_movelh_ps (_mm_cvtpd_ps (a.v[2]), _mm_cvtpd_ps (a.v[3])) } };
}

/** The bits of each double lane as a 64-bit integer. */
struct U8
{
    __m128i v[4];
};

inline U8 bitsAsIntegers (D8 a) noexcept
{
    return { { _mm_castpd_si128 (a.v[0]), _mm_castpd_si128 (a.v[1]), _mm_castpd_si128 (a.v[2]), _mm_castpd_si128 (a.v[3]) } };
}

/** 2^(k / 32) x 2^(ki / 32 whole part) from the table and the shift's bits. */
inline D8 scaleFromTable (U8 ki) noexcept
{
    const auto& table = ExpTwoLanes::table;
    alignas (16) uint64_t keys[8], scaled[8];
    for (int i = 0; i < 4; ++i)
        _mm_store_si128 ((__m128i*) (keys + 2 * i), ki.v[i]);
    for (int i = 0; i < 8; ++i)
        scaled[i] = table[keys[i] % ExpTwoLanes::tableSize] + (keys[i] << (52 - ExpTwoLanes::tableBits));
    return D8::load ((const double*) (const void*) scaled);
}

/** mask ? a : b, lane by lane. */
inline F8 select (F8 mask, F8 a, F8 b) noexcept { return orLanes (andLanes (mask, a), andNotLanes (mask, b)); }
inline I8 select (I8 mask, I8 a, I8 b) noexcept { return (mask & a) | andNotLanes (mask, b); }

/** std::floor: whole numbers below 2^23 from the truncation, one less where
    it rounded up, the sign of zero kept; larger values, infinities and NaN
    are their own floor. */
inline F8 floorOf (F8 a) noexcept
{
    const F8 sign = F8::broadcast (-0.0f);
    F8 t = toFloat (truncate (a));
    t = t - andLanes (greaterThan (t, a), F8::broadcast (1.0f));
    t = orLanes (t, andLanes (a, sign));
    return select (lessThan (andNotLanes (sign, a), F8::broadcast (8388608.0f)), t, a);
}

constexpr int groupsInFlight = 1; // two registers per eight lanes: one group's ladder fills them

#include "engine/ExpTwoLanesKernel.h"
#include "engine/VoiceLaneKernel.h"
} // namespace

void renderVoiceLanesSse2 (VoiceLanes& lanes, int numGroups, int numSamples) noexcept
{
    renderLanes (lanes, numGroups, numSamples);
}

void exp2VoiceLanesSse2 (const float* in, float* out) noexcept
{
    exp2Lanes (F8::load (in)).store (out);
}

void oscillatorHzVoiceLanesSse2 (const double* pitch, float* out) noexcept
{
    oscillatorHzLanes (D8::load (pitch)).store (out);
}

#else
 #error "The voice lanes are written for x86-64 (SSE2)"
#endif
