#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** The keyboard focus as it was when an alert or a question opened, given
    back when it closes: the window that held it takes the window system's
    input focus again and the component that held it the keyboard focus, so
    the computer keys that play the editor's keyboard keep playing without a
    click.  When nothing of the program held the focus as it opened (an
    alert that an editor shows while it is still being built), the window of
    the owner takes it: the window the alert belongs to.  Nothing happens for
    a component or window that is gone or no longer showing.

    Message thread only.
*/
class KeyboardFocusReturn
{
public:
    /** Remembers the component that has the keyboard focus now, or else the
        window that has the input focus, if any; else owner (may be null, and
        need not be on the screen yet). */
    explicit KeyboardFocusReturn (juce::Component* owner = nullptr);

    /** Gives the focus back to what was remembered. */
    void giveBack() const;

private:
    juce::Component::SafePointer<juce::Component> focused;
    juce::Component::SafePointer<juce::Component> focusedWindow;
    juce::Component::SafePointer<juce::Component> owner;
    bool heldNothing = false;
};

/** The keyboard focus as it was when a pop-up menu opened in a window of
    its own, given back as the menu closes when the menu took the window
    system's input focus (a press on a menu's or a submenu's window takes
    it, on a display without a window manager as under one) or no window
    holds it any longer.  Without this the focus is lost after an item
    chosen with the mouse: the framework gives the focus back only to a
    component it still counts as focused, and it stopped counting one when
    the editor's window lost the input focus to the menu.  After Escape, and
    when another program's window took the focus (which closes the menu
    too), nothing changes.

    Message thread only.
*/
class MenuFocusReturn final : private juce::ComponentListener
{
public:
    /** Watches a menu's window as the look-and-feel prepares it, until the
        window goes; a submenu's window (made while its menu is modal) tells
        its menu whether it took the focus.  A menu shown inside another
        window is left alone. */
    static void watch (juce::Component& menuWindow);

    ~MenuFocusReturn() override;

private:
    MenuFocusReturn (juce::Component& menuWindow, juce::Component* menuOfSubmenu);
    void componentBeingDeleted (juce::Component&) override;
    bool holdsFocus() const;

    juce::Component& window;
    /** The window of the menu this submenu belongs to; null for a menu. */
    juce::Component::SafePointer<juce::Component> menuOfSubmenu;
    KeyboardFocusReturn focusReturn;
    bool submenuTookFocus = false;

    JUCE_DECLARE_NON_COPYABLE (MenuFocusReturn)
};
} // namespace Korvalden::GUI
