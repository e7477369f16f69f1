#include "presets/PresetManagerLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
juce::Image solid (int width, int height, juce::Colour colour)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    image.clear (image.getBounds(), colour);
    return image;
}

/** Each picture a colour of its own; the mark 4 x 4, the others 6 x 6. */
PresetManagerLookAndFeel makeLook()
{
    PresetManagerLookAndFeel look;
    for (int index = 0; index < PresetManagerLookAndFeel::numImages; ++index)
    {
        const int side = index == PresetManagerLookAndFeel::activeFolderMarker ? 4 : 6;
        look.setImage ((PresetManagerLookAndFeel::ImageIndex) index,
                       solid (side, side, juce::Colour::fromHSV ((float) index / 8.0f, 1.0f, 1.0f, 1.0f)));
    }
    return look;
}

juce::Colour colourOf (const PresetManagerLookAndFeel& look, PresetManagerLookAndFeel::ImageIndex index)
{
    return look.getImage (index).getPixelAt (0, 0);
}

template <typename Draw>
juce::Image paint (int width, int height, Draw&& draw)
{
    juce::Image canvas (juce::Image::ARGB, width, height, true);
    juce::Graphics g (canvas);
    draw (g);
    return canvas;
}
} // namespace

TEST (PresetManagerLookAndFeel, eachStateDrawsItsOwnImageCentredAndUnscaled)
{
    using L = PresetManagerLookAndFeel;
    auto look = makeLook();
    const std::tuple<bool, bool, L::ImageIndex> stars[] { { true, true, L::favoriteOnHover }, { true, false, L::favoriteOn },
                                                           { false, true, L::favoriteOffHover }, { false, false, L::favoriteOff } };
    for (auto [on, over, expected] : stars)
    {
        auto image = paint (20, 20, [&, on = on, over = over] (auto& g) { look.drawFavoriteButton (g, { 0, 0, 20, 20 }, on, over); });
        EXPECT_EQ (image.getPixelAt (10, 10), colourOf (look, expected));
        EXPECT_EQ (image.getPixelAt (7, 7), colourOf (look, expected));   // 6 x 6 centred: 7..12
        EXPECT_EQ (image.getPixelAt (6, 6).getAlpha(), 0);                 // not enlarged
    }

    // Open or closed decides; empty and hover change nothing.
    for (bool empty : { false, true })
        for (bool over : { false, true })
        {
            auto open = paint (20, 20, [&] (auto& g) { look.drawOpenCloseButton (g, { 0, 0, 20, 20 }, true, empty, over); });
            auto closed = paint (20, 20, [&] (auto& g) { look.drawOpenCloseButton (g, { 0, 0, 20, 20 }, false, empty, over); });
            EXPECT_EQ (open.getPixelAt (10, 10), colourOf (look, L::folderOpen));
            EXPECT_EQ (closed.getPixelAt (10, 10), colourOf (look, L::folderClosed));
        }

    // Larger than its area: not shrunk, it reaches over the edges.
    auto small = paint (20, 20, [&] (auto& g) { look.drawFavoriteButton (g, { 8, 8, 2, 2 }, true, false); });
    EXPECT_EQ (small.getPixelAt (6, 6), colourOf (look, L::favoriteOn));
}

TEST (PresetManagerLookAndFeel, theMarkSitsInTheSquareAtTheRightEndEvenOfANarrowRow)
{
    auto look = makeLook();
    const auto mark = colourOf (look, PresetManagerLookAndFeel::activeFolderMarker);

    auto row = paint (100, 20, [&] (auto& g) { look.drawActiveFolderMarker (g, { 0, 0, 100, 20 }); });
    EXPECT_EQ (row.getPixelAt (89, 9), mark);    // square 80..99, 4 x 4 centred: 88..91
    EXPECT_EQ (row.getPixelAt (87, 9).getAlpha(), 0);
    EXPECT_EQ (row.getPixelAt (10, 9).getAlpha(), 0);

    // Narrower than high: the square starts left of the row and is clipped.
    auto narrow = paint (10, 20, [&] (auto& g) { look.drawActiveFolderMarker (g, { 0, 0, 10, 20 }); });
    EXPECT_EQ (narrow.getPixelAt (0, 9), mark);    // square -10..9, mark -2..1
    EXPECT_EQ (narrow.getPixelAt (1, 9), mark);
    EXPECT_EQ (narrow.getPixelAt (2, 9).getAlpha(), 0);

    // Without images nothing is drawn.
    PresetManagerLookAndFeel empty;
    auto blank = paint (20, 20, [&] (auto& g) {
        empty.drawFavoriteButton (g, { 0, 0, 20, 20 }, true, true);
        empty.drawOpenCloseButton (g, { 0, 0, 20, 20 }, true, false, false);
        empty.drawActiveFolderMarker (g, { 0, 0, 20, 20 });
    });
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ (blank.getPixelAt (x, y).getAlpha(), 0);
}
