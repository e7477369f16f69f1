#include "engine/AudioEngine.h"

#include "engine/ApplicationPropertiesUser.h"

// The engine's MIDI settings: receive channels, controller numbers and the
// sustain pedal, with the mappings they create, and their defaults from the
// user's settings file.

using Korvalden::Parameter::MidiMapping;

namespace
{
constexpr unsigned int fullRange = 16383;

} // namespace

void AudioEngine::readSettings()
{
    jassert (isOwnerThread());
    Korvalden::Misc::ApplicationPropertiesUser settings (getName());

    sustainPedalCC = (unsigned int) settings.getIntValue ("MIDICC_SustainPedal", 64);
    setReceiveChannel (0, settings.getIntValue ("MIDIReceiveChannel", -1), false);
    for (unsigned int slot = 1; slot < ParameterTable::numReceiveSlots; ++slot)
        setReceiveChannel (slot, settings.getIntValue ("MIDIReceiveChannel" + juce::String (slot), -1), false);

    for (int index = 0; index < ParameterTable::numParameters; ++index)
        setParameterCC ((unsigned int) index,
                        (unsigned int) settings.getIntValue ("MIDICC_" + parameters[(size_t) index]->name,
                                                             ParameterTable::getEntry (index).defaultController));
}

bool AudioEngine::isReceiveSlotActive (unsigned int slot) const noexcept
{
    if (slot == 0)
        return true;
    const auto channel = receiveChannels[slot].load();
    return channel != 0 && channel != receiveChannels[0].load();
}

void AudioEngine::replaceMapping (MappingPointer& mapping, MappingPointer replacement)
{
    // The audio thread only tries the registry's lock, so an event arriving
    // during the change goes unmapped rather than seeing a deleted mapping.
    midiMappings.remove (mapping.get());
    mapping = std::move (replacement);
    midiMappings.add (mapping.get());
}

void AudioEngine::removeAllMappings()
{
    for (auto& mapping : parameterMappings)
        replaceMapping (mapping, nullptr);
    for (auto& mapping : pitchBendMappings)
        replaceMapping (mapping, nullptr);
    for (auto& mapping : sustainPedalMappings)
        replaceMapping (mapping, nullptr);
}

void AudioEngine::setReceiveChannel (unsigned int slot, int channel, bool rebuild)
{
    jassert (isOwnerThread());
    if (slot >= ParameterTable::numReceiveSlots)
        return;

    receiveChannels[slot] = (channel >= 1 && channel <= 16) ? (unsigned int) channel : 0u;

    const bool active = isReceiveSlotActive (slot);
    const auto slotChannel = receiveChannels[slot].load();

    replaceMapping (pitchBendMappings[slot],
                    active ? std::make_unique<MidiMapping> (MidiMapping::pitchBend, 0, slotChannel, fullRange,
                                                            pitchBendRecords[slot].get())
                           : nullptr);
    replaceMapping (sustainPedalMappings[slot],
                    active ? std::make_unique<MidiMapping> (MidiMapping::controller, sustainPedalCC, slotChannel, fullRange,
                                                            sustainPedalRecords[slot].get())
                           : nullptr);

    if (slot == 0 && rebuild)
        for (unsigned int index = 0; index < ParameterTable::numParameters; ++index)
            if (parameterMappings[index] != nullptr)
                setParameterCC (index, parameterMappings[index]->number);
}

void AudioEngine::setParameterCC (unsigned int index, unsigned int controllerNumber)
{
    jassert (isOwnerThread());
    if (index >= ParameterTable::numParameters)
        return;

    replaceMapping (parameterMappings[index],
                    controllerNumber < 128
                        ? std::make_unique<MidiMapping> (MidiMapping::controller, controllerNumber, receiveChannels[0].load(),
                                                         fullRange, parameters[index].get())
                        : nullptr);
}

void AudioEngine::setSustainPedalCC (unsigned int controllerNumber)
{
    jassert (isOwnerThread());
    sustainPedalCC = controllerNumber;

    for (unsigned int slot = 0; slot < ParameterTable::numReceiveSlots; ++slot)
        replaceMapping (sustainPedalMappings[slot],
                        isReceiveSlotActive (slot)
                            ? std::make_unique<MidiMapping> (MidiMapping::controller, controllerNumber, receiveChannels[slot].load(),
                                                             fullRange, sustainPedalRecords[slot].get())
                            : nullptr);
}

int AudioEngine::getReceiveChannel (unsigned int slot) const noexcept
{
    return slot < ParameterTable::numReceiveSlots ? (int) receiveChannels[slot].load() : 0;
}

int AudioEngine::getParameterCC (unsigned int index) const noexcept
{
    if (index >= ParameterTable::numParameters || parameterMappings[index] == nullptr)
        return -1;
    return (int) parameterMappings[index]->number;
}
