#include "presets/PresetManager.h"

#include "presets/PresetTreeItems.h"

#include <initializer_list>
#include <vector>

// The limits of reading a preset tree are told, never silent: a user with
// more presets than one tree shows learns why some are missing.

namespace Korvalden::Misc
{
namespace
{
/** The folder as the browser names it: the tree's name and the folders
    below it, the middle ones left out of a deep path so that it fits an
    alert. */
juce::String shownPath (const PresetManager::DirectoryItem& top, const juce::File& folder)
{
    juce::StringArray parts;
    parts.add (top.getUniqueName());
    parts.addTokens (folder.getRelativePathFrom (top.getFile()), "/", "");
    parts.removeEmptyStrings();
    parts.removeString (".");
    if (parts.size() > 6)
    {
        parts.removeRange (2, parts.size() - 5);
        parts.insert (2, "...");
    }
    return parts.joinIntoString ("/");
}

/** One limit that reading a tree reached: the item limit or the depth limit,
    and the first folder where it was reached. */
struct LimitReached
{
    const PresetManager::DirectoryItem* top;
    bool itemLimit;
    juce::File folder;
};

std::vector<LimitReached> limitsReachedIn (std::initializer_list<const PresetManager::DirectoryItem*> tops)
{
    std::vector<LimitReached> limits;
    for (auto* top : tops)
    {
        if (top == nullptr)
            continue;
        const auto& reached = top->getLimitsReached();
        if (reached.itemLimitFolder != juce::File())
            limits.push_back ({ top, true, reached.itemLimitFolder });
        if (reached.depthLimitFolder != juce::File())
            limits.push_back ({ top, false, reached.depthLimitFolder });
    }
    return limits;
}
} // namespace

juce::StringArray PresetManager::getTreeLimitsReached() const
{
    juce::StringArray lines;
    for (const auto& limit : limitsReachedIn ({ factoryFolder, userFolder }))
        lines.add (limit.itemLimit ? "the preset tree stops at " + juce::String (DirectoryItem::maxItemsPerTree)
                                         + " presets and folders, reached in " + limit.folder.getFullPathName()
                                         + ": the presets beyond are not shown"
                                   : "the preset tree stops at " + juce::String (DirectoryItem::maxFolderDepth)
                                         + " folder levels, reached in " + limit.folder.getFullPathName()
                                         + ": the folders below it are not read");
    return lines;
}

void PresetManager::showPendingTreeLimits()
{
    if (! treeLimitsPending)
        return;

    juce::StringArray paragraphs;
    for (const auto& limit : limitsReachedIn ({ factoryFolder, userFolder }))
        paragraphs.add (limit.itemLimit ? "The browser shows at most " + juce::String (DirectoryItem::maxItemsPerTree)
                                              + " presets and folders. It stopped in " + shownPath (*limit.top, limit.folder)
                                              + "; the presets after that are not shown."
                                        : "The browser reads folders at most " + juce::String (DirectoryItem::maxFolderDepth)
                                              + " levels deep. Folders below " + shownPath (*limit.top, limit.folder)
                                              + " are not shown.");
    if (showFailureAlert ("Presets Not Shown", paragraphs.joinIntoString ("\n\n")))
        treeLimitsPending = false;
}
} // namespace Korvalden::Misc
