// The framework's own display connection is reached through its window
// system, which it declares only with its X headers.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include "platform/DisplayInput.h"

#include <X11/XKBlib.h>

namespace Korvalden::Platform
{
namespace
{
::Display* frameworksDisplay()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
}
} // namespace

bool inputFocusIsWithNoWindow()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto* display = frameworksDisplay();
    if (display == nullptr)
        return false;

    ::Window focused = 0;
    int revertTo = 0;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        XGetInputFocus (display, &focused, &revertTo);
    }
    return focused == 0 || focused == (::Window) PointerRoot || focused == DefaultRootWindow (display);
}

bool characterKeyIsDownOnTheDisplay (juce::juce_wchar character)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto* display = frameworksDisplay();
    // Below 0x100 a character's key symbol is its code.
    if (display == nullptr || character <= 0x20 || character >= 0x100)
        return false;

    char keys[32] {};
    KeyCode key = 0;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        key = XKeysymToKeycode (display, (KeySym) character);
        if (key == 0)
            return false;
        XQueryKeymap (display, keys);
    }
    return (keys[key >> 3] & (1 << (key & 7))) != 0;
}

void sendKeyRepeatsAsPressesAlone()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (auto* display = frameworksDisplay())
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        Bool detectable = False;
        XkbSetDetectableAutoRepeat (display, True, &detectable);
    }
}

std::vector<juce::juce_wchar> characterKeysHeldDown()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto* display = frameworksDisplay();
    if (display == nullptr)
        return {};

    std::vector<juce::juce_wchar> onTheDisplay;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        char keys[32] {};
        XQueryKeymap (display, keys);
        // Below 0x100 a character's key symbol is its code.
        for (juce::juce_wchar character = 0x20; character < 0x100; ++character)
            if (const auto key = XKeysymToKeycode (display, (KeySym) character); key != 0 && (keys[key >> 3] & (1 << (key & 7))) != 0)
                onTheDisplay.push_back (character);
    }

    // The framework asks under the display's lock of its own.
    std::vector<juce::juce_wchar> held;
    for (const auto character : onTheDisplay)
        if (juce::KeyPress::isKeyCurrentlyDown ((int) character))
            held.push_back (character);
    return held;
}
} // namespace Korvalden::Platform
