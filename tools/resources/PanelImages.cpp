#include "ResourceImages.h"

#include "PanelGeometry.h"
#include "ResourceStyle.h"

// The panel behind the controls: a light warm grey with a soft vertical
// gradient, a tool bar, rounded section plates with small-caps titles, dark
// wells behind the icon switches and a caption under every knob.  Value
// labels are black text, so everything behind them stays light.
namespace ResourceImages
{
    namespace
    {
        using G = PanelGeometry;
        namespace S = ResourceStyle;

        /** A rounded plate with a one-pixel shade below it and an edge. */
        void drawRoundedPlate (juce::Graphics& g, juce::Rectangle<float> plate, juce::Colour shade, juce::Colour fill,
                               juce::Colour edge)
        {
            g.setColour (shade);
            g.fillRoundedRectangle (plate.translated (0.0f, 1.0f), S::cornerRadius);
            g.setColour (fill);
            g.fillRoundedRectangle (plate, S::cornerRadius);
            g.setColour (edge);
            g.drawRoundedRectangle (plate.reduced (0.5f), S::cornerRadius, 1.0f);
        }

        void drawPlate (juce::Graphics& g, juce::Rectangle<float> plate)
        {
            drawRoundedPlate (g, plate, juce::Colours::black.withAlpha (0.05f), S::plateFill, S::plateEdge);
        }

        void drawSection (juce::Graphics& g, const G::Section& section)
        {
            const auto plate = section.plate.toFloat();
            drawPlate (g, plate);

            g.setFont (S::smallCapsFont (9.5f));
            for (size_t i = 0; i < section.titles.size(); ++i)
            {
                auto& [title, range] = section.titles[i];
                g.setColour (S::headerText);
                g.drawText (title, range.getStart() + 6, section.plate.getY() + 3, range.getLength() - 8, 12,
                            juce::Justification::centredLeft, false);

                if (i > 0)   // a thin divider between sub-sections, ending above the captions and values
                {
                    g.setColour (S::divider);
                    g.fillRect ((float) range.getStart(), plate.getY() + 6.0f, 1.0f, 60.0f);
                }
            }
        }

        void drawDeviceBand (juce::Graphics& g, const G::DeviceBand& band)
        {
            const auto plate = band.plate.toFloat();
            drawPlate (g, plate);

            // The device's colour marks the strip: a band down its left edge.
            juce::Path stripe;
            stripe.addRoundedRectangle (plate.getX() + 1.0f, plate.getY() + 1.0f, 6.0f, plate.getHeight() - 2.0f,
                                        S::cornerRadius - 1.0f, S::cornerRadius - 1.0f, true, false, true, false);
            g.setColour (band.colour);
            g.fillPath (stripe);
            g.setColour (band.colour.darker (0.35f));
            g.fillRect (plate.getX() + 7.0f, plate.getY() + 1.0f, 1.0f, plate.getHeight() - 2.0f);

            g.setColour (S::captionText);
            g.setFont (S::boldFont (14.0f).withExtraKerningFactor (0.06f));
            g.drawText (band.label, band.plate.getX() + 10, band.plate.getY() + 6, band.plate.getWidth() - 12, 18,
                        juce::Justification::centred, false);
        }

        void drawWell (juce::Graphics& g, juce::Rectangle<float> well, juce::Colour fill = S::wellFill)
        {
            g.setColour (juce::Colours::white.withAlpha (0.55f));
            g.fillRoundedRectangle (well.translated (0.0f, 1.0f), S::cornerRadius);
            g.setGradientFill (juce::ColourGradient (fill.darker (0.25f), 0.0f, well.getY(),
                                                     fill, 0.0f, well.getY() + 6.0f, false));
            g.fillRoundedRectangle (well, S::cornerRadius);
            g.setColour (S::wellEdge);
            g.drawRoundedRectangle (well.reduced (0.5f), S::cornerRadius, 1.0f);
        }

        // A shallow recess in the tool bar, dark enough that a white icon on
        // it reads at least as well as a dark one.
        void drawSwitchPlate (juce::Graphics& g, juce::Rectangle<float> plate)
        {
            drawRoundedPlate (g, plate, juce::Colours::white.withAlpha (0.35f), S::switchPlate, S::switchPlateEdge);
        }

        void drawGroove (juce::Graphics& g, juce::Rectangle<int> slider)
        {
            // The master slider's look-and-feel draws only its thumb: the track is ours.
            const auto track = slider.toFloat().withSizeKeepingCentre ((float) slider.getWidth() - 6.0f, 6.0f);
            drawWell (g, track);
            g.setColour (S::captionText.withAlpha (0.5f));
            for (int i = 0; i <= 10; ++i)
            {
                const float x = track.getX() + 2.0f + (track.getWidth() - 4.0f) * (float) i / 10.0f;
                const float length = (i % 5 == 0) ? 4.0f : 2.0f;
                g.fillRect (x - 0.5f, track.getBottom() + 2.0f, 1.0f, length);
            }
        }

        void drawToolBar (juce::Graphics& g, juce::Rectangle<int> bar)
        {
            const auto area = bar.toFloat();
            g.setGradientFill (juce::ColourGradient (S::headerBarTop, 0.0f, area.getY(), S::headerBarBottom, 0.0f, area.getBottom(), false));
            g.fillRect (area);
            g.setColour (juce::Colours::white.withAlpha (0.35f));
            g.fillRect (area.getX(), area.getY(), area.getWidth(), 1.0f);
            g.setColour (juce::Colours::black.withAlpha (0.25f));
            g.fillRect (area.getX(), area.getBottom() - 1.0f, area.getWidth(), 1.0f);
        }

        // The end cheeks beside the keyboard, as on a keyboard instrument's case.
        void drawKeyboardCheeks (juce::Graphics& g)
        {
            const juce::Rectangle<float> cheeks[] {
                { 0.0f, (float) G::keyboardY, (float) G::keyboardX, (float) G::keyboardHeight },
                { (float) (G::keyboardX + G::keyboardWidth), (float) G::keyboardY,
                  (float) (G::treeX - G::keyboardX - G::keyboardWidth), (float) G::keyboardHeight },
            };
            for (auto& cheek : cheeks)
            {
                g.setGradientFill (juce::ColourGradient (S::wellFill.brighter (0.15f), 0.0f, cheek.getY(),
                                                         S::wellEdge, 0.0f, cheek.getBottom(), false));
                g.fillRect (cheek);
            }
            g.setColour (juce::Colours::black.withAlpha (0.5f));
            g.fillRect ((float) G::keyboardX - 1.0f, (float) G::keyboardY, 1.0f, (float) G::keyboardHeight);
            g.fillRect ((float) (G::keyboardX + G::keyboardWidth), (float) G::keyboardY, 1.0f, (float) G::keyboardHeight);
        }

        void drawPanel (juce::Graphics& g, int width)
        {
            auto& geometry = mainPanelGeometry();
            g.setGradientFill (juce::ColourGradient (S::panelTop, 0.0f, 0.0f, S::panelBottom, 0.0f, (float) G::height, false));
            g.fillRect (0, 0, width, G::height);

            drawToolBar (g, geometry.toolBar);
            for (auto& plate : geometry.switchPlates)
                drawSwitchPlate (g, plate.toFloat());
            for (auto& section : geometry.sections)
                drawSection (g, section);
            for (auto& band : geometry.deviceBands)
                drawDeviceBand (g, band);
            drawWell (g, geometry.presetBar.toFloat(), S::presetBarFill);
            for (auto& well : geometry.wells)
                drawWell (g, well.toFloat());
            for (auto& groove : geometry.grooves)
                drawGroove (g, groove);
            drawKeyboardCheeks (g);

            g.setFont (S::regularFont (8.5f).withExtraKerningFactor (0.04f));
            g.setColour (S::captionText);
            for (auto& caption : geometry.captions)
                g.drawText (caption.text, caption.bounds, caption.justification, false);
        }
    }

    juce::Image panelBackground()
    {
        juce::Image image (juce::Image::RGB, G::treeX, G::height, false);
        juce::Graphics g (image);
        drawPanel (g, G::treeX);
        return image;
    }

    juce::Image backgroundWithRings()
    {
        // The whole panel as the link overlay sees it: the background with a
        // ring around every knob, on which a knob shows its link ratio.
        juce::Image image (juce::Image::RGB, G::width, G::height, false);
        juce::Graphics g (image);
        g.fillAll (S::treeFill);
        drawPanel (g, G::treeX);

        for (auto& knob : mainPanelGeometry().knobs)
        {
            const auto centre = knob.toFloat().getCentre();
            const float rx = (float) (G::knobWidth + G::knobFrame) / 4.0f;
            const float ry = (float) (G::knobHeight + G::knobFrame) / 4.0f;
            g.setColour (S::ringTrack);
            g.drawEllipse (juce::Rectangle<float> (rx * 2.0f, ry * 2.0f).withCentre (centre), 5.0f);
            g.setColour (S::captionText.withAlpha (0.6f));
            g.fillRect (centre.x - 0.5f, centre.y - ry - 3.5f, 1.0f, 7.0f);   // ratio zero
        }
        return image;
    }

    juce::Image keyboardShadow()
    {
        juce::Image image (juce::Image::ARGB, G::treeX, 8, true);
        juce::Graphics g (image);
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha (0.35f), 0.0f, 0.0f,
                                                 juce::Colours::transparentBlack, 0.0f, 8.0f, false));
        g.fillAll();
        return image;
    }
}
