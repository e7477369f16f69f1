#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::Resources
{
/** Makes parent responsible for deleting child, which was created for it by
    the resource code (layout records, nested layouts, getOrCreateChildComponent).

    When parent is deleted, every child registered this way that still exists
    and is still parent's child is deleted.  An owner that deletes its children
    itself (deleteAllChildren, unique_ptr members) does so before this check
    runs, so each child is deleted exactly once either way.  Message thread.
*/
void deleteChildWithParent (juce::Component& parent, juce::Component& child);
} // namespace Korvalden::Resources
