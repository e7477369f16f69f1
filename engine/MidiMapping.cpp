#include "engine/MidiMapping.h"

namespace Korvalden::Parameter
{
MidiMapping::MidiMapping (std::uint32_t typeToUse, std::uint32_t numberToUse, std::uint32_t channelToUse,
                          std::uint32_t rangeToUse, ParameterRecord* targetToUse) noexcept
    : type (typeToUse), number (numberToUse), channel (channelToUse), range (rangeToUse), target (targetToUse)
{
}

float MidiMapping::getNormalisedValue (std::uint32_t value) const noexcept
{
    if (range == 0)
        return value > 8191 ? 1.0f : 0.0f;

    const auto ratio = static_cast<float> (value) / static_cast<float> (range);
    return ratio > 1.0f ? 0.0f : ratio;
}

std::uint32_t MidiMapping::getKey() const noexcept
{
    return makeKey (type, number, channel);
}

std::uint32_t MidiMapping::makeKey (std::uint32_t type, std::uint32_t number, std::uint32_t channel) noexcept
{
    const auto channelByte = channel > 16 ? 0u : channel;

    switch (type)
    {
        case channelPressure:
        case pitchBend:
            number = 0;
            break;

        case registeredParameter:
        case nonRegisteredParameter:
            if (number > 16383)
                return 0;
            break;

        case controller:
            if (number > 127)
                return 0;
            break;

        default:
            return 0;
    }

    return (channelByte << 24) | (type << 16) | number;
}
} // namespace Korvalden::Parameter
