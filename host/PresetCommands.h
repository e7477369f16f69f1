#pragma once

#include "host/RenderCommand.h"

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace KestHost
{
/** Makes the factory presets that travel in the bundle's resources visible
    to this process (and the plug-in loaded into it) when no computer-wide
    folder holds them: the bundle's Contents/Resources joins the end of
    $XDG_DATA_DIRS.  Main thread, before any plug-in is loaded. */
void useBundleFactoryPresets (const std::string& bundlePath);

/** `kest-host presets [BUNDLE]`: prints the favourites and the preset folders
    as the plug-in's browser shows them (the bundle's factory presets when no
    computer-wide folder holds them), one preset per line, favourites marked,
    and a warning on errors for each limit the trees reached.  Reads only.
    Main thread. */
int listPresets (const std::string& bundle, std::ostream& out, std::ostream& errors);

/** `render --preset NAME|FILE`: once the options are known, the preset (a
    ".prs" file, a tree path, or a preset name with or without its folders)
    becomes the state block that loads it after any state the user loads: one
    that has the plug-in's preset manager load the preset, when the preset
    folders hold it, else the file's own bytes.  Main thread. */
class RenderPreset
{
public:
    /** wantedPreset: the value of --preset, empty when none was given. */
    explicit RenderPreset (std::string wantedPreset) : wanted (std::move (wantedPreset)) {}
    /** Shows the bundle's factory presets to the plug-in, resolves the
        preset and fills the options' preset items.  0 when done; with a
        reason, 2 when no preset (or more than one) answers to the name, 1
        when a file outside the preset folders cannot be read or is not a
        whole preset, or when no preset answers in a tree that stopped at a
        limit (the preset may lie beyond it).  A limit reached is a warning
        on errors. */
    int applyTo (RenderOptions& options, std::ostream& out, std::ostream& errors, std::string& error);

private:
    std::string wanted;
};
} // namespace KestHost
