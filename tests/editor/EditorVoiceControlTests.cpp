// The voice-mode combo, the voice switches and the split slider: what they
// send the host and write into the engine.

#include "EditorFixture.h"

#include "editor/SplitPointSlider.h"
#include "engine/XmlBinaryBlock.h"
#include "tests/support/MouseEvents.h"

namespace N = EditorNames;

namespace
{
    /** What the host hears: gestures and values, in order, as text. */
    struct HostRecorder : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
        {
            events.add ("set " + juce::String (index) + " " + juce::String (value, 1));
        }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
        {
            events.add ("begin " + juce::String (index));
        }
        void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
        {
            events.add ("end " + juce::String (index));
        }
        juce::String text() const { return events.joinIntoString (", "); }
        juce::StringArray events;
    };

    std::array<int, 3> splitPoints (AudioEngine& engine)
    {
        auto& c = engine.getGlobalController();
        return { c.getSplitPoint (0), c.getSplitPoint (1), c.getSplitPoint (2) };
    }

    /** The engine reads a preset of its current sound with these split points. */
    void readSplitPoints (AudioEngine& engine, const std::array<int, 3>& points)
    {
        juce::MemoryBlock sound;
        engine.writePresetState (sound);
        auto xml = XmlBinaryBlock::read (sound);
        ASSERT_NE (xml, nullptr);
        for (int i = 0; i < 3; ++i)
            xml->setAttribute ("SplitPoint" + juce::String (i + 1), points[(size_t) i]);
        XmlBinaryBlock::write (*xml, sound);
        engine.readPresetState (sound);
    }
}

TEST_F (EditorFixture, ComboItemsSetParameter88InsideOneGestureAndShowTheSplitSliderInSplitOnly)
{
    auto& editor = openEditor();
    pump (50);
    auto* combo = child<juce::ComboBox> (N::voiceMode);
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_TRUE (combo && split);
    HostRecorder host;
    engine->addListener (&host);

    const float values[] { 0.0f, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f };
    for (int id : { 2, 3, 4, 5, 6, 1 })
    {
        SCOPED_TRACE (id);
        host.events.clear();
        combo->setSelectedId (id, juce::sendNotificationSync);
        EXPECT_EQ (host.text(), "begin 88, set 88 " + juce::String (values[id - 1], 1) + ", end 88");
        EXPECT_FLOAT_EQ (engine->getParameter (88), values[id - 1]);
        EXPECT_EQ ((int) engine->getGlobalController().getAllocationMode(), id - 1);
        EXPECT_EQ (split->isVisible(), id == 2);
    }

    // No selection: the gesture without a value; the resync puts the item back.
    host.events.clear();
    editor.comboBoxChanged (nullptr);
    EXPECT_TRUE (host.events.isEmpty());
    combo->setSelectedId (0, juce::dontSendNotification);
    editor.comboBoxChanged (combo);
    EXPECT_EQ (host.text(), "begin 88, end 88");
    EXPECT_FLOAT_EQ (engine->getParameter (88), 0.0f);
    pump (50);
    EXPECT_EQ (combo->getSelectedId(), 1);
    engine->removeListener (&host);
}

TEST_F (EditorFixture, VoiceSwitchClicksSendOneGestureWithTheNewToggleState)
{
    openEditor();
    engine->setParameter (88, 0.4f);   // Revolver: all three switches enabled
    pump (80);
    HostRecorder host;
    engine->addListener (&host);

    const std::pair<const char*, int> switches[] { { N::directionButton, 89 }, { N::fillButton, 90 }, { N::monophonButton, 91 } };
    for (auto [name, index] : switches)
    {
        SCOPED_TRACE (name);
        auto* button = child<juce::Button> (name);
        ASSERT_TRUE (button != nullptr && button->isEnabled());
        const bool before = button->getToggleState();
        host.events.clear();
        button->triggerClick();
        pump (20);
        const juce::String value = before ? "0.0" : "1.0";
        const juce::String i (index);
        EXPECT_EQ (host.text(), "begin " + i + ", set " + i + " " + value + ", end " + i);
        EXPECT_EQ (engine->getParameter (index), before ? 0.0f : 1.0f);
    }
    engine->removeListener (&host);
}

TEST_F (EditorFixture, AResyncShowsTheSplitPointsAndTheEngineKeepsThemAsRead)
{
    openEditor();
    engine->setParameter (88, 0.2f);
    pump (80);
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_NE (split, nullptr);

    // Each sound comes in as a preset does: read by the engine, which then
    // asks the editor to resync.  The slider shows points out of order
    // sorted and points beyond the keyboard at its end; the engine goes on
    // playing them as stored.
    struct Case { std::array<int, 3> stored, shown; };
    const Case cases[] { { { 80, 64, 20 }, { 20, 64, 80 } },      // out of order
                         { { 10, 200, 300 }, { 10, 127, 127 } },  // beyond the keyboard
                         { { 40, 50, 60 }, { 40, 50, 60 } },
                         { { 80, 64, 20 }, { 20, 64, 80 } },
                         { { 80, 64, 20 }, { 20, 64, 80 } } };    // thumbs already there
    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.stored[0]) + " " + juce::String (c.stored[1]) + " " + juce::String (c.stored[2]));
        readSplitPoints (*engine, c.stored);
        pump (50);

        EXPECT_EQ (SplitPointSlider::read (*split), c.shown);
        EXPECT_EQ (splitPoints (*engine), c.stored) << "showing the points never rewrites them";
    }
}

TEST_F (EditorFixture, DraggingOneSplitThumbWritesOnlyThePointsOfTheThumbsThatMoved)
{
    openEditor();
    engine->setParameter (88, 0.2f);
    pump (80);
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_NE (split, nullptr);
    ASSERT_TRUE (split->isVisible());

    // A thumb writes the point it shows: the lower thumb of points stored out
    // of order shows point 3.  A thumb pushed along by the dragged one has
    // moved too; the others keep what the file says.
    enum Thumb { lower, middle, upper };
    struct Case { std::array<int, 3> stored; Thumb thumb; int to; std::array<int, 3> written; };
    const Case cases[] {
        { { 80, 64, 20 }, lower, 30, { 80, 64, 30 } },
        { { 80, 64, 20 }, upper, 90, { 90, 64, 20 } },
        { { 80, 64, 20 }, middle, 50, { 80, 50, 20 } },
        { { 80, 64, 20 }, lower, 70, { 80, 70, 70 } },     // pushes the middle thumb
        { { 10, 200, 300 }, lower, 20, { 20, 200, 300 } },
        { { 10, 200, 300 }, upper, 120, { 10, 120, 120 } }, // the middle thumb sat on it
        { { 40, 50, 60 }, middle, 55, { 40, 55, 60 } },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.stored[0]) + " " + juce::String (c.stored[1]) + " " + juce::String (c.stored[2]) + ", thumb "
                      + juce::String ((int) c.thumb) + " to " + juce::String (c.to));
        readSplitPoints (*engine, c.stored);
        pump (50);

        // Pressed on the thumb (a pixel outside it where two thumbs meet, so
        // the outer one is taken), released at the target.
        const double from = c.thumb == lower ? split->getMinValue() : c.thumb == upper ? split->getMaxValue() : split->getValue();
        const float side = c.thumb == lower ? -1.0f : c.thumb == upper ? 1.0f : 0.0f;
        const float y = (float) split->getHeight() * 0.5f;
        const juce::Point<float> down ((float) split->getPositionOfValue (from) + side, y);
        const juce::Point<float> up ((float) split->getPositionOfValue ((double) c.to), y);
        split->mouseDown (mouseAt (*split, down, down, juce::ModifierKeys::leftButtonModifier, false));
        split->mouseDrag (mouseAt (*split, up, down, juce::ModifierKeys::leftButtonModifier, true));
        split->mouseUp (mouseAt (*split, up, down, {}, true));
        pump (30);

        EXPECT_EQ (splitPoints (*engine), c.written);
    }
}

TEST_F (EditorFixture, MovedSplitThumbsWriteTheirPointsTruncatedAndOtherSlidersNothing)
{
    auto& editor = openEditor();
    engine->setParameter (88, 0.2f);
    pump (80);
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_NE (split, nullptr);
    ASSERT_TRUE (split->isVisible());
    ASSERT_EQ (SplitPointSlider::read (*split), (std::array<int, 3> { 32, 64, 96 }));

    split->setValue (70.0, juce::sendNotificationSync);
    EXPECT_EQ (splitPoints (*engine), (std::array<int, 3> { 32, 70, 96 }));

    // Moving the lower thumb past the middle one pushes it along.
    split->setMinValue (75.0, juce::sendNotificationSync, true);
    EXPECT_EQ (splitPoints (*engine), (std::array<int, 3> { 75, 75, 96 }));

    // Fractions truncate toward zero (a slider without an interval).
    split->setRange (-10.0, 127.0, 0.0);
    split->setMinAndMaxValues (-0.5, 100.0, juce::sendNotificationSync);
    split->setValue (63.7, juce::sendNotificationSync);
    EXPECT_EQ (splitPoints (*engine), (std::array<int, 3> { 0, 63, 100 }));

    // A slider of another name, or one of this name with a single thumb, changes nothing.
    juce::Slider other (juce::Slider::ThreeValueHorizontal, juce::Slider::NoTextBox);
    other.setName ("Other");
    editor.sliderValueChanged (&other);
    juce::Slider single;
    single.setName (N::splitPointSlider);
    editor.sliderValueChanged (&single);
    editor.sliderValueChanged (nullptr);
    EXPECT_EQ (splitPoints (*engine), (std::array<int, 3> { 0, 63, 100 }));
}
