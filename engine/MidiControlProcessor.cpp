#include "engine/MidiControlProcessor.h"

#include "engine/ParameterRecord.h"

#include <algorithm>
#include <cstdint>

using Korvalden::Parameter::MidiMapping;

namespace
{
constexpr std::uint32_t sevenToFourteenBits (std::uint32_t value) noexcept { return value * 128 + value; }
constexpr std::uint32_t dataStep = 129;
} // namespace

MidiControlProcessor::MidiControlProcessor (const MidiMappingRegistry& registryToUse, RpnStates& statesToUse) noexcept
    : registry (registryToUse), rpnStates (statesToUse)
{
}

MidiMappingRegistry::Range MidiControlProcessor::findExactOrAnyChannel (std::uint32_t key) const noexcept
{
    auto range = registry.findRange (key);
    if (range.first == range.second)
        range = registry.findRange (MidiMapping::anyChannelKey (key));
    return range;
}

bool MidiControlProcessor::applyMappings (std::uint32_t key, std::uint32_t value) const noexcept
{
    const auto range = findExactOrAnyChannel (key);

    for (auto it = range.first; it != range.second; ++it)
        if (auto* record = it->second->target)
            record->store (it->second->getNormalisedValue (value));

    return range.first != range.second;
}

void MidiControlProcessor::handleMidiEvent (const std::uint8_t* data, int numBytes) noexcept
{
    if (data == nullptr || numBytes < 2)
        return;

    const auto kind = data[0] & 0xf0u;
    const auto channel = (data[0] & 0x0fu) + 1;
    const auto first = static_cast<std::uint32_t> (data[1] & 0x7fu);
    const auto second = numBytes >= 3 ? static_cast<std::uint32_t> (data[2] & 0x7fu) : 0u;

    if (kind != 0xb0 && kind != 0xd0 && kind != 0xe0)
        return;
    if (kind != 0xd0 && numBytes < 3)
        return;

    const juce::ScopedTryLock tryLock (registry.getLock());
    if (! tryLock.isLocked())
        return;

    if (kind == 0xb0)
    {
        if (! applyMappings (MidiMapping::makeKey (MidiMapping::controller, first, channel), sevenToFourteenBits (second)))
            handleParameterNumber (channel, first, second);
    }
    else if (kind == 0xd0)
    {
        applyMappings (MidiMapping::makeKey (MidiMapping::channelPressure, 0, channel), sevenToFourteenBits (first));
    }
    else
    {
        applyMappings (MidiMapping::makeKey (MidiMapping::pitchBend, 0, channel), second * 128 + first);
    }
}

void MidiControlProcessor::handleParameterNumber (unsigned channel, unsigned controllerNumber, std::uint32_t value) noexcept
{
    auto& state = rpnStates[channel - 1];

    switch (controllerNumber)
    {
        case 101: state.rpnNumber = value * 128 + (state.rpnNumber & 0x7fu); state.nrpnSelected = false; return;
        case 100: state.rpnNumber = (state.rpnNumber & 0x3f80u) + value;      state.nrpnSelected = false; return;
        case 99:  state.nrpnNumber = value * 128 + (state.nrpnNumber & 0x7fu); state.nrpnSelected = true; return;
        case 98:  state.nrpnNumber = (state.nrpnNumber & 0x3f80u) + value;      state.nrpnSelected = true; return;
        case 6: case 38: case 96: case 97: break;
        default: return;
    }

    const auto key = state.nrpnSelected
                         ? MidiMapping::makeKey (MidiMapping::nonRegisteredParameter, state.nrpnNumber, channel)
                         : MidiMapping::makeKey (MidiMapping::registeredParameter, state.rpnNumber, channel);
    if (key == 0)
        return;

    const auto range = findExactOrAnyChannel (key);

    for (auto it = range.first; it != range.second; ++it)
    {
        const auto& mapping = *it->second;
        auto* record = mapping.target;
        if (record == nullptr)
            continue;

        // Signed, so that a decrement below 0 cannot wrap around.
        const auto rangeTop = static_cast<std::int64_t> (mapping.range);
        auto data = static_cast<std::int64_t> (state.dataValue);

        if (controllerNumber == 96 || controllerNumber == 97)
            data = static_cast<std::int64_t> (std::clamp (static_cast<float> (rangeTop) * record->getValue() + 0.5f,
                                                          0.0f, static_cast<float> (rangeTop)));

        switch (controllerNumber)
        {
            case 6:  data = sevenToFourteenBits (value); break;
            case 38: data = (data & 0x3f80) + value; break;
            case 97: data = rangeTop != 0 ? data - dataStep : 0; break;
            case 96: data = rangeTop != 0 ? data + dataStep : 16383; break;
            default: break;
        }

        // Held inside the mapping's range: the top of the range stays the top.
        if (rangeTop != 0)
            data = std::clamp<std::int64_t> (data, 0, rangeTop);

        state.dataValue = static_cast<std::uint32_t> (data);
        record->store (mapping.getNormalisedValue (state.dataValue));
    }
}
