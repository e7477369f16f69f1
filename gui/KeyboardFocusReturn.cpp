#include "gui/KeyboardFocusReturn.h"

namespace Korvalden::GUI
{
KeyboardFocusReturn::KeyboardFocusReturn (juce::Component* ownerOfAlert)
    : focused (juce::Component::getCurrentlyFocusedComponent()), owner (ownerOfAlert)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (focused != nullptr)
        return;

    for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i)
    {
        if (auto* peer = juce::ComponentPeer::getPeer (i); peer != nullptr && peer->isFocused())
        {
            focusedWindow = &peer->getComponent();
            return;
        }
    }
    heldNothing = true;
}

void KeyboardFocusReturn::giveBack() const
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto* component = focused != nullptr ? focused.getComponent() : focusedWindow.getComponent();
    if (heldNothing && owner != nullptr)
        component = owner->getTopLevelComponent();
    if (component == nullptr || ! component->isShowing())
        return;

    // The framework still counts a component as focused when only its window
    // lost the input focus, and then does not ask for it again.
    if (auto* peer = component->getPeer(); peer != nullptr && ! peer->isFocused())
        peer->grabFocus();
    if (focused != nullptr && ! component->hasKeyboardFocus (false))
        component->grabKeyboardFocus();
}
} // namespace Korvalden::GUI
