#pragma once

#include "presets/PresetTreeComponent.h"

/** The pictures of the preset tree's rows: the favourite star (on, off, each
    with a hover picture), the open/close button of a folder and the mark of
    the active folder.  Each is one image drawn centred and never scaled into
    the area it is given; an image larger than the area reaches over its
    edges.  A null image draws nothing.

    The editor fills it (fromResources) and hands it to the tree component,
    which owns it.  Message thread only.
*/
class PresetManagerLookAndFeel : public Korvalden::Misc::PresetManager::PresetTreeComponent::LookAndFeel
{
public:
    enum ImageIndex
    {
        favoriteOn,
        favoriteOnHover,
        favoriteOff,
        favoriteOffHover,
        folderOpen,
        folderClosed,
        activeFolderMarker,
        numImages
    };

    /** The tint of the active-folder mark (the save icon's mask). */
    static constexpr juce::uint32 markerTint = 0xFF707070;

    PresetManagerLookAndFeel() = default;

    /** Filled from the bundle's images; needs a resource manager user. */
    static std::unique_ptr<PresetManagerLookAndFeel> fromResources();

    void setImage (ImageIndex index, const juce::Image& image);
    const juce::Image& getImage (ImageIndex index) const;

    void drawOpenCloseButton (juce::Graphics&, juce::Rectangle<int> area, bool isOpen, bool isEmpty, bool isMouseOver) override;
    /** The mark takes the square at the right end of the area (x = width - height). */
    void drawActiveFolderMarker (juce::Graphics&, juce::Rectangle<int> area) override;
    void drawFavoriteButton (juce::Graphics&, juce::Rectangle<int> area, bool isFavourite, bool isMouseOver) override;

private:
    void draw (juce::Graphics&, ImageIndex, juce::Rectangle<int> area) const;

    juce::Image images[numImages];
    /** Centred in both directions, neither shrunk nor enlarged. */
    const juce::RectanglePlacement placement { juce::RectanglePlacement::xMid | juce::RectanglePlacement::yMid
                                               | juce::RectanglePlacement::onlyReduceInSize
                                               | juce::RectanglePlacement::onlyIncreaseInSize };
};
