#pragma once

#include "presets/PresetFileSystem.h"

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Korvalden::Misc
{
/** What one instance changed in the favourites since it last read or saved
    the shared favourites file: stars set and cleared, and presets or folders
    renamed, moved or deleted (a favourite's id is its tree path, so its entry
    follows the preset, also an entry another instance made).  Joining them
    into a list as the file holds it then keeps every other entry: those of
    other instances and ids that name no preset here.

    Every change keeps the place in time at which it was made, so changes
    taken away to be saved and given back unsaved go before those made since.

    Any thread; one object is not shared between threads without a lock.
*/
class FavoriteChanges
{
public:
    /** One change, as it was made. */
    struct Change
    {
        /** The star's preset, or where the preset or folder went (empty when
            it was deleted). */
        juce::String id;
        /** Where a preset or folder came from; empty for a star. */
        juce::String from;
        bool on = false;
        bool isMove = false, isFolder = false;
        /** A star, or a move that carried a favourite of this instance. */
        bool own = true;
        std::uint64_t order = 0;
    };

    /** The preset a star was set or cleared at, as the tree showed it: its
        file, what told that file from any other (not known: whatever lies at
        its path) and the numbers of the rows of its tree then (none: not
        known). */
    struct Identity
    {
        juce::File file;
        PresetFileSystem::Identity identity;
        std::shared_ptr<const PresetFileSystem::RowNumbers> rowNumbers;
    };

    /** A star set (on) or cleared at the preset with the tree path id: the
        last one counts, also when it only takes back an unsaved star, for
        another instance may have set the same star meanwhile.  With the
        preset's identity, the star can follow it when another program
        renames it before the star lands (followPresets). */
    void marked (const juce::String& id, bool on, const Identity& preset);
    void marked (const juce::String& id, bool on) { marked (id, on, Identity()); }
    /** The preset at the tree path from, or with isFolder every preset below
        the folder there, now lies at to; when to is empty, it was deleted.
        carriesOwnFavorite tells whether a favourite of this instance went
        with it; a move without one only keeps other instances' stars. */
    void moved (const juce::String& from, const juce::String& to, bool isFolder, bool carriesOwnFavorite = true);

    bool isEmpty() const noexcept { return marks.empty() && moves.empty(); }
    /** Stars set or cleared and presets or folders moved, not saved yet. */
    int size() const noexcept { return (int) (marks.size() + moves.size()); }
    /** True when the user changed the favourites here: a star, or a move
        that carried one of this instance's favourites. */
    bool changesOwnFavorites() const noexcept;
    void clear();

    /** These changes were made after the older ones: the older ones go
        first, as if they had been made into this object before these. */
    void takeOlder (FavoriteChanges older);

    /** Drops the stars set or cleared whose id and moment of making
        superseded tells are older than a change that landed already. */
    void dropMarksIf (const std::function<bool (const juce::String& id, std::int64_t madeAt)>& superseded);
    /** Each star set or cleared, with the moment it was made. */
    void forEachMark (const std::function<void (const juce::String& id, std::int64_t madeAt)>& visit) const;

    /** The preset at the tree path id now lies there: a star set or cleared
        at it follows it from there.  A star carried by a move here knows its
        preset only once told so. */
    void identify (const juce::String& id, const Identity& preset);

    /** A preset or folder that this instance renamed, moved or deleted
        itself (with its tree path and file before and after; to empty: it
        was deleted), and what told the preset's file apart before the change
        and after it.  A folder's presets keep what tells them apart. */
    struct OwnMove
    {
        juce::String from, to;
        juce::File fromFile, toFile;
        PresetFileSystem::Identity before, after;
        bool isFolder = false;
        /** Its place among the changes (nextOrder), taken before the file
            moved: it concerns the stars identified before then. */
        std::uint64_t order = 0;
    };

    /** Each star set or cleared at a known preset follows it to where it
        lies now, as a click at its row would find it: first through the
        renames, moves and deletions this instance made itself since the star
        knew its preset (ownMoves, in the order they were made; ownMovesNow
        gives them as they stand, once no move of this instance is under
        way, and is asked again when a preset seems gone, for this instance
        may have moved it meanwhile), then by PresetFileSystem::whereNow (its
        own file while that lies there, else the file its folder lists it
        under now, else a file made since under its name that is no other
        row's (saved over), else a default File).  Moved, the star is set or
        cleared at the tree path the preset has now, unless a later star
        there was made here, and a clear also at the path it had; deleted
        here, a set is dropped without a word; gone otherwise, a clear stays
        at the path it had and a set is dropped: these are returned. */
    std::vector<Change> followPresets (const std::function<juce::File (const Identity&)>& whereNow,
                                       const std::function<std::vector<OwnMove>()>& ownMovesNow = nullptr);

    /** The place in the order of changes that the next change takes. */
    static std::uint64_t nextOrder();
    /** The earliest moment (in the order of changes) at which a star here
        was identified with its preset; the largest value when none was. */
    std::uint64_t earliestIdentification() const noexcept;

    /** Where the preset or folder at the tree path id lies after the moves
        here; empty when it was deleted. */
    juce::String pathAfterMoves (const juce::String& id) const;

    /** The changes one at a time, in the order they were made (a star's id
        as the later moves left it). */
    std::vector<Change> inOrder() const;
    /** The one change, made into an empty object. */
    static FavoriteChanges of (const Change& change);
    /** What stays of a change that is not kept: nothing of a star, the
        deletion of the entries a move would have carried. */
    static FavoriteChanges notKept (const Change& change);

    /** Brings a "FAVLIST" element up to date: the moves in the order they
        happened, then the marks.  Each id is listed once, and the entries are
        sorted by preset name (the id's last part, by code point; equal names
        keep their order, new ones go after them), as the favourites list is;
        children that are no entry follow them as they were.  False when
        nothing had to change, not even the order.  Linear in the list's
        size, but for sorting a list that was out of order. */
    bool applyTo (juce::XmlElement& list) const;

private:
    struct Mark
    {
        bool on = false;
        std::uint64_t order = 0;
        /** RecentChanges::now() when it was made. */
        std::int64_t madeAt = 0;
        Identity preset;
        /** When preset was last told (in the order of changes). */
        std::uint64_t identifiedAt = 0;
    };

    struct Move
    {
        juce::String from, to;
        bool isFolder = false, own = true;
        std::uint64_t order = 0;
    };

    /** The id after the move: the same when the move does not touch it,
        empty when it was deleted. */
    static juce::String afterMove (const juce::String& id, const Move& move);
    void carryMarks (const Move& move);
    /** Takes the star through the moves made here since its preset was
        told; false when one deleted it. */
    static bool followOwnMoves (juce::String& id, Mark& mark, const std::vector<OwnMove>& ownMoves);

    struct IdHash
    {
        size_t operator() (const juce::String& id) const noexcept { return (size_t) id.hashCode64(); }
    };

    std::unordered_map<juce::String, Mark, IdHash> marks;
    std::vector<Move> moves;
};
} // namespace Korvalden::Misc
