#pragma once

#include "linking/ParameterClipboard.h"
#include "linking/ParameterLinkManager.h"

#include <vector>

/** A named list of parameter indexes whose values and link ratios can be
    copied into the editor's clipboard and pasted back from it.

    A group made for one knob is named "SingleParameter"; sections and devices
    get the names the editor gives them.  A copy is pasteable onto any group
    whose name starts the clipboard's name (the same kind of group), and a
    single knob's copy onto any group.  Values and ratios go through the link
    model, so pasted values reach the host inside change gestures and move
    only their own parameter.

    Each copied index contributes exactly one value and/or one ratio, so the
    numbers of a paste always land on the parameters they were taken from.
    Message thread.
*/
class ParameterCopyGroup
{
public:
    enum CopyMode
    {
        valueMode = 0,
        ratioMode = 1,
        valueAndRatioMode = 2
    };

    static constexpr const char* singleParameterName = "SingleParameter";

    /** A one-parameter group named "SingleParameter".  Neither pointer is owned. */
    ParameterCopyGroup (ParameterClipboard* clipboard, ParameterLinkManager* manager, int index);

    /** A named group of the first count indexes, in order; a negative count is taken as 0. */
    ParameterCopyGroup (ParameterClipboard* clipboard, ParameterLinkManager* manager, const juce::String& name,
                        const int* indexes, int count);

    /** True when the clipboard holds a copy of this kind of group or of a single knob. */
    bool canPaste() const;

    /** Fills the clipboard with this group's values, ratios or both (modes 0, 1, 2);
        any other mode changes nothing.  Creates no link entry. */
    void copy (int mode);

    /** Applies the clipboard to this group.  A clipboard that does not hold
        exactly the numbers this group's paste reads changes nothing. */
    void paste();

    const juce::String& getName() const noexcept { return name; }
    const std::vector<int>& getIndexes() const noexcept { return indexes; }

private:
    ParameterClipboard* clipboard;
    ParameterLinkManager* manager;
    juce::String name;
    std::vector<int> indexes;

    JUCE_DECLARE_NON_COPYABLE (ParameterCopyGroup)
};
