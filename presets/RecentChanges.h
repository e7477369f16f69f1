#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>

namespace Korvalden::Misc
{
/** When the last change of each star or setting that landed in a shared
    file was made, for every process of the user: so that a change that had
    to wait, and lands after one made later by another process, does not
    undo it.  Changes are stamped with the steady clock.  Processes whose
    steady clocks differ (another boot, another time namespace: a clock
    offset by seconds) keep tables of their own, one for each clock, so a
    stamp is only ever compared with those of the same clock; between such
    processes the saves land in the order they take the lock, and a change
    of one is never dropped for a stamp of the other.

    The table is a file in the user's own shared memory (a fixed number of
    slots; the oldest of a few gives way), never on a disk, read and written
    with plain reads and writes: nothing another process or a full file
    system does to it can raise a signal here.  What it cannot keep or
    vouch for only weakens the check, never a save: a change whose key is
    not found counts as the latest.  So does a key whose slot was torn by
    another process's write, a stamp ahead of this process's clock, and
    every key while the table is cut, full, of another layout, another
    user's, or past the process's file size limit, or when the process's
    clock cannot be told.

    Call it only while holding the file's SaveLock, so that the check and the
    record of one save are not split by another's.  Any thread.
*/
class RecentChanges
{
public:
    /** The changes of the file: as every process names it (the folder of
        its link for a link).  Any thread. */
    explicit RecentChanges (const juce::File& file);

    /** The moment a change is made, as the table compares it.  Any thread. */
    static std::int64_t now() noexcept;

    /** True when a change of what in the file, made at madeAt, is older
        than one that landed already.  Under the file's SaveLock. */
    bool isSuperseded (const juce::String& what, std::int64_t madeAt) const;

    /** A change of what in the file, made at madeAt, landed.  Under the
        file's SaveLock. */
    void landed (const juce::String& what, std::int64_t madeAt);

private:
    std::uint64_t keyOf (const juce::String& what) const;

    juce::String fileName;
};
} // namespace Korvalden::Misc
