#include "linking/ParameterLinkManager.h"

#include "engine/ParameterFunctions.h"

#include <cmath>

// The processor is reached through the framework's index-based parameter API.
JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

//==============================================================================
ParameterLinkManager::ParameterController::ParameterController (ParameterLinkManager* managerToUse, int indexToUse)
    : manager (managerToUse), index (indexToUse), value (managerToUse->processor->getParameter (indexToUse))
{
    const juce::ScopedLock sl (manager->lock);
    manager->controllers.emplace (index, this); // keeps an existing controller of the index
}

ParameterLinkManager::ParameterController::~ParameterController()
{
    const juce::ScopedLock sl (manager->lock);
    const auto found = manager->controllers.find (index);

    // A second controller of an index was never registered: it must not
    // remove the first one, which would then stop moving with its group.
    if (found != manager->controllers.end() && found->second == this)
        manager->controllers.erase (found);
}

void ParameterLinkManager::ParameterController::parameterChanged (int changedIndex, float newValue)
{
    {
        const juce::ScopedLock sl (manager->lock);
        if (changedIndex != index || busy)
            return;
        value = newValue;
    }
    valueChanged();
}

void ParameterLinkManager::ParameterController::resetToDefault (bool propagate)
{
    manager->beginGroupGesture (this);
    manager->propagateValue (this, propagate, manager->processor->getParameterDefaultValue (index));
    manager->endGroupGesture (this);
}

//==============================================================================
ParameterLinkManager::ParameterLinkManager (juce::AudioProcessor& processorToUse)
    : processor (&processorToUse)
{
}

ParameterLinkManager::~ParameterLinkManager()
{
    clearAllLinks();
}

ParameterLinkManager::LinkEntry& ParameterLinkManager::getLinkEntry (int index)
{
    const juce::ScopedLock sl (lock);
    return entryFor (index);
}

std::optional<ParameterLinkManager::LinkEntry> ParameterLinkManager::findLinkEntry (int index) const
{
    const juce::ScopedLock sl (lock);
    const auto found = entries.find (index);
    if (found == entries.end())
        return std::nullopt;
    return found->second;
}

bool ParameterLinkManager::isLinked (int index) const
{
    const juce::ScopedLock sl (lock);
    const auto found = entries.find (index);
    return found != entries.end() && ! found->second.links.empty();
}

std::vector<std::pair<int, int>> ParameterLinkManager::getLinkPairs() const
{
    const juce::ScopedLock sl (lock);
    std::vector<std::pair<int, int>> pairs;
    for (const auto& [index, entry] : entries)
        for (const int partner : entry.links)
            if (partner > index)
                pairs.emplace_back (index, partner);
    return pairs;
}

bool ParameterLinkManager::hasController (int index) const
{
    const juce::ScopedLock sl (lock);
    return controllerFor (index) != nullptr;
}

void ParameterLinkManager::link (int a, int b)
{
    if (a == b)
        return;

    {
        const juce::ScopedLock sl (lock);
        entryFor (a).links.insert (b);
        entryFor (b).links.insert (a);
    }
    notifyListeners();
}

void ParameterLinkManager::freeParameter (int index)
{
    JUCE_ASSERT_MESSAGE_THREAD
    std::vector<PendingMove> moves;
    {
        const juce::ScopedLock sl (lock);
        const auto partners = entryFor (index).links;

        // Each former partner's remaining group settles back into range.
        for (const int partner : partners)
        {
            entryFor (partner).links.erase (index);
            if (auto* controller = controllerFor (partner))
                collectPropagation (controller, true, controller->value, moves);
        }

        entryFor (index).links.clear();

        if (auto* controller = controllerFor (index))
            collectPropagation (controller, true, controller->value, moves);
    }
    applyMoves (moves);
    notifyListeners();
}

void ParameterLinkManager::unlink (int a, int b)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (a == b)
        return;

    std::vector<PendingMove> moves;
    {
        const juce::ScopedLock sl (lock);
        entryFor (a).links.erase (b);
        entryFor (b).links.erase (a);

        // Each side's remaining group settles back into range, as after freeing.
        for (const int side : { a, b })
            if (auto* controller = controllerFor (side))
                collectPropagation (controller, true, controller->value, moves);
    }
    applyMoves (moves);
    notifyListeners();
}

void ParameterLinkManager::clearAllLinks()
{
    const juce::ScopedLock sl (lock);
    for (auto& entry : entries)
        entry.second.links.clear();
}

void ParameterLinkManager::addListener (Listener* listener)
{
    const juce::ScopedLock sl (lock);
    if (listener != nullptr)
        listeners.addIfNotAlreadyThere (listener);
}

void ParameterLinkManager::removeListener (Listener* listener)
{
    const juce::ScopedLock sl (lock);
    listeners.removeFirstMatchingValue (listener);
}

void ParameterLinkManager::notifyListeners()
{
    int position;
    {
        const juce::ScopedLock sl (lock);
        position = listeners.size();
    }

    for (;;)
    {
        Listener* listener;
        {
            const juce::ScopedLock sl (lock);
            position = juce::jmin (position, listeners.size()) - 1;
            if (position < 0)
                return;
            listener = listeners.getUnchecked (position);
        }
        listener->parameterLinksChanged();
    }
}

float ParameterLinkManager::getValue (int index)
{
    {
        const juce::ScopedLock sl (lock);
        if (auto* controller = controllerFor (index))
            return controller->value;
    }
    return processor->getParameter (index);
}

void ParameterLinkManager::setValue (int index, float value)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (std::isnan (value))
        return;

    ParameterController* controller;
    {
        const juce::ScopedLock sl (lock);
        controller = controllerFor (index);
    }

    if (controller == nullptr)
    {
        processor->setParameterNotifyingHost (index, value);
        return;
    }

    beginGroupGesture (controller);
    propagateValue (controller, false, value);
    endGroupGesture (controller);
    controller->valueChanged();
}

float ParameterLinkManager::getRatio (int index)
{
    const juce::ScopedLock sl (lock);
    if (controllerFor (index) == nullptr)
        return 1.0f;
    const auto found = entries.find (index);
    return found != entries.end() ? found->second.ratio : 1.0f;
}

void ParameterLinkManager::setRatio (int index, float ratio)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (! std::isfinite (ratio))
        return;

    {
        const juce::ScopedLock sl (lock);
        if (controllerFor (index) == nullptr)
            return;
        entryFor (index).ratio = ratio;
    }
    notifyListeners();
}

void ParameterLinkManager::propagateValue (ParameterController* controller, bool propagate, float value)
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (controller == nullptr || std::isnan (value))
        return;

    std::vector<PendingMove> moves;
    {
        const juce::ScopedLock sl (lock);
        collectPropagation (controller, propagate, value, moves);
    }
    applyMoves (moves);
}

std::vector<int> ParameterLinkManager::beginGroupGesture (ParameterController* controller)
{
    JUCE_ASSERT_MESSAGE_THREAD
    const int hostParameters = processor->getNumParameters();
    auto members = markGroupBusy (controller, true);
    for (const int member : members)
        if (juce::isPositiveAndBelow (member, hostParameters))
            processor->beginParameterChangeGesture (member);
    return members;
}

void ParameterLinkManager::endGroupGesture (ParameterController* controller)
{
    JUCE_ASSERT_MESSAGE_THREAD
    const int hostParameters = processor->getNumParameters();
    for (const int member : markGroupBusy (controller, false))
        if (juce::isPositiveAndBelow (member, hostParameters))
            processor->endParameterChangeGesture (member);
}

//==============================================================================
ParameterLinkManager::LinkEntry& ParameterLinkManager::entryFor (int index)
{
    return entries[index];
}

ParameterLinkManager::ParameterController* ParameterLinkManager::controllerFor (int index) const
{
    const auto found = controllers.find (index);
    return found != controllers.end() ? found->second : nullptr;
}

std::vector<int> ParameterLinkManager::collectGroup (int start)
{
    // Depth first from start, links in ascending order.  An explicit stack
    // keeps a long chain read from a file from exhausting the thread's stack.
    struct Frame
    {
        const std::set<int>* links;
        std::set<int>::const_iterator next;
    };

    std::vector<int> order;
    std::set<int> visited;
    std::vector<Frame> stack;

    const auto visit = [&] (int index)
    {
        const auto& entry = entryFor (index);
        order.push_back (index);
        visited.insert (index);
        stack.push_back ({ &entry.links, entry.links.begin() });
    };

    visit (start);
    while (! stack.empty())
    {
        auto& frame = stack.back();
        if (frame.next == frame.links->end())
        {
            stack.pop_back();
            continue;
        }

        const int next = *frame.next++;
        if (visited.count (next) == 0)
            visit (next);
    }
    return order;
}

void ParameterLinkManager::collectPropagation (ParameterController* controller, bool propagate, float value,
                                               std::vector<PendingMove>& moves)
{
    const auto& entry = entryFor (controller->index);
    const float ratio = entry.ratio;

    if (! propagate || ratio == 0.0f || entry.links.empty())
    {
        const float clamped = ParameterFunctions::toUnit (value);
        moves.push_back ({ controller, controller->index, clamped, false });
        controller->value = clamped;
        return;
    }

    const auto group = collectGroup (controller->index);

    // The range of the group's change widens to the loosest member, so the
    // group keeps moving until every member has reached its end.
    float lower = -controller->value / ratio;
    float upper = (1.0f - controller->value) / ratio;

    for (const int member : group)
    {
        auto* memberController = controllerFor (member);
        const float memberRatio = entryFor (member).ratio;
        if (memberController == nullptr || memberRatio == 0.0f)
            continue;

        const float a = -memberController->value / memberRatio;
        const float b = (1.0f - memberController->value) / memberRatio;
        lower = juce::jmin (memberRatio > 0.0f ? a : b, lower);
        upper = juce::jmax (memberRatio > 0.0f ? b : a, upper);
    }

    float delta = (value - controller->value) / ratio;
    delta = lower > delta ? lower : juce::jmin (upper, delta);

    for (const int member : group)
    {
        auto* memberController = controllerFor (member);
        const float memberRatio = entryFor (member).ratio;
        if (memberController == nullptr || memberRatio == 0.0f)
            continue;

        memberController->value += memberRatio * delta; // stored unclamped
        moves.push_back ({ memberController, member, ParameterFunctions::toUnit (memberController->value), true });
    }
}

void ParameterLinkManager::applyMoves (const std::vector<PendingMove>& moves)
{
    for (const auto& move : moves)
    {
        if (! (move.clampedValue == processor->getParameter (move.index)))
            processor->setParameterNotifyingHost (move.index, move.clampedValue);

        // After the processor holds the value: the controller shows its text.
        // The poll may not bring it later, as a member's report is dropped
        // while its group gesture is open.
        if (move.callValueChanged)
            move.controller->valueChanged();
    }
}

void ParameterLinkManager::endGroupGesture (const std::vector<int>& members)
{
    JUCE_ASSERT_MESSAGE_THREAD
    {
        const juce::ScopedLock sl (lock);
        for (const int member : members)
            if (auto* memberController = controllerFor (member))
                memberController->busy = false;
    }

    const int hostParameters = processor->getNumParameters();
    for (const int member : members)
        if (juce::isPositiveAndBelow (member, hostParameters))
            processor->endParameterChangeGesture (member);
}

std::vector<int> ParameterLinkManager::markGroupBusy (ParameterController* controller, bool isBusy)
{
    const juce::ScopedLock sl (lock);
    auto group = collectGroup (controller->index);
    for (const int member : group)
        if (auto* memberController = controllerFor (member))
            memberController->busy = isBusy;
    return group;
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
