#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

/** Measurements of rendered audio, as a listener's instruments would take
    them: level, pitch by zero crossings, duty cycle. */
namespace SignalMeasures
{
inline double rms (const std::vector<float>& x, int from, int to)
{
    from = std::max (0, from);
    to = std::min ((int) x.size(), to);
    double sum = 0.0;
    for (int i = from; i < to; ++i)
        sum += (double) x[(size_t) i] * x[(size_t) i];
    return to > from ? std::sqrt (sum / (to - from)) : 0.0;
}

inline double peak (const std::vector<float>& x, int from, int to)
{
    double m = 0.0;
    for (int i = std::max (0, from); i < std::min ((int) x.size(), to); ++i)
        m = std::max (m, (double) std::fabs (x[(size_t) i]));
    return m;
}

/** The times (in samples, interpolated) at which the signal rises through
    zero after having been below -hysteresis x its peak in the window: one
    per cycle of a periodic wave, whatever ripple follows its edges. */
inline std::vector<double> risingCrossings (const std::vector<float>& x, int from, int to, double hysteresis = 0.3)
{
    from = std::max (0, from);
    to = std::min ((int) x.size(), to);
    const double threshold = hysteresis * peak (x, from, to);
    std::vector<double> times;
    bool armed = false;
    for (int i = from; i + 1 < to; ++i)
    {
        const float a = x[(size_t) i], b = x[(size_t) i + 1];
        if (a < -threshold)
            armed = true;
        if (armed && a < 0.0f && b >= 0.0f)
        {
            times.push_back (i + (double) a / ((double) a - (double) b));
            armed = false;
        }
    }
    return times;
}

/** The mean frequency in Hz over the window, from its rising zero crossings
    (0 when fewer than two). */
inline double frequency (const std::vector<float>& x, int from, int to, double rate)
{
    const auto times = risingCrossings (x, from, to);
    if (times.size() < 2)
        return 0.0;
    return (double) (times.size() - 1) * rate / (times.back() - times.front());
}

/** Hz as a (fractional) MIDI note number. */
inline double noteOf (double hertz)
{
    return hertz > 0.0 ? 69.0 + 12.0 * std::log2 (hertz / 440.0) : -1000.0;
}

/** The pitch over the window as a MIDI note number. */
inline double pitch (const std::vector<float>& x, int from, int to, double rate)
{
    return noteOf (frequency (x, from, to, rate));
}

/** The frequency of every cycle: one value per pair of successive rising
    crossings, with the time (samples) of the cycle's middle. */
struct Cycle
{
    double time;
    double hertz;
    double start, end;
};

inline std::vector<Cycle> cycles (const std::vector<float>& x, int from, int to, double rate)
{
    const auto times = risingCrossings (x, from, to);
    std::vector<Cycle> result;
    for (size_t i = 1; i < times.size(); ++i)
        result.push_back ({ 0.5 * (times[i] + times[i - 1]), rate / (times[i] - times[i - 1]), times[i - 1], times[i] });
    return result;
}

/** How long (in samples, from start to end, interpolating linearly between
    samples) the signal stays below the level. */
inline double timeBelow (const std::vector<float>& x, double start, double end, double level)
{
    double total = 0.0;
    for (int i = std::max (0, (int) std::floor (start)); i + 1 < (int) x.size() && i < end; ++i)
    {
        const double a = x[(size_t) i] - level, b = x[(size_t) i + 1] - level;
        const double from = std::max (start, (double) i), to = std::min (end, (double) i + 1);
        if (to <= from)
            continue;
        // The value along the segment is a + (b - a)(t - i): below zero on
        // one side of its root.
        const double va = a + (b - a) * (from - i), vb = a + (b - a) * (to - i);
        if (va < 0.0 && vb < 0.0)
            total += to - from;
        else if (va < 0.0 || vb < 0.0)
        {
            const double root = from + (to - from) * va / (va - vb);
            total += va < 0.0 ? root - from : to - root;
        }
    }
    return total;
}

/** The largest difference between a[aFrom + k] and b[bFrom + k] over count
    samples (a missing sample counts as 0). */
inline double maxDifference (const std::vector<float>& a, int aFrom, const std::vector<float>& b, int bFrom, int count)
{
    auto at = [] (const std::vector<float>& x, int i) { return i >= 0 && i < (int) x.size() ? (double) x[(size_t) i] : 0.0; };
    double m = 0.0;
    for (int k = 0; k < count; ++k)
        m = std::max (m, std::fabs (at (a, aFrom + k) - at (b, bFrom + k)));
    return m;
}

/** The first sample whose magnitude exceeds the threshold, or -1. */
inline int firstAbove (const std::vector<float>& x, double threshold, int from = 0)
{
    for (int i = std::max (0, from); i < (int) x.size(); ++i)
        if (std::fabs (x[(size_t) i]) > threshold)
            return i;
    return -1;
}
} // namespace SignalMeasures
