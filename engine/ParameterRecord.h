#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <cstdint>
#include <memory>

namespace Korvalden::Parameter
{
/** The setter behind a parameter record: called with the normalised value.
    Runs on whichever thread stores the value (host, editor, audio thread for
    mapped MIDI); implementations only store values that the audio thread reads.
*/
class SetValueFunctor
{
public:
    virtual void operator() (float normalisedValue) = 0;
    virtual ~SetValueFunctor() = default;
};

/** Maps a normalised value onto the target's own type and calls one of the
    target's setters with it; the setter's result, if any, is ignored.
*/
template <class Target, class T, class Result = void>
class AudioEngineAdaptor final : public SetValueFunctor
{
public:
    using Setter = Result (Target::*) (T);
    using Mapping = T (*) (float);

    AudioEngineAdaptor (Target* targetToUse, Setter setterToUse, Mapping mappingToUse) noexcept
        : target (targetToUse), setter (setterToUse), mapping (mappingToUse)
    {
    }

    void operator() (float normalisedValue) override { (target->*setter) (mapping (normalisedValue)); }

private:
    Target* target;
    Setter setter;
    Mapping mapping;
};

template <class Target, class T>
std::unique_ptr<SetValueFunctor> makeAdaptor (Target* target, void (Target::*setter) (T), T (*mapping) (float))
{
    return std::make_unique<AudioEngineAdaptor<Target, T>> (target, setter, mapping);
}
} // namespace Korvalden::Parameter

/** One value that the host, the editor, presets or MIDI can change.

    value and dirty are atomics: the host, the editor, the audio thread (mapped
    MIDI) and the state reader store values, the editor's poll reads and clears
    the dirty flag.  The value is stored first, the flag set after it.
*/
struct ParameterRecord
{
    using TextFunction = juce::String (*) (float);

    ParameterRecord (const juce::String& nameToUse, float defaultToUse, TextFunction textToUse,
                     std::unique_ptr<Korvalden::Parameter::SetValueFunctor> setterToUse)
        : defaultValue (defaultToUse), name (nameToUse), setter (std::move (setterToUse)), text (textToUse)
    {
    }

    /** Stores the value, sets the dirty flag and calls the setter (if any). */
    void store (float newValue)
    {
        value.store (newValue, std::memory_order_relaxed);
        dirty.store (1, std::memory_order_release);
        if (setter != nullptr)
            (*setter) (newValue);
    }

    /** Calls the setter with the current value without touching value or flag. */
    void reapply()
    {
        if (setter != nullptr)
            (*setter) (value.load (std::memory_order_relaxed));
    }

    float getValue() const noexcept { return value.load (std::memory_order_relaxed); }
    juce::String getText() const { return text != nullptr ? text (getValue()) : juce::String(); }

    /** Returns the dirty flag and clears it. */
    bool testAndClearDirty() noexcept { return dirty.exchange (0, std::memory_order_acq_rel) != 0; }

    std::atomic<float> value { 0.0f };
    const float defaultValue;
    const juce::String name;
    std::unique_ptr<Korvalden::Parameter::SetValueFunctor> setter;
    const TextFunction text;
    std::atomic<std::uint8_t> dirty { 0 };

    JUCE_DECLARE_NON_COPYABLE (ParameterRecord)
};
