#include "gui/EmbeddedTypefaceLookAndFeel.h"

#include "gui/KeyboardFocusReturn.h"
#include "gui/ResourceManager.h"

#include <cmath>

using Korvalden::Resources::ResourceManager;

namespace
{
/** A bundle's typeface is a few hundred kilobytes; anything far larger is damaged. */
constexpr juce::int64 maximumTypefaceBytes = 64 * 1024 * 1024;

bool skipCharacter (juce::InputStream& in)
{
    if (in.getNumBytesRemaining() < 2)
        return false;
    const auto n = (juce::uint32) (juce::uint16) in.readShort();
    if (n >= 0xd800 && n <= 0xdfff)
    {
        if (in.getNumBytesRemaining() < 2)
            return false;
        in.readShort();
    }
    return true;
}

bool readFiniteFloat (juce::InputStream& in)
{
    return in.getNumBytesRemaining() >= 4 && std::isfinite (in.readFloat());
}

/** Walks the decompressed stream as the framework's reader will, checking
    that every count is covered by the bytes that follow. */
bool isWholeCustomTypeface (juce::MemoryInputStream& in)
{
    in.readString();
    if (in.getNumBytesRemaining() < 2)
        return false;
    in.readBool();
    in.readBool();
    if (! readFiniteFloat (in) || ! skipCharacter (in) || in.getNumBytesRemaining() < 4)
        return false;

    const auto numGlyphs = in.readInt();
    if (numGlyphs < 0 || numGlyphs > in.getNumBytesRemaining() / 6)
        return false;

    for (int i = 0; i < numGlyphs; ++i)
    {
        if (! skipCharacter (in) || ! readFiniteFloat (in))
            return false;
        juce::Path glyph;
        glyph.loadPathFromStream (in);
    }

    if (in.getNumBytesRemaining() < 4)
        return false;
    const auto numKerningPairs = in.readInt();
    if (numKerningPairs < 0 || numKerningPairs > in.getNumBytesRemaining() / 8)
        return false;

    for (int i = 0; i < numKerningPairs; ++i)
        if (! skipCharacter (in) || ! skipCharacter (in) || ! readFiniteFloat (in))
            return false;
    return true;
}
} // namespace

juce::Typeface::Ptr EmbeddedTypefaceLookAndFeel::readCustomTypeface (juce::InputStream& stream)
{
    juce::MemoryBlock compressed;
    if (stream.readIntoMemoryBlock (compressed, maximumTypefaceBytes + 1) > (size_t) maximumTypefaceBytes)
        return nullptr;

    juce::MemoryBlock plain;
    {
        juce::MemoryInputStream source (compressed, false);
        juce::GZIPDecompressorInputStream unzipped (source);
        if (unzipped.readIntoMemoryBlock (plain, maximumTypefaceBytes + 1) > (size_t) maximumTypefaceBytes)
            return nullptr;
    }

    juce::MemoryInputStream check (plain, false);
    if (plain.isEmpty() || ! isWholeCustomTypeface (check))
        return nullptr;

    juce::MemoryInputStream source (compressed, false);
    return new juce::CustomTypeface (source);
}

EmbeddedTypefaceLookAndFeel::EmbeddedTypefaceLookAndFeel (OwnColours own)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    ResourceManager::acquire();
    comboArrowImage = ResourceManager::createTintedImage (ResourceManager::getImage ("ComboBoxArrow_Alpha"),
                                                         juce::Colour (arrowGrey));
    ResourceManager::release();

    setColour (juce::TextButton::buttonColourId, juce::Colour (accentColour));
    setColour (juce::ComboBox::buttonColourId, juce::Colour (accentColour));
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (0x0000AFDB));
    if (own.setTooltipColours)
    {
        setColour (juce::TooltipWindow::backgroundColourId, juce::Colour (0xFF3A3A3A));
        setColour (juce::TooltipWindow::outlineColourId, juce::Colour (0xFF2B2B2B));
        setColour (juce::TooltipWindow::textColourId, juce::Colour (0xFFFFFFFF));
    }
    setColour (juce::PopupMenu::backgroundColourId, juce::Colour (0xFFFFFFFF));
    setColour (juce::PopupMenu::textColourId, juce::Colour (0xFFFFFFFF));
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (0xFF000000));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (0xFFFAFAD2));
    setColour (juce::PopupMenu::headerTextColourId, juce::Colour (0xFFDEAF40));
    setColour (juce::Label::textColourId, juce::Colour (0xFF000000));
    setColour (juce::ComboBox::backgroundColourId, juce::Colour (own.comboBoxBackground));
    setColour (juce::ComboBox::textColourId, juce::Colour (own.comboBoxText));
    setColour (juce::ListBox::backgroundColourId, juce::Colour (0xFFC4C4C4));
    setColour (juce::TextEditor::highlightColourId, juce::Colour (accentColour));

    setUsingNativeAlertWindows (true);

    ResourceManager::acquire();
    if (auto stream = ResourceManager::getBinary ("HelveticaNeue"))
        typeface = readCustomTypeface (*stream);
    if (typeface != nullptr)
        font = juce::Font (typeface).withExtraKerningFactor (0.05f);
    ResourceManager::release();
}

EmbeddedTypefaceLookAndFeel::~EmbeddedTypefaceLookAndFeel() = default;

juce::Typeface::Ptr EmbeddedTypefaceLookAndFeel::getTypefaceForFont (const juce::Font& f)
{
    if (typeface != nullptr)
        return typeface;
    return juce::LookAndFeel_V2::getTypefaceForFont (f);
}

juce::Font EmbeddedTypefaceLookAndFeel::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return font.withHeight (0.5f * (float) buttonHeight);
}

void EmbeddedTypefaceLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                                    bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    if (button.hasKeyboardFocus (true))
    {
        g.setColour (button.findColour (juce::TextEditor::focusedOutlineColourId));
        g.drawRect (0, 0, button.getWidth(), button.getHeight());
    }

    const auto textSize = std::min (15.0f, (float) button.getHeight() * 0.75f);
    const auto tickSize = textSize * 1.1f;
    drawTickBox (g, button, 4.0f, ((float) button.getHeight() - tickSize) * 0.5f, tickSize, tickSize,
                 button.getToggleState(), button.isEnabled(), shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);

    g.setColour (button.findColour (juce::ToggleButton::textColourId));
    g.setFont (font.withHeight (textSize));
    if (! button.isEnabled())
        g.setOpacity (0.5f);

    g.drawFittedText (button.getButtonText(),
                      button.getLocalBounds().withTrimmedLeft (juce::roundToInt (tickSize) + 5).withTrimmedRight (2),
                      juce::Justification::centredLeft, 10);
}

juce::ColourGradient EmbeddedTypefaceLookAndFeel::menuGradient (int height)
{
    return juce::ColourGradient::vertical (juce::Colour (gradientLightGrey).brighter (0.1f), 0.0f,
                                           juce::Colour (arrowGrey).brighter (0.1f), (float) height);
}

void EmbeddedTypefaceLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int width, int height)
{
    g.setGradientFill (menuGradient (height));
    g.fillRect (0, 0, width, height);
}

void EmbeddedTypefaceLookAndFeel::preparePopupMenuWindow (juce::Component& menuWindow)
{
    juce::LookAndFeel_V2::preparePopupMenuWindow (menuWindow);
    Korvalden::GUI::MenuFocusReturn::watch (menuWindow);
}

juce::Font EmbeddedTypefaceLookAndFeel::getPopupMenuFont()
{
    return font.withHeight (14.0f);
}

void EmbeddedTypefaceLookAndFeel::drawMenuBarBackground (juce::Graphics& g, int width, int height, bool,
                                                         juce::MenuBarComponent&)
{
    g.setGradientFill (menuGradient (height));
    g.fillRect (0, 0, width, height);
}

juce::Font EmbeddedTypefaceLookAndFeel::getMenuBarFont (juce::MenuBarComponent&, int, const juce::String&)
{
    return font.withHeight (14.0f);
}

void EmbeddedTypefaceLookAndFeel::drawComboBox (juce::Graphics& g, int, int, bool isButtonDown,
                                                int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box)
{
    g.fillAll (box.findColour (juce::ComboBox::backgroundColourId, true));

    // One arrow serves every combo box: re-tint it only when the pressed state changes.
    if (isButtonDown != comboArrowDown)
    {
        comboArrowDown = isButtonDown;
        ResourceManager::tintImage (comboArrowImage, isButtonDown ? juce::Colours::white : juce::Colour (arrowGrey));
    }

    if (comboArrowImage.isValid())
        g.drawImageWithin (comboArrowImage, buttonX, buttonY, buttonW, buttonH,
                           juce::RectanglePlacement::centred | juce::RectanglePlacement::doNotResize);
}

void EmbeddedTypefaceLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    g.fillAll (label.findColour (juce::Label::backgroundColourId));

    if (label.isBeingEdited())
    {
        if (label.isEnabled())
        {
            g.setColour (label.findColour (juce::Label::outlineColourId));
            g.drawRect (label.getLocalBounds());
        }
        return;
    }

    const auto opacity = label.isEnabled() ? 1.0f : 0.5f;
    const auto labelFont = font.withHeight (label.getFont().getHeight());
    g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (opacity));
    g.setFont (labelFont);

    const auto textArea = label.getBorderSize().subtractedFrom (label.getLocalBounds());
    g.drawFittedText (label.getText(), textArea, label.getJustificationType(),
                      std::max (1, (int) ((float) label.getHeight() / labelFont.getHeight())),
                      label.getMinimumHorizontalScale());

    g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (opacity));
    g.drawRect (label.getLocalBounds());
}

void EmbeddedTypefaceLookAndFeel::drawGroupComponentOutline (juce::Graphics& g, int width, int height,
                                                             const juce::String& text,
                                                             const juce::Justification& position,
                                                             juce::GroupComponent& group)
{
    const float textHeight = 15.0f, indent = 3.0f, textGap = 4.0f;
    const auto groupFont = font.withHeight (textHeight);

    const auto x = indent;
    const auto y = groupFont.getAscent() - 3.0f;
    const auto w = std::max (0.0f, (float) width - x * 2.0f);
    const auto h = std::max (0.0f, (float) height - y - indent);
    const auto corner = std::min ({ 5.0f, w * 0.5f, h * 0.5f });
    const auto corner2 = 2.0f * corner;

    const auto textWidth = text.isEmpty() ? 0.0f
                                          : juce::jlimit (0.0f, std::max (0.0f, w - corner2 - textGap * 2.0f),
                                                          groupFont.getStringWidthFloat (text) + textGap * 2.0f);
    auto textX = corner + textGap;
    if (position.testFlags (juce::Justification::horizontallyCentred))
        textX = corner + (w - corner2 - textWidth) * 0.5f;
    else if (position.testFlags (juce::Justification::right))
        textX = w - corner - textWidth - textGap;

    // The outline runs round the group and leaves a gap for the text.
    juce::Path outline;
    const auto pi = juce::MathConstants<float>::pi;
    outline.startNewSubPath (x + textX + textWidth, y);
    outline.lineTo (x + w - corner, y);
    outline.addArc (x + w - corner2, y, corner2, corner2, 0.0f, pi * 0.5f);
    outline.lineTo (x + w, y + h - corner);
    outline.addArc (x + w - corner2, y + h - corner2, corner2, corner2, pi * 0.5f, pi);
    outline.lineTo (x + corner, y + h);
    outline.addArc (x, y + h - corner2, corner2, corner2, pi, pi * 1.5f);
    outline.lineTo (x, y + corner);
    outline.addArc (x, y, corner2, corner2, pi * 1.5f, pi * 2.0f);
    outline.lineTo (x + textX, y);

    const auto opacity = group.isEnabled() ? 1.0f : 0.5f;
    g.setColour (group.findColour (juce::GroupComponent::outlineColourId).withMultipliedAlpha (opacity));
    g.strokePath (outline, juce::PathStrokeType (2.0f));

    g.setColour (group.findColour (juce::GroupComponent::textColourId).withMultipliedAlpha (opacity));
    g.setFont (groupFont);
    g.drawText (text, juce::roundToInt (x + textX), 0, juce::roundToInt (textWidth), juce::roundToInt (textHeight),
                juce::Justification::centred, true);
}

void EmbeddedTypefaceLookAndFeel::drawTabButtonText (juce::TabBarButton& button, juce::Graphics& g,
                                                     bool isMouseOver, bool isMouseDown)
{
    const auto area = button.getTextArea().toFloat();
    auto length = area.getWidth();
    auto depth = area.getHeight();
    auto& bar = button.getTabbedButtonBar();
    if (bar.isVertical())
        std::swap (length, depth);

    auto tabFont = font.withHeight (depth * 0.6f);
    tabFont.setUnderline (button.hasKeyboardFocus (false));

    juce::AffineTransform transform;
    const auto pi = juce::MathConstants<float>::pi;
    switch (bar.getOrientation())
    {
        case juce::TabbedButtonBar::TabsAtLeft:
            transform = transform.rotated (-0.5f * pi).translated (area.getX(), area.getBottom());
            break;
        case juce::TabbedButtonBar::TabsAtRight:
            transform = transform.rotated (0.5f * pi).translated (area.getRight(), area.getY());
            break;
        case juce::TabbedButtonBar::TabsAtTop:
        case juce::TabbedButtonBar::TabsAtBottom:
            transform = transform.translated (area.getX(), area.getY());
            break;
    }

    juce::Colour colour;
    if (button.isFrontTab() && (button.isColourSpecified (juce::TabbedButtonBar::frontTextColourId)
                                || isColourSpecified (juce::TabbedButtonBar::frontTextColourId)))
        colour = findColour (juce::TabbedButtonBar::frontTextColourId);
    else if (button.isColourSpecified (juce::TabbedButtonBar::tabTextColourId)
             || isColourSpecified (juce::TabbedButtonBar::tabTextColourId))
        colour = findColour (juce::TabbedButtonBar::tabTextColourId);
    else
        colour = button.getTabBackgroundColour().contrasting();

    const auto opacity = button.isEnabled() ? ((isMouseOver || isMouseDown) ? 1.0f : 0.8f) : 0.3f;
    g.setColour (colour.withMultipliedAlpha (opacity));
    g.setFont (tabFont);
    g.addTransform (transform);
    g.drawFittedText (button.getButtonText().trim(), 0, 0, (int) length, (int) depth,
                      juce::Justification::centred, std::max (1, (int) depth / 12), 0.7f);
}
