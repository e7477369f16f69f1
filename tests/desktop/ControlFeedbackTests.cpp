// What the editor's controls show after a user's click, drag or turn of the
// wheel in its window: the voice controls what the engine holds while a
// host plays it, the master volume's fine drags, the link ratio at once; and
// what the keyboard shows of a held note that passes to another device.

// The keyboard's module before Xlib's macros (KeyPress) that the fixture brings.
#include "gui/MultiColoredMidiKeyboard.h"

#include "DesktopEditorFixture.h"
#include "engine/ParameterFunctions.h"
#include "gui/KESTLookAndFeel.h"
#include "linking/LinkableParameterKnob.h"
#include "tests/support/EngineBlocks.h"

#include <chrono>
#include <thread>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
namespace N = EditorNames;
using Mode = MultiSoundVoiceController::tVoiceAllocationMode;

constexpr int voiceMode = 88, voiceDirection = 89, voiceFill = 90, monophon = 91, masterVolume = 92;

/** A host's audio thread: blocks of 2048 samples at 48 kHz, played at the
    pace of real time under the callback lock, so that the engine leaves
    parameter changes to its next block, up to 43 ms later.  Stops and
    releases the engine when it goes. */
class RealTimeHost
{
public:
    static constexpr int blockLength = 2048;
    static constexpr double rate = 48000.0;

    explicit RealTimeHost (AudioEngine& engineToPlay) : engine (engineToPlay)
    {
        engine.prepareToPlay (rate, blockLength);
        thread = std::thread ([this]
        {
            juce::AudioBuffer<float> buffer (2, blockLength);
            juce::MidiBuffer midi;
            const auto period = std::chrono::microseconds ((long long) (1.0e6 * blockLength / rate));
            for (auto next = std::chrono::steady_clock::now(); running; next += period)
            {
                playBlockAsHost (engine, buffer, midi);
                std::this_thread::sleep_until (next + period);
            }
        });
    }

    ~RealTimeHost()
    {
        running = false;
        thread.join();
        engine.releaseResources();
    }

private:
    AudioEngine& engine;
    std::atomic<bool> running { true };
    std::thread thread;
};

float voiceModeValue (Mode mode) { return (float) mode / 5.0f; }
} // namespace

class ControlFeedback : public DesktopEditorFixture
{
protected:
    static juce::String voiceSettings (int mode, bool down, bool fill, bool mono, bool splitPointsShown)
    {
        return "mode " + juce::String (mode) + (down ? ", down" : ", up") + (fill ? ", fill" : "") + (mono ? ", mono" : "")
               + (splitPointsShown ? ", split points" : "");
    }

    /** The voice settings as the combo, the three switches and the split slider show them. */
    juce::String voiceSettingsShown()
    {
        return voiceSettings (child<juce::ComboBox> (N::voiceMode)->getSelectedId() - 1, child<juce::Button> (N::directionButton)->getToggleState(),
                              child<juce::Button> (N::fillButton)->getToggleState(), child<juce::Button> (N::monophonButton)->getToggleState(),
                              child<juce::Slider> (N::splitPointSlider)->isVisible());
    }

    /** The voice settings as the engine holds them. */
    juce::String voiceSettingsHeld()
    {
        auto& voices = engine->getGlobalController();
        return voiceSettings ((int) voices.getAllocationMode(), voices.getDirection(), voices.getFill(), engine->isMonophonic(),
                              voices.getAllocationMode() == MultiSoundVoiceController::split);
    }

    /** Lets every resync that a change asked for run: the binding's poll
        once more (for dirty flags its own timer has not taken yet), then
        everything posted to the editor before this. */
    void letTheEditorCatchUp()
    {
        panel->getParameterLinker().timerCallback();
        auto reached = std::make_shared<bool> (false);
        juce::MessageManager::callAsync ([reached] { *reached = true; });
        waitFor ([reached] { return *reached; });
    }

    /** Sets the engine's voice settings as a state would, before an editor opens. */
    void setVoiceSettings (Mode mode)
    {
        engine->setParameter (voiceMode, voiceModeValue (mode));
        for (int index : { voiceDirection, voiceFill, monophon })
            engine->setParameter (index, 0.0f);
        waitFor ([&] { return engine->getGlobalController().getAllocationMode() == mode && ! engine->isMonophonic()
                              && ! engine->getGlobalController().getFill() && ! engine->getGlobalController().getDirection(); });
    }

    /** Presses with the button (holding ctrl if asked) at a screen point,
        moves dx pixels to the right in one motion and lets go there. */
    void dragAt (juce::Point<int> screen, int button, bool withCtrl, int dx)
    {
        const juce::String number (button);
        ASSERT_TRUE (XInput::moveTo (screen));
        settle();
        if (withCtrl)
        {
            ASSERT_TRUE (XInput::xdotool ({ "keydown", "ctrl" }));
        }
        ASSERT_TRUE (XInput::xdotool ({ "mousedown", number }));
        settle();
        ASSERT_TRUE (XInput::xdotool ({ "mousemove", "--sync", juce::String (screen.x + dx), juce::String (screen.y) }));
        settle();
        ASSERT_TRUE (XInput::xdotool ({ "mouseup", number }));
        if (withCtrl)
        {
            ASSERT_TRUE (XInput::xdotool ({ "keyup", "ctrl" }));
        }
        ASSERT_TRUE (waitFor ([] { return ! juce::Desktop::getInstance().getMainMouseSource().isDragging(); }));
        settle();
    }

    /** The knob as it paints itself now. */
    static juce::Image pictureOf (LinkableParameterKnob& knob)
    {
        return knob.createComponentSnapshot (knob.getLocalBounds(), false);
    }

    static bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        bool same = a.getBounds() == b.getBounds();
        for (int i = 0; same && i < a.getWidth() * a.getHeight(); ++i)
            same = a.getPixelAt (i % a.getWidth(), i / a.getWidth()) == b.getPixelAt (i % a.getWidth(), i / a.getWidth());
        return same;
    }
};

TEST_F (ControlFeedback, EveryClickOnAVoiceControlLeavesItShowingWhatTheEnginePlaysInFreshEditorsWhileAHostPlays)
{
    // While the host plays, a voice setting must reach the engine before the
    // editor reads it back; a resync that came first showed the old setting
    // about every second time, so every change is tried in several fresh editors.
    constexpr int editorsPerChange = 6;
    const struct
    {
        const char* what;
        Mode startMode;
        const char* control;            // a voice switch to click, or the combo
        const char* comboItem;          // the combo's item to choose
        std::function<bool (AudioEngine&)> engineHoldsIt;
    } changes[] {
        { "MONO in Unison", MultiSoundVoiceController::unison, N::monophonButton, nullptr,
          [] (AudioEngine& e) { return e.isMonophonic(); } },
        { "FILL in Revolver", MultiSoundVoiceController::revolver, N::fillButton, nullptr,
          [] (AudioEngine& e) { return e.getGlobalController().getFill(); } },
        { "DIRECTION in Revolver", MultiSoundVoiceController::revolver, N::directionButton, nullptr,
          [] (AudioEngine& e) { return e.getGlobalController().getDirection(); } },
        { "SPLIT chosen in Unison", MultiSoundVoiceController::unison, N::voiceMode, "SPLIT",
          [] (AudioEngine& e) { return e.getGlobalController().getAllocationMode() == MultiSoundVoiceController::split; } },
    };

    RealTimeHost host (*engine);
    for (const auto& change : changes)
    {
        for (int editor = 1; editor <= editorsPerChange; ++editor)
        {
            SCOPED_TRACE (juce::String (change.what) + ", editor " + juce::String (editor));
            closeEditor();
            setVoiceSettings (change.startMode);
            showEditor();
            ASSERT_TRUE (waitFor ([this] { return voiceSettingsShown() == voiceSettingsHeld(); }));

            auto* control = child<juce::Component> (change.control);
            ASSERT_NE (control, nullptr);
            ASSERT_TRUE (control->isEnabled());
            ASSERT_TRUE (click (control->getScreenBounds().getCentre(), 1));
            if (change.comboItem != nullptr)
            {
                ASSERT_TRUE (chooseFromMenu (change.comboItem));
            }

            ASSERT_TRUE (waitFor ([&] { return change.engineHoldsIt (*engine); })) << "the click did not reach the engine";
            letTheEditorCatchUp();
            EXPECT_EQ (voiceSettingsShown(), voiceSettingsHeld());
        }
    }
}

TEST_F (ControlFeedback, TheMasterVolumesRightButtonDragIsACtrlLeftDragFromThePressOn)
{
    showEditor();
    auto* volume = child<juce::Slider> (N::masterVolume);
    ASSERT_NE (volume, nullptr);
    const float zeroDecibels = engine->getParameterDefaultValue (masterVolume);
    ASSERT_NEAR (ParameterFunctions::toDecibels (zeroDecibels), 0.0f, 1.0e-4f);

    // From 0 dB, a press at a quarter of the track and 40 pixels to the right.
    const auto area = volume->getScreenBounds();
    const juce::Point<int> quarter (area.getX() + area.getWidth() / 4, area.getCentreY());
    const auto valueAfterDrag = [&] (int button, bool withCtrl)
    {
        engine->setParameter (masterVolume, zeroDecibels);
        EXPECT_TRUE (waitFor ([&] { return volume->getValue() == (double) zeroDecibels; }));
        dragAt (quarter, button, withCtrl, 40);
        return engine->getParameter (masterVolume);
    };

    const float ctrlLeft = valueAfterDrag (1, true);
    const float right = valueAfterDrag (3, false);
    // The fine drag goes on from where the thumb was, a quarter of the track
    // being far below 0 dB.
    EXPECT_GT (ctrlLeft, zeroDecibels);
    EXPECT_EQ (right, ctrlLeft) << "the right-button drag set " << ParameterFunctions::toDecibels (right) << " dB, the ctrl-left one "
                                << ParameterFunctions::toDecibels (ctrlLeft) << " dB";
}

TEST_F (ControlFeedback, ALinkRatioTurnedByTheWheelOverItsHandleShowsAtOnceInBothViews)
{
    showEditor();
    auto& links = engine->getLinkManager();

    for (const bool linkView : { false, true })
    {
        SCOPED_TRACE (linkView ? "link view" : "knob view");
        if (linkView)
        {
            auto* linkButton = child<juce::Button> (N::linkButton);
            ASSERT_NE (linkButton, nullptr);
            ASSERT_TRUE (click (linkButton->getScreenBounds().getCentre(), 1));
            ASSERT_TRUE (waitFor ([this] { return panel->areLinksShown(); }));
        }

        const auto name = N::deviceKnob (linkView ? 3 : 2, N::deviceKnobs[5]); // a Freq knob
        auto* knob = child<LinkableParameterKnob> (name);
        auto* label = child<juce::Label> (N::valueLabel (name));
        ASSERT_NE (knob, nullptr);
        ASSERT_NE (label, nullptr);
        const int index = knob->getIndex();
        const auto ratio = [&] { auto entry = links.findLinkEntry (index); return entry ? entry->ratio : 1.0f; };

        const auto handle = knob->localPointToGlobal (knob->getHandleArea().getCentre());
        ASSERT_TRUE (XInput::moveTo (handle));
        settle();
        ASSERT_TRUE (XInput::xdotool ({ "click", "4" })); // the wheel, one notch up
        ASSERT_TRUE (waitFor ([&] { return ratio() > 1.0f; })) << "the wheel did not turn the ratio";
        settle();

        const auto shownText = juce::String::formatted ("%+5.1f%%", (double) ratio() * 100.0);
        EXPECT_TRUE (knob->isInLinkMode());
        EXPECT_EQ (label->getText(), shownText);
        const auto afterWheel = pictureOf (*knob);

        // Off the handle the knob shows its value again.
        ASSERT_TRUE (XInput::moveTo (knob->localPointToGlobal (knob->getKnobArea().getCentre())));
        EXPECT_TRUE (waitFor ([&] { return ! knob->isInLinkMode(); }));
        EXPECT_EQ (label->getText(), engine->getParameterText (index));

        // Held down, the handle shows the ratio as it stands: so must the wheel have.
        ASSERT_TRUE (XInput::moveTo (handle));
        settle();
        ASSERT_TRUE (XInput::xdotool ({ "mousedown", "1" }));
        ASSERT_TRUE (waitFor ([&] { return knob->isInLinkMode(); }));
        settle();
        EXPECT_TRUE (samePixels (afterWheel, pictureOf (*knob))) << "the knob showed another ratio than the pressed handle";
        ASSERT_TRUE (XInput::xdotool ({ "mouseup", "1" }));
        ASSERT_TRUE (waitFor ([] { return ! juce::Desktop::getInstance().getMainMouseSource().isDragging(); }));
        settle();
    }
}

TEST_F (ControlFeedback, AHeldKeyTakesTheColourOfTheDeviceThatPlaysItNowAlsoWhereTheOptionsDialogCoveredIt)
{
    // The global channel is 1 and ORVA listens on 3, which the keyboard shows.
    constexpr int note = 60, loopChannel = 3, orva = 0, mune = 2;
    engine->prepareToPlay (48000.0, 512);
    engine->setReceiveChannel (0, 1, false);
    engine->setReceiveChannel (1 + orva, loopChannel, false);
    showEditor();
    panel->setKeyboardMidiChannel (loopChannel);
    auto* keyboard = child<MultiColoredMidiKeyboard> (N::keyboard);
    ASSERT_NE (keyboard, nullptr);

    // A host's blocks, each with the notes that loop on channel 3.
    const auto playBlock = [this] (std::initializer_list<juce::MidiMessage> messages)
    {
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        for (auto& message : messages)
            midi.addEvent (message, 0);
        playBlockAsHost (*engine, buffer, midi);
    };

    // The key's upper part (under the options dialog) and lower part (beside
    // it), as the screen shows them, and whether they show a device's colour.
    const auto key = keyboard->getRectangleForKey (note);
    const juce::Point<int> parts[] { keyboard->localPointToGlobal (juce::Point<float> (key.getX() + key.getWidth() * 0.3f, key.getY() + key.getHeight() * 0.2f)).toInt(),
                                     keyboard->localPointToGlobal (juce::Point<float> (key.getX() + key.getWidth() * 0.3f, key.getY() + key.getHeight() * 0.7f)).toInt() };
    const auto shows = [this] (juce::Point<int> part, int device)
    {
        const auto shown = XInput::screenImage (display.get(), { part.x, part.y, 1, 1 });
        const juce::Colour colour (KESTLookAndFeel::deviceColour[(size_t) device]);
        return shown.isValid() && std::abs (shown.getPixelAt (0, 0).getRed() - colour.getRed()) + std::abs (shown.getPixelAt (0, 0).getGreen() - colour.getGreen())
                                          + std::abs (shown.getPixelAt (0, 0).getBlue() - colour.getBlue()) < 30;
    };
    const auto wholeKeyShows = [&] (int device) { return shows (parts[0], device) && shows (parts[1], device); };

    playBlock ({ juce::MidiMessage::noteOn (loopChannel, note, (juce::uint8) 100) });
    ASSERT_TRUE (waitFor ([&] { return wholeKeyShows (orva); })) << "the held key does not show ORVA's colour";

    // In the options dialog, which covers the key's upper part, ORVA leaves
    // channel 3 and MUNE takes it; the keyboard shows the channel chosen last.
    auto* dialog = openOptionsDialog();
    ASSERT_NE (dialog, nullptr) << "the options dialog did not open";
    ASSERT_TRUE (dialog->getScreenBounds().contains (parts[0]) && ! dialog->getScreenBounds().contains (parts[1]))
        << "the dialog at " << dialog->getScreenBounds().toString() << " does not cover the key's upper part alone";
    auto* tabs = MainControlPanel::findChildAs<juce::TabbedComponent> (dialog->getContentComponent(), N::Options::tabs);
    ASSERT_NE (tabs, nullptr);
    auto* midiPage = tabs->getTabContentComponent (1);
    auto* orvaChannel = MainControlPanel::findChildAs<juce::ComboBox> (midiPage, N::Options::channelCombo (1 + orva));
    auto* muneChannel = MainControlPanel::findChildAs<juce::ComboBox> (midiPage, N::Options::channelCombo (1 + mune));
    ASSERT_NE (orvaChannel, nullptr);
    ASSERT_NE (muneChannel, nullptr);
    orvaChannel->setSelectedId (5, juce::sendNotificationSync);
    muneChannel->setSelectedId (loopChannel, juce::sendNotificationSync);
    ASSERT_EQ (engine->getReceiveChannel (1 + mune), loopChannel);
    ASSERT_TRUE (waitFor ([&] { return shows (parts[1], orva); })) << "the keyboard does not show channel 3 again";

    // The loop plays the note again, now on MUNE, and the key never goes up.
    playBlock ({ juce::MidiMessage::noteOff (loopChannel, note), juce::MidiMessage::noteOn (loopChannel, note, (juce::uint8) 100) });
    EXPECT_TRUE (waitFor ([&] { return shows (parts[1], mune); })) << "the held key keeps the colour of the device that played it first";

    // Closed, the dialog uncovers the upper part: the key shows one colour.
    auto* ok = MainControlPanel::findChildAs<juce::Button> (dialog->getContentComponent(), N::Options::okButton);
    ASSERT_NE (ok, nullptr);
    ASSERT_TRUE (click (ok->getScreenBounds().getCentre(), 1));
    ASSERT_TRUE (waitFor ([] { return optionsDialog() == nullptr; }));
    EXPECT_TRUE (waitFor ([&] { return wholeKeyShows (mune); })) << "the key shows two colours";

    playBlock ({ juce::MidiMessage::noteOff (loopChannel, note) });
    engine->releaseResources();
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
