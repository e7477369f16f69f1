#pragma once

/** The level meter of one output channel: a squared peak level that falls
    with a fixed decay per sample, and a clip indicator held for a number of
    samples after any sample at or beyond full scale. */
namespace LevelMeter
{
/** Follows count samples in order: level becomes the larger of the squared
    sample and level x decay; a sample whose square reaches 1.0 (full scale,
    0 dBFS, included) restarts the clip hold at holdLength, any other lowers
    a running hold by one.  Audio thread; allocation-free. */
void follow (const float* samples, int count, float decay, int holdLength, float& level, int& clipHold) noexcept;
} // namespace LevelMeter
