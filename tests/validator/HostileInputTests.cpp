// Input a validator throws at an instrument to break it: parameter values
// that are not numbers, infinite, negative or above 1 through every path a
// host has, set from a second thread while the audio thread processes; a
// second prepare without a release; MIDI packed as densely as a block
// holds.  Nothing may reach the audio as a bad number, leave a value out of
// range or leave a note sounding.
#include "aax/AAX_CString.h"
#include "aax/AAX_IParameter.h"
#include "engine/AudioEngine.h"
#include "tests/validator/BundleUnderTest.h"

#include <atomic>
#include <limits>
#include <random>
#include <thread>

using namespace Validator;

namespace
{
class HostileInput : public BundleUnderTest
{
};

/** Values a careless or hostile host sends: ordinary ones among NaN,
    infinities, negatives, values above 1 and extremes. */
class HostileValues
{
public:
    explicit HostileValues (unsigned seed) : random (seed) {}

    double next()
    {
        static const double special[] = { std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
                                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                           -1.0, -1.0e-300, 1.0 + 1.0e-9, 2.0, 1.0e308, -1.0e308,
                                           std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max() };
        const auto kind = std::uniform_int_distribution<int> (0, 3) (random);
        if (kind == 0)
            return special[std::uniform_int_distribution<size_t> (0, std::size (special) - 1) (random)];
        if (kind == 1)
            return std::uniform_real_distribution<double> (-10.0, 10.0) (random);
        return std::uniform_real_distribution<double> (0.0, 1.0) (random);
    }

    std::string text()
    {
        static const char* const texts[] = { "nan", "-nan", "inf", "-inf", "1e400", "-1e400", "", "  ", "0x1p3", "12abc", "-0", "1e-320" };
        if (std::uniform_int_distribution<int> (0, 1) (random) == 0)
            return texts[std::uniform_int_distribution<size_t> (0, std::size (texts) - 1) (random)];
        return std::to_string (next());
    }

    size_t index (size_t count) { return std::uniform_int_distribution<size_t> (0, count - 1) (random); }

private:
    std::mt19937 random;
};

/** Sends one hostile value through one of the host's paths (chosen by path). */
void sendThroughPath (KestHost::PluginInstance& instance, const std::string& id, int path, HostileValues& values)
{
    auto& effect = instance.effect();
    const auto value = values.next();
    switch (path)
    {
        case 0: effect.SetParameterNormalizedValue (id.c_str(), value); break;
        case 1: effect.SetParameterNormalizedRelative (id.c_str(), value); break;
        case 2: effect.UpdateParameterNormalizedValue (id.c_str(), value, 0); break;
        case 3: effect.UpdateParameterNormalizedRelative (id.c_str(), value); break;
        case 4:
        {
            double parsed = 0.0;
            AAX_CString text (values.text().c_str());
            if (effect.GetParameterValueFromString (id.c_str(), &parsed, text) == AAX_SUCCESS)
                effect.SetParameterNormalizedValue (id.c_str(), parsed);
            break;
        }
        case 5:
        {
            AAX_IParameter* parameter = nullptr;
            if (effect.GetParameter (id.c_str(), &parameter) == AAX_SUCCESS && parameter != nullptr)
            {
                parameter->SetNormalizedValue (value);
                parameter->SetValueWithDouble (value);
                parameter->SetValueWithFloat ((float) value);
                parameter->SetValueFromString (AAX_CString (values.text().c_str()));
            }
            break;
        }
        default:
        {
            AAX_CString text;
            effect.GetParameterStringFromValue (id.c_str(), value, &text, 0);
            effect.SetParameterDefaultNormalizedValue (id.c_str(), value);
            break;
        }
    }
    instance.answerAutomation();
}

constexpr int pathCount = 7;

::testing::AssertionResult valuesInRange (KestHost::PluginInstance& instance, const std::vector<std::string>& ids)
{
    for (auto& id : ids)
    {
        double value = -1.0;
        instance.effect().GetParameterNormalizedValue (id.c_str(), &value);
        if (! (value >= 0.0 && value <= 1.0))
            return ::testing::AssertionFailure() << "parameter " << id << " holds " << value;
    }
    return ::testing::AssertionSuccess();
}
} // namespace

TEST_F (HostileInput, TenThousandHostileValuesThroughEveryPathLeaveValuesInRangeAndTheSoundClean)
{
    auto instance = makeInstance (48000.0, 512);
    const auto ids = parameterIds (*instance);
    HostileValues values (10000);

    auto events = chord();
    for (int round = 0; round < 100; ++round)
    {
        for (int sent = 0; sent < 100; ++sent)
            sendThroughPath (*instance, ids[values.index (ids.size())], sent % pathCount, values);
        instance->updateCoefficients();
        ASSERT_TRUE (valuesInRange (*instance, ids)) << "round " << round;
        const auto played = play (*instance, 256, { 256 }, events);
        events.clear();
        ASSERT_TRUE (cleanAudio (played.left)) << "round " << round;
        ASSERT_TRUE (cleanAudio (played.right)) << "round " << round;
    }
}

TEST_F (HostileInput, HostileValuesFromASecondThreadWhileTheAudioThreadProcesses)
{
    auto instance = makeInstance (48000.0, 512);
    const auto ids = parameterIds (*instance);

    std::atomic<bool> stop { false };
    std::atomic<bool> clean { true };
    std::atomic<int> blocks { 0 };
    std::thread audio ([&]
    {
        auto events = chord();
        while (! stop.load())
        {
            const auto played = play (*instance, 128, { 128 }, events);
            events.clear();
            if (! cleanAudio (played.left) || ! cleanAudio (played.right))
                clean = false;
            blocks.fetch_add (1);
        }
    });

    HostileValues values (2);
    for (int sent = 0; sent < 10000; ++sent)
    {
        const auto& id = ids[values.index (ids.size())];
        instance->effect().SetParameterNormalizedValue (id.c_str(), values.next());
        instance->effect().UpdateParameterNormalizedValue (id.c_str(), values.next(), 0);
        if (sent % 100 == 0)
            instance->answerAutomation();
    }
    while (blocks.load() < 10)
        std::this_thread::yield();
    stop = true;
    audio.join();

    EXPECT_TRUE (clean.load());
    EXPECT_TRUE (valuesInRange (*instance, ids));
}

TEST_F (HostileInput, MidiAsDenseAsABlockHoldsLeavesNoNoteSounding)
{
    auto instance = makeInstance (48000.0, 512);
    std::vector<TimedMidi> events;
    for (uint8_t channel = 0; channel < 16; ++channel)
        for (uint8_t note = 0; note < 128; ++note)
            events.push_back ({ 0, midi ((uint8_t) (0x90 | channel), note, 100) });
    // The releases come last and the first channels' last of all, where a
    // receiver that runs out of room would lose them.
    for (int channel = 15; channel >= 0; --channel)
        for (uint8_t note = 0; note < 128; ++note)
            events.push_back ({ 511, midi ((uint8_t) (0x80 | channel), note, 0) });

    const auto played = play (*instance, 48000 * 8, { 512 }, events);
    EXPECT_TRUE (cleanAudio (played.left));
    EXPECT_GT (peak (played.left, 0, 24000), 0.01f);
    EXPECT_EQ (peak (played.left, played.left.size() - 24000), 0.0f) << "a note still sounds 7.5 s after every note was released";
}

TEST (HostileInputEngine, ASecondPrepareWithoutReleaseKeepsPlayingAndLeavesNoNoteSounding)
{
    AudioEngine engine;
    engine.setPlayConfigDetails (0, 2, 48000.0, 512);
    engine.prepareToPlay (48000.0, 512);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    const auto render = [&] (int blocks, std::vector<float>& out)
    {
        for (int block = 0; block < blocks; ++block)
        {
            buffer.clear();
            engine.processBlock (buffer, midi);
            midi.clear();
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + 512);
        }
    };

    std::vector<float> before, after, tail;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    render (20, before);
    ASSERT_GT (rms (before, 5120), 0.01);

    engine.prepareToPlay (96000.0, 256);
    engine.prepareToPlay (48000.0, 512);
    render (20, after);
    EXPECT_TRUE (cleanAudio (after));

    midi.addEvent (juce::MidiMessage::noteOff (1, 60), 0);
    render (750, tail);
    EXPECT_TRUE (cleanAudio (tail));
    EXPECT_EQ (peak (tail, tail.size() - 24000), 0.0f) << "the note hangs after the second prepare";
}
