#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

/** While it lives, standard error goes into a file of its own; lines() gives
    what was written.  The thread that owns the test. */
class StandardErrorCapture
{
public:
    StandardErrorCapture()
    {
        std::fflush (stderr);
        const int descriptor = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (descriptor >= 0 && ::dup2 (descriptor, STDERR_FILENO) < 0)
            ::dup2 (saved, STDERR_FILENO);
        ::close (descriptor);
    }

    ~StandardErrorCapture()
    {
        std::fflush (stderr);
        ::dup2 (saved, STDERR_FILENO);
        ::close (saved);
        file.deleteFile();
    }

    juce::StringArray lines() const
    {
        juce::StringArray result;
        result.addLines (file.loadFileAsString());
        result.removeEmptyStrings();
        return result;
    }

private:
    const int saved = ::dup (STDERR_FILENO);
    const juce::File file = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                .getChildFile ("kest-stderr-" + juce::Uuid().toString() + ".txt");

    JUCE_DECLARE_NON_COPYABLE (StandardErrorCapture)
};
