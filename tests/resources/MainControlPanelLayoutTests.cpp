#include "BundleResourcesFixture.h"

#include "tools/resources/ResourceLayouts.h"

using Korvalden::Resources::ResourceManager;
namespace N = EditorNames;

static_assert (LayoutNumbers::linearHorizontal == juce::Slider::LinearHorizontal);
static_assert (LayoutNumbers::threeValueHorizontal == juce::Slider::ThreeValueHorizontal);
static_assert (LayoutNumbers::noTextBox == juce::Slider::NoTextBox);
static_assert (LayoutNumbers::textBoxRight == juce::Slider::TextBoxRight);

namespace
{
/** Every child name the editor looks up in its layout. */
juce::StringArray namesTheEditorLooksUp()
{
    juce::StringArray names;
    for (int d = 1; d <= N::numDevices; ++d)
    {
        for (auto& kind : N::deviceKnobs)
        {
            names.add (N::deviceKnob (d, kind));
            names.add (N::valueLabel (N::deviceKnob (d, kind)));
            names.add (N::linkTarget (d, kind));
        }
        for (auto& button : N::oscillatorSwitches) names.add (N::switchButton (d, button));
        for (auto& button : N::lfo1Switches)       names.add (N::switchButton (d, button));
        for (auto& button : N::trackingSwitches)   names.add (N::switchButton (d, button));
        names.add (N::midiOnButton (d));
        for (auto* kind : N::ledKinds)
            names.add (N::led (d, kind));
        names.add (N::deviceGroupTarget (d));
        for (auto module : { N::Module::vco, N::Module::vcf, N::Module::vca })
            names.add (N::moduleGroupTarget (d, module));
    }
    for (int m = 1; m <= N::numMacros; ++m)
    {
        names.add (N::macroKnob (m));
        names.add (N::valueLabel (N::macroKnob (m)));
        names.add (N::macroLinkTarget (m));
    }
    for (auto* button : N::alphaImageButtons)
        names.add (button);
    for (auto* name : { N::masterVolume, N::splitPointSlider, N::voiceMode, N::directionButton, N::presetTreeButton,
                        N::presetTree, N::presetNameLabel, N::keyboard, N::keyboardOverlay, N::background, N::meterLeft,
                        N::meterRight, N::logoButtonMaker, N::logoButtonProduct, N::cpuWarnDisplay, N::cpuOverDisplay })
        names.add (name);
    names.add (N::valueLabel (N::masterVolume));
    for (auto* name : N::randomGroup)
        names.add (name);
    return names;
}

bool isLinkPlaceholder (const juce::String& name)
{
    return name.startsWith ("LinkerPar_") || name.startsWith ("LinkerGrp_");
}

/** Children that lie over others on purpose: the backdrop, the shade over the
    keyboard's top edge and the link targets (placeholders over the knobs). */
bool mayOverlap (const juce::String& name)
{
    return isLinkPlaceholder (name) || name == N::background || name == N::keyboardOverlay;
}
} // namespace

class MainControlPanelLayoutTest : public BundleResourcesFixture
{
protected:
    void SetUp() override
    {
        BundleResourcesFixture::SetUp();
        applied = ResourceManager::applyComponentLayout (&editor.root, N::mainLayout);
    }

    juce::Rectangle<int> boundsOf (const juce::String& name)
    {
        auto* c = Korvalden::Resources::findChildComponentByName (&editor.root, name);
        return c != nullptr ? c->getBounds() : juce::Rectangle<int>();
    }

    EditorStandIn editor;
    bool applied = false;
};

TEST_F (MainControlPanelLayoutTest, AppliedToAPlainComponentItPlacesEveryNameTheEditorLooksUp)
{
    ASSERT_TRUE (applied);

    juce::StringArray placed;
    for (auto* c : editor.root.getChildren())
        placed.add (c->getName());

    // Every name is placed once: a second child of the same name would never be found.
    juce::StringArray duplicates;
    juce::StringArray seen;
    for (auto& name : placed)
    {
        if (seen.contains (name))
            duplicates.addIfNotAlreadyThere (name);
        seen.add (name);
    }
    EXPECT_TRUE (duplicates.isEmpty()) << duplicates.joinIntoString (", ").toStdString();

    juce::StringArray missing;
    for (auto& name : namesTheEditorLooksUp())
        if (! placed.contains (name))
            missing.add (name);
    EXPECT_TRUE (missing.isEmpty()) << "not placed: " << missing.joinIntoString (", ").toStdString();

    // A root without the editor's keyboard takes the layout too: only the keyboard is missing.
    juce::Component bare;
    EXPECT_TRUE (ResourceManager::applyComponentLayout (&bare, N::mainLayout));
    EXPECT_EQ (bare.getNumChildComponents(), placed.size() - 1);
    EXPECT_EQ (Korvalden::Resources::findChildComponentByName (&bare, N::keyboard), nullptr);

    // 72 knobs with labels and targets, 40 switches, 4 MIDI-on, 20 LEDs, 16 groups and the rest.
    EXPECT_EQ (namesTheEditorLooksUp().size(), 72 * 3 + 40 + 4 + 20 + 16 + 11 + 16 + 1 + 4);
    EXPECT_GE (placed.size(), namesTheEditorLooksUp().size());
}

TEST_F (MainControlPanelLayoutTest, LayoutOnlyWidgetsAreConfiguredForTheEditor)
{
    ASSERT_TRUE (applied);

    auto* split = child<juce::Slider> (editor.root, N::splitPointSlider);
    ASSERT_NE (split, nullptr);
    EXPECT_EQ (split->getSliderStyle(), juce::Slider::ThreeValueHorizontal);
    EXPECT_EQ (split->getMinimum(), 0.0);
    EXPECT_EQ (split->getMaximum(), 127.0);
    EXPECT_EQ (split->getInterval(), 1.0);

    auto* master = child<juce::Slider> (editor.root, N::masterVolume);
    ASSERT_NE (master, nullptr);
    EXPECT_EQ (master->getSliderStyle(), juce::Slider::LinearHorizontal);
    EXPECT_EQ (master->getRange(), juce::Range<double> (0.0, 1.0));
    EXPECT_EQ (master->getTextBoxPosition(), juce::Slider::NoTextBox);

    ASSERT_NE (child<juce::ComboBox> (editor.root, N::voiceMode), nullptr);
    EXPECT_EQ (child<juce::ComboBox> (editor.root, N::voiceMode)->getNumItems(), 0);   // the editor adds the six modes

    auto* valueLabel = child<juce::Label> (editor.root, N::valueLabel (N::masterVolume));
    ASSERT_NE (valueLabel, nullptr);
    EXPECT_EQ (valueLabel->findColour (juce::Label::textColourId), juce::Colours::black);
    EXPECT_FLOAT_EQ (valueLabel->getFont().getHeight(), 10.0f);

    ASSERT_NE (child<juce::Label> (editor.root, N::presetNameLabel), nullptr);
    ASSERT_NE (child<juce::Button> (editor.root, N::logoButtonMaker), nullptr);
    ASSERT_NE (child<juce::Button> (editor.root, N::logoButtonProduct), nullptr);

    // The keyboard keeps the key width the program fixes.
    EXPECT_FLOAT_EQ (editor.keyboard.getKeyWidth(), 16.0f);
    EXPECT_EQ (editor.keyboard.getRangeStart(), 0);
    EXPECT_EQ (editor.keyboard.getRangeEnd(), 127);

    // Every image the layout itself names is in the bundle.
    for (auto* name : { N::background, N::keyboardOverlay, N::cpuWarnDisplay, N::cpuOverDisplay })
    {
        auto* image = child<juce::ImageComponent> (editor.root, name);
        ASSERT_NE (image, nullptr) << name;
        EXPECT_TRUE (image->getImage().isValid()) << name;
    }
    for (auto* name : { N::logoButtonMaker, N::logoButtonProduct })
        EXPECT_TRUE (child<juce::ImageButton> (editor.root, name)->getNormalImage().isValid()) << name;
}

TEST_F (MainControlPanelLayoutTest, PanelFitsALaptopScreenWithTreeAtTheRightAndKeyboardAtTheBottom)
{
    ASSERT_TRUE (applied);
    const auto panel = editor.root.getLocalBounds();
    EXPECT_GE (panel.getWidth(), 1100);
    EXPECT_LE (panel.getWidth(), 1250);
    EXPECT_GE (panel.getHeight(), 520);
    EXPECT_LE (panel.getHeight(), 640);

    // The view switches cut the panel at the tree's left edge and the keyboard's top.
    const auto tree = boundsOf (N::presetTree);
    const auto keys = editor.keyboard.getBounds();
    EXPECT_EQ (tree.getRight(), panel.getRight());
    EXPECT_EQ (tree.getY(), 0);
    EXPECT_EQ (tree.getHeight(), panel.getHeight());
    EXPECT_EQ (keys.getBottom(), panel.getBottom());
    // Centred between the end cheeks, and as wide as the keys from 47 up:
    // the framework then scrolls 47 under the key-wide lower scroll button,
    // the editor's first key 48 lies whole beside it and the top key ends
    // at the right edge.
    EXPECT_EQ (keys.getX() + keys.getRight(), tree.getX());
    EXPECT_EQ (keys.getWidth(), 48 * 16);

    for (auto* c : editor.root.getChildren())
    {
        const auto name = c->getName();
        if (c == &editor.keyboard || name == N::presetTree || name == N::background || name == N::keyboardOverlay
            || c->getBounds().isEmpty())
            continue;
        EXPECT_LE (c->getRight(), tree.getX()) << name << " would be cut off with the tree";
        EXPECT_LE (c->getBottom(), keys.getY()) << name << " would be cut off with the keyboard";
        EXPECT_TRUE (panel.contains (c->getBounds())) << name;
    }
}

TEST_F (MainControlPanelLayoutTest, NoControlsOverlapExceptTheLinkTargets)
{
    ASSERT_TRUE (applied);
    std::vector<juce::Component*> controls;
    for (auto* c : editor.root.getChildren())
        if (! mayOverlap (c->getName()) && ! c->getBounds().isEmpty())
            controls.push_back (c);

    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE (controls[i]->getBounds().intersects (controls[j]->getBounds()))
                << controls[i]->getName() << " overlaps " << controls[j]->getName();

    // Each knob's link target covers its knob and shares its centre, so link lines meet the knobs.
    for (int d = 1; d <= N::numDevices; ++d)
        for (auto& kind : N::deviceKnobs)
        {
            const auto knob = boundsOf (N::deviceKnob (d, kind));
            const auto target = boundsOf (N::linkTarget (d, kind));
            EXPECT_EQ (target.getCentre(), knob.getCentre()) << N::linkTarget (d, kind);
            EXPECT_TRUE (knob.contains (target)) << N::linkTarget (d, kind);
        }

    // Every macro starts named, and a name is written centred on its target:
    // a macro's target is centred under the knob, where the name is its
    // caption, and still reaches into the knob so a drag can start there.
    for (int m = 1; m <= N::numMacros; ++m)
    {
        const auto knob = boundsOf (N::macroKnob (m));
        const auto target = boundsOf (N::macroLinkTarget (m));
        EXPECT_EQ (target.getCentreX(), knob.getCentreX()) << N::macroLinkTarget (m);
        EXPECT_GE (target.getCentreY(), knob.getBottom()) << N::macroLinkTarget (m);
        EXPECT_TRUE (target.intersects (knob)) << N::macroLinkTarget (m);
    }
}

TEST_F (MainControlPanelLayoutTest, KnobsLineUpInColumnsAcrossTheDeviceStripsWithLabelsCentredUnderThem)
{
    ASSERT_TRUE (applied);
    const auto first = boundsOf (N::deviceKnob (1, N::deviceKnobs[0]));
    for (auto& kind : N::deviceKnobs)
    {
        const auto top = boundsOf (N::deviceKnob (1, kind));
        EXPECT_EQ (top.withZeroOrigin(), first.withZeroOrigin()) << kind.suffix;
        for (int d = 2; d <= N::numDevices; ++d)
        {
            const auto knob = boundsOf (N::deviceKnob (d, kind));
            EXPECT_EQ (knob.getCentreX(), top.getCentreX()) << N::deviceKnob (d, kind);
            EXPECT_EQ (knob.getY() - top.getY(), (d - 1) * (boundsOf (N::deviceKnob (2, kind)).getY() - top.getY()));
        }
        for (int d = 1; d <= N::numDevices; ++d)
        {
            const auto knob = boundsOf (N::deviceKnob (d, kind));
            const auto label = boundsOf (N::valueLabel (N::deviceKnob (d, kind)));
            EXPECT_EQ (label.getCentreX(), knob.getCentreX());
            EXPECT_GT (label.getY(), knob.getBottom() - 1);
        }
    }

    // Every strip's knobs sit in one row, and every LED has one size.
    for (int d = 1; d <= N::numDevices; ++d)
        for (auto& kind : N::deviceKnobs)
            EXPECT_EQ (boundsOf (N::deviceKnob (d, kind)).getY(), boundsOf (N::deviceKnob (d, N::deviceKnobs[0])).getY());
    for (int d = 1; d <= N::numDevices; ++d)
        for (auto* kind : N::ledKinds)
            EXPECT_EQ (boundsOf (N::led (d, kind)).withZeroOrigin(), boundsOf (N::led (1, "Gate")).withZeroOrigin());
}

TEST_F (MainControlPanelLayoutTest, ImageDrawnControlsAreAsLargeAsTheirImages)
{
    // Strips, masks and the preset-tree switch are drawn centred and unscaled:
    // a control smaller than its picture would clip it.
    ASSERT_TRUE (applied);
    auto fits = [this] (const juce::String& control, const juce::String& image, int frames = 1)
    {
        const auto& picture = ResourceManager::getImage (image);
        const auto bounds = boundsOf (control);
        EXPECT_GE (bounds.getWidth(), picture.getWidth()) << control;
        EXPECT_GE (bounds.getHeight(), picture.getHeight() / frames) << control;
    };
    for (int d = 1; d <= N::numDevices; ++d)
    {
        for (auto& kind : N::deviceKnobs)
            fits (N::deviceKnob (d, kind), N::Images::deviceKnobStrips[d - 1], N::Images::knobFrames);
        for (auto* kind : N::ledKinds)
            fits (N::led (d, kind), N::Images::deviceLedStrips[d - 1], N::ledFrames);
        for (auto& button : N::oscillatorSwitches)
            fits (N::switchButton (d, button), button.image);
        fits (N::midiOnButton (d), N::Images::midiOn);
    }
    for (auto* button : N::alphaImageButtons)
        fits (button, N::alphaMask (button));
    fits (N::directionButton, N::Images::directionDown);
    fits (N::presetTreeButton, N::Images::presetBrowserButtons[0]);
}

TEST_F (MainControlPanelLayoutTest, ValueLabelsSitOnLightPanelForTheirBlackText)
{
    ASSERT_TRUE (applied);
    auto* background = child<juce::ImageComponent> (editor.root, N::background);
    ASSERT_NE (background, nullptr);
    const auto image = background->getImage();
    ASSERT_EQ (image.getBounds(), background->getBounds());

    for (auto* c : editor.root.getChildren())
    {
        if (! c->getName().startsWith ("Value_"))
            continue;
        float darkest = 1.0f;
        const auto area = c->getBounds().getIntersection (image.getBounds());
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                darkest = juce::jmin (darkest, image.getPixelAt (x, y).getPerceivedBrightness());
        EXPECT_GT (darkest, 0.75f) << c->getName() << " has dark panel behind its black text";
    }
}
