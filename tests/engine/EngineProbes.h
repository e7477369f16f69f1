#pragma once

#include "engine/AudioEngine.h"

/** The voices that the global and the four device controllers hold. */
inline size_t busyVoices (AudioEngine& engine)
{
    size_t count = engine.getGlobalController().getVoices().size();
    for (int d = 0; d < 4; ++d)
        count += engine.getDeviceController (d).getVoices().size();
    return count;
}
