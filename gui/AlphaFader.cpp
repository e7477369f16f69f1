#include "gui/AlphaFader.h"

namespace Korvalden::GUI
{
void AlphaFader::addTarget (juce::Component* component, int colourId)
{
    if (component == nullptr)
        return;
    for (const auto& target : targets)
        if (target.component.getComponent() == component && target.colourId == colourId)
            return;
    targets.push_back ({ component, colourId });
}

juce::uint8 AlphaFader::alphaByteFor (float level)
{
    if (! (level > 0.0f)) // NaN fades out too
        return 0;
    if (level >= 1.0f)
        return 255;
    return (juce::uint8) (level * 255.996f);
}

void AlphaFader::applyAlpha()
{
    const auto byte = alphaByteFor (alpha);
    for (auto& target : targets)
    {
        auto* component = target.component.getComponent();
        if (component == nullptr)
            continue;
        const auto own = component->findColour (target.colourId, false);
        component->setColour (target.colourId, own.withAlpha (byte));
        component->repaint();
    }
}

void AlphaFader::timerCallback()
{
    alpha -= stepPerTick;
    if (! (alpha > 0.0f))
    {
        alpha = 0.0f;
        stopTimer();
    }
    applyAlpha();
}
} // namespace Korvalden::GUI
