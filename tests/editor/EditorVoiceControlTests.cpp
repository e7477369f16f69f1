// The voice-mode combo, the voice switches and the split slider: what they
// send the host and write into the engine.

#include "EditorFixture.h"

#include "editor/SplitPointSlider.h"
#include "engine/XmlBinaryBlock.h"

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

TEST_F (EditorFixture, AfterAResyncTheEngineHoldsTheSplitPointsTheSliderShows)
{
    openEditor();
    engine->setParameter (88, 0.2f);
    pump (80);
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_NE (split, nullptr);

    // Each sound comes in as a preset does: read by the engine, which then
    // asks the editor to resync.  The last one finds the thumbs already where
    // it would put them, so no thumb moves.
    struct Case { std::array<int, 3> stored, shown; };
    const Case cases[] { { { 80, 64, 20 }, { 20, 64, 80 } },      // out of order
                         { { 10, 200, 300 }, { 10, 127, 127 } },  // beyond the keyboard
                         { { 40, 50, 60 }, { 40, 50, 60 } },
                         { { 80, 64, 20 }, { 20, 64, 80 } },
                         { { 80, 64, 20 }, { 20, 64, 80 } } };
    for (auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.stored[0]) + " " + juce::String (c.stored[1]) + " " + juce::String (c.stored[2]));
        juce::MemoryBlock sound;
        engine->writePresetState (sound);
        auto xml = XmlBinaryBlock::read (sound);
        ASSERT_NE (xml, nullptr);
        for (int i = 0; i < 3; ++i)
            xml->setAttribute ("SplitPoint" + juce::String (i + 1), c.stored[(size_t) i]);
        XmlBinaryBlock::write (*xml, sound);
        engine->readPresetState (sound);
        pump (50);

        EXPECT_EQ (SplitPointSlider::read (*split), c.shown);
        EXPECT_EQ (splitPoints (*engine), c.shown) << "the engine plays what the slider shows";
    }
}

TEST_F (EditorFixture, MovingASplitThumbWritesAllThreePoints)
{
    auto& editor = openEditor();
    engine->setParameter (88, 0.2f);
    pump (80);
    auto* split = child<juce::Slider> (N::splitPointSlider);
    ASSERT_NE (split, nullptr);
    ASSERT_TRUE (split->isVisible());
    split->setMinAndMaxValues (20.0, 80.0, juce::dontSendNotification);
    split->setValue (64.0, juce::dontSendNotification);

    // A user's move of the middle thumb writes lower, middle and upper: the
    // engine's points are in order from then on.
    split->setValue (70.0, juce::sendNotificationSync);
    EXPECT_EQ (splitPoints (*engine), (std::array<int, 3> { 20, 70, 80 }));

    // Dragging the lower thumb past the middle one pushes it along.
    split->setMinValue (75.0, juce::sendNotificationSync, true);
    EXPECT_EQ (splitPoints (*engine), (std::array<int, 3> { 75, 75, 80 }));

    // Fractions truncate toward zero (a slider without an interval).
    split->setRange (-10.0, 127.0, 0.0);
    split->setMinAndMaxValues (-0.5, 100.0, juce::dontSendNotification);
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
