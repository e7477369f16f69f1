#pragma once

#include <juce_core/juce_core.h>

/** The file operations of the preset tree, written so that no operation can
    lose or corrupt a preset: a write goes to a hidden temporary file in the
    target's folder and is renamed over the target only once it is complete;
    a move never replaces anything unless asked to, and then atomically.

    Any thread; each call is one system operation or a short sequence that
    leaves either the old or the new state on disk.
*/
namespace Korvalden::Misc::PresetFileSystem
{
/** The largest preset or favourites file that is read (presets are a few kB). */
constexpr juce::int64 maxFileBytes = 1024 * 1024;

/** A name that stays inside its folder: not empty, not "." or "..", no path
    separator and no control character. */
bool isAcceptableName (const juce::String& name);

/** Whether both name the same file or folder on disk (device and inode),
    whatever their letter case; false when either does not exist. */
bool isSameFile (const juce::File& a, const juce::File& b);

/** Whether the path exists at all (a dangling link counts). */
bool existsAtAll (const juce::File& file);

/** Writes the data to a temporary file beside the target, flushes it to the
    disk and renames it over the target.  On failure the target keeps its old
    bytes and no temporary file is left. */
bool writeAtomically (const juce::File& target, const void* data, size_t numBytes);

/** Renames a file or folder to a path that must not exist yet; an existing
    target is never replaced.  A case-only rename of one file is allowed. */
bool moveWithoutReplacing (const juce::File& source, const juce::File& target);

/** Renames a plain file over another plain file in one step: the target
    holds either its old or the new bytes, never nothing. */
bool moveReplacing (const juce::File& source, const juce::File& target);

/** Reads a plain file of at most maxFileBytes completely. */
bool readWholeFile (const juce::File& file, juce::MemoryBlock& out);

/** The file's path with every link resolved; empty when it does not exist. */
juce::String resolvedPath (const juce::File& file);

/** The first free sibling "name(2).ext", "name(3).ext" ... of a taken path
    (the path itself when free); a dangling link counts as taken.  A default
    File when none is free. */
juce::File freeSibling (const juce::File& wanted);
} // namespace Korvalden::Misc::PresetFileSystem
