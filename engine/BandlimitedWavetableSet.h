#pragma once

#include "engine/CatmullRomCoefficients.h"

#include <array>
#include <cstdint>
#include <vector>

/** One single-cycle sawtooth table: length is a power of two, mask = length - 1. */
struct BandlimitedWavetable
{
    uint32_t length = 0;
    uint32_t mask = 0;
    std::vector<float> data;
};

/** Reads a table at phase 0..1 (audio thread, allocation-free): with
    pos = length x phase, i = truncate(pos) and t = pos - i, the Catmull-Rom
    interpolation between entries i-1 (t = 0) and i (t = 1), with entries i-2
    and i+1 as the outer points (indices modulo the length). */
inline float readCatmullRom (const BandlimitedWavetable& table, float phase) noexcept
{
    const float pos = (float) table.length * phase;
    const int i = (int) pos;
    const float t = pos - (float) i;
    const float* data = table.data.data();
    const uint32_t mask = table.mask;
    return catmullRomWeight (0, t) * data[(uint32_t) (i + 1) & mask]
         + catmullRomWeight (1, t) * data[(uint32_t) i & mask]
         + catmullRomWeight (2, t) * data[(uint32_t) (i - 1) & mask]
         + catmullRomWeight (3, t) * data[(uint32_t) (i - 2) & mask];
}

/** The process-wide set of band-limited sawtooth tables of lengths 4..1024.

    The 1024 table is the base waveform
        w[n] = -(2 / pi) sum_{h=1..511} sin(2 pi h n / 1024) / h,
    a sawtooth falling at phase 0 and rising from about -1 to +1.  The table of
    length L keeps the harmonics below L / 2 of the base waveform's spectrum
    C_k (plus the real part of C_{L/2}) at unchanged amplitude:
        table_L[n] = C_0 + Re(C_{L/2}) (-1)^n + 2 sum_{k=1..L/2-1} Re(C_k e^(2 pi i k n / L)).
    A note reads the table whose length n is the smallest power of two with
    n x increment > 0.5, so every harmonic it holds lies below Nyquist.

    The set exists while at least one voice holds a reference.  The reference
    count and the build are guarded by a mutex, because voices may be created
    on a thread other than the owner thread (state restored by the host).
*/
class BandlimitedWavetableSet
{
public:
    static constexpr uint32_t minLength = 4;
    static constexpr uint32_t maxLength = 1024;

    /** Any thread except the audio thread (may build and allocate): takes a
        reference to the set, building it when there is none. */
    static const BandlimitedWavetableSet* acquire();

    /** Any thread except the audio thread: drops a reference; the last one
        frees the set. */
    static void release();

    /** Any thread: the number of references held (for diagnostics). */
    static uint32_t getReferenceCount();

    /** Any thread: the table length for a phase increment per sample: the
        smallest power of two n with n x increment > 0.5, clamped to 4..1024.
        The search stops at 1024 for any increment (zero and NaN included). */
    static uint32_t chooseLength (float increment) noexcept;

    /** Any thread, allocation-free: the table of a length returned by
        chooseLength (a power of two in 4..1024). */
    const BandlimitedWavetable& find (uint32_t length) const noexcept;

private:
    BandlimitedWavetableSet();

    static constexpr int numTables = 9; // 4, 8, ..., 1024
    std::array<BandlimitedWavetable, numTables> tables;
};
