#include "ResourceImages.h"

#include "PanelGeometry.h"
#include "ResourceStyle.h"
#include "editor/EditorComponentNames.h"

// The alpha-mask icons: white strokes on black, one stroke width for all of
// them so the buttons read as one family.  The program tints them with the
// colour of each button state.
namespace ResourceImages
{
    namespace
    {
        using R = juce::Rectangle<float>;
        using P = juce::Point<float>;
        namespace N = EditorNames;

        const juce::PathStrokeType stroke (ResourceStyle::iconStroke, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

        void strokeLines (juce::Graphics& g, std::initializer_list<P> points)
        {
            juce::Path path;
            bool first = true;
            for (auto p : points)
            {
                if (first) path.startNewSubPath (p);
                else       path.lineTo (p);
                first = false;
            }
            g.strokePath (path, stroke);
        }

        void arrowHead (juce::Graphics& g, P tip, float angle, float size = 3.5f)
        {
            juce::Path head;
            head.addTriangle (0.0f, 0.0f, -size, size * 1.2f, size, size * 1.2f);
            g.fillPath (head, juce::AffineTransform::rotation (angle).translated (tip));
        }

        void offSign (juce::Graphics& g, R box)
        {
            const auto circle = R (10.0f, 10.0f).withCentre (box.getCentre());
            g.drawEllipse (circle, ResourceStyle::iconStroke);
            const auto d = 3.5f;
            g.drawLine ({ circle.getCentre() + P (-d, d), circle.getCentre() + P (d, -d) }, ResourceStyle::iconStroke);
        }

        void trackingSlope (juce::Graphics& g, R box, float slope)
        {
            const float left = box.getX() + 5.0f, right = box.getRight() - 5.0f, base = box.getBottom() - 3.0f;
            strokeLines (g, { { left, base }, { right, base - slope * (box.getHeight() - 6.0f) } });
            g.fillEllipse (R (3.4f, 3.4f).withCentre ({ left, base }));
        }

        void waveform (juce::Graphics& g, R box, const std::function<float (float)>& shape, int samples = 64)
        {
            juce::Path path;
            const float left = box.getX() + 4.0f, width = box.getWidth() - 8.0f;
            const float middle = box.getCentreY(), amplitude = box.getHeight() * 0.5f - 2.5f;
            for (int i = 0; i <= samples; ++i)
            {
                const float t = (float) i / (float) samples;
                const P p (left + t * width, middle - amplitude * shape (t));
                if (i == 0) path.startNewSubPath (p);
                else        path.lineTo (p);
            }
            g.strokePath (path, stroke);
        }

        // Switch icons (one size for all switches).
        juce::Image switchMask (const std::function<void (juce::Graphics&, R)>& draw)
        {
            return mask (PanelGeometry::switchWidth, PanelGeometry::switchHeight, draw);
        }

        juce::Image toolMask (const std::function<void (juce::Graphics&, R)>& draw)
        {
            return mask (PanelGeometry::toolButtonSize, PanelGeometry::toolButtonSize, draw);
        }

        void gear (juce::Graphics& g, P c)
        {
            juce::Path teeth;
            const int count = 8;
            for (int i = 0; i < count * 2; ++i)
            {
                const float a0 = juce::MathConstants<float>::twoPi * ((float) i - 0.5f) / (float) (count * 2);
                const float a1 = juce::MathConstants<float>::twoPi * ((float) i + 0.5f) / (float) (count * 2);
                const float r = (i % 2 == 0) ? 7.5f : 5.6f;
                const P p0 (c.x + r * std::sin (a0), c.y - r * std::cos (a0));
                const P p1 (c.x + r * std::sin (a1), c.y - r * std::cos (a1));
                if (i == 0) teeth.startNewSubPath (p0);
                else        teeth.lineTo (p0);
                teeth.lineTo (p1);
            }
            teeth.closeSubPath();
            g.strokePath (teeth, stroke);
            g.drawEllipse (R (5.0f, 5.0f).withCentre (c), ResourceStyle::iconStroke);
        }

        void chainLink (juce::Graphics& g, P c, float angle)
        {
            juce::Path link;
            link.addRoundedRectangle (-6.0f, -3.0f, 12.0f, 6.0f, 3.0f);
            g.strokePath (link, stroke, juce::AffineTransform::rotation (angle).translated (c));
        }
    }

    juce::Image mask (int width, int height, const std::function<void (juce::Graphics&, juce::Rectangle<float>)>& drawIcon)
    {
        juce::Image image (juce::Image::RGB, width, height, false);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::black);
        g.setColour (juce::Colours::white);
        drawIcon (g, image.getBounds().toFloat());
        return image;
    }

    std::vector<ImageEntry> iconMasks()
    {
        std::vector<ImageEntry> masks;
        auto add = [&masks] (const juce::String& name, std::function<juce::Image()> draw) { masks.push_back ({ name, std::move (draw) }); };

        // Oscillator
        add ("VCO_Off_Alpha", [] { return switchMask (offSign); });
        add ("VCO_Noise_Alpha", [] { return switchMask ([] (auto& g, R b) {
            juce::Random random (7);
            waveform (g, b, [&random] (float) { return random.nextFloat() * 2.0f - 1.0f; }, 14);
        }); });
        add ("VCO_Saw_Alpha", [] { return switchMask ([] (auto& g, R b) {
            const float l = b.getX() + 5.0f, m = b.getCentreX(), r = b.getRight() - 5.0f;
            const float top = b.getY() + 2.5f, bottom = b.getBottom() - 2.5f;
            strokeLines (g, { { l, bottom }, { m, top }, { m, bottom }, { r, top }, { r, bottom } });
        }); });
        add ("VCO_Square_Alpha", [] { return switchMask ([] (auto& g, R b) {
            const float l = b.getX() + 5.0f, m = b.getCentreX(), r = b.getRight() - 5.0f;
            const float top = b.getY() + 2.5f, bottom = b.getBottom() - 2.5f;
            strokeLines (g, { { l, bottom }, { l, top }, { m, top }, { m, bottom }, { r, bottom }, { r, top } });
        }); });

        // LFO 1 target
        add ("LFO_OFF_Alpha", [] { return switchMask (offSign); });
        add ("LFO_PWM_Alpha", [] { return switchMask ([] (auto& g, R b) {
            const float l = b.getX() + 4.0f, e = b.getX() + 10.0f, r = b.getRight() - 4.0f;
            const float top = b.getY() + 2.5f, bottom = b.getBottom() - 2.5f;
            strokeLines (g, { { l, bottom }, { l, top }, { e, top }, { e, bottom }, { r, bottom }, { r, top } });
            const float y = b.getCentreY() - 0.5f;
            strokeLines (g, { { e + 3.0f, y }, { r - 3.0f, y } });
            arrowHead (g, { e + 2.0f, y }, -juce::MathConstants<float>::halfPi, 2.6f);
            arrowHead (g, { r - 2.0f, y }, juce::MathConstants<float>::halfPi, 2.6f);
        }); });
        add ("LFO_FM_Alpha", [] { return switchMask ([] (auto& g, R b) {
            waveform (g, b, [] (float t) { return std::sin (juce::MathConstants<float>::twoPi * (1.0f * t + 1.6f * t * t)); });
        }); });

        // Keyboard tracking of the filter
        add ("Track_OFF_Alpha", [] { return switchMask ([] (auto& g, R b) { trackingSlope (g, b, 0.0f); }); });
        add ("Track_HALF_Alpha", [] { return switchMask ([] (auto& g, R b) { trackingSlope (g, b, 0.5f); }); });
        add ("Track_FULL_Alpha", [] { return switchMask ([] (auto& g, R b) { trackingSlope (g, b, 1.0f); }); });

        // MIDI on: a five-pin socket.
        add (N::Images::midiOn, [] { return mask (PanelGeometry::midiOnWidth, PanelGeometry::midiOnHeight, [] (auto& g, R b) {
            const auto c = b.getCentre();
            g.drawEllipse (R (17.0f, 17.0f).withCentre (c), ResourceStyle::iconStroke);
            for (int i = 0; i < 5; ++i)
            {
                const float a = juce::MathConstants<float>::pi * (-0.5f + 0.25f * (float) i) - juce::MathConstants<float>::halfPi;
                g.fillEllipse (R (2.2f, 2.2f).withCentre (c + P (std::cos (a), std::sin (a)) * -4.6f));
            }
            g.fillRect (R (3.0f, 2.0f).withCentre (c.translated (0.0f, 7.2f)));
        }); });

        // Preset bar
        add (N::alphaMask (N::previousButton), [] { return toolMask ([] (auto& g, R b) {
            const auto c = b.getCentre();
            strokeLines (g, { c + P (2.5f, -5.0f), c + P (-2.5f, 0.0f), c + P (2.5f, 5.0f) });
        }); });
        add (N::alphaMask (N::nextButton), [] { return toolMask ([] (auto& g, R b) {
            const auto c = b.getCentre();
            strokeLines (g, { c + P (-2.5f, -5.0f), c + P (2.5f, 0.0f), c + P (-2.5f, 5.0f) });
        }); });
        add (N::alphaMask (N::reloadButton), [] { return toolMask ([] (auto& g, R b) {
            const auto c = b.getCentre();
            juce::Path arc;
            arc.addCentredArc (c.x, c.y, 6.0f, 6.0f, 0.0f, 0.5f, 5.6f, true);
            g.strokePath (arc, stroke);
            arrowHead (g, c + P (std::sin (5.6f), -std::cos (5.6f)) * 6.0f, 5.6f + juce::MathConstants<float>::halfPi, 3.2f);
        }); });
        add (N::alphaMask (N::saveButton), [] { return toolMask ([] (auto& g, R b) {
            const auto c = b.getCentre();
            strokeLines (g, { c + P (0.0f, -7.0f), c + P (0.0f, 2.0f) });
            arrowHead (g, c + P (0.0f, 3.5f), juce::MathConstants<float>::pi, 3.4f);
            strokeLines (g, { c + P (-6.5f, 1.5f), c + P (-6.5f, 6.5f), c + P (6.5f, 6.5f), c + P (6.5f, 1.5f) });
        }); });

        // Voice switches
        add (N::alphaMask (N::fillButton), [] { return toolMask ([] (auto& g, R b) {
            for (int i = 0; i < 4; ++i)
                g.fillRoundedRectangle (R (b.getX() + 4.5f + (float) i * 4.0f, b.getY() + 6.0f + (float) (3 - i) * 2.0f, 3.0f, 12.0f - (float) (3 - i) * 2.0f), 0.8f);
        }); });
        add (N::alphaMask (N::monophonButton), [] { return toolMask ([] (auto& g, R b) {
            const auto c = b.getCentre();
            g.fillEllipse (R (6.5f, 5.0f).withCentre (c + P (-2.0f, 4.5f)));
            strokeLines (g, { c + P (1.0f, 4.0f), c + P (1.0f, -7.0f), c + P (5.0f, -4.0f) });
        }); });
        for (auto [name, up] : { std::pair { N::Images::directionDown, false }, std::pair { N::Images::directionUp, true } })
            add (name, [up = up] { return mask (PanelGeometry::directionWidth, PanelGeometry::toolButtonSize, [up] (auto& g, R b) {
                const float x = up ? b.getCentreX() + 6.5f : b.getCentreX() - 6.5f;
                const float top = b.getCentreY() - 6.0f, bottom = b.getCentreY() + 6.0f;
                strokeLines (g, { { x, up ? bottom : top }, { x, up ? top + 3.0f : bottom - 3.0f } });
                arrowHead (g, { x, up ? top : bottom }, up ? 0.0f : juce::MathConstants<float>::pi, 3.6f);
            }); });

        // View switches and tools
        add (N::alphaMask (N::tooltipButton), [] { return toolMask ([] (auto& g, R b) {
            juce::Path bubble;
            bubble.addRoundedRectangle (b.getX() + 4.0f, b.getY() + 5.0f, 16.0f, 11.0f, ResourceStyle::cornerRadius * 0.6f);
            g.strokePath (bubble, stroke);
            strokeLines (g, { { b.getX() + 8.0f, b.getY() + 16.0f }, { b.getX() + 7.0f, b.getY() + 20.0f }, { b.getX() + 12.0f, b.getY() + 16.0f } });
            strokeLines (g, { { b.getX() + 8.0f, b.getY() + 9.5f }, { b.getX() + 16.0f, b.getY() + 9.5f } });
            strokeLines (g, { { b.getX() + 8.0f, b.getY() + 12.5f }, { b.getX() + 13.0f, b.getY() + 12.5f } });
        }); });
        add (N::alphaMask (N::valueLabelsButton), [] { return toolMask ([] (auto& g, R b) {
            const P c (b.getCentreX(), b.getY() + 9.0f);
            g.drawEllipse (R (10.0f, 10.0f).withCentre (c), ResourceStyle::iconStroke);
            strokeLines (g, { c, c + P (2.5f, -2.5f) });
            g.drawRoundedRectangle (R (b.getCentreX() - 6.0f, b.getY() + 16.5f, 12.0f, 4.0f), 1.0f, ResourceStyle::iconStroke);
        }); });
        add (N::alphaMask (N::keyboardButton), [] { return toolMask ([] (auto& g, R b) {
            const R keys (b.getX() + 3.0f, b.getY() + 6.0f, 18.0f, 12.0f);
            g.drawRoundedRectangle (keys, 1.5f, ResourceStyle::iconStroke);
            for (int i = 1; i < 4; ++i)
            {
                const float x = keys.getX() + keys.getWidth() * (float) i / 4.0f;
                strokeLines (g, { { x, keys.getY() + 6.0f }, { x, keys.getBottom() } });
                g.fillRect (R (x - 1.5f, keys.getY(), 3.0f, 6.0f));
            }
        }); });
        add (N::alphaMask (N::linkButton), [] { return toolMask ([] (auto& g, R b) {
            const auto c = b.getCentre();
            chainLink (g, c + P (-3.0f, 3.0f), -juce::MathConstants<float>::pi * 0.25f);
            chainLink (g, c + P (3.0f, -3.0f), -juce::MathConstants<float>::pi * 0.25f);
        }); });
        add (N::alphaMask (N::settingsButton), [] { return toolMask ([] (auto& g, R b) { gear (g, b.getCentre()); }); });

        // The combo box arrow of the look-and-feels.
        add (N::Images::comboBoxArrow, [] { return mask (10, 6, [] (auto& g, R b) {
            juce::Path arrow;
            arrow.addTriangle (b.getX() + 0.5f, b.getY() + 0.5f, b.getRight() - 0.5f, b.getY() + 0.5f, b.getCentreX(), b.getBottom() - 0.5f);
            g.fillPath (arrow);
        }); });

        return masks;
    }
}
