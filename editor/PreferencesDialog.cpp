#include "editor/PreferencesDialog.h"

#include "editor/EditorComponentNames.h"
#include "editor/FindChildAs.h"
#include "engine/AudioEngine.h"
#include "gui/KeyboardFocusReturn.h"
#include "gui/ResourceManager.h"
#include "platform/WindowStacking.h"

// The options dialog's window: what the constructor builds and in which
// order, the ways of closing, and the teardown.  The controls' handlers are
// in PreferencesDialogControls.cpp.

namespace O = EditorNames::Options;
using Korvalden::Resources::ResourceManager;

namespace
{
const juce::Colour dialogBackground { 0xFFC4C4C4 };
constexpr const char* hardwareSetupTab = "Hardware Setup";
} // namespace

PreferencesDialog::PreferencesDialog (AudioEngine& engineToUse, EditorCallbacks callbacks)
    : juce::DialogWindow ("Options", dialogBackground, true, false),
      engine (engineToUse),
      editorCallbacks (std::move (callbacks))
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    setTitleBarButtonsRequired (juce::DocumentWindow::closeButton, false);

    // A failed save is told where the editor tells its other write errors;
    // the engine outlives the dialog, whose settings save as it goes.
    settings.setSaveFailureHandler ([&presets = engine.getPresetManager()] (const juce::File& file, const juce::String& reason)
                                    { presets.tellSaveFailure (file, reason); });
    settings.setSaveWaitHandler ([&presets = engine.getPresetManager()] (const juce::File& file) { presets.tellSaveWaiting (file); });

    auto* content = new juce::Component (EditorNames::optionsLayout);
    ResourceManager::acquire();
    ResourceManager::applyComponentLayout (content, EditorNames::optionsLayout);
    content->setLookAndFeel (&lookAndFeel);

    setUsingNativeTitleBar (true);
    setContentOwned (content, true);
    setResizable (false, false);

    if (auto* tabs = findChildAs<juce::TabbedComponent> (content, O::tabs))
    {
        if (auto* midiPage = getPage (1))
        {
            for (int slot = 0; slot < ParameterTable::numReceiveSlots; ++slot)
                fillMidiChannelCombo (midiPage, slot);

            for (int index = 0; index < ParameterTable::numParameters; ++index)
                fillControllerCombo (midiPage, O::controllerCombo (index), controllerKey (index),
                                     ParameterTable::getEntry (index).defaultController);

            fillControllerCombo (midiPage, O::sustainPedal, "MIDICC_SustainPedal",
                                 ParameterTable::defaultSustainPedalController);
        }

        if (auto* generalPage = getPage (0))
            setUpGeneralPage (*generalPage);

        // Every opening starts on the first page.
        tabs->getTabbedButtonBar().setCurrentTabIndex (0, true);
    }

    if (auto* ok = findChildAs<juce::TextButton> (content, O::okButton))
        ok->addListener (this);

    ResourceManager::release();
}

PreferencesDialog::~PreferencesDialog()
{
    if (auto* content = getContentComponent())
    {
        if (auto* tabs = findChildAs<juce::TabbedComponent> (content, O::tabs))
            for (int tab = 0; tab < tabs->getNumTabs(); ++tab)
                if (tabs->getTabNames()[tab] != hardwareSetupTab)
                    if (auto* page = tabs->getTabContentComponent (tab))
                        page->deleteAllChildren();

        content->deleteAllChildren();

        // The content goes before the look-and-feel it wears.
        content->setLookAndFeel (nullptr);
        clearContentComponent();
    }
}

juce::Component::SafePointer<PreferencesDialog> PreferencesDialog::open (AudioEngine& engine,
                                                                       EditorCallbacks callbacks,
                                                                       juce::Component* centreAround,
                                                                       std::function<void (int)> closed)
{
    // Given back as the dialog closes, before its window goes: without a
    // window manager the input focus would fall to the root window, and held
    // computer keys would play nothing until a click into the editor.
    const Korvalden::GUI::KeyboardFocusReturn focus (centreAround);
    auto* dialog = new PreferencesDialog (engine, std::move (callbacks));
    juce::Component::SafePointer<PreferencesDialog> pointer (dialog);

    const auto width = dialog->getWidth(), height = dialog->getHeight();
    if (centreAround != nullptr)
        dialog->centreAroundComponent (centreAround, width, height);
    else if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        dialog->centreWithSize (width, height);

    dialog->addToDesktop (dialog->getDesktopWindowStyleFlags());
    // Modal over the editor, it stays in front of the editor's window.
    if (centreAround != nullptr)
        Korvalden::Platform::WindowStacking::keepInFrontOf (*dialog, *centreAround);
    dialog->setVisible (true);
    dialog->enterModalState (true,
                             juce::ModalCallbackFunction::create ([focus, closed = std::move (closed)] (int result)
                             {
                                 focus.giveBack();
                                 if (closed != nullptr)
                                     closed (result);
                             }),
                             true);
    return pointer;
}

juce::Component* PreferencesDialog::getPage (int tabIndex) const
{
    auto* tabs = findChildAs<juce::TabbedComponent> (getContentComponent(), O::tabs);
    if (tabs == nullptr || tabIndex >= tabs->getNumTabs())
        return nullptr;
    return tabs->getTabContentComponent (tabIndex);
}

bool PreferencesDialog::keyPressed (const juce::KeyPress& key)
{
    if (key.getKeyCode() != juce::KeyPress::escapeKey)
        return false;

    closeButtonPressed();
    return true;
}

void PreferencesDialog::closeButtonPressed()
{
    exitModalState (0);
}

void PreferencesDialog::buttonClicked (juce::Button* button)
{
    if (button != nullptr && button->getName() == O::okButton)
        exitModalState (1);
}
