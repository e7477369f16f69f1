#pragma once

#include <juce_core/juce_core.h>

#include <set>
#include <unordered_set>
#include <utility>

/** The file operations of the preset tree, the favourites and the settings
    file, written so that no operation can lose or corrupt a file: a write
    goes to a hidden temporary file of our own in the target's folder, is
    flushed to the disk and only then renamed over the target, and the folder
    is flushed after it; a new file or a move never replaces anything unless
    asked to, and then atomically.

    Any thread; each call is one system operation or a short sequence that
    leaves either the old or the new state on disk.
*/
namespace Korvalden::Misc::PresetFileSystem
{
/** The largest preset or favourites file that is read (presets are a few kB). */
constexpr juce::int64 maxFileBytes = 1024 * 1024;

/** A temporary file of ours that is older than this was left by a process
    that stopped during a save; a younger one may still be in use by another
    instance. */
constexpr juce::int64 staleTemporaryFileSeconds = 60 * 60;

/** A name that stays inside its folder: not empty, not "." or "..", no path
    separator and no control character. */
bool isAcceptableName (const juce::String& name);

/** Whether both name the same file or folder on disk (device and inode),
    whatever their letter case; false when either does not exist. */
bool isSameFile (const juce::File& a, const juce::File& b);

/** Whether the path exists at all (a dangling link counts). */
bool existsAtAll (const juce::File& file);

/** What tells one file or folder from every other that lies or lay on the
    machine, also after it was renamed or moved within its file system: its
    device and inode number and the moment it was made (its birth time).  An
    inode number that a deletion freed is soon given to a new file (on ext4
    to the next file made in that folder), which its birth time tells apart.
    Where the file system keeps no birth time, the moment of the last change
    of the file's status (ctime) stands in: it tells apart a file that nothing
    touched since, but a rename, a write or a new file with the freed number
    all change it, so then such a file cannot be told from another one; nor
    can a file whose status changed in the tick of the file system's clock
    in which it was seen (a new file made in that tick on its freed number
    gets the same stamp).  The file handle that the system gives such a file
    (what a network file server names it by: on ext4 its number and a
    generation that a new file with the number does not share) tells those
    apart, where the file system gives one.  A folder, whose status changes
    with every entry made or removed in it, is then told by its number and
    its handle; by its number alone where there is no handle either.

    links: how many names the file had; listedInode: the number its folder's
    listing gave the entry (a layered file system may give another one than
    a look-up of the path); seen: a moment, by the system's coarse clock (the
    one the file system stamps files with), before the file was looked at;
    handle: the file handle folded into 64 bits, asked for only where the
    birth time is not known (handleKnown: the system gave one).  No inode
    when not known. */
struct Identity
{
    juce::uint64 device = 0, inode = 0, listedInode = 0, handle = 0;
    juce::int64 bornSeconds = 0, changedSeconds = 0, seenSeconds = 0;
    juce::uint32 bornNanoseconds = 0, changedNanoseconds = 0, seenNanoseconds = 0;
    juce::uint32 links = 0;
    bool bornKnown = false, handleKnown = false;

    bool isKnown() const noexcept { return inode != 0; }
};

/** The identity of the path itself (links not followed), with its own inode
    number as listedInode; not known when it cannot be looked at. */
Identity identityOf (const juce::File& file);

/** The identity of an entry of an open folder (AT_FDCWD: a path), which its
    listing gave the number listedInode, and where asked its kind and
    permissions (st_mode); not known when it cannot be looked at. */
Identity identityAt (int folderDescriptor, const char* name, juce::uint64 listedInode, unsigned int* mode = nullptr);

/** Whether now is the very file that was seen as shown: the same device and
    inode and the same birth time.  Where shown knows none: the same file
    handle, where shown has one, and the same last change of status, which
    vouches for the file only with a handle or when it lies two seconds or
    more before shown was seen (some file systems stamp whole seconds, or
    two).  False when either is not known. */
bool isSameFile (const Identity& shown, const Identity& now);

/** Whether now is a file that was made after shown was seen and before now
    was: born then (a file system that stamps coarser than its clock may
    stamp a file made then up to 10 ms before, or after, the clock).
    Another program's save over a preset puts a new file at its name; an
    older file renamed or moved onto the name (another preset, one from
    another folder) is not the preset shown there, nor is a file whose birth
    lies ahead of the clock (made on a machine whose clock ran ahead).  Only a
    birth time tells when a file was made: false where either knows none,
    and when either is not known. */
bool isMadeSince (const Identity& now, const Identity& shown);

/** The numbers of the rows of a tree of presets and folders as it shows
    them: each row's device and inode number, and for a preset the number
    its folder's listing gave it where that is another.  A number alone
    does not tell a file: the layers of an overlay may lie on two file
    systems, which give the same numbers to other files, and list a file
    copied up from the lower layer by its number in the upper one.  Never
    changed once made, so that any thread may look at it. */
struct RowNumbers
{
    std::set<std::pair<juce::uint64, juce::uint64>> files;
    std::unordered_set<juce::uint64> listed;
};

/** Whether now, found at the path of the row shown as shown, is that preset
    saved over under its name (another program put a new file there): a
    file made since (isMadeSince) that is no other row's file of the tree
    that showed it, by rowNumbers (this row's own may be among them; null:
    none known): neither its device and number nor, where its listing gave
    another number, that one.  A file with another row's numbers is that
    row's preset moved there, also where the move gave it a new birth time
    (a layered file system copies a file of a lower layer up as it is
    renamed, keeping its number). */
bool isSavedOver (const Identity& now, const Identity& shown, const RowNumbers* rowNumbers);

/** Whether the path still names the file or folder that was seen there with
    this identity (not known: whatever is there now).  Its absence is certain
    only from the system's answer "no such entry": an entry that cannot be
    looked at for another reason counts as there. */
bool isStillAt (const juce::File& file, const Identity& shown);

/** Where the preset that was shown at file with this identity lies now, as
    the folder's rows would show it again (DirectoryItem::showWhatItHolds):
    its own path while the same file lies there; else the ".prs" entry of
    its folder that is the same file (another program renamed it), unless the
    file had other names when shown (another of them may be a row of its
    own); else its path while the preset saved over under its name lies
    there (isSavedOver, by the rowNumbers of the tree that showed it)
    or a file that cannot be looked at; else a default File (deleted, moved
    out of its folder, replaced by an older file or by another row's, or the
    folder cannot be read).  Not known: its path.  One look-up of the path
    while the same file lies there; else the folder is listed. */
juce::File whereNow (const juce::File& file, const Identity& shown, const RowNumbers* rowNumbers = nullptr);

/** For writeWithinSizeLimit: write where the descriptor stands, as write
    does, and move it on. */
constexpr juce::int64 atCurrentPosition = -1;

/** Writes all the bytes at the offset of the open file (or atCurrentPosition),
    unless that would take it past the size limit of the process's files (a
    host, a shell or a service manager may set one): then nothing is written
    and errno is EFBIG.  No write here ends the process with the signal the
    system sends for a write past the limit (SIGXFSZ), also when the limit is
    lowered while it writes or the file appends past the position: the
    calling thread holds that signal back meanwhile and takes back one its
    write was sent, so the write only fails.  How the process handles
    signals stays as the host set it.  On failure errno tells why. */
bool writeWithinSizeLimit (int descriptor, const void* data, size_t numBytes, juce::int64 offset);

/** Writes the data to a temporary file beside the target, flushes it to the
    disk and renames it over the target, keeping the target's permissions.  A
    target that is a symbolic link stays one: the file it leads to is replaced,
    in its own folder.  A target (or link target) that exists but is not a
    plain file, and a link that leads nowhere, are refused.  On failure the
    target keeps its old bytes, no temporary file is left and errno tells
    why; data that would pass the process's file size limit is not written
    (writeWithinSizeLimit).  Stale temporary files are removed from the
    folder first, unless the target is a link. */
bool writeAtomically (const juce::File& target, const void* data, size_t numBytes);

/** Writes the data as a new file: at the wanted path when it is free, else at
    its first free numbered sibling (freeSibling), also when another instance
    takes a name meanwhile, for nothing is ever replaced; never past the
    process's file size limit (writeWithinSizeLimit).  Returns the file
    written, or a default File when nothing could be written (nothing is then
    left behind, and errno tells why). */
juce::File writeNewFile (const juce::File& wanted, const void* data, size_t numBytes);

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

/** The first free sibling "name(2).prs", "name(3).prs" ... of a taken path
    (the path itself when free; a name without ".prs" takes the number at its
    end); a dangling link counts as taken.  A default File when none is free. */
juce::File freeSibling (const juce::File& wanted);

/** Whether a folder entry of this name is one of the temporary files that
    our saves make: ".kest-save-" and the six characters that mkstemp puts in
    (ASCII letters and digits), nothing before or after. */
bool isOwnTemporaryName (const char* name);

/** Removes the temporary files of ours in the folder (not below it) that no
    running save holds locked and that are older than
    staleTemporaryFileSeconds: what a process killed during a save left
    behind.  A save holds an advisory lock (flock) on its temporary file from
    its creation until it is renamed or removed, so a file another process is
    still writing stays, whatever the clocks say.  A folder reached through
    symbolic links is cleaned where they lead, for that is where the save
    writes; nothing is removed where locks cannot be taken. */
void removeStaleTemporaryFiles (const juce::File& folder);

/** What keeps a write of the file from succeeding, for a person: a link that
    leads nowhere, a target that is not a plain file, or describeError. */
juce::String describeWriteFailure (const juce::File& target, int error);

/** The system's text for the error (errno as a failed call left it), with
    the size limit of the process's files where that is what a write passed. */
juce::String describeError (int error);

/** Tells on standard error, in one line, that the file could not be saved
    and why: where there is no window to tell it in (a command-line host). */
void printSaveFailure (const juce::File& file, const juce::String& reason);

/** The words that tell a save waits for another program to let go of the
    file's folder, and that the changes made here are kept meanwhile. */
juce::String describeLastingWait();

/** Tells on standard error, in one line, that a save of the file waits for
    another program to let go of its folder (describeLastingWait). */
void printSaveWaiting (const juce::File& file);

/** printSaveFailure for a save that nothing comes after: it says how many
    changes to what (the favorites, the settings) made here are lost. */
void printChangesLost (const juce::File& file, const juce::String& reason, int changes, const juce::String& what);
} // namespace Korvalden::Misc::PresetFileSystem
