#include "PanelGeometry.h"

#include "editor/EditorComponentNames.h"

namespace
{
    using Rect = juce::Rectangle<int>;
    using G = PanelGeometry;
    namespace N = EditorNames;

    // Vertical grid of one strip (a plate 92 high): a header line for the
    // section titles and LEDs, the knobs, their captions, their value labels.
    constexpr int stripHeight = 92;
    constexpr int headerTop = 3, headerHeight = 12;
    constexpr int knobTop = 17;
    constexpr int captionTop = 69, captionHeight = 10;
    constexpr int valueTop = 79, valueHeight = 12;
    constexpr int wellTop = 16;
    constexpr int wellPadding = 3;      // around the switches in a well
    constexpr int switchPitch = 16;

    constexpr int globalRowY = 52;
    constexpr int firstDeviceRowY = 152;
    constexpr int deviceRowPitch = 100;

    // Sections of a strip in x: the knob columns line up across all strips.
    constexpr int bandX = 8, bandWidth = 64;
    constexpr int vcoX = 80, vcoWidth = 320;
    constexpr int vcfX = 408, vcfWidth = 284;
    constexpr int vcaX = 700, vcaWidth = 296;
    constexpr int wellWidth = 36;

    const char* knobCaption (const char* suffix)
    {
        static const std::pair<const char*, const char*> captions[] {
            { "Glide", "GLIDE" },      { "Tune", "TUNE" },         { "PulseWidth", "WIDTH" },
            { "Mod1_Level", "DEPTH" }, { "Mod1_Time", "RATE" },    { "Freq", "FREQ" },
            { "Envelope", "ENV AMT" }, { "Mod2_Level", "DEPTH" },  { "Mod2_Time", "RATE" },
            { "Emphasis", "EMPHASIS" },{ "Accent", "ACCENT" },     { "Attack", "ATTACK" },
            { "Decay", "DECAY" },      { "Sustain", "SUSTAIN" },   { "Release", "RELEASE" },
            { "Drive", "DRIVE" },
        };
        for (auto& [name, caption] : captions)
            if (juce::String (name) == suffix)
                return caption;
        jassertfalse;
        return "";
    }

    const N::KnobKind& knobKind (const char* suffix)
    {
        for (auto& kind : N::deviceKnobs)
            if (juce::String (kind.suffix) == suffix)
                return kind;
        jassertfalse;
        return N::deviceKnobs[0];
    }

    class Planner
    {
    public:
        explicit Planner (PanelGeometry& g) : geometry (g) {}

        void add (const juce::String& name, G::Record record, Rect bounds, const juce::String& image = {})
        {
            geometry.controls.push_back ({ name, record, bounds, image });
        }

        // A knob with its caption (when it has a printed one) and value label
        // in the column starting at x.
        void knob (const juce::String& name, const juce::String& caption, int x, int stripY)
        {
            const Rect box (x, stripY + knobTop, G::knobWidth, G::knobHeight);
            add (name, G::Record::placed, box);
            add (N::valueLabel (name), G::Record::placed, { x, stripY + valueTop, G::knobWidth, valueHeight });
            geometry.knobs.push_back (box);
            if (caption.isNotEmpty())
                geometry.captions.push_back ({ { x, stripY + captionTop, G::knobWidth, captionHeight }, caption });
        }

        // A column of switch buttons in a dark well; a caption under a well that leaves room.
        template <size_t n>
        void switchColumn (int device, const N::SwitchButton (&buttons)[n], int x, int stripY, const juce::String& caption)
        {
            // A well of three ends above the caption line.
            const int wellHeight = 2 * wellPadding + ((int) n - 1) * switchPitch + G::switchHeight;
            geometry.wells.push_back ({ x + 2, stripY + wellTop, wellWidth - 4, wellHeight });

            for (size_t i = 0; i < n; ++i)
                add (N::switchButton (device, buttons[i]), G::Record::placed,
                     { x + (wellWidth - G::switchWidth) / 2, stripY + wellTop + wellPadding + (int) i * switchPitch, G::switchWidth, G::switchHeight });

            if (caption.isNotEmpty())
                geometry.captions.push_back ({ { x, stripY + captionTop, wellWidth, captionHeight }, caption });
        }

        // An LED at the right end of a header range, its label (if it needs one) to its left.
        void led (const juce::String& name, const juce::String& label, int rightEdge, int stripY)
        {
            const Rect box (rightEdge - 6 - G::ledSize, stripY + headerTop, G::ledSize, G::ledSize);
            add (name, G::Record::placed, box);
            if (label.isNotEmpty())
                geometry.captions.push_back ({ { box.getX() - 52, stripY + headerTop + 1, 48, captionHeight }, label,
                                           juce::Justification::centredRight });
        }

    private:
        PanelGeometry& geometry;
    };

    void planToolBar (PanelGeometry& g, Planner& p)
    {
        g.toolBar = { 0, 0, G::treeX, 48 };
        p.add (N::logoButtonProduct, G::Record::logoButton, { 16, 8, 104, 32 }, G::productLogoImage);

        const int buttonY = 12, size = G::toolButtonSize;

        // The preset bar is one dark strip: its buttons are drawn grey and go
        // darker still when disabled, which only reads as "off" on dark.
        g.presetBar = { 240, 8, 392, 32 };
        p.add (N::previousButton, G::Record::placed, { 248, buttonY, size, size });
        p.add (N::nextButton, G::Record::placed, { 276, buttonY, size, size });
        p.add (N::presetNameLabel, G::Record::presetNameLabel, { 308, 10, 256, 28 });
        p.add (N::reloadButton, G::Record::placed, { 572, buttonY, size, size });
        p.add (N::saveButton, G::Record::placed, { 600, buttonY, size, size });

        p.add (N::cpuWarnDisplay, G::Record::cpuDisplay, { 640, 16, 16, 16 }, G::cpuWarnImage);
        p.add (N::cpuOverDisplay, G::Record::cpuDisplay, { 660, 16, 16, 16 }, G::cpuOverImage);

        // The view switches draw dark when off and white when on: on a plate
        // of middle grey both read alike, where the light bar hid "on".
        int x = 696;
        g.switchPlates.push_back ({ x - 4, 8, 4 * 32 + size + 8, 32 });
        for (auto* name : { N::tooltipButton, N::valueLabelsButton, N::keyboardButton, N::linkButton, N::settingsButton })
        {
            p.add (name, G::Record::placed, { x, buttonY, size, size });
            x += 32;
        }

        p.add (N::logoButtonMaker, G::Record::logoButton, { 864, 14, 88, 20 }, G::makerLogoImage);
        g.switchPlates.push_back ({ 968 - 4, 8, G::treeButtonWidth + 8, 32 });
        p.add (N::presetTreeButton, G::Record::placed, { 968, buttonY, G::treeButtonWidth, size });
    }

    void planGlobalRow (PanelGeometry& g, Planner& p)
    {
        const int y = globalRowY;

        // Macros.  A macro's caption is its group name, which the link overlay
        // draws on the macro's target (see planLinkTargets): nothing printed.
        g.sections.push_back ({ { 8, y, 392, stripHeight }, { { "MACROS", { 12, 396 } } } });
        for (int m = 1; m <= N::numMacros; ++m)
            p.knob (N::macroKnob (m), {}, 12 + (m - 1) * G::knobWidth, y);

        // Voices: allocation mode, its three switches and the split points.
        g.sections.push_back ({ { vcfX, y, vcfWidth, stripHeight }, { { "VOICES", { vcfX + 4, vcfX + vcfWidth - 4 } } } });
        p.add (N::voiceMode, G::Record::voiceMode, { 416, y + 24, 136, 22 });
        g.wells.push_back ({ 416, y + 24, 136, 22 });   // the combo draws white text on no fill
        g.captions.push_back ({ { 416, y + 48, 136, captionHeight }, "ALLOCATION" });

        g.wells.push_back ({ 562, y + 20, 122, 30 });
        const int buttonY = y + 23;
        p.add (N::directionButton, G::Record::placed, { 566, buttonY, G::directionWidth, G::toolButtonSize });
        p.add (N::fillButton, G::Record::placed, { 610, buttonY, G::toolButtonSize, G::toolButtonSize });
        p.add (N::monophonButton, G::Record::placed, { 652, buttonY, G::toolButtonSize, G::toolButtonSize });
        g.captions.push_back ({ { 558, y + 52, 44, captionHeight }, "DIRECTION" });
        g.captions.push_back ({ { 600, y + 52, 44, captionHeight }, "FILL" });
        g.captions.push_back ({ { 642, y + 52, 44, captionHeight }, "MONO" });

        p.add (N::splitPointSlider, G::Record::splitPointSlider, { 416, y + 68, 268, 18 });

        // Output: master volume and the two meters.
        g.sections.push_back ({ { vcaX, y, vcaWidth, stripHeight }, { { "OUTPUT", { vcaX + 4, vcaX + vcaWidth - 4 } } } });
        g.captions.push_back ({ { 712, y + 26, 52, captionHeight }, "VOLUME", juce::Justification::centredLeft });
        p.add (N::masterVolume, G::Record::masterVolume, { 768, y + 22, 164, 18 });
        g.grooves.push_back ({ 768, y + 22, 164, 18 });
        p.add (N::valueLabel (N::masterVolume), G::Record::masterValueLabel, { 936, y + 22, 56, 18 });
        g.captions.push_back ({ { 712, y + 58, 52, captionHeight }, "LEVEL", juce::Justification::centredLeft });
        p.add (N::meterLeft, G::Record::placed, { 768, y + 54, 220, 8 });
        p.add (N::meterRight, G::Record::placed, { 768, y + 66, 220, 8 });
    }

    void planDeviceRow (PanelGeometry& g, Planner& p, int device)
    {
        const int y = firstDeviceRowY + (device - 1) * deviceRowPitch;
        const auto colour = juce::Colour (N::deviceColours[device - 1]);

        // The device's band: its name, gate LED and MIDI-on switch.
        g.deviceBands.push_back ({ { bandX, y, bandWidth, stripHeight }, colour, N::deviceLabel (device) });
        p.led (N::led (device, "Gate"), "GATE", bandX + bandWidth, y + 26);
        g.wells.push_back ({ bandX + 10, y + 54, 48, 30 });
        p.add (N::midiOnButton (device), G::Record::placed,
               { bandX + 10 + (48 - G::midiOnWidth) / 2, y + 58, G::midiOnWidth, G::midiOnHeight });

        // Oscillator with LFO 1
        int x = vcoX + 4;
        g.sections.push_back ({ { vcoX, y, vcoWidth, stripHeight },
                                { { "OSCILLATOR", { x, x + wellWidth + 3 * G::knobWidth } },
                                  { "LFO 1", { x + wellWidth + 3 * G::knobWidth, vcoX + vcoWidth - 4 } } } });
        p.switchColumn (device, N::oscillatorSwitches, x, y, {});
        x += wellWidth;
        for (auto* suffix : { "Glide", "Tune", "PulseWidth" })
        {
            p.knob (N::deviceKnob (device, knobKind (suffix)), knobCaption (suffix), x, y);
            x += G::knobWidth;
        }
        p.led (N::led (device, "Glide"), "GLIDE", x, y);
        p.switchColumn (device, N::lfo1Switches, x, y, "MODE");
        x += wellWidth;
        for (auto* suffix : { "Mod1_Level", "Mod1_Time" })
        {
            p.knob (N::deviceKnob (device, knobKind (suffix)), knobCaption (suffix), x, y);
            x += G::knobWidth;
        }
        p.led (N::led (device, "LFO1"), {}, x, y);     // the sub-section title names it

        // Filter with LFO 2
        x = vcfX + 4;
        g.sections.push_back ({ { vcfX, y, vcfWidth, stripHeight },
                                { { "FILTER", { x, x + 3 * G::knobWidth + wellWidth } },
                                  { "LFO 2", { x + 3 * G::knobWidth + wellWidth, vcfX + vcfWidth - 4 } } } });
        for (auto* suffix : { "Freq", "Emphasis", "Envelope" })
        {
            p.knob (N::deviceKnob (device, knobKind (suffix)), knobCaption (suffix), x, y);
            x += G::knobWidth;
        }
        p.switchColumn (device, N::trackingSwitches, x, y, "TRACK");
        x += wellWidth;
        for (auto* suffix : { "Mod2_Level", "Mod2_Time" })
        {
            p.knob (N::deviceKnob (device, knobKind (suffix)), knobCaption (suffix), x, y);
            x += G::knobWidth;
        }
        p.led (N::led (device, "LFO2"), {}, x, y);

        // Envelope and amplifier
        x = vcaX + 4;
        g.sections.push_back ({ { vcaX, y, vcaWidth, stripHeight },
                                { { "ENVELOPE", { x, x + 4 * G::knobWidth } },
                                  { "AMPLIFIER", { x + 4 * G::knobWidth, vcaX + vcaWidth - 4 } } } });
        for (auto* suffix : { "Attack", "Decay", "Sustain", "Release", "Accent", "Drive" })
        {
            p.knob (N::deviceKnob (device, knobKind (suffix)), knobCaption (suffix), x, y);
            x += G::knobWidth;
        }
        p.led (N::led (device, "Drive"), {}, x, y);    // right above the Drive knob
    }

    // Link-target placeholders: the knob targets cover the knob, the device
    // target the device's band and the module targets their section plates.
    void planLinkTargets (PanelGeometry& g, Planner& p)
    {
        auto knobTarget = [&] (const juce::String& knobName, const juce::String& targetName)
        {
            if (auto* knob = g.find (knobName))
                p.add (targetName, G::Record::placeholder, knob->bounds.withSizeKeepingCentre (40, 42));
        };

        for (int device = 1; device <= N::numDevices; ++device)
            for (auto& kind : N::deviceKnobs)
                knobTarget (N::deviceKnob (device, kind), N::linkTarget (device, kind));

        // The overlay writes a group name centred on its target, and every macro
        // starts named.  So a macro's target sits low, centred on the caption
        // line, where the name reads as the macro's caption instead of
        // covering its cap; it keeps the knob's lower edge for dragging links.
        // It takes the knob's whole column, so that the rename field over it
        // shows a default name whole.
        for (int m = 1; m <= N::numMacros; ++m)
            if (auto* knob = g.find (N::macroKnob (m)))
            {
                const int captionCentre = knob->bounds.getY() - knobTop + captionTop + captionHeight / 2;
                const int height = 2 * (knob->bounds.getY() - knobTop + stripHeight - captionCentre);
                p.add (N::macroLinkTarget (m), G::Record::placeholder,
                       Rect (G::knobWidth, height).withCentre ({ knob->bounds.getCentreX(), captionCentre }));
            }

        for (int device = 1; device <= N::numDevices; ++device)
            p.add (N::deviceGroupTarget (device), G::Record::placeholder, g.deviceBands[(size_t) device - 1].plate);

        // Sections 0..2 are the global row; each device adds three.
        for (int device = 1; device <= N::numDevices; ++device)
            for (int module = 0; module < 3; ++module)
                p.add (N::moduleGroupTarget (device, (N::Module) module), G::Record::placeholder,
                       g.sections[(size_t) (3 + (device - 1) * 3 + module)].plate);
    }

    PanelGeometry plan()
    {
        PanelGeometry g;
        Planner p (g);

        p.add (N::background, G::Record::backgroundImage, { 0, 0, G::treeX, G::height }, G::panelBackgroundImage);
        planToolBar (g, p);
        planGlobalRow (g, p);
        for (int device = 1; device <= N::numDevices; ++device)
            planDeviceRow (g, p, device);

        p.add (N::keyboard, G::Record::keyboard, { G::keyboardX, G::keyboardY, G::keyboardWidth, G::keyboardHeight });
        p.add (N::keyboardOverlay, G::Record::keyboardOverlay, { 0, G::keyboardY, G::treeX, 8 }, G::keyboardShadowImage);
        p.add (N::presetTree, G::Record::placed, { G::treeX, 0, G::width - G::treeX, G::height });

        // The random group exists only to be hidden: it takes no room.
        p.add (N::randomGroup[0], G::Record::hiddenGroup, {});
        p.add (N::randomGroup[1], G::Record::hiddenSlider, {});
        p.add (N::randomGroup[2], G::Record::hiddenLabel, {});
        p.add (N::randomGroup[3], G::Record::hiddenButton, {});

        planLinkTargets (g, p);
        return g;
    }
}

const PanelGeometry::Control* PanelGeometry::find (const juce::String& name) const
{
    for (auto& control : controls)
        if (control.name == name)
            return &control;
    return nullptr;
}

const PanelGeometry& mainPanelGeometry()
{
    static const PanelGeometry geometry = plan();
    return geometry;
}
