#include "engine/ApplicationPropertiesUser.h"
#include "engine/AudioEngine.h"
#include "tests/support/EngineBlocks.h"

#include <gtest/gtest.h>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
struct HostListener : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++changes; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    int changes = 0;
};

void play (AudioEngine& engine, std::initializer_list<juce::MidiMessage> messages) { playOneBlock (engine, messages); }
} // namespace

TEST (AudioEngineMidi, withoutASettingsFileEveryParameterHasItsDefaultController)
{
    AudioEngine engine;
    for (unsigned int i = 0; i < 88; ++i)
        EXPECT_EQ (engine.getParameterCC (i), (int) i + 1) << i;
    EXPECT_EQ (engine.getParameterCC (88), 90);
    EXPECT_EQ (engine.getParameterCC (89), 91);
    EXPECT_EQ (engine.getParameterCC (90), 92);
    EXPECT_EQ (engine.getParameterCC (91), 93);
    EXPECT_EQ (engine.getParameterCC (92), 89);
    EXPECT_EQ (engine.getSustainPedalCC(), 64u);
    for (unsigned int slot = 0; slot < 5; ++slot)
        EXPECT_EQ (engine.getReceiveChannel (slot), 0);
}

TEST (AudioEngineMidi, settingsFromTheFileAreApplied)
{
    {
        Korvalden::Misc::ApplicationPropertiesUser settings ("Kest");
        settings.setValue ("MIDICC_Glide_1", -1);
        settings.setValue ("MIDICC_Tune_1", 20);
        settings.setValue ("MIDIReceiveChannel", 3);
        settings.setValue ("MIDIReceiveChannel2", 17);
        settings.setValue ("MIDICC_SustainPedal", 66);
    }

    AudioEngine engine;
    EXPECT_EQ (engine.getParameterCC (0), -1);
    EXPECT_EQ (engine.getParameterCC (1), 20);
    EXPECT_EQ (engine.getReceiveChannel (0), 3);
    EXPECT_EQ (engine.getReceiveChannel (2), 0); // outside 1..16 means off
    EXPECT_EQ (engine.getSustainPedalCC(), 66u);

    engine.prepareToPlay (44100.0, 64);
    play (engine, { juce::MidiMessage::controllerEvent (3, 20, 127), juce::MidiMessage::controllerEvent (3, 1, 127) });
    EXPECT_FLOAT_EQ (engine.getParameter (1), 1.0f);
    EXPECT_FLOAT_EQ (engine.getParameter (0), 0.0f);

    // Controllers are mapped on the global channel only.
    play (engine, { juce::MidiMessage::controllerEvent (4, 20, 0) });
    EXPECT_FLOAT_EQ (engine.getParameter (1), 1.0f);
}

TEST (AudioEngineMidi, mappedControllersMoveParametersWithoutMarkOrHostNotification)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.clearPresetModified();
    for (int i = 0; i < 93; ++i)
        engine.isParameterDirty (i);
    HostListener host;
    engine.addListener (&host);

    play (engine, { juce::MidiMessage::controllerEvent (1, 2, 127),     // Tune_1
                    juce::MidiMessage::controllerEvent (9, 89, 0) });   // MasterVolume, any channel
    EXPECT_FLOAT_EQ (engine.getParameter (1), 1.0f);
    EXPECT_FLOAT_EQ (engine.getParameter (92), 0.0f);
    EXPECT_TRUE (engine.isParameterDirty (1));
    EXPECT_TRUE (engine.isParameterDirty (92));
    EXPECT_FALSE (engine.isPresetModified());
    EXPECT_EQ (host.changes, 0);

    // Controller 64 drives OscillatorMode_4 as well as the sustain pedal.
    play (engine, { juce::MidiMessage::controllerEvent (1, 64, 0) });
    EXPECT_FLOAT_EQ (engine.getParameter (63), 0.0f);
    engine.removeListener (&host);
}

TEST (AudioEngineMidi, globalChannelRebuildMovesEveryController)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setReceiveChannel (0, 3, true);
    EXPECT_EQ (engine.getParameterCC (92), 89);

    play (engine, { juce::MidiMessage::controllerEvent (1, 89, 0) });
    EXPECT_FLOAT_EQ (engine.getParameter (92), 6.0f / 7.0f);
    play (engine, { juce::MidiMessage::controllerEvent (3, 89, 0) });
    EXPECT_FLOAT_EQ (engine.getParameter (92), 0.0f);

    engine.setParameterCC (92, 200);
    EXPECT_EQ (engine.getParameterCC (92), -1);
    engine.setParameterCC (500, 3);
    engine.setReceiveChannel (9, 3, true);
}

TEST (AudioEngineMidi, dataEntryControllersDriveTheirOwnParametersByDefault)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    play (engine, { juce::MidiMessage::controllerEvent (1, 101, 0), juce::MidiMessage::controllerEvent (1, 100, 0),
                    juce::MidiMessage::controllerEvent (1, 6, 127), juce::MidiMessage::controllerEvent (1, 38, 0) });
    EXPECT_FLOAT_EQ (engine.getParameter (5), 1.0f);   // LFO1_Level_1 on controller 6
    EXPECT_FLOAT_EQ (engine.getParameter (37), 0.0f);  // Release_2 on controller 38
}

TEST (AudioEngineMidi, sustainControllerHoldsFromValue64AndMovesToANewNumberOnEveryActiveSlot)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setReceiveChannel (2, 5, false);

    play (engine, { juce::MidiMessage::controllerEvent (1, 64, 64) });
    EXPECT_TRUE (engine.getGlobalController().isSustained());
    play (engine, { juce::MidiMessage::controllerEvent (1, 64, 63) });
    EXPECT_FALSE (engine.getGlobalController().isSustained());

    engine.setSustainPedalCC (66);
    EXPECT_EQ (engine.getSustainPedalCC(), 66u);

    // The old number only drives its parameter (OscillatorMode_4) now.
    play (engine, { juce::MidiMessage::controllerEvent (1, 64, 127), juce::MidiMessage::controllerEvent (5, 64, 127) });
    EXPECT_FALSE (engine.getGlobalController().isSustained());
    EXPECT_FALSE (engine.getDeviceController (1).isSustained());
    EXPECT_FLOAT_EQ (engine.getParameter (63), 1.0f);

    play (engine, { juce::MidiMessage::controllerEvent (5, 66, 127) });
    EXPECT_TRUE (engine.getDeviceController (1).isSustained());
    EXPECT_FALSE (engine.getGlobalController().isSustained());
    play (engine, { juce::MidiMessage::controllerEvent (1, 66, 127) });
    EXPECT_TRUE (engine.getGlobalController().isSustained());
    play (engine, { juce::MidiMessage::controllerEvent (1, 66, 0), juce::MidiMessage::controllerEvent (5, 66, 0) });

    // A number outside 0..127 leaves every slot without a pedal.
    engine.setSustainPedalCC (200);
    for (int number = 0; number < 128; ++number)
        play (engine, { juce::MidiMessage::controllerEvent (1, number, 127), juce::MidiMessage::controllerEvent (5, number, 127) });
    EXPECT_FALSE (engine.getGlobalController().isSustained());
    EXPECT_FALSE (engine.getDeviceController (1).isSustained());
}

TEST (AudioEngineMidi, aDeviceOnTheGlobalChannelHasNoBendOrPedalOfItsOwn)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setReceiveChannel (0, 5, true);
    engine.setReceiveChannel (2, 5, false);

    play (engine, { juce::MidiMessage::pitchWheel (5, 16383), juce::MidiMessage::controllerEvent (5, 64, 127) });
    EXPECT_FLOAT_EQ (engine.getGlobalController().getPitchBend(), 1.0f);
    EXPECT_TRUE (engine.getGlobalController().isSustained());
    EXPECT_FLOAT_EQ (engine.getDeviceController (1).getPitchBend(), 0.0f);
    EXPECT_FALSE (engine.getDeviceController (1).isSustained());
}

TEST (AudioEngineMidi, slotsThatAreOffOrOnTheGlobalChannelGetNoPedalWhenThePedalControllerChanges)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setReceiveChannel (0, 5, true);
    engine.setReceiveChannel (2, 5, false); // on the global channel: off
    engine.setReceiveChannel (3, 7, false); // a channel of its own
    engine.setSustainPedalCC (70);

    play (engine, { juce::MidiMessage::controllerEvent (5, 70, 127), juce::MidiMessage::controllerEvent (1, 70, 127) });
    EXPECT_TRUE (engine.getGlobalController().isSustained());
    for (int device : { 0, 1, 2, 3 })
        EXPECT_FALSE (engine.getDeviceController (device).isSustained()) << device;

    play (engine, { juce::MidiMessage::controllerEvent (7, 70, 127) });
    EXPECT_TRUE (engine.getDeviceController (2).isSustained());
    EXPECT_FALSE (engine.getDeviceController (0).isSustained());
    EXPECT_FALSE (engine.getDeviceController (1).isSustained());
}

TEST (AudioEngineMidi, controllerNumbersOutsideZeroTo127LeaveTheParameterWithoutAController)
{
    AudioEngine engine;
    for (unsigned int number : { 128u, 129u, 1000u, 0xFFFFFFFFu, 0xFFFFFFFEu })
    {
        engine.setParameterCC (12, number);
        EXPECT_EQ (engine.getParameterCC (12), -1) << number;
    }
    engine.setParameterCC (12, 127);
    EXPECT_EQ (engine.getParameterCC (12), 127);
    engine.setParameterCC (12, 0);
    EXPECT_EQ (engine.getParameterCC (12), 0);
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
