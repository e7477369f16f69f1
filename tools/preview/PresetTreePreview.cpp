#include "PreviewRegistry.h"

#include "gui/KESTLookAndFeel.h"
#include "presets/PresetManagerLookAndFeel.h"
#include "presets/PresetTreeItems.h"

// The preset browser as the editor sets it up (row pictures from the bundle,
// black text on the tree's grey, the loaded preset in the accent colour, rows
// 17 high, 12-pixel scroll bars, the two header images), over a dozen
// presets in factory and user folders with two favourites, one preset loaded
// and a user folder active (preset-tree.png).
namespace
{
    using Korvalden::Misc::PresetManager;

    const juce::Colour treeBackground (0xFFC4C4C4);
    constexpr int treeWidth = 232, treeHeight = 628;

    struct SilentClient : PresetManager::PresetClient
    {
        void writePresetState (juce::MemoryBlock& out) override { out.setSize (0); }
        bool readPresetState (const juce::MemoryBlock&) override { return true; }
        juce::String getDefaultPresetName() override { return "New Preset"; }
        void handlePresetOverwriteRequest (PresetOverwriteRequest* request) override { request->answer (false); }
    };

    /** A header as the editor draws it: the text in black at the left, 30 high. */
    juce::Image header (const juce::String& text, int width)
    {
        juce::Image image (juce::Image::ARGB, width, 30, true);
        juce::Graphics g (image);
        g.setColour (juce::Colours::black);
        g.setFont (juce::LookAndFeel::getDefaultLookAndFeel().getPopupMenuFont().withHeight (16.0f));
        g.drawText (text, juce::Rectangle<int> (8, 0, width, 30), juce::Justification::centredLeft, false);
        return image;
    }

    void writePresets (const juce::File& root, const juce::StringArray& paths)
    {
        for (auto& path : paths)
        {
            auto file = root.getChildFile (path + ".prs");
            file.getParentDirectory().createDirectory();
            file.replaceWithText ("preview");
        }
    }

    bool renderTree (const PreviewContext& context)
    {
        auto lookAndFeel = KESTLookAndFeel::getShared();
        auto folder = juce::File::createTempFile ("preset-tree-preview");
        const auto factory = folder.getChildFile ("factory"), user = folder.getChildFile ("user");
        writePresets (factory, { "Bass/Rubber Floor", "Bass/Low Revolver", "Bass/Deep Sub", "Pads/Glass Choir", "Pads/Slow Tides",
                                 "Pads/Four Winds", "Leads/Brass Needle", "Leads/Sync Whistle" });
        writePresets (user, { "Evening Set/Choir Swell", "Evening Set/Night Drive", "My Basses/Wobble Floor", "Untitled Sketch" });

        bool written = false;
        {
            SilentClient client;
            PresetManager manager (&client, factory, user);
            const juce::String factoryPath = "/PresetFiles/Factory Presets", userPath = "/PresetFiles/User Presets";
            for (auto path : { factoryPath + "/Pads/Glass Choir", factoryPath + "/Pads/Four Winds" })
                if (auto* favourite = dynamic_cast<PresetManager::FileItem*> (manager.findItemByPath (path)))
                    favourite->setFavorite (true);
            for (auto path : { factoryPath, factoryPath + "/Bass", factoryPath + "/Pads", userPath, userPath + "/Evening Set" })
                if (auto* item = manager.findItemByPath (path))
                    item->setOpen (true);

            std::unique_ptr<PresetManager::PresetTreeComponent> tree (manager.createTreeComponent());
            tree->setTreeLookAndFeel (PresetManagerLookAndFeel::fromResources());
            tree->setColour (PresetManager::PresetTreeComponent::textColourId, juce::Colours::black);
            tree->setColour (PresetManager::PresetTreeComponent::highlightedTextColourId, juce::Colours::black);
            tree->setColour (juce::TreeView::selectedItemBackgroundColourId, juce::Colour (0xFF01AEF0));
            tree->setScrollBarThickness (12);
            tree->setItemHeight (17);
            tree->setSize (treeWidth, treeHeight);
            tree->setHeaderImages (header ("FAVORITES", treeWidth), header ("PRESETS", treeWidth));

            manager.selectPresetByPath (factoryPath + "/Pads/Glass Choir");
            manager.setActiveFolderByPath (userPath + "/Evening Set");
            juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

            juce::Image image (juce::Image::RGB, juce::roundToInt ((float) treeWidth * context.scale),
                               juce::roundToInt ((float) treeHeight * context.scale), false);
            {
                juce::Graphics g (image);
                g.addTransform (juce::AffineTransform::scale (context.scale));
                g.fillAll (treeBackground);
                tree->paintEntireComponent (g, true);
            }
            written = context.writePng ("preset-tree", image);
        }
        folder.deleteRecursively();
        return written;
    }

    PreviewRegistration presetTree ("preset-tree", "the preset browser with factory and user folders and two favourites (preset-tree.png)",
                                    renderTree);
}
