#include "PreviewPanels.h"
#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"

// The editor as its resources make it look, before the editor exists: the
// layout applied, and each child drawn from the bundle's images the way the
// program will draw it (knob and LED strips at sample values, alpha masks
// tinted with their state colours, value labels pinned).  The voice mode is
// shown as Split so the split slider is on view.  Written at the context's
// scale (editor.png; editor@2x.png at --scale 2).
namespace
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    // A repeatable sample value per control, so the knobs do not all point the same way.
    float sampleValue (const juce::String& name)
    {
        return (float) (juce::String (name).hashCode() & 0x7fff) / (float) 0x7fff;
    }

    void drawStripFrame (juce::Graphics& g, const juce::Image& strip, int frames, float value, juce::Rectangle<int> area)
    {
        if (! strip.isValid() || frames < 1)
            return;
        const int frameHeight = strip.getHeight() / frames;
        const int index = (int) ((float) (frames - 1) * value + 0.5f);
        const int x = area.getCentreX() - strip.getWidth() / 2, y = area.getCentreY() - frameHeight / 2;
        g.drawImage (strip, x, y, strip.getWidth(), frameHeight, 0, index * frameHeight, strip.getWidth(), frameHeight);
    }

    void drawTinted (juce::Graphics& g, const juce::String& maskName, juce::Colour colour, juce::Rectangle<int> area, bool topLeft = false)
    {
        const auto tinted = Resources::createTintedImage (Resources::getImage (maskName), colour);
        if (! tinted.isValid())
            return;
        const auto at = topLeft ? area.getPosition()
                                : area.getCentre() - juce::Point<int> (tinted.getWidth() / 2, tinted.getHeight() / 2);
        g.drawImageAt (tinted, at.x, at.y);
    }

    void drawText (const PreviewContext& context, juce::Graphics& g, const juce::String& text, float height,
                   juce::Colour colour, juce::Rectangle<int> area, juce::Justification justification = juce::Justification::centred)
    {
        g.setColour (colour);
        g.setFont (context.font (height).withExtraKerningFactor (0.05f));
        g.drawFittedText (text, area, justification, 1, 0.7f);
    }

    // Which knob, switch, LED or button a name is, and how it is drawn.
    struct ControlPainter
    {
        const PreviewContext& context;
        juce::Graphics& g;

        bool knob (const juce::String& name, juce::Rectangle<int> area)
        {
            for (int d = 1; d <= N::numDevices; ++d)
                for (auto& kind : N::deviceKnobs)
                    if (name == N::deviceKnob (d, kind))
                        return drawKnob (N::Images::deviceKnobStrips[d - 1], name, area);
            for (int m = 1; m <= N::numMacros; ++m)
                if (name == N::macroKnob (m))
                    return drawKnob (N::Images::macroKnobStrip, name, area);
            return false;
        }

        bool drawKnob (const char* strip, const juce::String& name, juce::Rectangle<int> area)
        {
            drawStripFrame (g, Resources::getImage (strip), N::Images::knobFrames, sampleValue (name), area);
            return true;
        }

        bool valueLabel (const juce::String& name, juce::Rectangle<int> area)
        {
            if (! name.startsWith ("Value_"))
                return false;
            const auto text = name == N::valueLabel (N::masterVolume) ? juce::String ("-3.2 dB")
                                                                    : juce::String (sampleValue (name.substring (6)) * 10.0f, 2) + "  ms";
            drawText (context, g, text, 10.0f, juce::Colours::black, area);
            return true;
        }

        template <size_t n>
        bool switchGroup (const juce::String& name, juce::Rectangle<int> area, const N::SwitchButton (&buttons)[n])
        {
            for (int d = 1; d <= N::numDevices; ++d)
                for (size_t i = 0; i < n; ++i)
                    if (name == N::switchButton (d, buttons[i]))
                    {
                        const bool selected = (int) i == (d + (int) n) % (int) n;
                        drawTinted (g, buttons[i].image, juce::Colour (selected ? N::deviceColours[d - 1] : 0xFF7D7D7D), area, true);
                        return true;
                    }
            return false;
        }

        bool deviceControl (const juce::String& name, juce::Rectangle<int> area)
        {
            for (int d = 1; d <= N::numDevices; ++d)
            {
                if (name == N::midiOnButton (d))
                {
                    drawTinted (g, N::Images::midiOn, juce::Colour (d == 3 ? 0xFF7D7D7D : N::deviceColours[d - 1]), area);
                    return true;
                }
                for (int k = 0; k < N::numLedKinds; ++k)
                    if (name == N::led (d, N::ledKinds[k]))
                    {
                        drawStripFrame (g, Resources::getImage (N::Images::deviceLedStrips[d - 1]), N::ledFrames,
                                        (k + d) % 3 == 0 ? 1.0f : (k + d) % 3 == 1 ? 0.35f : 0.0f, area);
                        return true;
                    }
            }
            return switchGroup (name, area, N::oscillatorSwitches) || switchGroup (name, area, N::lfo1Switches)
                || switchGroup (name, area, N::trackingSwitches);
        }

        bool toolButton (const juce::String& name, juce::Rectangle<int> area)
        {
            // State colours as the editor sets them: preset bar grey, tool grey, on = white, disabled.
            const std::pair<const char*, juce::uint32> buttons[] {
                { N::reloadButton, 0xFF666666 }, { N::previousButton, 0xFF666666 }, { N::nextButton, 0xFF666666 },
                { N::saveButton, 0xFF666666 }, { N::fillButton, 0xFF282828 }, { N::monophonButton, 0xFFFFFFFF },
                { N::tooltipButton, 0xFFFFFFFF }, { N::valueLabelsButton, 0xFFFFFFFF }, { N::keyboardButton, 0xFFFFFFFF },
                { N::settingsButton, 0xFF383838 }, { N::linkButton, 0xFF383838 },
            };
            for (auto& [button, colour] : buttons)
                if (name == button)
                {
                    drawTinted (g, N::alphaMask (button), juce::Colour (colour), area);
                    return true;
                }
            if (name == N::directionButton)
            {
                drawTinted (g, N::Images::directionDown, juce::Colour (0xFF282828), area);
                drawTinted (g, N::Images::directionUp, juce::Colour (0xFF282828), area);
                return true;
            }
            if (name == N::presetTreeButton)
            {
                const auto& image = Resources::getImage (N::Images::presetBrowserButtons[2]);
                g.drawImageAt (image, area.getCentreX() - image.getWidth() / 2, area.getCentreY() - image.getHeight() / 2);
                return true;
            }
            return false;
        }

        bool globalControl (const juce::String& name, juce::Rectangle<int> area)
        {
            if (name == N::presetNameLabel)
                drawText (context, g, "Glass Choir", 14.0f, juce::Colour (0xFFEDEBE7), area);
            else if (name == N::voiceMode)
            {
                drawText (context, g, "SPLIT", 13.0f, juce::Colours::white, area.withTrimmedRight (area.getHeight()));
                drawTinted (g, N::Images::comboBoxArrow, juce::Colour (0xFF666666), area.removeFromRight (area.getHeight()));
            }
            else if (name == N::splitPointSlider)
                drawSplitZones (area);
            else if (name == N::masterVolume)
            {
                const float x = (float) area.getX() + 5.0f + 0.72f * (float) (area.getWidth() - 10);
                g.setColour (juce::Colours::white);
                g.fillRoundedRectangle (x - 2.5f, (float) area.getY(), 5.0f, (float) area.getHeight(), 2.5f);
            }
            else if (name == N::meterLeft || name == N::meterRight)
            {
                const auto bar = area.toFloat();
                g.setColour (juce::Colour (0xFF383838));
                g.fillRect (bar);
                g.setColour (juce::Colours::white);
                g.fillRect (bar.withWidth ((bar.getWidth() - bar.getHeight()) * (name == N::meterLeft ? 0.62f : 0.55f)));
            }
            else
                return false;
            return true;
        }

        // As the editor's look-and-feel draws the three-thumb slider: four device zones.
        void drawSplitZones (juce::Rectangle<int> area)
        {
            const float points[] { 0.0f, 36.0f / 127.0f, 60.0f / 127.0f, 84.0f / 127.0f, 1.0f };
            const auto track = area.toFloat().withSizeKeepingCentre ((float) area.getWidth() - 8.0f, 6.0f);
            for (int d = 0; d < N::numDevices; ++d)
            {
                const float x0 = track.getX() + points[d] * track.getWidth(), x1 = track.getX() + points[d + 1] * track.getWidth();
                g.setColour (juce::Colour (N::deviceColours[d]));
                g.fillRoundedRectangle (x0, track.getY(), x1 - x0, track.getHeight(), 3.0f);
            }
            g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 0x4C));
            g.drawRoundedRectangle (track, 3.0f, 0.5f);
        }

        void keyboard (juce::Rectangle<int> area)
        {
            const int firstKey = 48, keyWidth = 16;
            const bool isBlack[12] { false, true, false, true, false, false, true, false, true, false, true, false };
            g.setColour (juce::Colour (0xFFF8F7F4));
            g.fillRect (area);
            auto held = [] (int note) { return note == 60 ? 0 : note == 64 ? 1 : note == 67 ? 2 : note == 71 ? 3 : -1; };

            int x = area.getX();
            for (int note = firstKey; note < 128 && x < area.getRight(); ++note)
            {
                if (isBlack[note % 12])
                    continue;
                if (held (note) >= 0)
                {
                    g.setColour (juce::Colour (N::deviceColours[held (note)]));
                    g.fillRect (x, area.getY(), keyWidth, area.getHeight());
                }
                g.setColour (juce::Colour (0x59000000));
                g.fillRect (x + keyWidth - 1, area.getY(), 1, area.getHeight());
                if (note % 12 == 0)
                    drawText (context, g, "C" + juce::String (note / 12 - 2), 9.0f, juce::Colour (0xFF77736D),
                              { x, area.getBottom() - 14, keyWidth, 12 });
                x += keyWidth;
            }
            x = area.getX();
            for (int note = firstKey; note < 128 && x < area.getRight(); ++note)
            {
                if (! isBlack[note % 12])
                {
                    x += keyWidth;
                    continue;
                }
                g.setColour (juce::Colour (0xFF292826));
                g.fillRect (x - keyWidth * 3 / 10, area.getY(), keyWidth * 6 / 10, area.getHeight() * 6 / 10);
            }
        }

        void presetTree (juce::Rectangle<int> area)
        {
            g.setColour (juce::Colour (0xFFC4C4C4));
            g.fillRect (area);
            auto row = area.reduced (0, 0);
            auto header = [&] (const juce::String& text) {
                drawText (context, g, text, 16.0f, juce::Colours::black, row.removeFromTop (30).withTrimmedLeft (8), juce::Justification::centredLeft);
            };
            auto item = [&] (const juce::String& text, int depth, bool folder, bool favourite, bool selected) {
                auto r = row.removeFromTop (17);
                if (selected)
                {
                    g.setColour (juce::Colour (0xFF01AEF0));
                    g.fillRect (r);
                }
                r.removeFromLeft (6 + depth * 14);
                if (folder)
                    g.drawImageAt (Resources::getImage (N::Images::presetFolderOpen), r.getX(), r.getY() + 2);
                else
                    g.drawImageAt (Resources::getImage (N::Images::favouriteButtons[favourite ? 0 : 2]), r.getX() - 2, r.getY());
                drawText (context, g, text, 12.0f, juce::Colours::black, r.withTrimmedLeft (16), juce::Justification::centredLeft);
            };

            header ("FAVORITES");
            item ("Glass Choir", 0, false, true, false);
            item ("Four Winds", 0, false, true, false);
            auto divider = row.removeFromTop (8);
            g.drawImageAt (Resources::getImage (N::Images::presetTreeDivider), divider.getX(), divider.getY());
            header ("PRESETS");
            item ("Factory", 0, true, false, false);
            item ("Bass", 1, true, false, false);
            item ("Rubber Floor", 2, false, false, false);
            item ("Low Revolver", 2, false, true, false);
            item ("Pads", 1, true, false, false);
            item ("Glass Choir", 2, false, true, true);
            item ("Slow Tides", 2, false, false, false);
            item ("User", 0, true, false, false);
        }
    };

    bool renderEditor (const PreviewContext& context)
    {
        auto panel = layOutPanel (N::mainLayout);
        if (! panel->applied)
            return false;

        const auto size = panel->root.getLocalBounds();
        juce::Image image (juce::Image::RGB, juce::roundToInt ((float) size.getWidth() * context.scale),
                           juce::roundToInt ((float) size.getHeight() * context.scale), false);
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (context.scale));
        g.fillAll (juce::Colour (0xFFCECECE));   // the panel's own fill under its children

        ControlPainter painter { context, g };
        for (auto* child : panel->root.getChildren())
        {
            const auto name = child->getName();
            const auto area = child->getBounds();
            if (name.startsWith ("LinkerPar_") || name.startsWith ("LinkerGrp_") || area.isEmpty()
                || name == N::cpuWarnDisplay || name == N::cpuOverDisplay)
                continue;

            if (name == N::keyboard)
                painter.keyboard (area);
            else if (name == N::presetTree)
                painter.presetTree (area);
            else if (dynamic_cast<juce::ImageComponent*> (child) != nullptr || dynamic_cast<juce::ImageButton*> (child) != nullptr)
            {
                juce::Graphics::ScopedSaveState state (g);
                g.setOrigin (area.getPosition());
                child->paintEntireComponent (g, false);
            }
            else if (! (painter.knob (name, area) || painter.valueLabel (name, area) || painter.deviceControl (name, area)
                        || painter.toolButton (name, area) || painter.globalControl (name, area)))
            {
                g.setColour (juce::Colours::red);
                g.drawRect (area);   // a child the mock does not know: shows up for a look
            }
        }

        return context.writePng (context.scale > 1.0f ? "editor@" + juce::String ((int) context.scale) + "x" : juce::String ("editor"), image);
    }

    PreviewRegistration editor ("editor", "the editor drawn from its resources (editor.png)", renderEditor);
}
