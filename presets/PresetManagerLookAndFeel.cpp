#include "presets/PresetManagerLookAndFeel.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"

std::unique_ptr<PresetManagerLookAndFeel> PresetManagerLookAndFeel::fromResources()
{
    namespace N = EditorNames;
    using Resources = Korvalden::Resources::ResourceManager;

    auto look = std::make_unique<PresetManagerLookAndFeel>();
    for (int index = favoriteOn; index <= favoriteOffHover; ++index)
        look->setImage ((ImageIndex) index, Resources::getImage (N::Images::favouriteButtons[index]));
    look->setImage (folderOpen, Resources::getImage (N::Images::presetFolderOpen));
    look->setImage (folderClosed, Resources::getImage (N::Images::presetFolderClosed));
    look->setImage (activeFolderMarker, Resources::createTintedImage (Resources::getImage (N::alphaMask (N::saveButton)),
                                                                      juce::Colour (markerTint)));
    return look;
}

void PresetManagerLookAndFeel::setImage (ImageIndex index, const juce::Image& image)
{
    jassert (index >= 0 && index < numImages);
    if (index >= 0 && index < numImages)
        images[index] = image;
}

const juce::Image& PresetManagerLookAndFeel::getImage (ImageIndex index) const
{
    static const juce::Image none;
    return index >= 0 && index < numImages ? images[index] : none;
}

void PresetManagerLookAndFeel::draw (juce::Graphics& g, ImageIndex index, juce::Rectangle<int> area) const
{
    const auto& image = images[index];
    if (! image.isValid())
        return;

    const juce::Graphics::ScopedSaveState state (g);
    g.setOpacity (1.0f);
    g.drawImageWithin (image, area.getX(), area.getY(), area.getWidth(), area.getHeight(), placement);
}

void PresetManagerLookAndFeel::drawOpenCloseButton (juce::Graphics& g, juce::Rectangle<int> area, bool isOpen, bool, bool)
{
    draw (g, isOpen ? folderOpen : folderClosed, area);
}

void PresetManagerLookAndFeel::drawActiveFolderMarker (juce::Graphics& g, juce::Rectangle<int> area)
{
    const int side = area.getHeight();
    draw (g, activeFolderMarker, { area.getWidth() - side, 0, side, side });
}

void PresetManagerLookAndFeel::drawFavoriteButton (juce::Graphics& g, juce::Rectangle<int> area, bool isFavourite, bool isMouseOver)
{
    if (isFavourite)
        draw (g, isMouseOver ? favoriteOnHover : favoriteOn, area);
    else
        draw (g, isMouseOver ? favoriteOffHover : favoriteOff, area);
}
