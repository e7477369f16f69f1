#pragma once

#include <juce_core/juce_core.h>

/** A new, empty folder under the temporary folder, removed with everything
    in it when the object goes, so that a test stopped by a failed assertion
    leaves nothing behind either.  Test processes run in parallel: every
    folder gets a name of its own.  The thread that owns the test. */
class ScratchFolder
{
public:
    explicit ScratchFolder (const juce::String& prefix)
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getChildFile (prefix + "-" + juce::Uuid().toString()))
    {
        created = ! folder.exists() && folder.createDirectory().wasOk();
    }

    ~ScratchFolder() { folder.deleteRecursively(); }

    ScratchFolder (const ScratchFolder&) = delete;
    ScratchFolder& operator= (const ScratchFolder&) = delete;

    /** False when the folder could not be made (tests assert it first). */
    bool wasCreated() const noexcept { return created; }

    const juce::File& getFile() const noexcept { return folder; }
    juce::File getChildFile (const juce::String& name) const { return folder.getChildFile (name); }

private:
    juce::File folder;
    bool created = false;
};
