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

/** Reads the whole of file into destination when it is a regular file (a
    link is followed) of at most maximumBytes, and returns true.  Anything
    else leaves destination empty and returns false: a missing file, a
    folder, a device, a pipe or socket (opened without waiting for a writer,
    so the call never blocks on one), a file larger than maximumBytes (also
    one that grows past it while being read) or a read error.  Any thread. */
bool readRegularFile (const juce::File& file, juce::int64 maximumBytes, juce::MemoryBlock& destination);

/** Points getBundleResourceFolder at another folder; a default File goes back
    to the bundle's own.  For test binaries, which have no bundle.  Any thread. */
void setResourceFolderForTesting (const juce::File& folder);
} // namespace Korvalden::Platform
