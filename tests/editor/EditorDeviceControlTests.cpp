// Every knob, switch and key colour of the four devices as a musician meets
// them: the control named after a device's parameter turns that parameter,
// shows it selected, and wears the device's colour; the keys the host holds
// show in their device's colour.  Names, indexes and colours are written out
// as the panel's layout and manual know them.

#include "EditorFixture.h"

#include "gui/MultiColoredMidiKeyboard.h"
#include "gui/ParameterRadioButton.h"
#include "linking/LinkableParameterKnob.h"
#include "tests/support/EngineBlocks.h"
#include "tests/support/MouseEvents.h"

#include <algorithm>

namespace
{
const juce::uint32 deviceColours[] { 0xFFFFF000, 0xFF45A200, 0xFFFD17CA, 0xFF17A4DF };

const struct
{
    const char* suffix;
    int k;
} knobs[] { { "Glide", 0 },      { "Tune", 1 },      { "PulseWidth", 2 }, { "Mod1_Level", 5 }, { "Mod1_Time", 6 },  { "Freq", 7 },
            { "Envelope", 9 },   { "Mod2_Level", 10 }, { "Mod2_Time", 11 }, { "Emphasis", 12 },  { "Accent", 13 },    { "Attack", 14 },
            { "Decay", 15 },     { "Sustain", 16 },  { "Release", 17 },   { "Drive", 18 } };

const struct
{
    const char* suffix;
    int k, positions, position;
} switches[] { { "Btn_OscOff", 3, 4, 0 },   { "Btn_OscNoise", 3, 4, 1 },  { "Btn_OscSaw", 3, 4, 2 },    { "Btn_OscPulse", 3, 4, 3 },
               { "Btn_LFO1_Off", 4, 3, 0 }, { "Btn_LFO1_PWM", 4, 3, 1 },  { "Btn_LFO1_FM", 4, 3, 2 },
               { "Btn_TrackOff", 8, 3, 0 }, { "Btn_TrackHalf", 8, 3, 1 }, { "Btn_TrackFull", 8, 3, 2 } };

void poll (MainControlPanel& panel) { panel.getParameterLinker().timerCallback(); }

/** The colour of the most opaque pixel of an image: a tinted mask's icon. */
juce::Colour iconColour (const juce::Image& image)
{
    juce::Colour strongest (0x00000000);
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > strongest.getAlpha())
                strongest = image.getPixelAt (x, y);
    return strongest;
}
} // namespace

TEST_F (EditorFixture, EveryDeviceKnobTurnsItsOwnParameterAndWearsTheDeviceColour)
{
    openEditor();
    for (int d = 1; d <= 4; ++d)
        for (auto& knob : knobs)
        {
            const auto name = juce::String (d) + "_" + knob.suffix;
            SCOPED_TRACE (name);
            auto* control = child<LinkableParameterKnob> (name);
            ASSERT_NE (control, nullptr);
            EXPECT_EQ (control->getIndex(), 20 * (d - 1) + knob.k);
            EXPECT_EQ (control->findColour (0), juce::Colour (deviceColours[d - 1]));
        }
}

TEST_F (EditorFixture, EverySwitchSelectsAndSetsItsOwnPositionOfItsParameterInTheDeviceColour)
{
    auto& editor = openEditor();
    for (int d = 1; d <= 4; ++d)
        for (auto& button : switches)
        {
            const auto name = juce::String (d) + "_" + button.suffix;
            SCOPED_TRACE (name);
            const int index = 20 * (d - 1) + button.k;
            const float value = (float) button.position / (float) (button.positions - 1);
            auto* control = child<Korvalden::GUI::ParameterRadioButton> (name);
            ASSERT_NE (control, nullptr);

            // Shown: the parameter at this position selects this button alone in its group.
            engine->setParameter (index, value);
            poll (editor);
            EXPECT_TRUE (control->isSelected());
            for (auto& other : switches)
            {
                if (other.k == button.k && other.position != button.position)
                {
                    EXPECT_FALSE (child<Korvalden::GUI::ParameterRadioButton> (juce::String (d) + "_" + other.suffix)->isSelected()) << other.suffix;
                }
            }
            EXPECT_EQ (iconColour (control->getTintedImage()), juce::Colour (deviceColours[d - 1]));

            // Set: a click from another position moves the parameter here.
            engine->setParameter (index, button.position == 0 ? 1.0f : 0.0f);
            const auto centre = control->getLocalBounds().getCentre().toFloat();
            control->mouseDown (mouseAt (*control, centre, centre, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), false));
            EXPECT_FLOAT_EQ (engine->getParameter (index), value);
        }
}

TEST_F (EditorFixture, TheKeyboardShowsEachDevicesHeldKeysInItsColour)
{
    openEditor();
    auto* keyboard = child<MultiColoredMidiKeyboard> ("Keyboard");
    ASSERT_NE (keyboard, nullptr);
    for (int device = 0; device < 4; ++device)
    {
        ASSERT_TRUE (keyboard->findKeyColour (device).has_value()) << device;
        EXPECT_EQ (*keyboard->findKeyColour (device), juce::Colour (deviceColours[device])) << device;
    }
    EXPECT_FALSE (keyboard->findKeyColour (4).has_value());
}

TEST_F (EditorFixture, TheHostsNotesShowOnTheOnScreenKeyboardAndSoundOnlyOnce)
{
    // Two engines hear the same host blocks; one has its editor open, whose
    // keyboard shows the host's notes.  Showing them plays nothing: the two
    // sound alike, sample for sample.  Split gives a note played again the
    // same device; Revolver gives it the next one, so there its key would
    // change colour.
    const struct
    {
        const char* name;
        float mode; // parameter 88
        int devices[3]; // of notes 52, 70 and 100
    } modes[] { { "Split", 0.2f, { 1, 2, 3 } }, { "Revolver", 0.4f, { 0, 1, 2 } } };

    openEditor();
    AudioEngine alone;
    for (auto* e : { engine.get(), &alone })
        e->prepareToPlay (48000.0, 256);
    auto* keyboard = child<MultiColoredMidiKeyboard> ("Keyboard");
    ASSERT_NE (keyboard, nullptr);
    auto& keys = engine->getKeyboardState();
    ASSERT_LE (keyboard->getLowestVisibleKey(), 52);

    bool soundAlike = true;
    const auto playBoth = [&] (std::initializer_list<juce::MidiMessage> messages)
    {
        juce::AudioBuffer<float> heard[2] { { 2, 256 }, { 2, 256 } };
        AudioEngine* engines[] { engine.get(), &alone };
        for (int i = 0; i < 2; ++i)
        {
            juce::MidiBuffer midi;
            for (auto& message : messages)
                midi.addEvent (message, 0);
            playBlockAsHost (*engines[i], heard[i], midi);
        }
        for (int c = 0; c < 2; ++c)
            soundAlike = soundAlike && std::equal (heard[0].getReadPointer (c), heard[0].getReadPointer (c) + 256, heard[1].getReadPointer (c));
    };
    // The host goes on playing while the editor's timers run, and for one
    // block more: a note that showing the keys handed to the engine would
    // start there.
    const auto playUntil = [&] (auto shown)
    {
        for (int round = 0; round < 300 && ! shown(); ++round)
        {
            playBoth ({});
            pump (5);
        }
        playBoth ({});
        return shown();
    };
    const auto keyColour = [&] (int note)
    {
        const auto image = keyboard->createComponentSnapshot (keyboard->getLocalBounds());
        const auto key = keyboard->getRectangleForKey (note);
        return image.getPixelAt ((int) key.getCentreX(), (int) (key.getY() + key.getHeight() * 0.78f));
    };
    const auto white = keyColour (53);
    for (auto colour : deviceColours)
        ASSERT_NE (white, juce::Colour (colour));

    for (auto& mode : modes)
    {
        SCOPED_TRACE (mode.name);
        soundAlike = true;
        for (auto* e : { engine.get(), &alone })
            e->setParameter (88, mode.mode);
        const auto colourOf = [&] (int i) { return juce::Colour (deviceColours[mode.devices[i]]); };

        // Note 100 is held on two channels at once.
        playBoth ({ juce::MidiMessage::noteOn (1, 52, (juce::uint8) 100), juce::MidiMessage::noteOn (3, 70, (juce::uint8) 100),
                    juce::MidiMessage::noteOn (1, 100, (juce::uint8) 100), juce::MidiMessage::noteOn (3, 100, (juce::uint8) 90) });
        ASSERT_TRUE (playUntil ([&] { return keys.isNoteOn (1, 52) && keys.isNoteOn (3, 70) && keys.isNoteOn (1, 100) && keys.isNoteOn (3, 100); }));
        pump (50);
        EXPECT_EQ (keyColour (52), colourOf (0));
        EXPECT_EQ (keyColour (70), colourOf (1));
        EXPECT_EQ (keyColour (100), colourOf (2));
        EXPECT_EQ (keyColour (53), white);

        // A key goes up when the host lets it go on every channel that held it.
        playBoth ({ juce::MidiMessage::noteOff (1, 52), juce::MidiMessage::noteOff (1, 100) });
        ASSERT_TRUE (playUntil ([&] { return ! keys.isNoteOn (1, 52) && ! keys.isNoteOn (1, 100); }));
        pump (50);
        EXPECT_EQ (keyColour (52), white);
        EXPECT_TRUE (keys.isNoteOn (3, 100));
        EXPECT_EQ (keyColour (100), colourOf (2));

        // A note that drawing the keys handed to the engine would sound for a block.
        playBoth ({});
        playBoth ({ juce::MidiMessage::noteOff (3, 70), juce::MidiMessage::noteOff (3, 100) });
        ASSERT_TRUE (playUntil ([&] { return ! keys.isNoteOn (3, 70) && ! keys.isNoteOn (3, 100); }));
        for (int block = 0; block < 100; ++block)
            playBoth ({});
        EXPECT_TRUE (soundAlike) << "a note shown on the keyboard was played again";
        EXPECT_EQ (asTheAudioThread (*engine, [&] { return busyVoices (*engine); }), asTheAudioThread (alone, [&] { return busyVoices (alone); }));
    }
}
