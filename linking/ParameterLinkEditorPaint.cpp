#include "linking/ParameterLinkEditor.h"

namespace
{
constexpr float targetCornerSize = 5.0f;
constexpr float lineThickness = 5.0f;
// The casing shows 1.5 pixels on each side of a line.
constexpr float casingThickness = lineThickness + 3.0f;
constexpr juce::uint8 dropTargetAlpha = 0x7F;
constexpr juce::uint8 linkedBackgroundAlpha = 0x4C;

/** The group name in black, centred on its target, on a light plate of its
    own: the knob caps under it are dark. */
void drawGroupName (juce::Graphics& g, const juce::String& name, juce::Rectangle<int> area)
{
    const auto font = g.getCurrentFont();
    const float width = juce::jmin ((float) area.getWidth(), font.getStringWidthFloat (name) + 6.0f);
    const auto plate = juce::Rectangle<float> (width, font.getHeight() + 2.0f).withCentre (area.toFloat().getCentre());
    g.setColour (juce::Colour (0xD9F2F0EC));
    g.fillRoundedRectangle (plate, 3.0f);
    g.setColour (juce::Colour (0xFF000000));
    g.drawText (name, area, juce::Justification::centred, true);
}
} // namespace

void ParameterLinkEditor::paintOverlay (juce::Graphics& g)
{
    auto* p = panel.getComponent();
    if (p == nullptr)
        return;

    g.setFont (juce::Font (10.0f));

    // Linked knobs are tinted and named whatever the overlay's visibility;
    // the names go over the lines, which would cross them out.
    std::vector<std::pair<juce::String, juce::Rectangle<int>>> names;
    for (const auto& target : targets)
    {
        if (target.get() == nameEditTarget)
            continue;

        const auto area = target->hitArea.toFloat();
        const bool single = target->count() == 1;
        const auto entry = single ? manager->findLinkEntry (target->indexes.front()) : std::nullopt;

        if (dragging && dragSource != nullptr)
        {
            if (target->count() == dragSource->count())
            {
                g.setColour (p->findColour (dragColourId).withAlpha (dropTargetAlpha));
                g.fillRoundedRectangle (area, targetCornerSize);
            }
        }
        else if (entry && ! entry->links.empty())
        {
            g.setColour (target->colour.withAlpha (linkedBackgroundAlpha));
            g.fillRoundedRectangle (area, targetCornerSize);
        }

        if (entry && entry->name.isNotEmpty())
            names.emplace_back (entry->name, target->area);
    }

    // The lines, casings and all, fade as one with the overlay's alpha, so a
    // fading line never shows its dark casing through its light middle.
    const auto lineColour = p->findColour (connectionColourId);
    if (lineColour.getAlpha() != 0)
    {
        juce::Path normal, highlighted;
        for (const auto& [a, b] : connections)
        {
            const auto* from = singleTargetOf (a);
            const auto* to = singleTargetOf (b);
            if (from == nullptr || to == nullptr)
                continue;

            auto& path = highlightSet.count (a) != 0 ? highlighted : normal;
            path.addLineSegment (juce::Line<float> (from->centre().toFloat(), to->centre().toFloat()), 1.0f);
        }

        const bool fading = lineColour.getAlpha() != 0xFF;
        if (fading)
            g.beginTransparencyLayer (lineColour.getFloatAlpha());

        // All casings first: where lines cross, no casing cuts across a line.
        const juce::PathStrokeType casing (casingThickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
        g.setColour (p->findColour (connectionCasingColourId));
        g.strokePath (normal, casing);
        g.strokePath (highlighted, casing);

        const juce::PathStrokeType stroke (lineThickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
        g.setColour (lineColour.withAlpha ((juce::uint8) 0xFF));
        g.strokePath (normal, stroke);
        g.setColour (p->findColour (highlightColourId));
        g.strokePath (highlighted, stroke);

        if (fading)
            g.endTransparencyLayer();
    }

    for (const auto& [name, area] : names)
        drawGroupName (g, name, area);

    if (dragging)
    {
        g.setColour (p->findColour (dragColourId));
        g.drawLine (juce::Line<float> (dragStart.toFloat(), dragEnd.toFloat()), snapped ? lineThickness : 1.0f);
    }
}
