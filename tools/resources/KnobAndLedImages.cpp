#include "ResourceImages.h"

#include "PanelGeometry.h"
#include "ResourceStyle.h"
#include "editor/EditorComponentNames.h"

namespace ResourceImages
{
    namespace
    {
        constexpr float sweepStart = -juce::MathConstants<float>::pi * 150.0f / 180.0f;
        constexpr float sweepEnd = -sweepStart;

        void drawKnob (juce::Graphics& g, juce::Rectangle<float> frame, float value, juce::Colour arcColour)
        {
            const auto centre = frame.getCentre();
            const float arcRadius = frame.getWidth() * 0.5f - 2.5f;
            const float capRadius = arcRadius - 4.5f;
            const float arcThickness = 3.0f;

            // A soft shadow under the cap, a little below it.
            for (int i = 4; i >= 1; --i)
            {
                const float r = capRadius + (float) i * 0.9f;
                g.setColour (juce::Colours::black.withAlpha (0.07f));
                g.fillEllipse (juce::Rectangle<float> (r * 2.0f, r * 2.0f).withCentre (centre.translated (0.0f, 1.4f)));
            }

            // The value arc over its track, 300 degrees around the cap.
            juce::Path track;
            track.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, sweepStart, sweepEnd, true);
            g.setColour (ResourceStyle::knobTrack);
            g.strokePath (track, juce::PathStrokeType (arcThickness, juce::PathStrokeType::curved, juce::PathStrokeType::butt));

            const float angle = sweepStart + value * (sweepEnd - sweepStart);
            if (value > 0.0f)
            {
                juce::Path arc;
                arc.addCentredArc (centre.x, centre.y, arcRadius, arcRadius, 0.0f, sweepStart, angle, true);
                g.setColour (arcColour);
                g.strokePath (arc, juce::PathStrokeType (arcThickness - 0.4f, juce::PathStrokeType::curved, juce::PathStrokeType::butt));
            }

            // The cap: neutral dark grey, lit from above, with a fine rim.
            const auto cap = juce::Rectangle<float> (capRadius * 2.0f, capRadius * 2.0f).withCentre (centre);
            g.setGradientFill (juce::ColourGradient (juce::Colour (0xFF5A5854), cap.getX(), cap.getY(),
                                                     juce::Colour (0xFF2C2B28), cap.getX(), cap.getBottom(), false));
            g.fillEllipse (cap);
            g.setColour (juce::Colour (0xFF1C1B19));
            g.drawEllipse (cap.reduced (0.25f), 0.8f);
            g.setColour (juce::Colours::white.withAlpha (0.10f));
            g.drawEllipse (cap.reduced (1.3f), 0.8f);

            // The pointer line.
            const auto direction = juce::Point<float> (std::sin (angle), -std::cos (angle));
            g.setColour (juce::Colour (0xFFF4F2EE));
            g.drawLine ({ centre + direction * (capRadius * 0.30f), centre + direction * (capRadius - 1.8f) }, 2.0f);
        }

        void drawLed (juce::Graphics& g, juce::Rectangle<float> frame, float level, juce::Colour colour)
        {
            const auto centre = frame.getCentre();
            const auto off = juce::Colours::black.interpolatedWith (colour, 0.30f);
            const auto lens = off.interpolatedWith (colour, level);

            g.setColour (juce::Colour (0xFF22211F));
            g.fillEllipse (juce::Rectangle<float> (10.0f, 10.0f).withCentre (centre));

            // The glow: the lit colour spreading a little past the lens.
            if (level > 0.0f)
            {
                juce::ColourGradient glow (colour.withAlpha (0.85f * level), centre.x, centre.y,
                                           colour.withAlpha (0.0f), centre.x + 6.0f, centre.y, true);
                g.setGradientFill (glow);
                g.fillEllipse (frame);
            }

            g.setColour (lens);
            g.fillEllipse (juce::Rectangle<float> (7.0f, 7.0f).withCentre (centre));
            g.setColour (juce::Colours::white.withAlpha (0.25f + 0.35f * level));
            g.fillEllipse (juce::Rectangle<float> (2.4f, 2.4f).withCentre (centre.translated (-1.3f, -1.4f)));
        }
    }

    namespace
    {
        // frames square frames of size pixels stacked top to bottom, frame i drawn at value i / (frames - 1).
        juce::Image verticalStrip (int size, int frames, const std::function<void (juce::Graphics&, juce::Rectangle<float>, float)>& drawFrame)
        {
            juce::Image strip (juce::Image::ARGB, size, size * frames, true);
            juce::Graphics g (strip);
            for (int i = 0; i < frames; ++i)
                drawFrame (g, juce::Rectangle<float> (0.0f, (float) (i * size), (float) size, (float) size),
                           (float) i / (float) (frames - 1));
            return strip;
        }
    }

    juce::Image knobStrip (juce::Colour arcColour)
    {
        return verticalStrip (PanelGeometry::knobFrame, EditorNames::Images::knobFrames,
                              [arcColour] (auto& g, auto frame, float value) { drawKnob (g, frame, value, arcColour); });
    }

    juce::Image ledStrip (juce::Colour colour)
    {
        return verticalStrip (PanelGeometry::ledSize, EditorNames::ledFrames,
                              [colour] (auto& g, auto frame, float level) { drawLed (g, frame, level, colour); });
    }
}
