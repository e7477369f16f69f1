#include "engine/ResamplerState.h"

#include "engine/CatmullRomCoefficients.h"

#include <algorithm>
#include <cstddef>

namespace Korvalden::DSP
{
void resampleCubic (ResamplerState& state, const float* input, float* output,
                    unsigned& inCount, unsigned& outCount) noexcept
{
    const float a = state.sourceRate;
    const float b = state.targetRate;
    const unsigned available = inCount;
    const unsigned room = outCount;
    unsigned consumed = 0, written = 0;
    auto& history = state.history;
    float phase = state.phase;

    if (b > a)
    {
        while (consumed < available && written < room)
        {
            const float t = phase / b;
            history[0] = input[consumed];
            output[written++] = catmullRomWeight (0, t) * history[0] + catmullRomWeight (1, t) * history[1]
                              + catmullRomWeight (2, t) * history[2] + catmullRomWeight (3, t) * history[3];
            phase += a;
            if (phase >= b)
            {
                phase -= b;
                history[3] = history[2];
                history[2] = history[1];
                history[1] = history[0];
                ++consumed;
            }
        }
    }
    else
    {
        const float gain = b / a;
        while (consumed < available && written < room)
        {
            const float t = phase / a;
            const float x = input[consumed++];
            for (int j = 0; j < 4; ++j)
                history[(std::size_t) j] += catmullRomWeight (j, t) * x;
            phase -= b;
            if (phase < 0.0f)
            {
                phase += a;
                output[written++] = history[0] * gain;
                history[0] = history[1];
                history[1] = history[2];
                history[2] = history[3];
                history[3] = 0.0f;
            }
        }
    }

    state.phase = phase;
    inCount = consumed;
    outCount = written;
}

bool hasSilentHistory (const ResamplerState& state) noexcept
{
    return state.history[0] == 0.0f && state.history[1] == 0.0f && state.history[2] == 0.0f && state.history[3] == 0.0f;
}

void resampleSilence (ResamplerState& state, float* output, unsigned& inCount, unsigned& outCount) noexcept
{
    const float a = state.sourceRate;
    const float b = state.targetRate;
    const unsigned available = inCount;
    const unsigned room = outCount;
    const float startPhase = state.phase;
    float phase = startPhase;
    unsigned consumed = 0, written = 0;
    bool repeated = false;

    // Called where resampleCubic's loop state is its phase alone.
    auto skipRepeats = [&]
    {
        if (repeated || phase != startPhase)
            return;
        repeated = true;
        const unsigned periods = std::min ((available - consumed) / consumed, (room - written) / written);
        consumed += periods * consumed;
        written += periods * written;
    };

    if (b > a)
    {
        while (consumed < available && written < room)
        {
            ++written;
            phase += a;
            if (phase >= b)
            {
                phase -= b;
                ++consumed;
                skipRepeats();
            }
        }
    }
    else
    {
        while (consumed < available && written < room)
        {
            ++consumed;
            phase -= b;
            if (phase < 0.0f)
            {
                phase += a;
                ++written;
                skipRepeats();
            }
        }
    }

    if (output != nullptr)
        std::fill (output, output + written, 0.0f);
    state.phase = phase;
    inCount = consumed;
    outCount = written;
}
} // namespace Korvalden::DSP
