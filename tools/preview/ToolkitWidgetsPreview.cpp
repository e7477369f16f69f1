#include "PreviewRegistry.h"

#include "engine/AudioEngine.h"
#include "gui/KESTLookAndFeel.h"
#include "gui/KestMessageBox.h"
#include "gui/LevelMeterDisplay.h"
#include "gui/MultiColoredMidiKeyboard.h"

// The toolkit's own widgets as they paint themselves: the product's message
// box shown over a panel, the on-screen keyboard holding chords in four
// split zones with the split-point slider above it, and the level meters at
// a range of levels.  Each is drawn with the shared editor look-and-feel.
namespace
{
    const juce::Colour panelColour (0xFFE6E3DE);

    /** Paints a component into an image at the preview's scale. */
    juce::Image snapshot (juce::Component& component, float scale)
    {
        juce::Image image (juce::Image::ARGB, juce::roundToInt ((float) component.getWidth() * scale),
                           juce::roundToInt ((float) component.getHeight() * scale), true);
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (scale));
        component.paintEntireComponent (g, true);
        return image;
    }

    struct Panel : juce::Component
    {
        void paint (juce::Graphics& g) override { g.fillAll (panelColour); }
    };

    bool renderMessageBox (const PreviewContext& context)
    {
        auto lookAndFeel = KESTLookAndFeel::getShared();
        Panel panel;
        panel.setSize (900, 480);

        auto* box = new KestMessageBox();
        box->title = "Rename Preset";
        box->text = "The Preset \"Glass Choir\" already exists.\n\nDo you want to overwrite it with the current preset data?";
        box->addButton (1, "Overwrite");
        box->addButton (3, "Keep Both");
        box->showModal (&panel, nullptr);

        const auto image = snapshot (panel, context.scale);

        // The box deletes itself once dismissed and the framework has run its callback.
        box->exitModalState (0);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        return context.writePng ("toolkit-message-box", image);
    }

    bool renderKeyboard (const PreviewContext& context)
    {
        auto lookAndFeel = KESTLookAndFeel::getShared();
        AudioEngine engine;
        engine.prepareToPlay (48000.0, 64);
        engine.setParameter (88, 0.2f); // Split
        const int splitPoints[] { 60, 72, 84 };
        for (unsigned point = 0; point < 3; ++point)
            engine.getGlobalController().setSplitPoint (point, splitPoints[point]);

        // The notes go to the global channel, wherever the user's settings put it.
        const auto global = (int) engine.getReceiveChannel (0);
        juce::MidiBuffer midi;
        for (int note : { 48, 52, 55, 62, 65, 69, 74, 78, 81, 86, 90, 93 })
            midi.addEvent (juce::MidiMessage::noteOn (global >= 1 && global <= 16 ? global : 1, note, (juce::uint8) 100), 0);
        juce::AudioBuffer<float> buffer (2, 64);
        engine.processBlock (buffer, midi);
        engine.updateKeyboardDisplay(); // the host's notes onto the keyboard, as the engine's timer does

        Panel panel;
        const int width = 16 * 35; // five octaves of white keys from C3
        panel.setSize (width + 16, 110);

        juce::Slider splits (juce::Slider::ThreeValueHorizontal, juce::Slider::NoTextBox);
        splits.setRange (48.0, 48.0 + 60.0, 1.0);
        splits.setMinAndMaxValues (60.0, 84.0, juce::dontSendNotification);
        splits.setValue (72.0, juce::dontSendNotification);
        splits.setBounds (8, 6, width, 20);
        panel.addAndMakeVisible (splits);

        MultiColoredMidiKeyboard keyboard (engine.getKeyboardState(), juce::MidiKeyboardComponent::horizontalKeyboard,
                                           &engine.getGlobalController());
        keyboard.setBounds (8, 34, width, 68);
        keyboard.setKeyWidth (16.0f);
        keyboard.setAvailableRange (48, 108);
        keyboard.setScrollButtonsVisible (false);
        for (int device = 0; device < 4; ++device)
            keyboard.setKeyColour (device, juce::Colour (KESTLookAndFeel::deviceColour[(size_t) device]));
        panel.addAndMakeVisible (keyboard);

        const auto image = snapshot (panel, context.scale);
        panel.removeAllChildren();
        return context.writePng ("toolkit-keyboard", image);
    }

    struct FixedLevels : Korvalden::GUI::LevelMeterDisplay::LevelSource
    {
        int getMeterChannels() const override { return 2; }
        float getMeterLevel (int channel) const override { return levels[channel]; }
        int getClipHoldSamples (int channel) const override { return clipHold[channel]; }
        float levels[2] {};
        int clipHold[2] {};
    };

    bool renderMeters (const PreviewContext& context)
    {
        auto lookAndFeel = KESTLookAndFeel::getShared();
        const float decibels[] { -100.0f, -40.0f, -12.0f, -6.0f, -3.0f, 0.0f };
        const int rows = (int) std::size (decibels);

        Panel panel;
        panel.setSize (320, 14 + rows * 22);
        std::vector<FixedLevels> levels ((size_t) rows);
        juce::OwnedArray<juce::Component> children;

        for (int row = 0; row < rows; ++row)
        {
            auto& source = levels[(size_t) row];
            source.levels[0] = decibels[row] <= -100.0f ? 0.0f : std::pow (10.0f, decibels[row] / 10.0f);
            source.clipHold[0] = decibels[row] >= 0.0f ? 4410 : 0;

            auto* label = new juce::Label ({}, decibels[row] <= -100.0f ? juce::String ("silence")
                                                                        : juce::String (decibels[row], 0) + " dB");
            children.add (label);
            label->setFont (lookAndFeel->getBaseFont().withHeight (12.0f));
            label->setJustificationType (juce::Justification::centredRight);
            label->setBounds (4, 8 + row * 22, 70, 14);
            panel.addAndMakeVisible (label);

            // The editor's meter colours.
            auto* meter = children.add (new Korvalden::GUI::LevelMeterDisplay (&source, 0, "MeterL"));
            meter->setColour (Korvalden::GUI::LevelMeterDisplay::trackColourId, juce::Colour (0xFF383838));
            meter->setColour (Korvalden::GUI::LevelMeterDisplay::barColourId, juce::Colour (0xFFFFFFFF));
            meter->setColour (Korvalden::GUI::LevelMeterDisplay::hotZoneColourId, juce::Colour (0xFFFFB400));
            meter->setColour (Korvalden::GUI::LevelMeterDisplay::clipColourId, juce::Colour (0xFFD82222));
            meter->setBounds (84, 10 + row * 22, 228, 10);
            panel.addAndMakeVisible (meter);
        }

        const auto image = snapshot (panel, context.scale * 2.0f);
        panel.removeAllChildren();
        return context.writePng ("toolkit-meters", image);
    }

    PreviewRegistration messageBox ("toolkit-message-box",
                                    "the product's message box component shown over a panel (toolkit-message-box.png)",
                                    renderMessageBox);
    PreviewRegistration keyboard ("toolkit-keyboard",
                                  "the on-screen keyboard holding chords in four split zones, under the split slider (toolkit-keyboard.png)",
                                  renderKeyboard);
    PreviewRegistration meters ("toolkit-meters",
                                "the level meter from silence to clip, at twice its size (toolkit-meters.png)",
                                renderMeters);
}
