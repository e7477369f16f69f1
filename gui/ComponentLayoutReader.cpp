#include "gui/ResourceManager.h"

namespace Korvalden::Resources
{
bool ResourceManager::applyComponentLayout (juce::Component* root, const juce::String& name)
{
    return applyComponentLayout (root, name, 0);
}

bool ResourceManager::applyComponentLayout (juce::Component*, const juce::String&, int)
{
    return false;
}
} // namespace Korvalden::Resources
