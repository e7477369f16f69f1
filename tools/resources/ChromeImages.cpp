#include "ResourceImages.h"

#include "PanelGeometry.h"
#include "ResourceStyle.h"
#include "editor/EditorComponentNames.h"

// The pictures around the controls: the message box and its buttons, the
// logos, the preset tree's icons and divider, the preset-tree switch, the
// cut-link cursor and the CPU indicators.
namespace ResourceImages
{
    namespace
    {
        using R = juce::Rectangle<float>;
        using P = juce::Point<float>;
        namespace N = EditorNames;
        namespace S = ResourceStyle;

        const juce::Colour ink { 0xFF2B2A27 };

        juce::Image canvas (int width, int height, const std::function<void (juce::Graphics&, R)>& draw)
        {
            juce::Image image (juce::Image::ARGB, width, height, true);
            juce::Graphics g (image);
            draw (g, image.getBounds().toFloat());
            return image;
        }

        void deviceBars (juce::Graphics& g, R area)
        {
            const float gap = 2.0f;
            const float width = (area.getWidth() - 3.0f * gap) / 4.0f;
            for (int d = 0; d < N::numDevices; ++d)
            {
                g.setColour (juce::Colour (N::deviceColours[d]));
                g.fillRoundedRectangle (area.getX() + (float) d * (width + gap), area.getY(), width, area.getHeight(), 1.0f);
            }
        }

        // The product's wordmark with the four device colours under it.
        void productMark (juce::Graphics& g, R area, float textHeight)
        {
            g.setColour (ink);
            g.setFont (S::boldFont (textHeight).withExtraKerningFactor (0.12f));
            const auto text = area.withHeight (textHeight * 1.05f);
            g.drawText ("KEST", text, juce::Justification::centredLeft, false);
            const float textWidth = g.getCurrentFont().getStringWidthFloat ("KEST");
            deviceBars (g, { area.getX() + 1.0f, text.getBottom() + textHeight * 0.08f, textWidth - 2.0f, juce::jmax (2.0f, textHeight * 0.12f) });
        }

        void makerMark (juce::Graphics& g, R area, juce::Colour colour, float height)
        {
            g.setColour (colour);
            g.setFont (S::boldFont (height).withExtraKerningFactor (0.22f));
            g.drawText ("KORVALDEN", area, juce::Justification::centredLeft, false);
        }

        void star (juce::Graphics& g, R box, juce::Colour colour, bool filled)
        {
            juce::Path path;
            path.addStar (box.getCentre(), 5, box.getWidth() * 0.2f, box.getWidth() * 0.46f);
            g.setColour (colour);
            if (filled)
                g.fillPath (path);
            else
                g.strokePath (path, juce::PathStrokeType (S::iconStroke, juce::PathStrokeType::curved));
        }

        void disclosure (juce::Graphics& g, R box, bool open)
        {
            juce::Path triangle;
            const auto c = box.getCentre();
            if (open) triangle.addTriangle (c.x - 4.0f, c.y - 2.0f, c.x + 4.0f, c.y - 2.0f, c.x, c.y + 3.0f);
            else      triangle.addTriangle (c.x - 2.0f, c.y - 4.0f, c.x - 2.0f, c.y + 4.0f, c.x + 3.0f, c.y);
            g.setColour (juce::Colour (0xFF666666));
            g.fillPath (triangle);
        }

        // The preset-tree switch: a panel with a list at its right edge; the
        // list is filled in while the tree is shown.
        void browserButton (juce::Graphics& g, R box, juce::Colour colour, bool shown)
        {
            const auto frame = R (20.0f, 14.0f).withCentre (box.getCentre());
            g.setColour (colour);
            g.drawRoundedRectangle (frame, 2.0f, S::iconStroke);
            const float split = frame.getRight() - 8.0f;
            if (shown)
                g.fillRect (R (split, frame.getY(), 8.0f, frame.getHeight()).reduced (0.5f));
            else
                g.fillRect (split - 0.8f, frame.getY(), S::iconStroke, frame.getHeight());
            g.setColour (shown ? juce::Colour (0xFF9C9891) : colour);
            for (int i = 0; i < 3; ++i)
                g.fillRect (split + 2.0f, frame.getY() + 3.0f + (float) i * 3.5f, 4.0f, 1.2f);
        }

        void messageButton (juce::Graphics& g, juce::Colour fill)
        {
            // The text of the program's message buttons is centred in (6, 3, 118, 28):
            // the plate is centred there too, a little narrower.
            const R plate (9.0f, 3.0f, 112.0f, 28.0f);
            g.setColour (juce::Colours::black.withAlpha (0.12f));
            g.fillRoundedRectangle (plate.translated (0.0f, 2.0f), S::cornerRadius);
            g.setColour (fill);
            g.fillRoundedRectangle (plate, S::cornerRadius);
        }

        // The program places the message buttons (128 x 43) at x 225, 353 and
        // 481, y 290, and the box takes this image's size: wide and high enough
        // to hold every button with a margin.
        constexpr int messageWidth = 624, messageHeight = 344;

        juce::Image messageBackground()
        {
            return canvas (messageWidth, messageHeight, [] (juce::Graphics& g, R area) {
                const auto plate = area.reduced (1.0f);
                g.setGradientFill (juce::ColourGradient (juce::Colour (0xFFF4F2EE), 0.0f, 0.0f,
                                                         juce::Colour (0xFFE8E5E0), 0.0f, area.getBottom(), false));
                g.fillRoundedRectangle (plate, S::cornerRadius);
                g.setColour (juce::Colour (0xFF9E9A94));
                g.drawRoundedRectangle (plate.reduced (0.5f), S::cornerRadius, 1.0f);

                // The emblem at the left; the texts of the boxes go to its right.
                const R emblem (14.0f, 14.0f, 206.0f, 262.0f);
                g.setColour (juce::Colour (0xFFE2DFD9));
                g.fillRoundedRectangle (emblem, S::cornerRadius);
                productMark (g, { 42.0f, 96.0f, 160.0f, 60.0f }, 46.0f);
                g.setColour (S::headerText);
                g.setFont (S::smallCapsFont (9.5f));
                g.drawText ("FOUR-PART SYNTHESIZER", R (42.0f, 170.0f, 170.0f, 14.0f), juce::Justification::centredLeft, false);
            });
        }

        void scissors (juce::Graphics& g)
        {
            // Hot spot (8, 5): where the blades cross the line to be cut.
            juce::Path blades;
            blades.startNewSubPath (2.0f, 1.0f);
            blades.lineTo (13.0f, 12.0f);
            blades.startNewSubPath (1.0f, 9.0f);
            blades.lineTo (13.0f, 4.0f);
            juce::Path handles;
            handles.addEllipse (R (7.0f, 7.0f).withCentre ({ 17.0f, 16.0f }));
            handles.addEllipse (R (7.0f, 7.0f).withCentre ({ 18.5f, 5.5f }));
            juce::Path shafts;
            shafts.startNewSubPath (13.0f, 12.0f);
            shafts.lineTo (15.0f, 14.0f);
            shafts.startNewSubPath (13.0f, 4.0f);
            shafts.lineTo (15.5f, 5.0f);

            for (auto [colour, width] : { std::pair { juce::Colours::white, 3.6f }, std::pair { juce::Colours::black, 1.6f } })
            {
                g.setColour (colour);
                const juce::PathStrokeType stroke (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
                g.strokePath (blades, stroke);
                g.strokePath (shafts, stroke);
                g.strokePath (handles, stroke);
            }
        }
    }

    std::vector<ImageEntry> chromeImages()
    {
        std::vector<ImageEntry> images;
        auto add = [&images] (const juce::String& name, std::function<juce::Image()> draw) { images.push_back ({ name, std::move (draw) }); };

        // Message box
        add (N::Images::messageBackground, messageBackground);
        const juce::Colour buttonFills[] { juce::Colour (0xFF4D4C49), S::accent, S::accent.darker (0.3f) };
        for (int i = 0; i < 3; ++i)
            add (N::Images::messageButtons[i], [fill = buttonFills[i]] { return canvas (128, 43, [fill] (auto& g, R) { messageButton (g, fill); }); });
        // The about box places the maker's logo at (489, 254) and the other at (543, 180), unscaled.
        add (N::Images::makerLogoAbout, [] { return canvas (104, 22, [] (auto& g, R b) { makerMark (g, b, ink, 11.5f); }); });
        add (N::Images::technologyLogoAbout, [] { return canvas (48, 48, [] (auto& g, R b) {
            // Four nested arcs in the device colours: the shared voice pool.
            for (int d = 0; d < N::numDevices; ++d)
            {
                juce::Path arc;
                const float r = 21.0f - (float) d * 5.0f;
                arc.addCentredArc (b.getCentreX(), b.getCentreY(), r, r, 0.0f, -2.2f, 2.2f, true);
                g.setColour (juce::Colour (N::deviceColours[d]));
                g.strokePath (arc, juce::PathStrokeType (3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
            }
        }); });

        // Logos of the tool bar
        add (PanelGeometry::productLogoImage, [] { return canvas (104, 32, [] (auto& g, R b) { productMark (g, b.reduced (0.0f, 3.0f), 20.0f); }); });
        add (PanelGeometry::makerLogoImage, [] { return canvas (88, 20, [] (auto& g, R b) { makerMark (g, b, juce::Colour (0xFF3E3C39), 9.5f); }); });

        // Preset tree.  A favourite is a solid dark star: it stands out both on
        // the grey of a plain row and on the bright blue of the selected one,
        // where a star in the accent colour would vanish.  Hollow stars in the
        // captions' dark grey mark the others, dark enough to read on the blue
        // too; under the mouse they darken towards the favourite's ink.
        const std::pair<juce::Colour, bool> stars[] { { ink, true }, { juce::Colour (0xFF4A4845), true },
                                                      { S::captionText, false }, { ink, false } };
        for (int i = 0; i < 4; ++i)
            add (N::Images::favouriteButtons[i], [s = stars[i]] { return canvas (16, 16, [s] (auto& g, R b) { star (g, b.reduced (1.0f), s.first, s.second); }); });
        add (N::Images::presetFolderOpen, [] { return canvas (12, 12, [] (auto& g, R b) { disclosure (g, b, true); }); });
        add (N::Images::presetFolderClosed, [] { return canvas (12, 12, [] (auto& g, R b) { disclosure (g, b, false); }); });
        // The tree's divider bar is 7 high and draws this unscaled.
        add (N::Images::presetTreeDivider, [] { return canvas (PanelGeometry::width - PanelGeometry::treeX, 7, [] (auto& g, R b) {
            g.setColour (juce::Colour (0xFFB4B1AC));
            g.fillRect (b);
            g.setColour (juce::Colour (0xFF8E8A84));
            g.fillRect (b.getX(), b.getY(), b.getWidth(), 1.0f);
            g.fillRect (b.getX(), b.getBottom() - 1.0f, b.getWidth(), 1.0f);
            for (int i = -1; i <= 1; ++i)
                g.fillEllipse (R (3.0f, 3.0f).withCentre (b.getCentre().translated ((float) i * 6.0f, 0.0f)));
        }); });

        // The preset-tree switch: off (tree hidden), off under the mouse, on, on under the mouse.
        const std::pair<juce::Colour, bool> browser[] { { juce::Colour (0xFF383838), false }, { juce::Colour (0xFF4A4A4A), false },
                                                        { juce::Colours::white, true }, { juce::Colour (0xFFE7E7E7), true } };
        for (int i = 0; i < 4; ++i)
            add (N::Images::presetBrowserButtons[i], [s = browser[i]] {
                return canvas (PanelGeometry::treeButtonWidth, PanelGeometry::toolButtonSize, [s] (auto& g, R b) { browserButton (g, b, s.first, s.second); });
            });

        // Link overlay
        add (N::Images::cutLinkCursor, [] { return canvas (24, 24, [] (auto& g, R) { scissors (g); }); });

        // CPU indicators: the editor shows them while the audio thread's load is high.
        add (PanelGeometry::cpuWarnImage, [] { return canvas (16, 16, [] (auto& g, R b) {
            juce::Path t;
            t.addTriangle (b.getCentreX(), 1.5f, b.getRight() - 1.0f, b.getBottom() - 1.5f, 1.0f, b.getBottom() - 1.5f);
            g.setColour (juce::Colour (0xFFFFB400));
            g.fillPath (t);
            g.setColour (ink);
            g.fillRect (R (1.6f, 5.0f).withCentre ({ b.getCentreX(), 8.5f }));
            g.fillRect (R (1.6f, 1.6f).withCentre ({ b.getCentreX(), 12.2f }));
        }); });
        add (PanelGeometry::cpuOverImage, [] { return canvas (16, 16, [] (auto& g, R b) {
            g.setColour (juce::Colour (0xFFD82222));
            g.fillEllipse (b.reduced (1.0f));
            g.setColour (juce::Colours::white);
            g.fillRect (R (1.8f, 6.0f).withCentre ({ b.getCentreX(), 6.8f }));
            g.fillRect (R (1.8f, 1.8f).withCentre ({ b.getCentreX(), 11.6f }));
        }); });

        return images;
    }
}
