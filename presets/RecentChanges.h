#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>

namespace Korvalden::Misc
{
/** When the last change of each star or setting that landed in a shared
    file was made, for every process of the user: so that a change that had
    to wait, and lands after one made later by another process, does not
    undo it.  Changes are stamped with the steady clock, which all processes
    share.

    The table lies in shared memory of the user's own (a fixed number of
    slots; the oldest of a few gives way), never on a disk.  What it cannot
    keep only weakens the check: a change whose key is not found counts as
    the latest.  Without shared memory every change counts as the latest.

    Call it only while holding the file's SaveLock, so that the check and the
    record of one save are not split by another's.  Any thread.
*/
class RecentChanges
{
public:
    /** The changes of the file: as every process names it (the folder of
        its link for a link). */
    explicit RecentChanges (const juce::File& file);

    /** The moment a change is made, as the table compares it. */
    static std::int64_t now() noexcept;

    /** True when a change of what in the file, made at madeAt, is older
        than one that landed already. */
    bool isSuperseded (const juce::String& what, std::int64_t madeAt) const;

    /** A change of what in the file, made at madeAt, landed. */
    void landed (const juce::String& what, std::int64_t madeAt);

private:
    std::uint64_t keyOf (const juce::String& what) const;

    juce::String fileName;
};
} // namespace Korvalden::Misc
