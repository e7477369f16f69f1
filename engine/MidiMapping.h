#pragma once

#include <cstdint>

struct ParameterRecord;

namespace Korvalden::Parameter
{
/** Binds one kind of incoming MIDI control message to one parameter record.

    A mapping's fields never change; the registry files it under the key
    computed from them.  The record is not owned.
*/
class MidiMapping
{
public:
    enum Type : std::uint32_t
    {
        controller = 1,
        channelPressure = 2,
        pitchBend = 3,
        registeredParameter = 4,
        nonRegisteredParameter = 5
    };

    /** channel: 1..16, or 0 (or anything above 16) for any channel.
        range: the raw 14-bit value that means 1.0, or 0 for a switch.  Any thread. */
    MidiMapping (std::uint32_t typeToUse, std::uint32_t numberToUse, std::uint32_t channelToUse,
                 std::uint32_t rangeToUse, ParameterRecord* targetToUse) noexcept;

    virtual ~MidiMapping() = default;

    /** Converts a raw value on the 14-bit scale to a normalised value.  A value
        above the range gives 0.0; with range 0 the result is 1.0 above 8191,
        else 0.0.  Any thread. */
    virtual float getNormalisedValue (std::uint32_t value) const noexcept;

    /** The registry key of this mapping.  Any thread. */
    std::uint32_t getKey() const noexcept;

    /** The registry key for a message kind: channel in bits 24..31 (0 = any,
        also for channels above 16), type in bits 16..23, number in bits 0..15.
        A number out of range for its type, or an unknown type, gives key 0,
        which no MIDI message produces.  Any thread. */
    static std::uint32_t makeKey (std::uint32_t type, std::uint32_t number, std::uint32_t channel) noexcept;

    /** Clears the channel byte of a key: the any-channel form. */
    static constexpr std::uint32_t anyChannelKey (std::uint32_t key) noexcept { return key & 0xffffffu; }

    const std::uint32_t type;
    const std::uint32_t number;
    const std::uint32_t channel;
    const std::uint32_t range;
    ParameterRecord* const target;
};
} // namespace Korvalden::Parameter
