#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <memory>
#include <utility>

namespace Korvalden::Resources
{
/** The one process-wide access to the files of the plug-in bundle: images,
    binary data (the embedded typeface) and window layouts.

    Every user brackets its use with acquire() and release().  The first
    acquire creates the shared instance, the last release deletes it with
    everything it cached, so a later acquire reads the bundle afresh.  While
    the instance lives, each file is read at most once and each image decoded
    at most once; getImage hands out references into the cache that stay valid
    until the caller's release.

    The look-ups below work on the shared instance and need a user to exist
    (they assert it and then fail harmlessly).  Message thread only: there is
    no lock.
*/
class ResourceManager
{
public:
    /** Thrown and caught inside applyComponentLayout when a record names a
        child of another class. */
    class ResourceDataException
    {
    };

    /** Adds a user, creating the shared instance for the first.  Message thread. */
    static void acquire();

    /** Removes a user; the last one deletes the instance and its caches.  Message thread. */
    static void release();

    /** The number of users.  Message thread. */
    static juce::uint32 getUserCount();

    /** A stream over the cached bytes of the file <name>.<type> (read in
        place, no copy), or null when it cannot be found or read; failures are
        not cached.  Only a regular file is read (a link to one is followed):
        a folder, device or pipe in its place, or a file larger than its type
        allows (1 MiB for "COMPONENT", 16 MiB for the others), cannot be read.
        The stream must not outlive the caller's release.  Message thread. */
    static std::unique_ptr<juce::MemoryInputStream> loadResource (const juce::String& name,
                                                                  const juce::String& type);

    /** loadResource (name, "BINARY").  Message thread. */
    static std::unique_ptr<juce::MemoryInputStream> getBinary (const juce::String& name);

    /** The cached image <name>.IMAGE.  Never fails: a missing or undecodable
        image is a null image, cached so that it is not looked for again; an
        empty name gives a shared null image and caches nothing.  Undecodable
        covers a cut or damaged file, one larger than the image bounds, and
        anything but PNG and JPEG (see decodeImageResource).  The reference
        stays valid until the caller's release.  Message thread. */
    static const juce::Image& getImage (const juce::String& name);

    /** A new ARGB image of the source's size in the tint colour, with each
        pixel's alpha taken from the source's red component: a greyscale mask
        gives white opaque, black transparent.  A single-channel source reads
        its level as red, so its own alpha carries over.  A null source gives
        a null image.  Any thread. */
    static juce::Image createTintedImage (const juce::Image& source, juce::Colour tint);

    /** Recolours every pixel of the image in place to the colour's red, green
        and blue, keeping each pixel's own alpha.  Any thread. */
    static void tintImage (juce::Image& image, juce::Colour colour);

    /** Builds and configures root's children from the layout <name>.COMPONENT.
        True when the whole layout was read; false when it is missing or a
        record's child has another class (the records before it stay
        applied).  Every size and position the layout gives is brought within
        what a window can be: no size beyond 16384, every rectangle within
        -16384..16384 on both axes.  Message thread. */
    static bool applyComponentLayout (juce::Component* root, const juce::String& name);

private:
    ResourceManager() = default;
    ~ResourceManager();

    static ResourceManager* instanceForLookup();
    static bool applyComponentLayout (juce::Component* root, const juce::String& name, int depth,
                                      int& nestedLayoutsLeft);

    std::map<juce::String, std::unique_ptr<juce::Image>> images;
    std::map<std::pair<juce::String, juce::String>, std::unique_ptr<juce::MemoryBlock>> rawResources;

    friend class ComponentLayoutReader;

    JUCE_DECLARE_NON_COPYABLE (ResourceManager)
};

/** The first direct child of parent, in child order, whose component name is
    exactly name; null when there is none or parent is null.  Message thread. */
juce::Component* findChildComponentByName (juce::Component* parent, const juce::String& name);

/** The child found by findChildComponentByName, brought to the front without
    taking the focus; else a new, visible plain component of that name added
    as parent's topmost child.  A child created here is deleted with parent,
    unless parent's owner has deleted it first.  Message thread. */
juce::Component* getOrCreateChildComponent (juce::Component* parent, const juce::String& name);
} // namespace Korvalden::Resources
