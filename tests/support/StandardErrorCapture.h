#pragma once

#include <juce_core/juce_core.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

/** While it lives, what the process writes to standard error goes into a
    file of its own instead; text() gives it.  The thread that owns the test;
    other threads' lines land in it too. */
class StandardErrorCapture
{
public:
    StandardErrorCapture()
    {
        std::fflush (stderr);
        saved = ::dup (STDERR_FILENO);
        const int descriptor = ::open (file.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (saved >= 0 && descriptor >= 0)
            ::dup2 (descriptor, STDERR_FILENO);
        if (descriptor >= 0)
            ::close (descriptor);
    }

    ~StandardErrorCapture()
    {
        std::fflush (stderr);
        if (saved >= 0)
        {
            ::dup2 (saved, STDERR_FILENO);
            ::close (saved);
        }
        file.deleteFile();
    }

    StandardErrorCapture (const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator= (const StandardErrorCapture&) = delete;

    /** Everything written so far, as lines. */
    juce::StringArray lines() const
    {
        std::fflush (stderr);
        juce::StringArray result;
        result.addLines (file.loadFileAsString());
        result.removeEmptyStrings();
        return result;
    }

private:
    juce::File file { juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("kest-stderr-" + juce::Uuid().toString() + ".txt") };
    int saved = -1;
};
