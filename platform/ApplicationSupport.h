#pragma once

#include <juce_core/juce_core.h>

namespace Korvalden::Platform
{
/** Where the system keeps its files on this platform.

    The user's "Application Support" folder is $XDG_DATA_HOME (by default
    ~/.local/share); the computer-wide one is the first entry of
    $XDG_DATA_DIRS (by default /usr/local/share:/usr/share) that holds
    "Korvalden/Presets/Kest", else the first entry.  Everything below these
    folders keeps its relative path ("Korvalden/Kest.prop", ...).

    Both are computed from the environment on every call, never during static
    initialisation.  Any thread.
*/
juce::File getUserApplicationSupportFolder();
juce::File getComputerApplicationSupportFolder();

/** The folder below Application Support that holds the maker's files: "Korvalden". */
juce::File getUserMakerFolder();
} // namespace Korvalden::Platform
