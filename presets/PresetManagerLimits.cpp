#include "presets/PresetManager.h"

#include "presets/PresetTreeItems.h"

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
} // namespace

juce::StringArray PresetManager::getTreeLimitsReached() const
{
    juce::StringArray lines;
    for (auto* top : { factoryFolder, userFolder })
    {
        if (top == nullptr)
            continue;
        const auto& reached = top->getLimitsReached();
        if (reached.itemLimitFolder != juce::File())
            lines.add ("the preset tree stops at " + juce::String (DirectoryItem::maxItemsPerTree)
                       + " presets and folders, reached in " + reached.itemLimitFolder.getFullPathName()
                       + ": the presets beyond are not shown");
        if (reached.depthLimitFolder != juce::File())
            lines.add ("the preset tree stops at " + juce::String (DirectoryItem::maxFolderDepth)
                       + " folder levels, reached in " + reached.depthLimitFolder.getFullPathName()
                       + ": the folders below it are not read");
    }
    return lines;
}

void PresetManager::showPendingTreeLimits()
{
    if (! treeLimitsPending)
        return;

    juce::StringArray paragraphs;
    for (auto* top : { factoryFolder, userFolder })
    {
        if (top == nullptr)
            continue;
        const auto& reached = top->getLimitsReached();
        if (reached.itemLimitFolder != juce::File())
            paragraphs.add ("The browser shows at most " + juce::String (DirectoryItem::maxItemsPerTree)
                            + " presets and folders. It stopped in " + shownPath (*top, reached.itemLimitFolder)
                            + "; the presets after that are not shown.");
        if (reached.depthLimitFolder != juce::File())
            paragraphs.add ("The browser reads folders at most " + juce::String (DirectoryItem::maxFolderDepth)
                            + " levels deep. Folders below " + shownPath (*top, reached.depthLimitFolder) + " are not shown.");
    }
    if (showFailureAlert ("Presets Not Shown", paragraphs.joinIntoString ("\n\n")))
        treeLimitsPending = false;
}
} // namespace Korvalden::Misc
