#include "engine/MidiMappingRegistry.h"

void MidiMappingRegistry::add (Korvalden::Parameter::MidiMapping* mapping)
{
    if (mapping == nullptr)
        return;

    const juce::ScopedLock scope (lock);
    const auto key = mapping->getKey();
    const auto range = mappings.equal_range (key);

    for (auto it = range.first; it != range.second; ++it)
        if (it->second == mapping)
            return;

    mappings.insert (range.second, { key, mapping });
}

void MidiMappingRegistry::remove (Korvalden::Parameter::MidiMapping* mapping)
{
    if (mapping == nullptr)
        return;

    const juce::ScopedLock scope (lock);
    const auto range = mappings.equal_range (mapping->getKey());

    for (auto it = range.first; it != range.second; ++it)
    {
        if (it->second == mapping)
        {
            mappings.erase (it);
            return;
        }
    }
}

MidiMappingRegistry::Range MidiMappingRegistry::findRange (std::uint32_t key) const noexcept
{
    return mappings.equal_range (key);
}
