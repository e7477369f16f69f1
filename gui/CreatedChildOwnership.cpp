#include "gui/CreatedChildOwnership.h"

namespace Korvalden::Resources
{
namespace
{
const juce::Identifier ownershipProperty ("kestCreatedChildren");

/** Kept alive by the parent's properties; hears the parent's deletion before
    the framework detaches its children. */
class CreatedChildren : public juce::ReferenceCountedObject,
                        private juce::ComponentListener
{
public:
    explicit CreatedChildren (juce::Component& parentToWatch) : parent (parentToWatch)
    {
        parent.addComponentListener (this);
    }

    ~CreatedChildren() override
    {
        // Normally the parent's properties go with the parent; if someone
        // drops them earlier, stop listening.
        if (! parentBeingDeleted)
            parent.removeComponentListener (this);
    }

    void add (juce::Component& child)
    {
        for (auto& existing : children)
            if (existing.getComponent() == &child)
                return;
        children.add (&child);
    }

private:
    void componentBeingDeleted (juce::Component& component) override
    {
        if (&component != &parent)
            return;
        parentBeingDeleted = true;

        auto stillOwned = std::move (children);
        for (auto& child : stillOwned)
            if (auto* c = child.getComponent(); c != nullptr && c->getParentComponent() == &parent)
                delete c;
    }

    juce::Component& parent;
    bool parentBeingDeleted = false;
    juce::Array<juce::Component::SafePointer<juce::Component>> children;
};
} // namespace

void deleteChildWithParent (juce::Component& parent, juce::Component& child)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    auto& properties = parent.getProperties();
    auto* record = dynamic_cast<CreatedChildren*> (properties[ownershipProperty].getObject());
    if (record == nullptr)
    {
        record = new CreatedChildren (parent);
        properties.set (ownershipProperty, juce::var (record));
    }
    record->add (child);
}
} // namespace Korvalden::Resources
