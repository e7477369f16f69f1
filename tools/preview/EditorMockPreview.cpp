#include "PreviewPanels.h"
#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "gui/AlphaMaskImageButton.h"
#include "gui/DoubleAlphaMaskImageButton.h"
#include "gui/ImageStripIndictorComponent.h"
#include "gui/ImageToggleButton.h"
#include "gui/ParameterRadioButton.h"
#include "gui/ResourceManager.h"

// The editor as its resources make it look, before the editor exists.  The
// children the editor makes from the toolkit's widgets (switches, LEDs, mask
// buttons, the preset-tree switch) are made the same way here, in the state
// colours the editor gives them, and paint themselves; knobs, value labels
// and the other controls still to come are drawn from the same images the
// way the program will draw them (knob strips at sample values, value labels
// pinned).  The keyboard is the framework's, in the layout's colours.  The voice mode is shown as Split, so the split slider is on view
// and the direction and fill switches are disabled.  Written at the context's
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

    void drawTinted (juce::Graphics& g, const juce::String& maskName, juce::Colour colour, juce::Rectangle<int> area)
    {
        const auto tinted = Resources::createTintedImage (Resources::getImage (maskName), colour);
        if (tinted.isValid())
            g.drawImageAt (tinted, area.getCentreX() - tinted.getWidth() / 2, area.getCentreY() - tinted.getHeight() / 2);
    }

    // The editor's widgets, made and coloured as the editor makes them.
    struct EditorWidgets
    {
        std::vector<std::unique_ptr<juce::Component>> owned;

        template <typename Widget>
        Widget& add (juce::Component& root, std::unique_ptr<Widget> widget)
        {
            auto& w = *widget;
            root.addAndMakeVisible (w);
            owned.push_back (std::move (widget));
            return w;
        }

        static void setStateColours (juce::Button& b, juce::Colour normal, juce::Colour over, juce::Colour down, juce::Colour on, juce::Colour disabled)
        {
            const juce::Colour colours[] { normal, over, down, on, disabled };
            for (int id = 0; id < 5; ++id)
                b.setColour (id, colours[id]);
        }

        template <size_t n>
        void switchGroup (juce::Component& root, int device, const N::SwitchButton (&buttons)[n], int selected)
        {
            for (auto& button : buttons)
            {
                const int index = 20 * (device - 1) + button.offset;
                auto& radio = add (root, std::make_unique<Korvalden::GUI::ParameterRadioButton> (
                    N::switchButton (device, button), nullptr, index, button.positions, button.position,
                    Resources::getImage (button.image), juce::Colour (0xFF7D7D7D), juce::Colour (0xFFA2A2A2),
                    juce::Colour (N::deviceColours[device - 1])));
                radio.parameterChanged (index, (float) selected / (float) (button.positions - 1));
            }
        }

        void make (juce::Component& root)
        {
            for (int d = 1; d <= N::numDevices; ++d)
            {
                switchGroup (root, d, N::oscillatorSwitches, (d + 1) % 4);
                switchGroup (root, d, N::lfo1Switches, d % 3);
                switchGroup (root, d, N::trackingSwitches, (d + 2) % 3);

                const auto colour = juce::Colour (N::deviceColours[d - 1]);
                auto& midiOn = add (root, std::make_unique<Korvalden::GUI::AlphaMaskImageButton> (N::midiOnButton (d), Resources::getImage (N::Images::midiOn)));
                midiOn.setClickingTogglesState (true);
                setStateColours (midiOn, juce::Colour (0xFF7D7D7D), juce::Colour (0xFFA2A2A2), colour.darker (0.1f), colour, juce::Colour (0xFF282828));
                midiOn.setToggleState (d != 3, juce::dontSendNotification);

                for (int k = 0; k < N::numLedKinds; ++k)
                {
                    auto& led = add (root, std::make_unique<Korvalden::GUI::ImageStripIndictorComponent> (
                        N::led (d, N::ledKinds[k]), Resources::getImage (N::Images::deviceLedStrips[d - 1]), N::ledFrames, false));
                    led.setValue ((k + d) % 3 == 0 ? 1.0f : (k + d) % 3 == 1 ? 0.35f : 0.0f);
                }
            }

            // The tool and preset-bar buttons: normal colour, on = white; some switched on.
            const std::tuple<const char*, juce::uint32, bool, bool> buttons[] {
                { N::reloadButton, 0xFF666666, false, false }, { N::previousButton, 0xFF666666, false, false },
                { N::nextButton, 0xFF666666, false, false },   { N::saveButton, 0xFF666666, false, false },
                { N::fillButton, 0xFF666666, true, false },    { N::monophonButton, 0xFF666666, true, true },
                { N::tooltipButton, 0xFF383838, true, true },  { N::valueLabelsButton, 0xFF383838, true, true },
                { N::keyboardButton, 0xFF383838, true, true }, { N::settingsButton, 0xFF383838, false, false },
                { N::linkButton, 0xFF383838, true, false },
            };
            for (auto& [name, colour, toggles, on] : buttons)
            {
                auto& button = add (root, std::make_unique<Korvalden::GUI::AlphaMaskImageButton> (name, Resources::getImage (N::alphaMask (name))));
                button.setClickingTogglesState (toggles);
                setStateColours (button, juce::Colour (colour), juce::Colour (colour).brighter (0.1f), juce::Colours::white.darker (0.1f),
                                 juce::Colours::white, juce::Colour (0xFF282828));
                button.setToggleState (on, juce::dontSendNotification);
            }

            auto& direction = add (root, std::make_unique<Korvalden::GUI::DoubleAlphaMaskImageButton> (
                N::directionButton, Resources::getImage (N::Images::directionDown), Resources::getImage (N::Images::directionUp)));
            setStateColours (direction, juce::Colour (0xFF666666), juce::Colour (0xFF737373), juce::Colour (0xFFE7E7E7),
                             juce::Colours::white, juce::Colour (0xFF282828));
            direction.setClickingTogglesState (true);

            auto& tree = add (root, std::make_unique<Korvalden::GUI::ImageToggleButton> (N::presetTreeButton));
            auto image = [] (int i) { return Resources::getImage (N::Images::presetBrowserButtons[i]); };
            tree.setImages (image (0), image (1), image (2), image (3));
            tree.setClickingTogglesState (true);
            tree.setToggleState (true, juce::dontSendNotification);
        }

        // Split mode: direction and fill are disabled.
        void showSplitMode (juce::Component& root)
        {
            for (auto* name : { N::directionButton, N::fillButton })
                if (auto* c = Korvalden::Resources::findChildComponentByName (&root, name))
                    c->setEnabled (false);
        }
    };

    void drawText (const PreviewContext& context, juce::Graphics& g, const juce::String& text, float height,
                   juce::Colour colour, juce::Rectangle<int> area, juce::Justification justification = juce::Justification::centred)
    {
        g.setColour (colour);
        g.setFont (context.font (height).withExtraKerningFactor (0.05f));
        g.drawFittedText (text, area, justification, 1, 0.7f);
    }

    // The controls whose classes are still to come, drawn from their images as the program will.
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

    bool isToolkitWidget (juce::Component* c)
    {
        return dynamic_cast<Korvalden::GUI::AlphaMaskImageButton*> (c) != nullptr
            || dynamic_cast<Korvalden::GUI::DoubleAlphaMaskImageButton*> (c) != nullptr
            || dynamic_cast<Korvalden::GUI::ImageToggleButton*> (c) != nullptr
            || dynamic_cast<Korvalden::GUI::ImageStripIndictorComponent*> (c) != nullptr
            || dynamic_cast<Korvalden::GUI::ParameterRadioButton*> (c) != nullptr
            || dynamic_cast<juce::ImageComponent*> (c) != nullptr
            || dynamic_cast<juce::ImageButton*> (c) != nullptr;
    }

    bool renderEditor (const PreviewContext& context)
    {
        EditorWidgets widgets;
        auto panel = layOutPanel (N::mainLayout, [&widgets] (juce::Component& root) { widgets.make (root); });
        if (! panel->applied)
            return false;
        widgets.showSplitMode (panel->root);
        for (int note : { 60, 64, 67, 71 })     // a chord held (in the key-down colour; the editor colours it per device)
            panel->keyboardState.noteOn (1, note, 1.0f);

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

            if (name == N::presetTree)
                painter.presetTree (area);
            else if (isToolkitWidget (child) || child == panel->keyboard.get())
            {
                juce::Graphics::ScopedSaveState state (g);
                g.setOrigin (area.getPosition());
                g.reduceClipRegion (child->getLocalBounds());
                child->paintEntireComponent (g, false);
            }
            else if (! (painter.knob (name, area) || painter.valueLabel (name, area) || painter.globalControl (name, area)))
            {
                g.setColour (juce::Colours::red);
                g.drawRect (area);   // a child the mock does not know: shows up for a look
            }
        }

        return context.writePng (context.scale > 1.0f ? "editor@" + juce::String ((int) context.scale) + "x" : juce::String ("editor"), image);
    }

    PreviewRegistration editor ("editor", "the editor drawn from its resources (editor.png)", renderEditor);
}
