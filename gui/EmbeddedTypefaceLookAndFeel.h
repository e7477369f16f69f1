#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** What the editor's and the options dialog's look-and-feels share: every
    text in the typeface embedded in the bundle ("HelveticaNeue"), grey
    gradient menus, combo boxes with a tinted arrow image and no body, flat
    labels, and the framework's native alert windows.

    Without the typeface resource the framework's default font and typeface
    stay in use; without the arrow image no arrow is drawn.

    Message thread only (construction, painting, destruction).
*/
class EmbeddedTypefaceLookAndFeel : public juce::LookAndFeel_V2
{
public:
    // Colours of the product, also used by the editor (ARGB).
    static constexpr juce::uint32 accentColour = 0xFF00AFDB;
    static constexpr juce::uint32 gradientLightGrey = 0xFF707070;
    static constexpr juce::uint32 arrowGrey = 0xFF666666;
    /** ORVA, TESK, MUNE, KEST. */
    static constexpr std::array<juce::uint32, 4> deviceColour { 0xFFFFF000, 0xFF45A200, 0xFFFD17CA, 0xFF17A4DF };
    static constexpr juce::uint32 messageBoxGrey = 0xFF5F6062;
    static constexpr juce::uint32 neutralGrey = 0xFF7D7D7D;

    ~EmbeddedTypefaceLookAndFeel() override;

    /** The embedded typeface, null when the bundle has none. */
    juce::Typeface::Ptr getEmbeddedTypeface() const { return typeface; }
    /** The font every text is drawn in, at its default height. */
    const juce::Font& getBaseFont() const noexcept { return font; }

    /** Reads a typeface in the framework's custom-typeface format.  Null for
        data that is cut short, claims more glyphs than it holds, or carries
        non-finite metrics, so a damaged file never stalls or poisons drawing.
        Any thread. */
    static juce::Typeface::Ptr readCustomTypeface (juce::InputStream& stream);

    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted,
                           bool shouldDrawButtonAsDown) override;
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;
    /** A menu in a window of its own gives the keyboard focus back as it
        closes (MenuFocusReturn). */
    void preparePopupMenuWindow (juce::Component& menuWindow) override;
    void drawMenuBarBackground (juce::Graphics&, int width, int height, bool isMouseOverBar,
                                juce::MenuBarComponent&) override;
    juce::Font getMenuBarFont (juce::MenuBarComponent&, int itemIndex, const juce::String& itemText) override;
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    void drawLabel (juce::Graphics&, juce::Label&) override;
    void drawGroupComponentOutline (juce::Graphics&, int width, int height, const juce::String& text,
                                    const juce::Justification&, juce::GroupComponent&) override;
    void drawTabButtonText (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;

protected:
    /** The colours that differ between the editor and the options dialog. */
    struct OwnColours
    {
        juce::uint32 comboBoxBackground;
        juce::uint32 comboBoxText;
        bool setTooltipColours;
    };

    explicit EmbeddedTypefaceLookAndFeel (OwnColours);

    juce::Typeface::Ptr typeface;
    juce::Font font;
    juce::Image comboArrowImage;
    bool comboArrowDown = false;

private:
    static juce::ColourGradient menuGradient (int height);

    JUCE_DECLARE_NON_COPYABLE (EmbeddedTypefaceLookAndFeel)
};
