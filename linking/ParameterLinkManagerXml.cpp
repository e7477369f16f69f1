#include "linking/ParameterLinkManager.h"

#include <cmath>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

// The "PARAMETERLINKING" element: one PARAMETER per entry in index order
// (Index, Ratio, Name when set), each followed by a CONNECTION (From, To) for
// every partner with a greater index, so each link is written once.

void ParameterLinkManager::writeXml (juce::XmlElement& parent)
{
    const juce::ScopedLock sl (lock);
    auto* linking = parent.createNewChildElement ("PARAMETERLINKING");

    for (const auto& [index, entry] : entries)
    {
        auto* parameter = linking->createNewChildElement ("PARAMETER");
        parameter->setAttribute ("Index", index);
        parameter->setAttribute ("Ratio", (double) entry.ratio);
        if (entry.name.isNotEmpty())
            parameter->setAttribute ("Name", entry.name);

        for (const int partner : entry.links)
        {
            if (partner <= index)
                continue;
            auto* connection = linking->createNewChildElement ("CONNECTION");
            connection->setAttribute ("From", index);
            connection->setAttribute ("To", partner);
        }
    }
}

void ParameterLinkManager::readXml (const juce::XmlElement& parent)
{
    int connectionsRead = 0;
    {
        // Entries for indexes the instrument does not have would only pile up
        // from one restore to the next.
        const int numIndexes = processor->getNumParameters();
        const auto isKnown = [numIndexes] (int index) { return juce::isPositiveAndBelow (index, numIndexes); };


        const juce::ScopedLock sl (lock);

        const juce::XmlElement* linking = nullptr;
        for (auto* child : parent.getChildIterator())
        {
            if (child->getTagName().equalsIgnoreCase ("PARAMETERLINKING"))
            {
                linking = child;
                break;
            }
        }

        if (linking == nullptr)
            return;

        clearAllLinks();

        for (auto* child : linking->getChildIterator())
        {
            const auto& tag = child->getTagName();

            if (tag.equalsIgnoreCase ("PARAMETER") && child->hasAttribute ("Index") && child->hasAttribute ("Ratio"))
            {
                const int index = child->getIntAttribute ("Index");
                if (! isKnown (index))
                    continue;
                auto& entry = entryFor (index);

                // A ratio that is not a finite float would poison every move of its group.
                const auto ratio = (float) child->getDoubleAttribute ("Ratio");
                if (std::isfinite (ratio))
                    entry.ratio = ratio;

                const auto name = child->getStringAttribute ("Name");
                if (name.isNotEmpty())
                    entry.name = name;
            }
            else if (tag.equalsIgnoreCase ("CONNECTION") && child->hasAttribute ("From") && child->hasAttribute ("To"))
            {
                const int from = child->getIntAttribute ("From");
                const int to = child->getIntAttribute ("To");
                if (from == to || ! isKnown (from) || ! isKnown (to))
                    continue;

                entryFor (from).links.insert (to);
                entryFor (to).links.insert (from);
                ++connectionsRead;
            }
        }
    }

    // Listeners hear of the new connections once, after the whole element has
    // been read and the lock released.
    if (connectionsRead > 0)
        notifyListeners();
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
