#pragma once

#include <juce_graphics/juce_graphics.h>

#include <string>

namespace KestHost
{
/** What an X11 window shows on the screen, child windows included (the
    plug-in's view among them), read back through a display connection of
    its own.  Main thread. */
class WindowSnapshot
{
public:
    WindowSnapshot() = delete;

    /** Whether an X display can be opened; when not, why. */
    static bool displayAvailable (std::string& problem);

    /** Makes X errors harmless for the whole process: Xlib's own handler
        ends the program, and neither copy of the framework replaces it
        outside a stand-alone application.  A host keeps going (the plug-in's
        framework asks for window-manager properties that a bare display
        lacks, for instance).  Main thread, before any window exists. */
    static void tolerateXErrors();

    /** The window's pixels; throws std::runtime_error when the display or
        the window cannot be read. */
    static juce::Image capture (unsigned long window);

    /** Writes image as a PNG file beside path and renames it over path.
        Throws std::runtime_error naming the file and why. */
    static void writePng (const juce::Image& image, const std::string& path);
};
} // namespace KestHost
