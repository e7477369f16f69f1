#pragma once

#include <cstdint>

/** The registered / non-registered parameter selection of one MIDI channel.
    Written only by the audio thread. */
struct RpnState
{
    std::uint32_t rpnNumber = 0;
    std::uint32_t nrpnNumber = 0;
    std::uint32_t dataValue = 0;
    bool nrpnSelected = false;
};
