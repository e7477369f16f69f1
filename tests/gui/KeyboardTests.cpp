#include "engine/AudioEngine.h"
#include "gui/KESTLookAndFeel.h"
#include "gui/MultiColoredMidiKeyboard.h"

#include "PaintTestSupport.h"

#include <gtest/gtest.h>

namespace
{
juce::Colour deviceColour (int device)
{
    return juce::Colour (KESTLookAndFeel::deviceColour[(size_t) device]);
}

/** Counts the repaints a component asks for. */
struct RepaintCounter : juce::CachedComponentImage
{
    void paint (juce::Graphics&) override {}
    bool invalidateAll() override { ++count; return true; }
    bool invalidate (const juce::Rectangle<int>&) override { ++count; return true; }
    void releaseResources() override {}
    int count = 0;
};

/** The editor's keyboard: key width 16, all notes reachable. */
struct KeyboardUnderTest
{
    explicit KeyboardUnderTest (AudioEngine& engine)
        : keyboard (engine.getKeyboardState(), juce::MidiKeyboardComponent::horizontalKeyboard,
                    &engine.getGlobalController())
    {
        keyboard.setSize (900, 100);
        keyboard.setKeyWidth (16.0f);
        keyboard.setLowestVisibleKey (12);
        keyboard.setVisible (true);
        for (int device = 0; device < 4; ++device)
            keyboard.setKeyColour (device, deviceColour (device));
    }

    /** A point on the key that only that key covers. */
    juce::Point<int> pointOnKey (int note) const
    {
        const auto key = keyboard.getRectangleForKey (note);
        const bool black = juce::MidiMessage::isMidiNoteBlack (note);
        return { (int) key.getCentreX(), (int) (key.getY() + key.getHeight() * (black ? 0.5f : 0.78f)) };
    }

    juce::Colour colourOfKey (const juce::Image& image, int note) const
    {
        const auto p = pointOnKey (note);
        return image.getPixelAt (p.x, p.y);
    }

    MultiColoredMidiKeyboard keyboard;
};

/** Starts (or ends) the notes on a channel, by default the global receive
    channel whatever the settings say. */
void play (AudioEngine& engine, std::initializer_list<int> notes, int channel = 0, bool on = true)
{
    if (channel == 0)
        channel = globalPlayingChannel (engine);
    juce::MidiBuffer midi;
    for (auto note : notes)
        midi.addEvent (on ? juce::MidiMessage::noteOn (channel, note, (juce::uint8) 100) : juce::MidiMessage::noteOff (channel, note), 0);
    juce::AudioBuffer<float> buffer (2, 64);
    engine.processBlock (buffer, midi);
    engine.updateKeyboardDisplay(); // as the engine's timer does on the message thread
}
} // namespace

TEST (MultiColoredMidiKeyboard, heldKeysShowTheSplitZoneOfTheirDeviceInSplitMode)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setParameter (88, 0.2f); // Split, with the split points at 32, 64 and 96
    ASSERT_EQ (engine.getGlobalController().getAllocationMode(), MultiSoundVoiceController::split);

    KeyboardUnderTest test (engine);
    play (engine, { 21, 40, 42, 69, 100 });
    const auto image = paintToImage (test.keyboard);
    savePngForLooking (image, "keyboard-split");

    EXPECT_EQ (test.colourOfKey (image, 21), deviceColour (0));
    EXPECT_EQ (test.colourOfKey (image, 40), deviceColour (1));
    EXPECT_EQ (test.colourOfKey (image, 42), deviceColour (1)); // a black key
    EXPECT_EQ (test.colourOfKey (image, 69), deviceColour (2));
    EXPECT_EQ (test.colourOfKey (image, 100), deviceColour (3));

    // Keys not held keep the keyboard's own colours.
    EXPECT_EQ (test.colourOfKey (image, 41), test.keyboard.findColour (juce::MidiKeyboardComponent::whiteNoteColourId));
    for (int device = 0; device < 4; ++device)
        EXPECT_GT (colourDistance (test.colourOfKey (image, 44), deviceColour (device)), 150);
}

TEST (MultiColoredMidiKeyboard, aNoteADevicePlaysOnItsOwnChannelShowsInThatDevicesColour)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setParameter (88, 0.2f); // Split: the global channel gives 21 to ORVA and 100 to KEST
    engine.setReceiveChannel (0, 1, false);
    engine.setReceiveChannel (1, 2, false); // ORVA
    engine.setReceiveChannel (3, 4, false); // MUNE
    KeyboardUnderTest test (engine);

    // The global channel played both notes last, on other devices.
    play (engine, { 21, 100 }, 1);
    play (engine, { 21, 100 }, 1, false);
    play (engine, { 100 }, 2);
    play (engine, { 21 }, 4);
    const auto image = paintToImage (test.keyboard);
    EXPECT_EQ (test.colourOfKey (image, 100), deviceColour (0));
    EXPECT_EQ (test.colourOfKey (image, 21), deviceColour (2));

    // Given back to the global channel, a note shows its device there again.
    play (engine, { 100 }, 2, false);
    play (engine, { 100 }, 1);
    EXPECT_EQ (test.colourOfKey (paintToImage (test.keyboard), 100), deviceColour (3));
}

TEST (MultiColoredMidiKeyboard, keysOfDifferentDevicesDoNotKeepAskingForRepaints)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setParameter (88, 0.2f);
    KeyboardUnderTest test (engine);
    play (engine, { 21, 40, 69, 100 });

    paintToImage (test.keyboard);
    auto* counter = new RepaintCounter(); // owned by the keyboard
    test.keyboard.setCachedComponentImage (counter); // attaching repaints once
    counter->count = 0;
    paintToImage (test.keyboard);
    paintToImage (test.keyboard);
    EXPECT_EQ (counter->count, 0);

    // A colour set by the owner still repaints.
    test.keyboard.setColour (juce::MidiKeyboardComponent::whiteNoteColourId, juce::Colours::lightgrey);
    EXPECT_GT (counter->count, 0);
}

TEST (MultiColoredMidiKeyboard, aKeyThatWentBackBetweenTwoTicksIsDrawnAgainAtTheNextAsItIsNow)
{
    AudioEngine engine;
    KeyboardUnderTest test (engine);
    test.keyboard.setAvailableRange (12, 72);
    auto& state = engine.getKeyboardState();

    // A key inside the range and the highest one; each tick after the one
    // that drew it again asks for nothing while no key changes.
    for (const int note : { 48, 72 })
    {
        const auto setKey = [&state, note] (bool down) { down ? state.noteOn (1, note, 1.0f) : state.noteOff (1, note, 0.0f); };
        for (const bool downAtTheTick : { false, true })
        {
            SCOPED_TRACE ("key " + juce::String (note) + (downAtTheTick ? ", released and pressed again" : ", pressed and released again"));
            setKey (downAtTheTick);
            test.keyboard.timerCallback();
            // A window painting late draws the key the other way ...
            setKey (! downAtTheTick);
            paintToImage (test.keyboard);
            // ... and it goes back before the next tick, which must draw it again.
            setKey (downAtTheTick);
            auto* counter = new RepaintCounter(); // owned by the keyboard
            test.keyboard.setCachedComponentImage (counter);
            counter->count = 0;
            test.keyboard.timerCallback();
            EXPECT_GT (counter->count, 0) << "the key stays drawn as the late paint found it";
            counter->count = 0;
            test.keyboard.timerCallback();
            test.keyboard.timerCallback();
            EXPECT_EQ (counter->count, 0) << "ticks without a change still ask for repaints";
            test.keyboard.setCachedComponentImage (nullptr);
        }
        setKey (false);
    }
}

TEST (MultiColoredMidiKeyboard, aDeviceWithoutColourKeepsTheLastOverlayColour)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 64);
    engine.setParameter (88, 0.2f);
    MultiColoredMidiKeyboard keyboard (engine.getKeyboardState(), juce::MidiKeyboardComponent::horizontalKeyboard,
                                       &engine.getGlobalController());
    keyboard.setSize (900, 100);
    keyboard.setKeyWidth (16.0f);
    keyboard.setLowestVisibleKey (12);
    keyboard.setKeyColour (1, deviceColour (1));
    EXPECT_FALSE (keyboard.findKeyColour (0).has_value());
    EXPECT_EQ (keyboard.findKeyColour (1), deviceColour (1));

    // Keys are drawn from low to high: 100 (KEST, no colour) follows 40 (TESK).
    play (engine, { 40, 100 });
    const auto image = paintToImage (keyboard);
    const auto key = keyboard.getRectangleForKey (100);
    EXPECT_EQ (image.getPixelAt ((int) key.getCentreX(), 78), deviceColour (1));
}

TEST (BeepFreeMidiKeyboard, claimsOnlyTheKeysThatPlayNotes)
{
    juce::MidiKeyboardState state;
    Korvalden::GUI::BeepFreeMidiKeyboard keyboard (state, juce::MidiKeyboardComponent::horizontalKeyboard);
    for (auto c : juce::String ("awsedftgyhujkolp;"))
        keyboard.notePresses.add (juce::KeyPress (c));

    EXPECT_TRUE (keyboard.keyPressed (juce::KeyPress ('a')));
    EXPECT_TRUE (keyboard.keyPressed (juce::KeyPress (';')));
    EXPECT_FALSE (keyboard.keyPressed (juce::KeyPress ('z')));
    EXPECT_FALSE (keyboard.keyPressed (juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 0)));
    EXPECT_FALSE (keyboard.keyPressed (juce::KeyPress (juce::KeyPress::spaceKey)));
}

TEST (MultiColoredMidiKeyboard, noOctaveLabelIsCutByAScrollButton)
{
    AudioEngine engine;
    MultiColoredMidiKeyboard keyboard (engine.getKeyboardState(), juce::MidiKeyboardComponent::horizontalKeyboard,
                                       &engine.getGlobalController());
    keyboard.setKeyWidth (16.0f);
    keyboard.setAvailableRange (0, 127);
    keyboard.setScrollButtonsVisible (true);
    keyboard.setSize (752, 76);
    keyboard.setLowestVisibleKey (48);

    // The lower scroll button covers the start of the first key.
    ASSERT_EQ (keyboard.getLowestVisibleKey(), 48);
    EXPECT_EQ (keyboard.getWhiteNoteText (48), juce::String());
    EXPECT_EQ (keyboard.getWhiteNoteText (60), "C3");

    // Scrolled to the bottom, that button goes and the first label with it comes back.
    keyboard.setLowestVisibleKey (0);
    EXPECT_EQ (keyboard.getWhiteNoteText (0), "C-2");
    EXPECT_EQ (keyboard.getWhiteNoteText (12), "C-1");
}
