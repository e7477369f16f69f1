#pragma once

#include "engine/ParameterFunctions.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>

namespace Korvalden::Parameter
{
/** The setter behind a parameter record: called with the normalised value,
    limited to 0..1.  Runs on the audio thread, or while no audio runs (see
    ParameterRecord).
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

    value, dirty and pending are atomics.  The value is stored as given (a
    finite number; NaN is never stored), the dirty flag set after it; the
    editor's poll reads and clears the dirty flag.  A setter that touches
    what the audio thread renders runs only on the audio thread or while no
    audio runs: store() calls it at once (mapped MIDI on the audio thread),
    storeForLater() leaves it to the next applyPending().  A setter that only
    stores settings any thread may write (setterRunsAnywhere) runs at once in
    storeForLater() as well, so whoever reads the setting next sees the new
    value; the next applyPending() runs it again with the latest value, so
    that a call from another thread that overtook it cannot leave an older
    one in force.  The setter always receives the value limited to 0..1.
*/
struct ParameterRecord
{
    using TextFunction = juce::String (*) (float);

    ParameterRecord (const juce::String& nameToUse, float defaultToUse, TextFunction textToUse,
                     std::unique_ptr<Korvalden::Parameter::SetValueFunctor> setterToUse, bool setterRunsAnywhereToUse = false)
        : defaultValue (defaultToUse), name (nameToUse), setter (std::move (setterToUse)), text (textToUse),
          setterRunsAnywhere (setterRunsAnywhereToUse)
    {
    }

    /** Stores the value, sets the dirty flag and calls the setter (if any).
        NaN changes nothing.  The audio thread, or while no audio runs. */
    void store (float newValue)
    {
        if (std::isnan (newValue))
            return;
        storeValue (newValue);
        callSetter (newValue);
    }

    /** Stores the value, sets the dirty flag and marks the setter call as
        pending for applyPending(); a setter that runs anywhere is called at
        once too.  NaN changes nothing.  Any thread. */
    void storeForLater (float newValue)
    {
        if (std::isnan (newValue))
            return;
        storeValue (newValue);
        pending.store (1, std::memory_order_release);
        if (setterRunsAnywhere)
            callSetter (newValue);
    }

    /** Calls the setter with the current value if a call is pending.  The
        audio thread, or while no audio runs.  Allocation-free. */
    void applyPending()
    {
        if (pending.load (std::memory_order_relaxed) != 0 && pending.exchange (0, std::memory_order_acq_rel) != 0)
            callSetter (getValue());
    }

    /** Calls the setter with the current value without touching value or
        flags.  The audio thread, or while no audio runs. */
    void reapply()
    {
        pending.store (0, std::memory_order_relaxed);
        callSetter (getValue());
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
    /** The setter only stores settings that any thread may write. */
    const bool setterRunsAnywhere;
    std::atomic<std::uint8_t> dirty { 0 };
    std::atomic<std::uint8_t> pending { 0 };

private:
    void storeValue (float newValue) noexcept
    {
        value.store (newValue, std::memory_order_relaxed);
        dirty.store (1, std::memory_order_release);
    }

    void callSetter (float newValue)
    {
        if (setter != nullptr)
            (*setter) (ParameterFunctions::toUnit (newValue));
    }

    JUCE_DECLARE_NON_COPYABLE (ParameterRecord)
};
