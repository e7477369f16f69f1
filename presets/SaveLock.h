#pragma once

#include <juce_core/juce_core.h>

namespace Korvalden::Misc
{
/** Makes the saves of a shared file take turns across processes: an
    advisory lock (flock) on the folder where the file lies, held from the
    read that a save merges into until the rename that replaces the file.
    For a file that is a symbolic link it is the folder where the link's
    target lies, for that is where the file is replaced.  The folder's own
    descriptor is locked, so no lock file is ever made or left.

    Every process and every object that merges into the file must hold it
    (the favourites and the settings do).  A holder that keeps the lock longer
    than the wait (a process stopped in the middle of a save, another program
    holding the folder) makes the wait end in a refusal, never a hang; a wait
    of 0 tries once.  Where the folder cannot be opened or its file system
    keeps no locks, nothing is held and the save goes ahead as it would
    alone: it then says itself what is wrong.

    Any thread; not shared between threads.
*/
class SaveLock
{
public:
    /** The wait of a holder that gives none: one that no user waits for. */
    static constexpr int maxWaitMilliseconds = 10000;

    /** When a save on the message thread happens, which bounds its wait:
        briefly at a change (about 100 ms), not at all when a save that was
        refused is tried again, and at most about 2 s when its object goes. */
    enum class Moment
    {
        atChange,
        retry,
        atClose
    };

    /** How long a refused save waits before it is tried again. */
    static constexpr int retryIntervalMilliseconds = 1000;

    explicit SaveLock (const juce::File& file, int waitMilliseconds = maxWaitMilliseconds);
    SaveLock (const juce::File& file, Moment when);
    ~SaveLock();

    /** True when another holder kept the folder locked past the wait: the
        save must not go ahead. */
    bool wasRefused() const noexcept { return refused; }

private:
    int descriptor = -1;
    bool refused = false;

    JUCE_DECLARE_NON_COPYABLE (SaveLock)
};
} // namespace Korvalden::Misc
