#include "PreviewEditor.h"

#include "editor/EditorComponentNames.h"
#include "gui/KESTLookAndFeel.h"
#include "gui/LevelMeterDisplay.h"

// The editor's level meter at a range of levels from silence to a clip, in
// the colours the real editor gives its meters, at twice its size
// (meters.png): one meter a row, each over a fixed level.
namespace
{
    const juce::Colour panelColour (0xFFE6E3DE);

    struct Panel : juce::Component
    {
        void paint (juce::Graphics& g) override { g.fillAll (panelColour); }
    };

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
        // The colours and size of the editor's own meter.
        PreviewEditor editor;
        auto* editorMeter = editor.child<Korvalden::GUI::LevelMeterDisplay> (EditorNames::meterLeft);
        if (editorMeter == nullptr)
            return false;

        auto lookAndFeel = KESTLookAndFeel::getShared();
        const float decibels[] { -100.0f, -40.0f, -12.0f, -6.0f, -3.0f, 0.0f };
        const int rows = (int) std::size (decibels);
        const int meterWidth = editorMeter->getWidth(), meterHeight = editorMeter->getHeight();
        const int rowHeight = meterHeight + 12;

        Panel panel;
        panel.setSize (84 + meterWidth + 8, 14 + rows * rowHeight);
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
            label->setBounds (4, 10 + row * rowHeight + meterHeight / 2 - 7, 70, 14);
            panel.addAndMakeVisible (label);

            auto* meter = children.add (new Korvalden::GUI::LevelMeterDisplay (&source, 0, EditorNames::meterLeft));
            for (int id : { Korvalden::GUI::LevelMeterDisplay::trackColourId, Korvalden::GUI::LevelMeterDisplay::barColourId,
                            Korvalden::GUI::LevelMeterDisplay::hotZoneColourId, Korvalden::GUI::LevelMeterDisplay::clipColourId })
                meter->setColour (id, editorMeter->findColour (id));
            meter->setBounds (84, 10 + row * rowHeight, meterWidth, meterHeight);
            panel.addAndMakeVisible (meter);
        }

        const float scale = context.scale * 2.0f;
        juce::Image image (juce::Image::ARGB, juce::roundToInt ((float) panel.getWidth() * scale),
                           juce::roundToInt ((float) panel.getHeight() * scale), true);
        {
            juce::Graphics g (image);
            g.addTransform (juce::AffineTransform::scale (scale));
            panel.paintEntireComponent (g, true);
        }
        panel.removeAllChildren();
        return context.writePng (context.scaledName ("meters"), image);
    }

    PreviewRegistration meters ("meters", "the editor's level meter from silence to a clip, at twice its size (meters.png)", renderMeters);
}
