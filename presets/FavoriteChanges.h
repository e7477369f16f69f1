#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
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

    Message thread (it belongs to the preset manager).
*/
class FavoriteChanges
{
public:
    /** A star set (on) or cleared at the preset with the tree path id; a star
        set and cleared again before a save is no change. */
    void marked (const juce::String& id, bool on);
    /** The preset at the tree path from, or with isFolder every preset below
        the folder there, now lies at to; when to is empty, it was deleted. */
    void moved (const juce::String& from, const juce::String& to, bool isFolder);

    bool isEmpty() const noexcept { return marks.empty() && moves.empty(); }
    /** Stars set or cleared and presets or folders moved, not saved yet. */
    int size() const noexcept { return (int) (marks.size() + moves.size()); }
    /** The ids of the stars set here and not saved yet. */
    juce::StringArray getUnsavedStars() const;
    void clear();

    /** Brings a "FAVLIST" element up to date: the moves in the order they
        happened, then the marks.  Each id is listed once, and the entries are
        sorted by preset name (the id's last part, by code point; equal names
        keep their order, new ones go after them), as the favourites list is;
        children that are no entry follow them as they were.  False when
        nothing had to change, not even the order.  Linear in the list's
        size, but for sorting a list that was out of order. */
    bool applyTo (juce::XmlElement& list) const;

private:
    struct Move
    {
        juce::String from, to;
        bool isFolder = false;
    };

    /** The id after the move: the same when the move does not touch it,
        empty when it was deleted. */
    static juce::String afterMove (const juce::String& id, const Move& move);

    struct IdHash
    {
        size_t operator() (const juce::String& id) const noexcept { return (size_t) id.hashCode64(); }
    };

    std::unordered_map<juce::String, bool, IdHash> marks;
    std::vector<Move> moves;
};
} // namespace Korvalden::Misc
