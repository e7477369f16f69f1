#pragma once

#include "engine/MidiMappingRegistry.h"
#include "engine/RpnState.h"

#include <array>
#include <cstdint>

/** Applies mapped MIDI control messages to parameter records.

    For each controller, channel-pressure and pitch-bend message the mapping
    registry is tried without waiting (a busy lock loses only that event).
    The exact-channel mappings of the message apply; only when there are none
    do the any-channel ones.  Each mapping sets its record's value, dirty flag
    and setter: no preset mark, no host notification.

    A controller with no mapping of its own drives the channel's registered /
    non-registered parameter state: 101/100 and 99/98 select a number, 6 and
    38 enter data, 96 and 97 step the value by 129 on the 14-bit scale.  A
    stepped value is held inside 0..range, so stepping never wraps a parameter
    from one end of its range to the other.
*/
class MidiControlProcessor
{
public:
    using RpnStates = std::array<RpnState, 16>;

    /** Keeps references to the registry and the sixteen channel states. */
    MidiControlProcessor (const MidiMappingRegistry& registryToUse, RpnStates& statesToUse) noexcept;

    /** Maps one raw MIDI message (other kinds are ignored).  Audio thread only;
        takes no blocking lock and allocates nothing. */
    void handleMidiEvent (const std::uint8_t* data, int numBytes) noexcept;

private:
    bool applyMappings (std::uint32_t key, std::uint32_t value) const noexcept;
    void handleParameterNumber (unsigned channel, unsigned controllerNumber, std::uint32_t value) noexcept;
    MidiMappingRegistry::Range findExactOrAnyChannel (std::uint32_t key) const noexcept;

    const MidiMappingRegistry& registry;
    RpnStates& rpnStates;
};
