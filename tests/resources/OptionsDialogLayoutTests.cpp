#include "BundleResourcesFixture.h"

using Korvalden::Resources::ResourceManager;
namespace N = EditorNames;
namespace O = EditorNames::Options;

namespace
{
/** The page of a tab as the dialog finds it: the tab's content component. */
juce::Component* page (juce::TabbedComponent& tabs, int index)
{
    return index < tabs.getNumTabs() ? tabs.getTabContentComponent (index) : nullptr;
}

/** Controls lie side by side; a group box frames whole controls. */
void expectNoOverlaps (juce::Component& parent)
{
    const auto& children = parent.getChildren();
    auto isGroup = [] (juce::Component* c) { return dynamic_cast<juce::GroupComponent*> (c) != nullptr; };
    for (int i = 0; i < children.size(); ++i)
    {
        const auto a = children[i]->getBounds();
        EXPECT_TRUE (parent.getLocalBounds().contains (a)) << children[i]->getName();
        for (int j = i + 1; j < children.size(); ++j)
        {
            const auto b = children[j]->getBounds();
            if ((isGroup (children[i]) && a.contains (b)) || (isGroup (children[j]) && b.contains (a)))
                continue;
            EXPECT_FALSE (a.intersects (b)) << children[i]->getName() << " overlaps " << children[j]->getName();
        }
    }
}
} // namespace

TEST_F (BundleResourcesFixture, OptionsDialogHoldsEveryControlTheDialogLooksUpOnItsPages)
{
    juce::Component content;
    ASSERT_TRUE (ResourceManager::applyComponentLayout (&content, N::optionsLayout));
    EXPECT_GE (content.getWidth(), 600);
    EXPECT_GE (content.getHeight(), 400);

    ASSERT_NE (child<juce::TextButton> (content, O::okButton), nullptr);
    auto* tabs = child<juce::TabbedComponent> (content, O::tabs);
    ASSERT_NE (tabs, nullptr);
    ASSERT_GE (tabs->getNumTabs(), 2);
    EXPECT_EQ (tabs->getCurrentTabIndex(), 0);
    EXPECT_NE (tabs->getTabNames()[0], "Hardware Setup");
    EXPECT_NE (tabs->getTabNames()[1], "Hardware Setup");

    auto* general = page (*tabs, 0);
    ASSERT_NE (general, nullptr);
    EXPECT_NE (child<juce::Button> (*general, O::enableCpuWarning), nullptr);
    EXPECT_NE (child<juce::GroupComponent> (*general, O::audioGroup), nullptr);
    auto* voices = child<juce::Slider> (*general, O::numberOfVoices);
    ASSERT_NE (voices, nullptr);
    EXPECT_GE (voices->getMinimum(), 1.0);       // never a count below one voice
    EXPECT_GE (voices->getMaximum(), 16.0);      // the engine's default count is on the scale
    EXPECT_EQ (voices->getInterval(), 1.0);

    auto* midi = page (*tabs, 1);
    ASSERT_NE (midi, nullptr);
    juce::StringArray missing;
    for (int slot = 0; slot <= N::numDevices; ++slot)
        if (child<juce::ComboBox> (*midi, O::channelCombo (slot)) == nullptr)
            missing.add (O::channelCombo (slot));
    for (int index = 0; index <= 92; ++index)
        if (child<juce::ComboBox> (*midi, O::controllerCombo (index)) == nullptr)
            missing.add (O::controllerCombo (index));
    if (child<juce::ComboBox> (*midi, O::sustainPedal) == nullptr)
        missing.add (O::sustainPedal);
    EXPECT_TRUE (missing.isEmpty()) << "missing combos: " << missing.joinIntoString (", ").toStdString();

    // The dialog fills the combos itself: the layout leaves them empty.
    EXPECT_EQ (child<juce::ComboBox> (*midi, O::sustainPedal)->getNumItems(), 0);

    tabs->setCurrentTabIndex (0, false);
    expectNoOverlaps (*general);
    tabs->setCurrentTabIndex (1, false);
    expectNoOverlaps (*midi);
}

TEST_F (BundleResourcesFixture, ControllerRowNamesFollowTheParameterIndexes)
{
    // The dialog's rows run over the parameter indexes 0..92 in order.
    EXPECT_EQ (O::controllerCombo (0), "Sec1_Glide");
    EXPECT_EQ (O::controllerCombo (21), "Sec2_Tune");
    EXPECT_EQ (O::controllerCombo (58), "Sec3_Drive");
    EXPECT_EQ (O::controllerCombo (79), "Sec4_MidiOn");
    EXPECT_EQ (O::controllerCombo (82), "Macro3");
    EXPECT_EQ (O::controllerCombo (88), "VoicingMode");
    EXPECT_EQ (O::controllerCombo (91), "VoiceMonophon");
    EXPECT_EQ (O::controllerCombo (92), "MasterVolume");
    EXPECT_TRUE (O::controllerCombo (-1).isEmpty());
    EXPECT_TRUE (O::controllerCombo (93).isEmpty());
    EXPECT_EQ (O::channelCombo (0), "MIDIChannel");
    EXPECT_EQ (O::channelCombo (4), "MIDIChannel4");

    juce::StringArray names;
    for (int index = 0; index <= 92; ++index)
        names.addIfNotAlreadyThere (O::controllerCombo (index));
    EXPECT_EQ (names.size(), 93);
}
