#include "gui/KeyboardFocusReturn.h"

#include "platform/DisplayInput.h"

#include <algorithm>
#include <vector>

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

namespace
{
// The watched windows' watchers, for a submenu to find its menu's.
std::vector<MenuFocusReturn*>& menuWatchers()
{
    static std::vector<MenuFocusReturn*> watchers;
    return watchers;
}
} // namespace

void MenuFocusReturn::watch (juce::Component& menuWindow)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (! menuWindow.isOnDesktop())
        return;
    auto* modal = juce::Component::getCurrentlyModalComponent();
    const bool submenu = modal != nullptr && modal->getName() == menuWindow.getName();
    new MenuFocusReturn (menuWindow, submenu ? modal : nullptr); // goes with the window
}

MenuFocusReturn::MenuFocusReturn (juce::Component& menuWindow, juce::Component* menu)
    : window (menuWindow), menuOfSubmenu (menu)
{
    window.addComponentListener (this);
    menuWatchers().push_back (this);
}

MenuFocusReturn::~MenuFocusReturn()
{
    window.removeComponentListener (this);
    auto& watchers = menuWatchers();
    watchers.erase (std::remove (watchers.begin(), watchers.end(), this), watchers.end());
}

bool MenuFocusReturn::holdsFocus() const
{
    auto* peer = window.getPeer();
    return peer != nullptr && peer->isFocused();
}

void MenuFocusReturn::componentBeingDeleted (juce::Component&)
{
    // A window is still on the screen here; the submenus of a menu are gone.
    if (menuOfSubmenu != nullptr)
    {
        if (holdsFocus())
            for (auto* watcher : menuWatchers())
                if (&watcher->window == menuOfSubmenu.getComponent())
                    watcher->submenuTookFocus = true;
    }
    else if (submenuTookFocus || holdsFocus() || Korvalden::Platform::inputFocusIsWithNoWindow())
    {
        focusReturn.giveBack();
    }
    delete this;
}
} // namespace Korvalden::GUI
