#include "engine/LevelMeter.h"

#include <algorithm>

void LevelMeter::follow (const float* samples, int count, float decay, int holdLength, float& level, int& clipHold) noexcept
{
    for (int i = 0; i < count; ++i)
    {
        const float squared = samples[i] * samples[i];
        level = std::max (squared, level * decay);

        if (squared >= 1.0f)
            clipHold = holdLength;
        else if (clipHold != 0)
            --clipHold;
    }
}
