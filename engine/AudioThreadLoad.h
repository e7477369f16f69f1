#pragma once

#include <atomic>
#include <cstdint>

/** How busy the audio thread is: the time the engine spends on each block
    against the block's own duration, smoothed with a one-pole over about
    0.3 s of audio.  0 is idle; 1 is a thread that needs a block's whole
    duration to compute it, the point where the output drops out.

    The audio thread adds one block at a time: the caller's two clock reads
    and one atomic store are its whole cost (no allocation, no lock).  Any
    thread reads the smoothed value.

    A block counts for 0..1 at most, so a single stall (a page fault, the
    thread preempted) moves the measure by no more than one block's share of
    the smoothing, and a block's weight follows its duration, so the
    smoothing takes the same time at any block length or rate. */
class AudioThreadLoad
{
public:
    /** The one-pole's time constant, in seconds of audio. */
    static constexpr double smoothingSeconds = 0.3;

    /** One block of numSamples at sampleRate took busyNanoseconds.  A block
        without samples, or a rate that is not a positive finite number,
        changes nothing.  Audio thread (one writer at a time). */
    void addBlock (std::int64_t busyNanoseconds, int numSamples, double sampleRate) noexcept;

    /** The smoothed load, 0..1.  Any thread. */
    float get() const noexcept { return load.load (std::memory_order_relaxed); }

    /** Starts again from value (limited to 0..1; anything that is not a
        number gives 0): after a prepare or a release, and for tests.  Any
        thread; a block added at the same time may undo it. */
    void reset (float value = 0.0f) noexcept;

private:
    std::atomic<float> load { 0.0f };

    // Audio thread only: the coefficient for the last block length seen.
    int coefficientSamples = 0;
    double coefficientRate = 0.0;
    double coefficient = 1.0;
};
