// Synth404::renderAdding: many voices at once.  Each voice runs its own
// control stage (stepControls, scalar), sixteen samples at a time; the audio
// stage then runs four voices per SIMD register with exactly the operations of
// stepAudio() and LadderFilter in the same order.  Every lane operation is a
// correctly rounded IEEE single-precision operation (add, multiply, divide,
// square root, sign bits), so each lane computes what the plain render
// computes for its voice.  Up to four registers (sixteen voices) are in flight
// together: the ladder is one long dependent chain per voice, so independent
// voices are what keeps the processor busy.

#include "engine/Synth404.h"

#include "engine/CatmullRomCoefficients.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__) || defined(_M_X64)
 #include <emmintrin.h>
 #define KEST_SYNTH404_SSE 1
#else
 #define KEST_SYNTH404_SSE 0
#endif

namespace
{
#if KEST_SYNTH404_SSE
/** Four floats in one SSE register. */
struct Lanes
{
    __m128 v;

    static Lanes load (const float* p) noexcept      { return { _mm_load_ps (p) }; }
    static Lanes broadcast (float x) noexcept        { return { _mm_set1_ps (x) }; }
    void store (float* p) const noexcept             { _mm_store_ps (p, v); }

    friend Lanes operator+ (Lanes a, Lanes b) noexcept { return { _mm_add_ps (a.v, b.v) }; }
    friend Lanes operator- (Lanes a, Lanes b) noexcept { return { _mm_sub_ps (a.v, b.v) }; }
    friend Lanes operator* (Lanes a, Lanes b) noexcept { return { _mm_mul_ps (a.v, b.v) }; }
    friend Lanes operator/ (Lanes a, Lanes b) noexcept { return { _mm_div_ps (a.v, b.v) }; }

    static Lanes sqrt (Lanes a) noexcept             { return { _mm_sqrt_ps (a.v) }; }
    static Lanes signMask() noexcept                 { return { _mm_set1_ps (-0.0f) }; }
    static Lanes abs (Lanes a) noexcept              { return { _mm_andnot_ps (signMask().v, a.v) }; }
    /** |magnitude| with the sign of sign (std::copysign). */
    static Lanes copySign (Lanes magnitude, Lanes sign) noexcept
    {
        const __m128 m = signMask().v;
        return { _mm_or_ps (_mm_andnot_ps (m, magnitude.v), _mm_and_ps (m, sign.v)) };
    }
    /** -copysign (magnitude, sign). */
    static Lanes negatedCopySign (Lanes magnitude, Lanes sign) noexcept
    {
        const __m128 m = signMask().v;
        return { _mm_xor_ps (copySign (magnitude, sign).v, m) };
    }
};
#else
/** Four floats, one after the other (targets without SSE). */
struct Lanes
{
    float v[4];

    template <typename Function>
    static Lanes map (Function f) noexcept
    {
        Lanes r;
        for (int i = 0; i < 4; ++i)
            r.v[i] = f (i);
        return r;
    }

    static Lanes load (const float* p) noexcept      { return map ([p] (int i) { return p[i]; }); }
    static Lanes broadcast (float x) noexcept        { return map ([x] (int) { return x; }); }
    void store (float* p) const noexcept             { std::copy (v, v + 4, p); }

    friend Lanes operator+ (Lanes a, Lanes b) noexcept { return map ([&] (int i) { return a.v[i] + b.v[i]; }); }
    friend Lanes operator- (Lanes a, Lanes b) noexcept { return map ([&] (int i) { return a.v[i] - b.v[i]; }); }
    friend Lanes operator* (Lanes a, Lanes b) noexcept { return map ([&] (int i) { return a.v[i] * b.v[i]; }); }
    friend Lanes operator/ (Lanes a, Lanes b) noexcept { return map ([&] (int i) { return a.v[i] / b.v[i]; }); }

    static Lanes sqrt (Lanes a) noexcept             { return map ([&] (int i) { return std::sqrt (a.v[i]); }); }
    static Lanes abs (Lanes a) noexcept              { return map ([&] (int i) { return std::fabs (a.v[i]); }); }
    static Lanes copySign (Lanes m, Lanes s) noexcept { return map ([&] (int i) { return std::copysign (m.v[i], s.v[i]); }); }
    static Lanes negatedCopySign (Lanes m, Lanes s) noexcept { return map ([&] (int i) { return -std::copysign (m.v[i], s.v[i]); }); }
};
#endif

constexpr int lanesPerRegister = 4;
constexpr int maxRegisters = 4;
constexpr int maxLanes = lanesPerRegister * maxRegisters;
constexpr int subBlock = 16;

/** The per-sample inputs of the audio stage, [sample][lane]. */
struct alignas (16) LaneControls
{
    float mix[subBlock][maxLanes];
    float ladderG[subBlock][maxLanes];
    float hpG[subBlock][maxLanes];
    float shelfG[subBlock][maxLanes];
    float shelfA[subBlock][maxLanes];
    float shelfB[subBlock][maxLanes];
    float feedbackGain[subBlock][maxLanes];
    float outGain[subBlock][maxLanes];
    float ampGain[subBlock][maxLanes];
    float driveOut[subBlock][maxLanes];
};

/** The audio stage's state of every lane, [lane]. */
struct alignas (16) LaneStates
{
    float s[4][maxLanes];
    float hp[maxLanes], shelf[maxLanes];
    float history[4][maxLanes];
    float decimator[4][maxLanes];
    float follower[maxLanes], followerCoef[maxLanes];
    float satOutGain[maxLanes];
};

/** The output saturator (see saturateOutput in Synth404Render.cpp). */
inline Lanes saturateOutput (Lanes z) noexcept
{
    const Lanes a = Lanes::abs (z);
    const Lanes r = Lanes::broadcast (0.5416388f)
                  * ((Lanes::broadcast (1.0f) + a)
                     - Lanes::sqrt (z * z - Lanes::broadcast (1.6924973f) * a + Lanes::broadcast (1.0f)));
    return Lanes::negatedCopySign (r, z);
}

/** LadderFilter::saturate. */
inline Lanes saturateInput (Lanes v) noexcept
{
    const Lanes a = Lanes::abs (v);
    const Lanes onePlus = Lanes::broadcast (1.0f) + a;
    const Lanes r = Lanes::broadcast (2.0f) * a
                  / (onePlus + Lanes::sqrt (onePlus * onePlus - Lanes::broadcast (3.6817882f) * a));
    return Lanes::copySign (r, v);
}

/** The audio stage for numSamples samples of R registers of lanes; outputs
    [sample][lane]. */
template <int R>
void runAudioStage (const LaneControls& c, LaneStates& st, int numSamples, float (*out)[maxLanes]) noexcept
{
    const auto& U = upsamplingTable();
    const Lanes one = Lanes::broadcast (1.0f), two = Lanes::broadcast (2.0f);

    Lanes s0[R], s1[R], s2[R], s3[R], hp[R], shelf[R], h[4][R], dec[4][R], follower[R];
    for (int r = 0; r < R; ++r)
    {
        const int l = r * lanesPerRegister;
        s0[r] = Lanes::load (&st.s[0][l]);
        s1[r] = Lanes::load (&st.s[1][l]);
        s2[r] = Lanes::load (&st.s[2][l]);
        s3[r] = Lanes::load (&st.s[3][l]);
        hp[r] = Lanes::load (&st.hp[l]);
        shelf[r] = Lanes::load (&st.shelf[l]);
        for (int j = 0; j < 4; ++j)
        {
            h[j][r] = Lanes::load (&st.history[j][l]);
            dec[j][r] = Lanes::load (&st.decimator[j][l]);
        }
        follower[r] = Lanes::load (&st.follower[l]);
    }

    for (int n = 0; n < numSamples; ++n)
    {
        Lanes G[R], hpG[R], shelfG[R], shelfA[R], shelfB[R], fbGain[R], x[4][R], o[4][R];

        for (int r = 0; r < R; ++r)
        {
            const int l = r * lanesPerRegister;
            G[r] = Lanes::load (&c.ladderG[n][l]);
            hpG[r] = Lanes::load (&c.hpG[n][l]);
            shelfG[r] = Lanes::load (&c.shelfG[n][l]);
            shelfA[r] = Lanes::load (&c.shelfA[n][l]);
            shelfB[r] = Lanes::load (&c.shelfB[n][l]);
            fbGain[r] = Lanes::load (&c.feedbackGain[n][l]);

            // 14. History, newest first.
            h[3][r] = h[2][r];
            h[2][r] = h[1][r];
            h[1][r] = h[0][r];
            h[0][r] = Lanes::load (&c.mix[n][l]);

            // 15. Up-sampling.
            for (int k = 0; k < 4; ++k)
                x[k][r] = Lanes::broadcast (U[k][0]) * h[0][r] + Lanes::broadcast (U[k][1]) * h[1][r]
                        + Lanes::broadcast (U[k][2]) * h[2][r] + Lanes::broadcast (U[k][3]) * h[3][r];
        }

        // 16. The ladder (LadderFilter::processOne), register by register so
        // that the independent chains interleave.
        for (int k = 0; k < 4; ++k)
        {
            for (int r = 0; r < R; ++r)
            {
                const Lanes g = G[r];
                const Lanes S = ((s0[r] * g + s1[r]) * g + s2[r]) * g + s3[r];
                const Lanes fb = fbGain[r] * (shelfA[r] * ((one - hpG[r]) * S - hp[r]) + shelfB[r] * shelf[r]);
                const Lanes in = saturateInput (x[k][r] - fb);
                const Lanes a1 = g * in + s0[r];
                const Lanes a2 = g * a1 + s1[r];
                const Lanes a3 = g * a2 + s2[r];
                const Lanes y = g * a3 + s3[r];
                const Lanes g2 = two * g;
                s0[r] = s0[r] + g2 * (in - a1);
                s1[r] = s1[r] + g2 * (a1 - a2);
                s2[r] = s2[r] + g2 * (a2 - a3);
                s3[r] = s3[r] + g2 * (a3 - y);
                const Lanes lp = hpG[r] * y + hp[r];
                const Lanes hpOut = y - lp;
                hp[r] = hp[r] + two * hpG[r] * hpOut;
                const Lanes lp2 = shelfG[r] * hpOut + shelf[r];
                shelf[r] = shelf[r] + two * shelfG[r] * (hpOut - lp2);
                o[k][r] = y;
            }
        }

        for (int r = 0; r < R; ++r)
        {
            const int l = r * lanesPerRegister;
            const Lanes outGain = Lanes::load (&c.outGain[n][l]);
            for (int k = 0; k < 4; ++k)
                o[k][r] = saturateOutput (o[k][r] * outGain);

            // 17. Down-sampling.
            for (int k = 0; k < 4; ++k)
                for (int j = 0; j < 4; ++j)
                    dec[j][r] = dec[j][r] + Lanes::broadcast (U[3 - k][j]) * o[k][r];
            const Lanes y = dec[0][r] * Lanes::broadcast (0.25f);
            dec[0][r] = dec[1][r];
            dec[1][r] = dec[2][r];
            dec[2][r] = dec[3][r];
            dec[3][r] = Lanes::broadcast (0.0f);
            follower[r] = follower[r] + ((Lanes::abs (y) - follower[r]) * Lanes::load (&st.followerCoef[l])
                                         + Lanes::broadcast (1e-15f));

            // 19.
            const Lanes gainOut = Lanes::load (&c.driveOut[n][l]);
            const Lanes result = y * Lanes::load (&c.ampGain[n][l]) * (gainOut + Lanes::broadcast (16.0f))
                               / (Lanes::broadcast (17.0f) * gainOut) * Lanes::load (&st.satOutGain[l]);
            result.store (&out[n][l]);
        }
    }

    for (int r = 0; r < R; ++r)
    {
        const int l = r * lanesPerRegister;
        s0[r].store (&st.s[0][l]);
        s1[r].store (&st.s[1][l]);
        s2[r].store (&st.s[2][l]);
        s3[r].store (&st.s[3][l]);
        hp[r].store (&st.hp[l]);
        shelf[r].store (&st.shelf[l]);
        for (int j = 0; j < 4; ++j)
        {
            h[j][r].store (&st.history[j][l]);
            dec[j][r].store (&st.decimator[j][l]);
        }
        follower[r].store (&st.follower[l]);
    }
}
} // namespace

void Synth404::renderAdding (Synth404* const* voices, int numVoices, float* left, float* right, int count)
{
    for (int first = 0; first < numVoices; first += maxLanes)
    {
        const int used = std::min (maxLanes, numVoices - first);
        const int registers = (used + lanesPerRegister - 1) / lanesPerRegister;
        Synth404* const* group = voices + first;

        // Unused lanes run on zero states and coefficients; their output is
        // never read.
        LaneStates st {};
        LaneControls c {};
        for (auto& row : c.driveOut)
            std::fill (std::begin (row), std::end (row), 1.0f);

        RenderLocals locals[maxLanes];
        for (int v = 0; v < used; ++v)
        {
            const auto& voice = *group[v];
            voice.beginRender (locals[v]);
            for (int i = 0; i < 4; ++i)
            {
                st.s[i][v] = voice.filter.ladderState[(size_t) i];
                st.history[i][v] = voice.history[(size_t) i];
                st.decimator[i][v] = voice.decimator[(size_t) i];
            }
            st.hp[v] = voice.filter.hpState;
            st.shelf[v] = voice.filter.shelfState;
            st.follower[v] = voice.outputFollower;
            st.followerCoef[v] = voice.outputFollowerCoef;
            st.satOutGain[v] = voice.satOutGain;
        }

        alignas (16) float out[subBlock][maxLanes];
        float cutoffNotes[subBlock];

        for (int done = 0; done < count; done += subBlock)
        {
            const int num = std::min (subBlock, count - done);

            for (int v = 0; v < used; ++v)
            {
                auto& voice = *group[v];
                for (int n = 0; n < num; ++n)
                {
                    const SampleControls sc = voice.stepControls (locals[v]);
                    c.mix[n][v] = sc.mix;
                    c.outGain[n][v] = sc.outGain;
                    c.ampGain[n][v] = sc.ampGain;
                    c.driveOut[n][v] = sc.driveOut;
                    cutoffNotes[n] = sc.cutoffNote;
                    c.hpG[n][v] = voice.filter.hpG;
                    c.shelfG[n][v] = voice.filter.shelfG;
                    c.shelfA[n][v] = voice.filter.shelfA;
                    c.shelfB[n][v] = voice.filter.shelfB;
                    c.feedbackGain[n][v] = voice.filter.feedbackGain;
                }
                for (int n = 0; n < num; ++n)
                    c.ladderG[n][v] = voice.stepCutoff (locals[v], cutoffNotes[n]);
            }

            switch (registers)
            {
                case 1:  runAudioStage<1> (c, st, num, out); break;
                case 2:  runAudioStage<2> (c, st, num, out); break;
                case 3:  runAudioStage<3> (c, st, num, out); break;
                default: runAudioStage<4> (c, st, num, out); break;
            }

            // Added voice by voice, as the pool adds rendered voices.
            for (int n = 0; n < num; ++n)
            {
                float sum = left[done + n];
                for (int v = 0; v < used; ++v)
                    sum += out[n][v];
                left[done + n] = sum;
            }
            if (right != nullptr)
            {
                for (int n = 0; n < num; ++n)
                {
                    float sum = right[done + n];
                    for (int v = 0; v < used; ++v)
                        sum += out[n][v];
                    right[done + n] = sum;
                }
            }
        }

        for (int v = 0; v < used; ++v)
        {
            auto& voice = *group[v];
            for (int i = 0; i < 4; ++i)
            {
                voice.filter.ladderState[(size_t) i] = st.s[i][v];
                voice.history[(size_t) i] = st.history[i][v];
                voice.decimator[(size_t) i] = st.decimator[i][v];
            }
            voice.filter.hpState = st.hp[v];
            voice.filter.shelfState = st.shelf[v];
            voice.outputFollower = st.follower[v];
            voice.outputFollowerShared.store (voice.outputFollower, std::memory_order_relaxed);
        }
    }
}
