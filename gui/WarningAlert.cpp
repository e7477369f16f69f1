#include "gui/WarningAlert.h"

#include "gui/KeyboardFocusReturn.h"
#include "platform/PendingWindowEvents.h"
#include "platform/WindowStacking.h"

namespace Korvalden::GUI
{
namespace
{
/** Raises the alert once the framework has brought the modal windows to the
    front, which it does in an order that can leave the alert behind another
    of them; and, for an owner not yet on the screen as the alert opened (an
    editor still being built), puts the alert in front of the owner's window
    once it has one, which its host may have shown after the alert.  Lives as
    long as the alert. */
class FrontKeeper final : private juce::ComponentListener
{
public:
    FrontKeeper (juce::Component& alertToKeep, juce::Component* ownerToWaitFor) : alert (&alertToKeep), owner (ownerToWaitFor)
    {
        alertToKeep.addComponentListener (this);
        if (owner != nullptr)
            owner->addComponentListener (this);
    }

private:
    void componentBroughtToFront (juce::Component&) override
    {
        // The framework restacks the other modal windows right after this.
        juce::MessageManager::callAsync ([alertToRaise = alert]
        {
            if (alertToRaise != nullptr && alertToRaise->isShowing())
                Platform::WindowStacking::raise (*alertToRaise);
        });
    }

    void componentParentHierarchyChanged (juce::Component& component) override
    {
        if (&component != owner.getComponent() || component.getPeer() == nullptr || alert == nullptr)
            return;
        component.removeComponentListener (this);
        owner = nullptr;
        Platform::WindowStacking::keepInFrontOf (*alert, component);
        Platform::WindowStacking::raise (*alert);
    }

    void componentBeingDeleted (juce::Component& component) override
    {
        component.removeComponentListener (this);
        if (&component == owner.getComponent())
        {
            owner = nullptr;
            return;
        }
        if (owner != nullptr)
            owner->removeComponentListener (this);
        delete this;
    }

    juce::Component::SafePointer<juce::Component> alert, owner;
    // Its OK takes a press also when no editor is open.
    juce::SharedResourcePointer<Platform::PendingWindowEvents> pendingWindowEvents;
};
} // namespace

void WarningAlert::show (const juce::String& title, const juce::String& text, juce::Component* owner)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    std::unique_ptr<juce::AlertWindow> alert (juce::LookAndFeel::getDefaultLookAndFeel().createAlertWindow (
        title, text, "OK", {}, {}, juce::MessageBoxIconType::WarningIcon, 1, nullptr));
    if (alert == nullptr)
        return;

    const KeyboardFocusReturn focus (owner);
    auto* blocked = juce::Component::getCurrentlyModalComponent();
    if (blocked == nullptr)
        blocked = owner;
    if (blocked != nullptr)
        Platform::WindowStacking::keepInFrontOf (*alert, *blocked);

    new FrontKeeper (*alert, owner != nullptr && owner->getPeer() == nullptr ? owner : nullptr);
    alert.release()->enterModalState (true, juce::ModalCallbackFunction::create ([focus] (int) { focus.giveBack(); }), true);
}
} // namespace Korvalden::GUI
