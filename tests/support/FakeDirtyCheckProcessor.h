#pragma once

#include "gui/ParameterGUILinker.h"
#include "tests/support/SilentProcessor.h"

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

/** A processor with 92 host parameters and one more record (index 92) that
    the host never sees, as the engine has.  It records what the host would
    hear (gestures and notified values) and every direct setParameter call. */
class FakeDirtyCheckProcessor final : public SilentProcessor<Korvalden::Parameter::ParameterGUILinker::AudioProcessorWithParameterDirtyCheck>,
                                      private juce::AudioProcessorListener
{
public:
    static constexpr int numHostParameters = 92;
    static constexpr int numRecords = 93;

    struct Event
    {
        enum Kind { begin, value, end, set };
        Kind kind;
        int index;
        float amount;

        bool operator== (const Event& other) const
        {
            return kind == other.kind && index == other.index && amount == other.amount;
        }
    };

    FakeDirtyCheckProcessor()
    {
        for (auto& v : values)
            v.store (0.0f);
        for (auto& d : dirty)
            d.store (false);
        addListener (this);
    }

    ~FakeDirtyCheckProcessor() override { removeListener (this); }

    /** Stores a value as mapped MIDI or a preset would: flagged, the host not told. */
    void storeFromElsewhere (int index, float v)
    {
        values[(size_t) index].store (v);
        dirty[(size_t) index].store (true);
    }

    /** Stores a value without setting the dirty flag. */
    void storeQuietly (int index, float v) { values[(size_t) index].store (v); }

    void clearAllDirtyFlags()
    {
        for (auto& d : dirty)
            d.store (false);
    }

    std::vector<Event> takeEvents()
    {
        const std::lock_guard<std::mutex> guard (eventLock);
        auto taken = std::move (events);
        events.clear();
        return taken;
    }

    std::array<float, numRecords> defaults {};

    // The index-based parameter interface.
    int getNumParameters() override { return numHostParameters; }
    int getTotalNumParameters() override { return numRecords; }

    float getParameter (int index) override
    {
        return juce::isPositiveAndBelow (index, numRecords) ? values[(size_t) index].load() : 0.0f;
    }

    void setParameter (int index, float v) override
    {
        if (! juce::isPositiveAndBelow (index, numRecords))
            return;
        storeFromElsewhere (index, v);
        record ({ Event::set, index, v });
    }

    float getParameterDefaultValue (int index) override
    {
        return juce::isPositiveAndBelow (index, numRecords) ? defaults[(size_t) index] : 0.0f;
    }

    const juce::String getParameterText (int index) override
    {
        return juce::String (getParameter (index), 3) + "  u";
    }

    bool isParameterDirty (int index) override
    {
        return juce::isPositiveAndBelow (index, numRecords) && dirty[(size_t) index].exchange (false);
    }

private:
    void record (Event e)
    {
        const std::lock_guard<std::mutex> guard (eventLock);
        events.push_back (e);
    }

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float v) override
    {
        record ({ Event::value, index, v });
    }

    void audioProcessorChanged (juce::AudioProcessor*, const juce::AudioProcessorListener::ChangeDetails&) override {}

    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
    {
        record ({ Event::begin, index, 0.0f });
    }

    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
    {
        record ({ Event::end, index, 0.0f });
    }

    std::array<std::atomic<float>, numRecords> values;
    std::array<std::atomic<bool>, numRecords> dirty;
    std::mutex eventLock;
    std::vector<Event> events;
};

inline std::ostream& operator<< (std::ostream& out, const FakeDirtyCheckProcessor::Event& e)
{
    static const char* names[] = { "begin", "value", "end", "set" };
    return out << names[e.kind] << '(' << e.index << ", " << e.amount << ')';
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
