#include "presets/PresetManager.h"

#include "presets/PresetTreeItems.h"

// The limits of reading a preset tree are told, never silent: a user with
// more presets than one tree shows learns why some are missing.

namespace Korvalden::Misc
{
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

    auto lines = getTreeLimitsReached();
    for (auto& line : lines)
        line = line.substring (0, 1).toUpperCase() + line.substring (1) + ".";
    if (showFailureAlert ("Presets Not Shown", lines.joinIntoString ("\n\n")))
        treeLimitsPending = false;
}
} // namespace Korvalden::Misc
