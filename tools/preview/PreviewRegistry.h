#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

/** The preview renders of kest_preview.  Each render is a function that reads
    the bundle's resources and writes one or more PNG files; a .cpp file adds
    its renders with a static PreviewRegistration, so a new render is one new
    file in tools/preview and nothing else.  Renders run on the message thread
    of the tool, with the resource manager pointed at the resource folder and
    one user of it held. */
struct PreviewContext
{
    juce::File resourceFolder;
    juce::File outputFolder;
    float scale = 1.0f;             // 2 renders the editor at twice its size
    juce::Typeface::Ptr typeface;   // the bundle's typeface, when it has one

    /** name, with "@2x" appended at scale 2 (and so on), for a render drawn at the scale. */
    juce::String scaledName (const juce::String& name) const;

    /** Writes the image as <name>.png into the output folder; false on failure. */
    bool writePng (const juce::String& name, const juce::Image& image) const;

    /** The bundle's own typeface at the given height (the framework's font when missing). */
    juce::Font font (float height) const;
};

struct PreviewRender
{
    juce::String name;
    juce::String description;
    std::function<bool (const PreviewContext&)> render;
};

/** Every registered render, in name order. */
std::vector<PreviewRender>& previewRenders();

struct PreviewRegistration
{
    PreviewRegistration (const juce::String& name, const juce::String& description,
                         std::function<bool (const PreviewContext&)> render);
};
