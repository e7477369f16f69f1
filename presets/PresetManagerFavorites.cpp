#include "presets/PresetManager.h"

#include "engine/UntrustedXml.h"
#include "presets/PresetFileSystem.h"
#include "presets/PresetTreeItems.h"
#include "presets/RecentChanges.h"
#include "presets/SaveLock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <thread>
#include <utility>

// The favourites file of the manager.  Several instances share it: each one
// writes back only what its own user changed, into the file as it is then,
// in the order the changes were made.

namespace Korvalden::Misc
{
/** What one save of the favourites did. */
struct PresetManager::FavoritesReport
{
    enum class Kind
    {
        saved,
        unreadable,
        writeFailed,
        tooLarge
    };

    Kind kind = Kind::saved;
    juce::String reason;
    /** The save held a change of the user's, not only renames carried for
        other instances: only then does a failure concern the user. */
    bool userChanged = true;
    /** Changes that would have taken the file past what is read back. */
    std::vector<FavoriteChanges::Change> notKept;
    /** Stars set at presets that another program renamed away, moved or
        deleted before they landed. */
    std::vector<FavoriteChanges::Change> presetsGone;
};

/** The manager's unsaved changes as the save queue takes them. */
struct PresetManager::FavoritesOutbox final : public SaveQueue::Client
{
    explicit FavoritesOutbox (PresetManager& owner) : Client ({}), manager (&owner) {}

    void takeWaiting() override
    {
        std::swap (taken, waiting);
        takenByUser = taken.changesOwnFavorites();
        takenIdentifiedFrom = taken.earliestIdentification();
    }
    void giveBackTaken() override
    {
        waiting.takeOlder (std::move (taken));
        taken.clear();
        takenIdentifiedFrom = std::numeric_limits<std::uint64_t>::max();
    }
    bool saveUnderLock() override;
    bool hasWaitingChanges() const override { return ! waiting.isEmpty(); }
    void savedByQueue() override
    {
        if (manager != nullptr)
            manager->favoritesSaved();
    }

    /** The renames, moves and deletions made here as a star that was taken
        to be saved knew them: once none is under way (on another thread
        than the one that makes them). */
    std::vector<FavoriteChanges::OwnMove> ownMovesNow()
    {
        auto lock = SaveQueue::lockClients();
        if (ownMovesUnderWay > 0 && ownMovesThread != std::this_thread::get_id())
            ownMoveEnded.wait_for (lock, std::chrono::seconds (5), [this] { return ownMovesUnderWay == 0; });
        return ownMoves;
    }

    /** Under the queue's mutex: forgets the moves that came before every
        star here knew its preset. */
    void forgetOwnMovesKnown()
    {
        const auto known = std::min (takenIdentifiedFrom, waiting.earliestIdentification());
        ownMoves.erase (std::remove_if (ownMoves.begin(), ownMoves.end(), [known] (const FavoriteChanges::OwnMove& move) { return move.order <= known; }),
                        ownMoves.end());
    }

    // Guarded by the queue's mutex.
    FavoriteChanges waiting;
    /** What the turn saves; the user's own changes among them. */
    FavoriteChanges taken;
    bool takenByUser = false;
    std::vector<FavoritesReport> reports;
    /** The renames, moves and deletions made here since the earliest
        moment a star still to be saved knew its preset, in order. */
    std::vector<FavoriteChanges::OwnMove> ownMoves;
    int ownMovesUnderWay = 0;
    std::thread::id ownMovesThread;
    /** When the first of the stars the turn took knew its preset. */
    std::uint64_t takenIdentifiedFrom = std::numeric_limits<std::uint64_t>::max();
    std::condition_variable ownMoveEnded;

    /** Message thread; null once the manager goes. */
    PresetManager* manager;
};

namespace
{

/** A file that holds something: what cannot be parsed of it is never replaced. */
bool holdsSomething (const juce::File& file)
{
    return file.exists() && ! (file.existsAsFile() && file.getSize() == 0);
}

/** The file's root as it is now: a new one when it holds nothing; null when
    it cannot be read. */
std::unique_ptr<juce::XmlElement> readRoot (const juce::File& file)
{
    if (holdsSomething (file))
        return parseUntrustedXmlFile (file);
    return std::make_unique<juce::XmlElement> ("FAVORITES");
}

/** The file's bytes for root, written straight into a block made for
    about sizeHint bytes (the file as it was read): a file of tens of
    thousands of favourites is not copied as it grows, nor once more into a
    string. */
juce::MemoryBlock textOf (const juce::XmlElement& root, size_t sizeHint)
{
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    juce::MemoryBlock text (sizeHint + sizeHint / 8 + 4096);
    {
        juce::MemoryOutputStream out (text, false);
        root.writeTo (out, format);
    } // leaves the block holding what was written, and no more
    return text;
}

/** What is written here must be read here again. */
bool fits (const juce::XmlElement& root, const juce::MemoryBlock& text)
{
    return fitsUntrustedXmlLimits (root, text.getSize());
}

/** Joins the changes into the root one at a time, in the order they were
    made: a change that would take the file past what is read back is not
    kept (notKept), and what it leaves (FavoriteChanges::notKept) goes in its
    place.  text is what to write; empty when nothing changed.  False when
    not even the file as it is fits, so that nothing can be written. */
bool joinWithinLimits (std::unique_ptr<juce::XmlElement>& root, const FavoriteChanges& changes, juce::MemoryBlock& text,
                       std::vector<FavoriteChanges::Change>& notKept)
{
    auto kept = textOf (*root, 0);
    if (! fits (*root, kept))
    {
        notKept = changes.inOrder();
        return false;
    }

    bool changed = false;
    for (auto& change : changes.inOrder())
    {
        if (! PresetManager::FavoriteList::mergeFavorites (*root, FavoriteChanges::of (change)))
            continue;
        auto candidate = textOf (*root, kept.getSize());
        if (fits (*root, candidate))
        {
            kept = std::move (candidate);
            changed = true;
            continue;
        }

        notKept.push_back (change);
        root = parseUntrustedXml (kept.getData(), kept.getSize());
        if (root == nullptr)
            return false;
        if (const auto rest = FavoriteChanges::notKept (change); ! rest.isEmpty() && PresetManager::FavoriteList::mergeFavorites (*root, rest))
        {
            kept = textOf (*root, kept.getSize());
            changed = true;
        }
    }
    text = changed ? std::move (kept) : juce::MemoryBlock();
    return true;
}

/** Why a file is not written that the next instance would refuse to read. */
juce::String tooLargeReason()
{
    return "it would grow past what Kest reads back (" + juce::String ((int) (maxUntrustedXmlBytes / (1024 * 1024)))
           + " MB or " + juce::String (maxUntrustedXmlNodes) + " elements and attributes)";
}

juce::String nameOf (const juce::String& id)
{
    return id.fromLastOccurrenceOf ("/", false, false);
}
} // namespace

//==============================================================================
bool PresetManager::FavoritesOutbox::saveUnderLock()
{
    const auto file = getFile();
    FavoritesReport report;
    report.userChanged = taken.changesOwnFavorites();

    // A star goes to the preset it was set at, whatever this instance and
    // other processes renamed meanwhile and whichever of their saves landed
    // first.
    report.presetsGone = taken.followPresets ([] (const FavoriteChanges::Identity& preset)
                                              { return PresetFileSystem::whereNow (preset.file, preset.identity, preset.rowNumbers.get()); },
                                              [this] { return ownMovesNow(); });

    // A star that waited here is not set back by it where another process
    // changed the same star later and saved that first.
    RecentChanges recent (file);
    taken.dropMarksIf ([&recent] (const juce::String& id, std::int64_t madeAt) { return recent.isSuperseded (id, madeAt); });
    const auto sizeRead = (size_t) juce::jmax ((juce::int64) 0, file.getSize());
    auto root = readRoot (file);
    juce::MemoryBlock text;
    if (! file.getParentDirectory().createDirectory().wasOk())
    {
        report.kind = FavoritesReport::Kind::writeFailed;
        report.reason = "its folder cannot be made";
    }
    else if (root == nullptr)
    {
        report.kind = FavoritesReport::Kind::unreadable;
        report.reason = "it cannot be read, so it is left as it is";
    }
    else if (FavoriteList::mergeFavorites (*root, taken))
    {
        text = textOf (*root, sizeRead);
        if (! fits (*root, text))
        {
            // The file as it is now holds what was read before the changes.
            text.reset();
            root = readRoot (file);
            if (root == nullptr || ! joinWithinLimits (root, taken, text, report.notKept))
            {
                report.kind = FavoritesReport::Kind::tooLarge;
                report.reason = tooLargeReason();
                text.reset();
            }
        }
    }

    if (! text.isEmpty() && ! PresetFileSystem::writeAtomically (file, text.getData(), text.getSize()))
    {
        report.kind = FavoritesReport::Kind::writeFailed;
        report.reason = PresetFileSystem::describeWriteFailure (file, errno);
        report.notKept.clear();
    }

    const bool failed = report.kind == FavoritesReport::Kind::writeFailed || report.kind == FavoritesReport::Kind::unreadable;
    if (! failed && report.kind != FavoritesReport::Kind::tooLarge)
        taken.forEachMark ([&recent, &report] (const juce::String& id, std::int64_t madeAt)
                           {
                               const bool kept = std::none_of (report.notKept.begin(), report.notKept.end(),
                                                               [&id] (const FavoriteChanges::Change& change) { return ! change.isMove && change.id == id; });
                               if (kept)
                                   recent.landed (id, madeAt);
                           });
    const auto guard = SaveQueue::lockClients();
    // Unsaved, they wait again, before whatever was changed meanwhile.
    if (failed)
        giveBackTaken();
    else
        taken.clear();
    takenIdentifiedFrom = std::numeric_limits<std::uint64_t>::max();
    forgetOwnMovesKnown();
    reports.push_back (std::move (report));
    return ! failed;
}

//==============================================================================
PresetManager::OwnChange::OwnChange (PresetManager* manager)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (manager == nullptr || manager->favoritesOutbox == nullptr)
        return;
    outbox = manager->favoritesOutbox;
    const auto guard = SaveQueue::lockClients();
    ++outbox->ownMovesUnderWay;
    outbox->ownMovesThread = std::this_thread::get_id();
    order = FavoriteChanges::nextOrder();
}

PresetManager::OwnChange::~OwnChange()
{
    done();
}

void PresetManager::OwnChange::moved (const FileRepresentingItem& item, const juce::File& fromFile, const juce::String& from,
                                      const PresetFileSystem::Identity& before)
{
    if (outbox != nullptr)
        made.push_back ({ from, item.getItemIdentifierString(), fromFile, item.getFile(), before, item.getIdentity(), ! item.isPreset() });
}

void PresetManager::OwnChange::deleted (const juce::File& file, const juce::String& path, const PresetFileSystem::Identity& before, bool isFolder)
{
    if (outbox != nullptr)
        made.push_back ({ path, {}, file, {}, before, {}, isFolder });
}

void PresetManager::OwnChange::done()
{
    if (outbox == nullptr)
        return;
    {
        const auto guard = SaveQueue::lockClients();
        // Each in the order made, all after the stars that knew their
        // presets before the first began.
        for (auto& move : made)
        {
            move.order = std::exchange (order, FavoriteChanges::nextOrder());
            outbox->ownMoves.push_back (std::move (move));
        }
        --outbox->ownMovesUnderWay;
        outbox->forgetOwnMovesKnown();
    }
    outbox->ownMoveEnded.notify_all();
    outbox.reset();
    made.clear();
}

//==============================================================================
void PresetManager::openFavoritesOutbox()
{
    favoritesOutbox = std::make_shared<FavoritesOutbox> (*this);
}

void PresetManager::closeFavoritesOutbox()
{
    favoritesRetry.stopTimer();
    favoritesWaitWatch.stopTimer();
    SaveQueue::getInstance().withdraw (favoritesOutbox);
    favoritesOutbox->manager = nullptr;
}

void PresetManager::loadFavorites (const juce::File& file)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    favoritesFile = file;
    auto root = parseUntrustedXmlFile (file);
    if (root != nullptr)
    {
        const juce::ScopedValueSetter<bool> reading (readingFavorites, true);
        favorites->readFavorites (*root);
    }
    else if (holdsSomething (file))
    {
        reportFavoritesFileProblem (file);
    }

    // Ids that named no preset made no entry: they are not this instance's
    // to keep or drop, so they stay in the file.
    if (! SaveQueue::getInstance().isWaiting (*favoritesOutbox))
    {
        favoritesOutbox->setFile (file);
        const auto guard = SaveQueue::lockClients();
        favoritesOutbox->waiting.clear();
    }
}

bool PresetManager::saveFavorites (const juce::File& file, FavoritesSave when)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    auto& queue = SaveQueue::getInstance();
    const auto nothingWaits = [this, &queue]
    {
        bool empty = false;
        {
            const auto guard = SaveQueue::lockClients();
            empty = favoritesOutbox->waiting.isEmpty();
        }
        return empty && ! queue.isWaiting (*favoritesOutbox);
    };

    if (favoritesOutbox->getFile() != file && ! queue.isWaiting (*favoritesOutbox))
        favoritesOutbox->setFile (file);

    if (when == FavoritesSave::atClose)
    {
        // A star that waits to find where its preset went is saved with the rest.
        elsewhereTurn.handleUpdateNowIfNeeded();
        favoritesRetry.stopTimer();
        favoritesWaitWatch.stopTimer();
        file.getParentDirectory().createDirectory();
        lastFavoritesFailure = {};
        const bool allSaved = queue.finish (favoritesOutbox, SaveLock::closeWaitMilliseconds);
        favoritesSaved (true);

        // Nothing comes after the last save: what it could not write is
        // lost, and said so, also when the failure was told before.
        int lost = 0;
        {
            const auto guard = SaveQueue::lockClients();
            lost = favoritesOutbox->waiting.size();
            favoritesOutbox->waiting.clear();
        }
        // No save that failed: its turn did not come.
        if (lost > 0)
            PresetFileSystem::printChangesLost (file, lastFavoritesFailure.isNotEmpty() ? lastFavoritesFailure
                                                                                        : "another program keeps its folder locked",
                                                lost, "favorites");
        return allSaved && lost == 0;
    }

    // An instance that changed nothing leaves the file to the others.
    if (nothingWaits())
    {
        favoritesRetry.stopTimer();
        return true;
    }

    if (! file.getParentDirectory().createDirectory().wasOk())
    {
        bool userChanged = false;
        {
            const auto guard = SaveQueue::lockClients();
            userChanged = favoritesOutbox->waiting.changesOwnFavorites();
        }
        return failFavoritesSave (file, "its folder cannot be made", true, userChanged);
    }

    if (queue.save (favoritesOutbox))
    {
        favoritesSaved();
    }
    else if (! favoritesWaitWatch.isTimerRunning())
    {
        favoritesWaitingSince = juce::Time::getMillisecondCounter();
        favoritesWaitWatch.startTimer (SaveLock::waitToldAfterMilliseconds / 8);
    }
    return nothingWaits();
}

void PresetManager::favoritesSaved (bool atClose)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    std::vector<FavoritesReport> reports;
    {
        const auto guard = SaveQueue::lockClients();
        std::swap (reports, favoritesOutbox->reports);
    }
    for (auto& report : reports)
        handleFavoritesReport (report, atClose);
}

void PresetManager::handleFavoritesReport (const FavoritesReport& report, bool atClose)
{
    const auto file = favoritesOutbox->getFile();
    if (! report.presetsGone.empty())
    {
        const bool one = report.presetsGone.size() == 1;
        refuseFavoriteChanges (file,
                               juce::String ("another program renamed, moved or deleted ") + (one ? "the preset" : "the presets")
                                   + " before " + (one ? "the star was" : "the stars were") + " saved",
                               report.presetsGone, true);
    }
    if (! report.notKept.empty())
        refuseFavoriteChanges (file, report.reason.isNotEmpty() ? report.reason : tooLargeReason(), report.notKept);

    switch (report.kind)
    {
        case FavoritesReport::Kind::saved:
        case FavoritesReport::Kind::tooLarge:
            // A change that can never be written holds back nothing after it.
            // What waits still begins a wait of its own.
            favoritesSaveFailureTold = favoritesWaitTold = false;
            favoritesWaitingSince = juce::Time::getMillisecondCounter();
            lastFavoritesFailure = {};
            favoritesRetry.stopTimer();
            break;

        case FavoritesReport::Kind::unreadable:
            lastFavoritesFailure = report.reason;
            if (atClose)
                break;
            // Without an editor to show the alert, the failure is told as any other.
            reportFavoritesFileProblem (file);
            if (! favoritesProblemShown)
                failFavoritesSave (file, report.reason, false);
            break;

        case FavoritesReport::Kind::writeFailed:
            lastFavoritesFailure = report.reason;
            if (! atClose)
                failFavoritesSave (file, report.reason, true, report.userChanged);
            break;
    }
}

void PresetManager::refuseFavoriteChanges (const juce::File& file, const juce::String& reason,
                                           const std::vector<FavoriteChanges::Change>& notKept, bool changedElsewhere)
{
    juce::StringArray what;
    std::vector<juce::WeakReference<FileRepresentingItem>> gone;
    {
        const juce::ScopedValueSetter<bool> refusing (refusingFavorites, true);
        for (auto& change : notKept)
        {
            if (! change.own || (! change.isMove && ! change.on))
                continue;

            // Where the item lies now: it may have moved since.
            juce::String path;
            {
                const auto guard = SaveQueue::lockClients();
                path = favoritesOutbox->waiting.pathAfterMoves (change.id);
            }
            if (change.isFolder)
            {
                int cleared = 0;
                std::function<void (juce::TreeViewItem&)> clearBelow = [&] (juce::TreeViewItem& item)
                {
                    for (int index = 0; index < item.getNumSubItems(); ++index)
                    {
                        auto* sub = item.getSubItem (index);
                        if (auto* preset = dynamic_cast<FileItem*> (sub); preset != nullptr && preset->isFavorite())
                        {
                            preset->setFavorite (false);
                            ++cleared;
                        }
                        else if (preset == nullptr)
                        {
                            clearBelow (*sub);
                        }
                    }
                };
                if (auto* folder = path.isNotEmpty() ? findItemByPath (path) : nullptr)
                    clearBelow (*folder);
                what.add ("the stars of the " + juce::String (cleared) + (cleared == 1 ? " favorite" : " favorites")
                          + " in \"" + nameOf (change.id) + "\", which was renamed or moved,");
                continue;
            }

            auto* preset = path.isNotEmpty() ? dynamic_cast<FileItem*> (findItemByPath (path)) : nullptr;
            if (preset != nullptr && preset->isFavorite())
                preset->setFavorite (false);
            if (preset != nullptr && changedElsewhere)
                gone.push_back (preset);
            what.add (change.isMove ? "the star of \"" + nameOf (change.id) + "\", which was renamed or moved,"
                                    : "the star just set on \"" + nameOf (change.id) + "\"");
        }
    }
    if (what.isEmpty())
        return;

    const auto said = reason + ", so " + what.joinIntoString ("; ") + (what.size() == 1 ? " is" : " are") + " not kept";
    const auto sentence = said.substring (0, 1).toUpperCase() + said.substring (1) + ".";
    // The rows of presets that went show their folders as they are now.
    const auto foldersShown = showFoldersOf (gone);
    const bool shown = changedElsewhere ? showFailureAlert ("Changed by Another Program",
                                                            foldersShown.isEmpty() ? sentence : sentence + "\n\n" + foldersShown)
                                        : showFailureAlert ("Write Error", "File could not be written!\n" + file.getFullPathName() + "\n\n" + sentence);
    if (! shown)
        PresetFileSystem::printSaveFailure (file, said);
}

void PresetManager::favoritesChanged()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (favoritesFile != juce::File() && ! readingFavorites && ! refusingFavorites && ! closing)
        saveFavorites (favoritesFile);
}

void PresetManager::favoriteMarked (const juce::String& id, bool on, const juce::String& storedId, const FavoriteChanges::Identity& preset)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (readingFavorites || refusingFavorites)
        return;
    {
        const auto guard = SaveQueue::lockClients();
        favoritesOutbox->waiting.marked (id, on, preset);
        if (! on && storedId.isNotEmpty() && storedId != id)
            favoritesOutbox->waiting.marked (storedId, false);
    }
    favoritesChanged();
}

void PresetManager::favoritesMoved (const juce::String& from, const juce::String& to, bool isFolder)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    // Favourites of this instance that went along; those the file holds
    // under an earlier version's path move from that path.
    bool carriesFavorite = false;
    juce::StringArray storedFrom, storedTo;
    std::function<void (juce::TreeViewItem&)> visit = [&] (juce::TreeViewItem& item)
    {
        if (auto* preset = dynamic_cast<FileItem*> (&item))
        {
            if (! preset->isFavorite())
                return;
            carriesFavorite = true;
            if (preset->getStoredFavoriteId().isNotEmpty())
            {
                storedFrom.add (preset->getStoredFavoriteId());
                storedTo.add (preset->getItemIdentifierString());
                preset->setStoredFavoriteId ({});
            }
            return;
        }
        for (int index = 0; index < item.getNumSubItems(); ++index)
            visit (*item.getSubItem (index));
    };
    if (auto* moved = to.isNotEmpty() ? findItemByPath (to) : nullptr; moved != nullptr && moved->getRootItem() == fileTreeRoot.get())
        visit (*moved);

    {
        const auto guard = SaveQueue::lockClients();
        favoritesOutbox->waiting.moved (from, to, isFolder, carriesFavorite);
        for (int index = 0; index < storedFrom.size(); ++index)
            favoritesOutbox->waiting.moved (storedFrom[index], storedTo[index], false, true);
        identifyMovedMarks (to, isFolder);
    }
    favoritesChanged();
}

void PresetManager::identifyMovedMarks (const juce::String& to, bool isFolder)
{
    if (to.isEmpty())
        return;
    juce::StringArray carried;
    favoritesOutbox->waiting.forEachMark ([&] (const juce::String& id, std::int64_t)
                                          {
                                              if (id == to || (isFolder && id.startsWith (to + "/")))
                                                  carried.add (id);
                                          });
    // Only the tree is looked at: nothing here waits on the disk.
    for (auto& id : carried)
        if (auto* preset = dynamic_cast<FileItem*> (findItemByPath (id)))
            favoritesOutbox->waiting.identify (id, { preset->getFile(), preset->getIdentity(), getRowNumbers() });
}

void PresetManager::retryFavoritesSave()
{
    if (closing || favoritesFile == juce::File())
        favoritesRetry.stopTimer();
    else
        saveFavorites (favoritesFile, FavoritesSave::retry);
}

void PresetManager::checkFavoritesWait()
{
    if (closing || ! SaveQueue::getInstance().isWaiting (*favoritesOutbox))
    {
        favoritesWaitWatch.stopTimer();
        return;
    }
    if (favoritesWaitTold || juce::Time::getMillisecondCounter() - favoritesWaitingSince < (juce::uint32) SaveLock::waitToldAfterMilliseconds)
        return;

    // A record that only carries renames for other instances waits silently.
    bool userChanged = false;
    {
        const auto guard = SaveQueue::lockClients();
        userChanged = favoritesOutbox->waiting.changesOwnFavorites() || favoritesOutbox->takenByUser;
    }
    if (userChanged)
    {
        favoritesWaitTold = true;
        tellSaveWaiting (favoritesOutbox->getFile());
    }
}

bool PresetManager::failFavoritesSave (const juce::File& file, const juce::String& reason, bool tryAgain, bool tell)
{
    // The marks stay in the tree, unsaved, for the next save; one that only
    // the user can mend is not tried again before the next change.
    lastFavoritesFailure = reason;
    if (! tryAgain)
        favoritesRetry.stopTimer();
    if (tell && ! favoritesSaveFailureTold)
    {
        tellSaveFailure (file, reason);
        favoritesSaveFailureTold = true;
    }
    if (tryAgain && file == favoritesFile && ! closing && ! favoritesRetry.isTimerRunning()
        && juce::MessageManager::getInstanceWithoutCreating() != nullptr)
        favoritesRetry.startTimer (SaveLock::retryIntervalMilliseconds);
    return false;
}

void PresetManager::reportFavoritesFileProblem (const juce::File& file)
{
    if (favoritesProblemShown)
        return;
    unreadableFavoritesFile = file;
    favoritesProblemPending = true;
    showPendingFavoritesFileProblem();
}

void PresetManager::showPendingFavoritesFileProblem()
{
    if (! favoritesProblemPending || favoritesProblemShown)
        return;

    if (showFailureAlert ("Read Error", "The favorites file could not be read:\n" + unreadableFavoritesFile.getFullPathName()
                                            + "\n\nIt is left as it is, and favorites marked now are not saved while it cannot be read."))
    {
        favoritesProblemPending = false;
        favoritesProblemShown = true;
    }
}
} // namespace Korvalden::Misc
