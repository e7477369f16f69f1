// The devices' LEDs: what a played note shows, read from the values the
// audio thread publishes once per block.

#include "EditorFixture.h"

#include "editor/DeviceLedValues.h"
#include "gui/ImageStripIndictorComponent.h"

#include <limits>

namespace N = EditorNames;

namespace
{
    void render (AudioEngine& engine, int samples, std::initializer_list<juce::MidiMessage> messages = {})
    {
        juce::AudioBuffer<float> buffer (2, samples);
        juce::MidiBuffer midi;
        for (auto& m : messages)
            midi.addEvent (m, 0);
        engine.processBlock (buffer, midi);
    }
}

class EditorLeds : public EditorFixture
{
protected:
    int frame (int device, const char* kind)
    {
        auto* led = child<Korvalden::GUI::ImageStripIndictorComponent> (N::led (device, kind));
        return led != nullptr ? led->getStrip().getCurrentIndex() : -1;
    }

    void tick() { panel->timerCallback(); }
};

TEST_F (EditorLeds, GateLightsWhileTheKeyIsHeldAndGoesDarkOnRelease)
{
    engine->prepareToPlay (48000.0, 256);
    engine->setParameter (88, 0.2f);   // Split: note 20 plays on ORVA
    openEditor();
    tick();
    for (int d = 1; d <= 4; ++d)
        for (auto* kind : { "Gate", "Glide", "Drive" })
            EXPECT_EQ (frame (d, kind), 0) << d << kind;

    render (*engine, 256, { juce::MidiMessage::noteOn (1, 20, 1.0f) });
    EXPECT_EQ (frame (1, "Gate"), 0) << "nothing before the next tick";
    tick();
    EXPECT_EQ (frame (1, "Gate"), 511);
    EXPECT_EQ (frame (2, "Gate"), 0);

    // Released: dark on the next tick, though the note still sounds.
    render (*engine, 256, { juce::MidiMessage::noteOff (1, 20) });
    tick();
    EXPECT_EQ (frame (1, "Gate"), 0);
    EXPECT_TRUE (engine->getDeviceIndicators (0).driveLevel > 0.0f) << "the release still sounds";
}

TEST_F (EditorLeds, GlideLightsWhileAVoiceGlidesAndDrivesFollowsTheLevel)
{
    engine->prepareToPlay (48000.0, 256);
    engine->setParameter (88, 0.4f);   // Revolver: the second note goes to TESK, gliding from the first
    for (int d = 0; d < 4; ++d)
        engine->setParameter (d * 20, 1.0f);
    openEditor();

    render (*engine, 256, { juce::MidiMessage::noteOn (1, 40, 1.0f) });
    render (*engine, 256, { juce::MidiMessage::noteOn (1, 64, 1.0f) });
    tick();
    EXPECT_EQ (frame (2, "Glide"), 511);
    EXPECT_EQ (frame (3, "Glide"), 0);

    // After the glide has arrived the LED goes dark.
    for (int i = 0; i < 48000 * 60 / 256 && engine->getDeviceIndicators (1).gliding; ++i)
    {
        render (*engine, 256);
        if (i % 200 == 0)
        {
            tick();
            EXPECT_EQ (frame (2, "Glide"), engine->getDeviceIndicators (1).gliding ? 511 : 0);
        }
    }
    tick();
    EXPECT_EQ (frame (2, "Glide"), 0);

    // A held, sounding note drives the drive LED above dark.
    EXPECT_GT (frame (1, "Drive") + frame (2, "Drive"), 0);
}

TEST_F (EditorLeds, IndicatorsAreClearOutsideTheDevicesAndAfterProcessingStops)
{
    engine->prepareToPlay (48000.0, 256);
    engine->setParameter (88, 0.2f);
    render (*engine, 256, { juce::MidiMessage::noteOn (1, 20, 1.0f) });
    EXPECT_TRUE (engine->getDeviceIndicators (0).gate);
    for (int device : { -1, 4, 1000 })
    {
        const auto none = engine->getDeviceIndicators (device);
        EXPECT_FALSE (none.gate || none.gliding);
        EXPECT_EQ (none.driveLevel, 0.0f);
    }
    engine->releaseResources();
    EXPECT_FALSE (engine->getDeviceIndicators (0).gate);
}

TEST (DeviceLedValues, DriveFramesAndValuesOutsideTheStripClampToItsEnds)
{
    Korvalden::GUI::ImageStrip strip (juce::Image (juce::Image::ARGB, 4, 4 * N::ledFrames, true), N::ledFrames, false);
    auto frameFor = [&strip] (float v) {
        strip.setValue (DeviceLedValues::shown (v));
        return strip.getCurrentIndex();
    };

    EXPECT_EQ (frameFor (DeviceLedValues::drive (0.0f)), 0);
    EXPECT_EQ (frameFor (DeviceLedValues::drive (0.1f)), 0);
    EXPECT_EQ (frameFor (DeviceLedValues::drive (0.55f)), 256);
    EXPECT_EQ (frameFor (DeviceLedValues::drive (1.0f)), 511);
    EXPECT_EQ (frameFor (DeviceLedValues::drive (3.0f)), 511) << "a hot drive shows the last frame";
    EXPECT_TRUE (strip.getCurrentFrame().isValid());
    EXPECT_EQ (frameFor (0.5f), 256);
    EXPECT_EQ (frameFor (-0.4f), 0);
    EXPECT_EQ (frameFor (std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ (frameFor (std::numeric_limits<float>::infinity()), 0);
}
