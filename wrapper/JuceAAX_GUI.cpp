#include "wrapper/JuceAAX_GUI.h"

#include "aax/AAXHostCallGuard.h"
#include "aax/AAX_VViewContainer.h"
#include "wrapper/JuceAAX_Processor.h"
#include "wrapper/PluginMessagePump.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace AAXClasses
{
/** The component the host's window holds: the editor at its own size, which
    it follows. */
class JuceAAX_GUI::ViewContents final : public juce::Component
{
public:
    ViewContents (JuceAAX_GUI& ownerToTell, AudioEngine& engineToUse) : owner (ownerToTell), engine (engineToUse)
    {
        setOpaque (true);
        editor.reset (engine.createEditorIfNeeded());
        if (editor != nullptr)
        {
            addAndMakeVisible (*editor);
            setSize (editor->getWidth(), editor->getHeight());
        }
    }

    ~ViewContents() override
    {
        if (editor != nullptr)
        {
            engine.editorBeingDeleted (editor.get());
            removeChildComponent (editor.get());
            editor.reset();
        }
    }

    juce::AudioProcessorEditor* getEditor() const noexcept { return editor.get(); }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::black); }

    void resized() override
    {
        if (editor != nullptr)
            editor->setTopLeftPosition (0, 0);
    }

    void childBoundsChanged (juce::Component* child) override
    {
        if (child != editor.get() || child == nullptr)
            return;
        setSize (child->getWidth(), child->getHeight());
        owner.tellHostViewSize();
    }

private:
    JuceAAX_GUI& owner;
    AudioEngine& engine;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
};

//==============================================================================
IACFUnknown* JuceAAX_GUI::Create()
{
    // No exception may reach the host: a view that cannot be built is none.
    try
    {
        return static_cast<AAX_IACFEffectGUI*> (new JuceAAX_GUI());
    }
    catch (...)
    {
        return nullptr;
    }
}

JuceAAX_GUI::JuceAAX_GUI() = default;

JuceAAX_GUI::~JuceAAX_GUI()
{
    takeDownView();
}

juce::Component* JuceAAX_GUI::getEditorComponent() const noexcept
{
    return contents != nullptr ? contents->getEditor() : nullptr;
}

void JuceAAX_GUI::CreateViewContents()
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (contents != nullptr)
        return;
    if (auto* processor = JuceAAX_Processor::fromEffectParameters (GetEffectParameters()))
        contents = std::make_unique<ViewContents> (*this, processor->getEngine());
}

void JuceAAX_GUI::CreateViewContainer()
{
    CreateViewContents();
    if (contents == nullptr || contents->getEditor() == nullptr)
        return;

    if (auto* window = GetViewContainerPtr(); window != nullptr && GetViewContainerType() == AAX_eViewContainer_Type_X11Window)
    {
        contents->addToDesktop (0, window);
        contents->setVisible (true);
    }
    tellHostViewSize();
}

void JuceAAX_GUI::DeleteViewContainer()
{
    takeDownView();
}

void JuceAAX_GUI::takeDownView()
{
    JUCE_ASSERT_MESSAGE_THREAD
    if (contents == nullptr)
        return;

    // Menus and modal boxes (the options dialog among them) close first and
    // their closing messages run, while the editor they belong to exists.
    juce::PopupMenu::dismissAllActiveMenus();
    if (auto* modal = juce::ModalComponentManager::getInstanceWithoutCreating())
        modal->cancelAllModalComponents();
    PluginMessagePump::deliverPendingMessages (PluginMessagePump::messagesPerIdleCall);

    if (contents->isOnDesktop())
        contents->removeFromDesktop();
    contents.reset();
}

void JuceAAX_GUI::tellHostViewSize()
{
    if (contents == nullptr)
        return;
    if (auto* container = GetViewContainer())
    {
        AAX_Point size { (float) contents->getHeight(), (float) contents->getWidth() };
        container->SetViewSize (size);
    }
}

AAX_Result JuceAAX_GUI::GetViewSize (AAX_Point* outSize) const
{
    if (outSize == nullptr)
        return AAX_ERROR_NULL_OBJECT;
    outSize->horz = contents != nullptr ? (float) contents->getWidth() : 0.0f;
    outSize->vert = contents != nullptr ? (float) contents->getHeight() : 0.0f;
    return AAX_SUCCESS;
}

AAX_Result JuceAAX_GUI::TimerWakeup()
{
    return AAXGuardHostCall ([&]
    {
        PluginMessagePump::deliverPendingMessages (PluginMessagePump::messagesPerIdleCall);
        return AAX_SUCCESS;
    });
}
} // namespace AAXClasses
