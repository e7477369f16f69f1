#pragma once

#include <juce_core/juce_core.h>

#include <string>

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

    A lock taken untilFree waits for the folder's lock for as long as it
    takes.  The system keeps no order among those who wait: when the holder
    lets go, every waiter is woken and the first to run takes it, and a
    process that lets go and asks again at once often takes it back first.
    So saves of several processes land in no order that can be relied on;
    what they write must not depend on it (SaveQueue).  Only SaveQueue's own
    thread waits so.

    Any thread; not shared between threads.
*/
class SaveLock
{
public:
    /** The wait of a holder that gives none: one that no user waits for. */
    static constexpr int maxWaitMilliseconds = 10000;

    /** When a save on the message thread happens, which bounds its wait: not
        at all at a change or when a save that failed is tried again (one
        that cannot take the lock at once waits on SaveQueue's thread), and at
        most about 2 s when its object goes. */
    enum class Moment
    {
        atChange,
        retry,
        atClose
    };

    /** How long a failed save waits before it is tried again. */
    static constexpr int retryIntervalMilliseconds = 1000;

    /** How long the wait for the lock lasts before the user hears of it. */
    static constexpr int waitToldAfterMilliseconds = 2000;

    /** The longest wait when an object goes. */
    static constexpr int closeWaitMilliseconds = 2000;

    enum UntilFree
    {
        untilFree
    };

    explicit SaveLock (const juce::File& file, int waitMilliseconds = maxWaitMilliseconds);
    SaveLock (const juce::File& file, Moment when);
    /** Locks the folder (a folderOf path), waiting as long as it takes. */
    SaveLock (const std::string& folder, UntilFree);
    ~SaveLock();

    /** The folder whose lock the saves of the file take turns with: the
        folder where it is replaced, its link's target's for a link. */
    static std::string folderOf (const juce::File& file);

    /** True when another holder kept the folder locked past the wait: the
        save must not go ahead. */
    bool wasRefused() const noexcept { return refused; }

private:
    int descriptor = -1;
    bool refused = false;

    JUCE_DECLARE_NON_COPYABLE (SaveLock)
};
} // namespace Korvalden::Misc
