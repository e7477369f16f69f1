#include "presets/FavoriteChanges.h"

#include "presets/RecentChanges.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

namespace Korvalden::Misc
{
namespace
{
const char* const presetTag = "Preset";

/** The preset's name: the last part of its tree path. */
const char* nameOf (const char* id)
{
    const auto* slash = std::strrchr (id, '/');
    return slash != nullptr ? slash + 1 : id;
}
} // namespace

std::uint64_t FavoriteChanges::nextOrder()
{
    static std::atomic<std::uint64_t> counter { 0 };
    return ++counter;
}

void FavoriteChanges::marked (const juce::String& id, bool on, const Identity& preset)
{
    const auto order = nextOrder();
    marks[id] = { on, order, RecentChanges::now(), preset, order };
}

void FavoriteChanges::identify (const juce::String& id, const Identity& preset)
{
    if (const auto mark = marks.find (id); mark != marks.end())
    {
        mark->second.preset = preset;
        mark->second.identifiedAt = nextOrder();
    }
}

std::uint64_t FavoriteChanges::earliestIdentification() const noexcept
{
    auto earliest = std::numeric_limits<std::uint64_t>::max();
    for (auto& [id, mark] : marks)
        if (mark.preset.identity.isKnown())
            earliest = std::min (earliest, mark.identifiedAt);
    return earliest;
}

namespace
{
/** Whether both tell the same file apart alike: what a look at the file
    itself gives, not when it was looked at. */
bool tellAlike (const PresetFileSystem::Identity& a, const PresetFileSystem::Identity& b)
{
    return a.isKnown() && a.device == b.device && a.inode == b.inode && a.bornKnown == b.bornKnown && a.bornSeconds == b.bornSeconds
           && a.bornNanoseconds == b.bornNanoseconds && a.handleKnown == b.handleKnown && a.handle == b.handle
           && a.changedSeconds == b.changedSeconds && a.changedNanoseconds == b.changedNanoseconds;
}
} // namespace

bool FavoriteChanges::followOwnMoves (juce::String& id, Mark& mark, const std::vector<OwnMove>& ownMoves)
{
    for (auto& move : ownMoves)
    {
        auto& preset = mark.preset;
        if (move.order <= mark.identifiedAt || ! preset.identity.isKnown())
            continue;

        if (move.isFolder)
        {
            // Its presets keep what tells them apart.
            if (! preset.file.isAChildOf (move.fromFile))
                continue;
            if (move.toFile == juce::File())
                return false;
            preset.file = move.toFile.getChildFile (preset.file.getRelativePathFrom (move.fromFile));
            id = afterMove (id, { move.from, move.to, true });
        }
        else
        {
            // The very preset the star knew, not another one the tree found
            // at its path since.
            if (preset.file != move.fromFile || ! tellAlike (preset.identity, move.before))
                continue;
            if (move.toFile == juce::File())
                return false;
            preset.file = move.toFile;
            preset.identity = move.after;
            id = move.to;
        }
        mark.identifiedAt = move.order;
    }
    return true;
}

std::vector<FavoriteChanges::Change> FavoriteChanges::followPresets (const std::function<juce::File (const Identity&)>& whereNow,
                                                                     const std::function<std::vector<OwnMove>()>& ownMovesNow)
{
    std::vector<Change> gone;
    std::vector<std::pair<juce::String, Mark>> followed;
    auto ownMoves = ownMovesNow != nullptr ? ownMovesNow() : std::vector<OwnMove>();
    for (auto mark = marks.begin(); mark != marks.end();)
    {
        auto& [id, made] = *mark;
        if (! made.preset.identity.isKnown())
        {
            ++mark;
            continue;
        }

        auto at = id;
        auto follows = made;
        bool deletedHere = ! followOwnMoves (at, follows, ownMoves);
        auto now = deletedHere ? juce::File() : whereNow (follows.preset);
        // Gone, it may have been moved here since the moves were asked for.
        while (now == juce::File() && ! deletedHere && ownMovesNow != nullptr)
        {
            auto newer = ownMovesNow();
            if (newer.empty() || (! ownMoves.empty() && newer.back().order == ownMoves.back().order))
                break;
            ownMoves = std::move (newer);
            deletedHere = ! followOwnMoves (at, follows, ownMoves);
            now = deletedHere ? juce::File() : whereNow (follows.preset);
        }

        if (now == follows.preset.file && at == id)
        {
            made = follows;
            ++mark;
            continue;
        }

        if (now != juce::File())
        {
            auto renamed = follows;
            renamed.preset.file = now;
            followed.emplace_back (now == follows.preset.file ? at : at.upToLastOccurrenceOf ("/", true, false) + now.getFileNameWithoutExtension(),
                                   renamed);
        }
        else if (made.on && ! deletedHere)
        {
            gone.push_back ({ id, {}, true, false, false, true, made.order });
        }
        // A clear stays where the star was: the file may hold it there.
        if (made.on)
        {
            mark = marks.erase (mark);
            continue;
        }
        made.preset = {};
        ++mark;
    }
    for (auto& [id, mark] : followed)
        if (auto& at = marks[id]; at.order <= mark.order)
            at = mark;
    return gone;
}

void FavoriteChanges::dropMarksIf (const std::function<bool (const juce::String& id, std::int64_t madeAt)>& superseded)
{
    for (auto mark = marks.begin(); mark != marks.end();)
        mark = superseded (mark->first, mark->second.madeAt) ? marks.erase (mark) : std::next (mark);
}

void FavoriteChanges::forEachMark (const std::function<void (const juce::String& id, std::int64_t madeAt)>& visit) const
{
    for (auto& [id, mark] : marks)
        visit (id, mark.madeAt);
}

void FavoriteChanges::moved (const juce::String& from, const juce::String& to, bool isFolder, bool carriesOwnFavorite)
{
    if (from.isEmpty() || from == to)
        return;

    const Move move { from, to, isFolder, carriesOwnFavorite, nextOrder() };
    carryMarks (move);
    moves.push_back (move);
}

void FavoriteChanges::carryMarks (const Move& move)
{
    std::vector<std::pair<juce::String, Mark>> movedMarks;
    for (auto mark = marks.begin(); mark != marks.end();)
    {
        const auto id = afterMove (mark->first, move);
        if (id == mark->first)
        {
            ++mark;
            continue;
        }
        // Where the preset went is the mover's to tell (identify).
        if (id.isNotEmpty())
            movedMarks.emplace_back (id, Mark { mark->second.on, mark->second.order, mark->second.madeAt, {}, 0 });
        mark = marks.erase (mark);
    }
    for (auto& [id, mark] : movedMarks)
        marks[id] = mark;
}

bool FavoriteChanges::changesOwnFavorites() const noexcept
{
    return ! marks.empty() || std::any_of (moves.begin(), moves.end(), [] (const Move& move) { return move.own; });
}

void FavoriteChanges::clear()
{
    marks.clear();
    moves.clear();
}

void FavoriteChanges::takeOlder (FavoriteChanges older)
{
    for (auto& move : moves)
    {
        older.carryMarks (move);
        older.moves.push_back (move);
    }
    for (auto& [id, mark] : marks)
        older.marks[id] = mark;
    *this = std::move (older);
}

juce::String FavoriteChanges::pathAfterMoves (const juce::String& id) const
{
    auto path = id;
    for (auto& move : moves)
        if (path.isNotEmpty())
            path = afterMove (path, move);
    return path;
}

std::vector<FavoriteChanges::Change> FavoriteChanges::inOrder() const
{
    std::vector<Change> changes;
    for (auto& [id, mark] : marks)
        changes.push_back ({ id, {}, mark.on, false, false, true, mark.order });
    for (auto& move : moves)
        changes.push_back ({ move.to, move.from, false, true, move.isFolder, move.own, move.order });
    std::sort (changes.begin(), changes.end(), [] (const Change& a, const Change& b) { return a.order < b.order; });
    return changes;
}

FavoriteChanges FavoriteChanges::of (const Change& change)
{
    FavoriteChanges one;
    if (change.isMove)
        one.moves.push_back ({ change.from, change.id, change.isFolder, change.own, change.order });
    else
        one.marks[change.id] = { change.on, change.order, 0, {}, 0 };
    return one;
}

FavoriteChanges FavoriteChanges::notKept (const Change& change)
{
    FavoriteChanges rest;
    if (change.isMove)
        rest.moves.push_back ({ change.from, {}, change.isFolder, change.own, change.order });
    return rest;
}

juce::String FavoriteChanges::afterMove (const juce::String& id, const Move& move)
{
    if (! move.isFolder)
        return id == move.from ? move.to : id;

    // Only what lies below the folder: a preset may share the folder's name.
    const auto length = move.from.getNumBytesAsUTF8();
    if (! id.startsWith (move.from) || id.getNumBytesAsUTF8() <= length || id.toRawUTF8()[length] != '/')
        return id;
    return move.to.isEmpty() ? juce::String() : move.to + juce::String (juce::CharPointer_UTF8 (id.toRawUTF8() + length));
}

bool FavoriteChanges::applyTo (juce::XmlElement& list) const
{
    struct Entry
    {
        Entry (const juce::String& entryId, std::unique_ptr<juce::XmlElement> entryElement)
            : id (entryId), name (nameOf (id.toRawUTF8())), element (std::move (entryElement))
        {
        }

        juce::String id;
        const char* name; // in id's own text, which stays where it is while the entry moves
        std::unique_ptr<juce::XmlElement> element;
        bool removed = false;
    };
    std::vector<Entry> entries;
    std::vector<std::unique_ptr<juce::XmlElement>> others;
    // Views of the entries' own ids, which stay where they are while the entries move.
    std::unordered_map<std::string_view, size_t> listed;
    bool changed = false;

    // The children are a singly linked list: taking the first one each time
    // keeps this linear.
    while (auto* first = list.getFirstChildElement())
    {
        list.removeChildElement (first, false);
        std::unique_ptr<juce::XmlElement> child (first);
        if (! child->getTagName().equalsIgnoreCase (presetTag))
        {
            others.push_back (std::move (child));
            continue;
        }

        const auto asListed = child->getStringAttribute ("id");
        auto id = asListed;
        for (auto& move : moves)
            if (id.isNotEmpty())
                id = afterMove (id, move);

        const bool deleted = asListed.isNotEmpty() && id.isEmpty();
        if (deleted || ! listed.emplace (std::string_view (id.toRawUTF8(), id.getNumBytesAsUTF8()), entries.size()).second)
        {
            changed = true;
            continue;
        }
        if (id != asListed)
        {
            child->setAttribute ("id", id);
            changed = true;
        }
        changed = changed || ! others.empty(); // an entry moves before other children
        entries.emplace_back (id, std::move (child));
    }

    juce::StringArray added;
    for (auto& [id, mark] : marks)
    {
        const auto found = listed.find (std::string_view (id.toRawUTF8(), id.getNumBytesAsUTF8()));
        if (mark.on && found == listed.end())
            added.add (id);
        else if (! mark.on && found != listed.end())
            entries[found->second].removed = changed = true;
    }
    entries.erase (std::remove_if (entries.begin(), entries.end(), [] (const Entry& entry) { return entry.removed; }), entries.end());
    const auto listedCount = (std::ptrdiff_t) entries.size();
    added.sort (false);
    for (auto& id : added)
    {
        auto element = std::make_unique<juce::XmlElement> (presetTag);
        element->setAttribute ("id", id);
        entries.emplace_back (id, std::move (element));
        changed = true;
    }

    // UTF-8 bytes compare as their code points do.  A list in order takes
    // what was added in one merge; any other is sorted whole.
    const auto byName = [] (const Entry& a, const Entry& b) { return std::strcmp (a.name, b.name) < 0; };
    const auto firstAdded = entries.begin() + listedCount;
    if (std::is_sorted (entries.begin(), firstAdded, byName))
    {
        std::stable_sort (firstAdded, entries.end(), byName);
        std::inplace_merge (entries.begin(), firstAdded, entries.end(), byName);
    }
    else
    {
        std::stable_sort (entries.begin(), entries.end(), byName);
        changed = true;
    }

    // Prepending from the back is linear as well.
    for (auto other = others.rbegin(); other != others.rend(); ++other)
        list.prependChildElement (other->release());
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        list.prependChildElement (entry->element.release());
    return changed;
}
} // namespace Korvalden::Misc
