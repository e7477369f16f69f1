#pragma once

#include "engine/MidiMapping.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <map>
#include <utility>

/** Every MIDI-control mapping of the engine, filed by key.

    Mappings under one key stay in the order they were added.  The registry
    does not own them: the owner removes a mapping before deleting it.

    The owner thread changes the registry under the recursive lock; the audio
    thread looks up under a try-lock of the same lock (getLock) and skips the
    event when the lock is busy.
*/
class MidiMappingRegistry
{
public:
    using Map = std::multimap<std::uint32_t, Korvalden::Parameter::MidiMapping*>;
    using Range = std::pair<Map::const_iterator, Map::const_iterator>;

    /** Files the mapping under its key, after any others with that key; the
        same object twice is stored once.  Null does nothing.  Owner thread;
        takes the lock and allocates. */
    void add (Korvalden::Parameter::MidiMapping* mapping);

    /** Removes the mapping's entry; the mapping is not deleted.  A mapping not
        stored changes nothing.  Null does nothing.  Owner thread; takes the lock. */
    void remove (Korvalden::Parameter::MidiMapping* mapping);

    /** The entries filed under exactly this key, in the order they were added.
        The caller holds the lock.  Any thread; no allocation. */
    Range findRange (std::uint32_t key) const noexcept;

    /** The lock that guards the entries.  The audio thread only tries it. */
    const juce::CriticalSection& getLock() const noexcept { return lock; }

private:
    Map mappings;
    juce::CriticalSection lock;
};
