#pragma once

#include "gui/ResourceManager.h"

/** The first direct child of parent whose component name is name, when it is
    a T (or derives from T); null when parent is null, no direct child has
    that name, or that child is of another class.  Never creates a child and
    never looks below the direct children.  Message thread. */
template <typename T>
T* findChildAs (juce::Component* parent, const juce::String& name)
{
    return dynamic_cast<T*> (Korvalden::Resources::findChildComponentByName (parent, name));
}
