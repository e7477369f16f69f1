#include "linking/ParameterCopyGroup.h"

namespace
{
bool copiesValues (int mode) { return mode == ParameterCopyGroup::valueMode || mode == ParameterCopyGroup::valueAndRatioMode; }
bool copiesRatios (int mode) { return mode == ParameterCopyGroup::ratioMode || mode == ParameterCopyGroup::valueAndRatioMode; }

/** The mode a clipboard name ends in; -1 for none. */
int modeOfClipboardName (const juce::String& clipboardName)
{
    if (clipboardName.endsWith ("_V"))
        return ParameterCopyGroup::valueMode;
    if (clipboardName.endsWith ("_C"))
        return ParameterCopyGroup::ratioMode;
    if (clipboardName.endsWith ("_B"))
        return ParameterCopyGroup::valueAndRatioMode;
    return -1;
}

int numbersPerIndex (int mode) { return (copiesValues (mode) ? 1 : 0) + (copiesRatios (mode) ? 1 : 0); }
} // namespace

ParameterCopyGroup::ParameterCopyGroup (ParameterClipboard* clipboardToUse, ParameterLinkManager* managerToUse, int index)
    : clipboard (clipboardToUse), manager (managerToUse), name (singleParameterName), indexes { index }
{
}

ParameterCopyGroup::ParameterCopyGroup (ParameterClipboard* clipboardToUse, ParameterLinkManager* managerToUse,
                                        const juce::String& groupName, const int* groupIndexes, int count)
    : clipboard (clipboardToUse), manager (managerToUse), name (groupName)
{
    if (groupIndexes != nullptr && count > 0)
        indexes.assign (groupIndexes, groupIndexes + count);
}

bool ParameterCopyGroup::canPaste() const
{
    return clipboard != nullptr && clipboard->name.isNotEmpty()
           && (clipboard->name.startsWith (name) || clipboard->name.startsWith (singleParameterName));
}

void ParameterCopyGroup::copy (int mode)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (clipboard == nullptr || manager == nullptr || (! copiesValues (mode) && ! copiesRatios (mode)))
        return;

    static const char* const suffixes[] = { "_V", "_C", "_B" };
    clipboard->name = name + suffixes[mode];

    juce::MemoryOutputStream out (clipboard->data, false);
    for (const int index : indexes)
    {
        if (copiesValues (mode))
            out.writeFloat (manager->getValue (index));
        if (copiesRatios (mode))
            out.writeFloat (manager->getRatio (index)); // 1 for a parameter never given a ratio
    }
    out.flush();
    clipboard->data.setSize (out.getDataSize());
}

void ParameterCopyGroup::paste()
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    if (manager == nullptr || ! canPaste())
        return;

    const int mode = modeOfClipboardName (clipboard->name);
    if (mode < 0)
        return;

    const bool values = copiesValues (mode);
    const bool ratios = copiesRatios (mode);
    const bool sameKind = clipboard->name.startsWith (name);
    const size_t numbersNeeded = (size_t) numbersPerIndex (mode) * (sameKind ? indexes.size() : 1);

    // A clipboard of another length was not copied from this kind of group
    // (only its name's start matched): its numbers would land on the wrong
    // parameters, or zeros read past its end would overwrite them.
    if (clipboard->data.getSize() != numbersNeeded * sizeof (float))
        return;

    juce::MemoryInputStream in (clipboard->data, false);

    if (sameKind)
    {
        for (const int index : indexes)
        {
            if (values)
                manager->setValue (index, in.readFloat());
            if (ratios)
                manager->setRatio (index, in.readFloat()); // without a control it changes nothing
        }
        return;
    }

    // One knob's copy spreads over every linkable parameter (one with a control) of this group.
    const float value = values ? in.readFloat() : 0.0f;
    const float ratio = ratios ? in.readFloat() : 1.0f;
    for (const int index : indexes)
    {
        if (! manager->hasController (index))
            continue;
        if (values)
            manager->setValue (index, value);
        if (ratios)
            manager->setRatio (index, ratio);
    }
}
