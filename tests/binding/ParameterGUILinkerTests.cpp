#include "gui/ParameterGUILinker.h"
#include "tests/support/EventFilters.h"

#include <gtest/gtest.h>

using Korvalden::Parameter::ParameterGUILinker;
using Event = FakeDirtyCheckProcessor::Event;

namespace
{
struct RecordingCallback final : ParameterGUILinker::ParameterChangeCallback
{
    void parameterChanged (int index, float value) override { calls.emplace_back (index, value); }
    std::vector<std::pair<int, float>> calls;
};

juce::Slider& unitSlider (juce::Slider& slider)
{
    slider.setRange (0.0, 1.0);
    return slider;
}

struct LinkerFixture : ::testing::Test
{
    FakeDirtyCheckProcessor processor;
    ParameterGUILinker linker { &processor };

    void poll() { linker.timerCallback(); }
};
} // namespace

TEST_F (LinkerFixture, DraggingASliderSendsBeginValueEndAndKeepsSiblingsInStep)
{
    juce::Slider moved, sibling;
    juce::Label label;
    RecordingCallback callback;
    processor.storeQuietly (5, 0.2f);
    linker.addControl (&unitSlider (moved), 5);
    linker.addControl (&unitSlider (sibling), 5);
    linker.addControl (&label, 5);
    linker.addCallback (&callback, 5);
    processor.takeEvents();
    callback.calls.clear();

    {
        juce::Slider::ScopedDragNotification drag (moved);
        moved.setValue (0.75, juce::sendNotificationSync);
    }

    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { beginOf (5), valueOf (5, 0.75f), endOf (5) }));
    EXPECT_FLOAT_EQ (processor.getParameter (5), 0.75f);
    EXPECT_DOUBLE_EQ (sibling.getValue(), 0.75);
    EXPECT_EQ (label.getText(), "0.750  u");
    ASSERT_EQ (callback.calls.size(), 1u);
    EXPECT_EQ (callback.calls[0], std::make_pair (5, 0.75f));

    // The next poll finds the flag and reports the processor's value again.
    poll();
    ASSERT_EQ (callback.calls.size(), 2u);
    EXPECT_EQ (callback.calls[1], std::make_pair (5, 0.75f));
}

TEST_F (LinkerFixture, MasterVolumeSliderSetsTheValueWithoutGesturesOrHostNotification)
{
    juce::Slider volume;
    linker.addControl (&unitSlider (volume), 92);
    processor.takeEvents();

    {
        juce::Slider::ScopedDragNotification drag (volume);
        volume.setValue (0.4, juce::sendNotificationSync);
    }

    EXPECT_EQ (processor.takeEvents(), (std::vector<Event> { setOf (92, 0.4f) }));
    EXPECT_FLOAT_EQ (processor.getParameter (92), 0.4f);
}

TEST_F (LinkerFixture, ClickingAButtonSendsBeginValueEnd)
{
    juce::ToggleButton button;
    button.setClickingTogglesState (true);
    linker.addControl (&button, 89);
    linker.addControl (&button, 89); // bound twice: still one listener
    processor.takeEvents();

    button.triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    EXPECT_TRUE (button.getToggleState());
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { beginOf (89), valueOf (89, 1.0f), endOf (89) }));

    button.triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (hostEvents (processor), (std::vector<Event> { beginOf (89), valueOf (89, 0.0f), endOf (89) }));
}

TEST_F (LinkerFixture, BindingShowsTheCurrentValueAtOnce)
{
    processor.storeQuietly (7, 0.3f);
    processor.storeQuietly (8, 0.6f);
    processor.defaults[7] = 0.25f;

    juce::Slider slider;
    juce::ToggleButton button;
    juce::Label label;
    RecordingCallback callback;
    linker.addControl (&unitSlider (slider), 7);
    linker.addControl (&button, 8);
    linker.addControl (&label, 7);
    linker.addCallback (&callback, 8);

    EXPECT_DOUBLE_EQ (slider.getValue(), (double) 0.3f);
    EXPECT_TRUE (button.getToggleState());
    EXPECT_EQ (label.getText(), "0.300  u");
    EXPECT_TRUE (slider.isDoubleClickReturnEnabled());
    EXPECT_DOUBLE_EQ (slider.getDoubleClickReturnValue(), (double) 0.25f);
    ASSERT_EQ (callback.calls.size(), 1u);
    EXPECT_EQ (callback.calls[0], std::make_pair (8, 0.6f));
    EXPECT_TRUE (processor.takeEvents().empty()) << "showing a value never writes it";
}

TEST_F (LinkerFixture, PollRefreshesOnlyDirtyIndexesAndClearsTheirFlags)
{
    juce::Slider flagged, quiet;
    RecordingCallback flaggedCallback, quietCallback;
    linker.addControl (&unitSlider (flagged), 3);
    linker.addControl (&unitSlider (quiet), 4);
    linker.addCallback (&flaggedCallback, 3);
    linker.addCallback (&quietCallback, 4);
    flaggedCallback.calls.clear();
    quietCallback.calls.clear();
    processor.clearAllDirtyFlags();

    processor.storeFromElsewhere (3, 0.9f); // mapped MIDI, say
    processor.storeQuietly (4, 0.8f);       // a value whose flag is not set
    poll();

    EXPECT_DOUBLE_EQ (flagged.getValue(), (double) 0.9f);
    EXPECT_DOUBLE_EQ (quiet.getValue(), 0.0);
    EXPECT_EQ (flaggedCallback.calls, (std::vector<std::pair<int, float>> { { 3, 0.9f } }));
    EXPECT_TRUE (quietCallback.calls.empty());
    EXPECT_FALSE (processor.isParameterDirty (3));
    EXPECT_TRUE (processor.takeEvents().empty()) << "a refresh never feeds back into the processor";

    poll();
    EXPECT_EQ (flaggedCallback.calls.size(), 1u);
}

TEST_F (LinkerFixture, PollCoversTheRecordBeyondTheHostParameters)
{
    juce::Label volumeLabel;
    linker.addControl (&volumeLabel, 92);
    processor.clearAllDirtyFlags();

    processor.storeFromElsewhere (92, 0.5f);
    poll();

    EXPECT_EQ (volumeLabel.getText(), "0.500  u");
}

TEST_F (LinkerFixture, TheTimerPollsEveryTwentyFiveMilliseconds)
{
    juce::Slider slider;
    linker.addControl (&unitSlider (slider), 10);
    EXPECT_EQ (linker.getTimerInterval(), 25);

    processor.storeFromElsewhere (10, 0.55f);
    for (int i = 0; i < 100 && slider.getValue() == 0.0; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

    EXPECT_DOUBLE_EQ (slider.getValue(), (double) 0.55f);
}

TEST_F (LinkerFixture, UnboundControlsAreIgnored)
{
    juce::Slider stranger;
    stranger.addListener (&linker);
    unitSlider (stranger).setValue (0.5, juce::sendNotificationSync);
    {
        juce::Slider::ScopedDragNotification drag (stranger);
    }
    linker.controlValueChanged (&stranger);

    EXPECT_TRUE (processor.takeEvents().empty());
    stranger.removeListener (&linker);
}
