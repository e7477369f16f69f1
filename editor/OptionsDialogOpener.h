#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class AudioEngine;

/** How the editor opens the options dialog without depending on its class:
    a function that puts the dialog on the desktop, runs it modally without
    blocking and returns it.  The dialog's own opening is installed from the
    start; tests install their own.  The editor
    keeps the returned component through a safe pointer and deletes it when
    it goes itself.  Message thread only.
*/
namespace OptionsDialogOpener
{
    struct Request
    {
        AudioEngine& engine;
        /** The dialog centres itself over it. */
        juce::Component& editor;
        /** A receive channel was chosen: 1..16, anything else for all. */
        std::function<void (int channel)> receiveChannelChosen;
        /** The CPU-warning switch changed. */
        std::function<void (bool on)> cpuWarningSwitched;
    };

    using Function = std::function<juce::Component* (const Request&)>;

    /** Installs the opener; an empty one puts the dialog's own back. */
    void set (Function opener);
    /** The open dialog, or null when no opener is installed. */
    juce::Component* open (const Request& request);
}
