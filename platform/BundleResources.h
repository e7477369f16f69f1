#pragma once

#include <juce_core/juce_core.h>

namespace Korvalden::Platform
{
/** The folder that holds the plug-in bundle's resource files.

    The loaded library (Kest.so) sits in <bundle>/Contents/<architecture>/;
    its resources are the files of <bundle>/Contents/Resources.  The library
    is found from its own address, so neither the working directory nor the
    host's location matters.  Code that is not inside a bundle (the test
    binaries, the tools) gets a non-existent File unless a folder was set with
    setResourceFolderForTesting.  Any thread.
*/
juce::File getBundleResourceFolder();

/** The file of one resource: <name>.<type> in the resource folder.  A name
    that is not a plain file name (empty, ".", "..", or holding a path
    separator or a zero) gives a non-existent File.  Any thread. */
juce::File getBundleResourceFile (const juce::String& name, const juce::String& type);

/** Points getBundleResourceFolder at another folder; a default File goes back
    to the bundle's own.  For test binaries, which have no bundle.  Any thread. */
void setResourceFolderForTesting (const juce::File& folder);
} // namespace Korvalden::Platform
