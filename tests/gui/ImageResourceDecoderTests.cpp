#include "gui/ImageResourceDecoder.h"

#include <gtest/gtest.h>

// Whole, valid images over the bounds are not decoded, whatever their
// format: a resource never makes the editor build an image larger than them.

namespace
{
juce::MemoryBlock encoded (juce::ImageFileFormat&& format, int width, int height)
{
    juce::Image image (juce::Image::RGB, width, height, false);
    image.clear (image.getBounds(), juce::Colours::darkcyan);
    juce::MemoryOutputStream out;
    format.writeImageToStream (image, out);
    return out.getMemoryBlock();
}
} // namespace

TEST (ImageResourceDecoder, anImageOverThePixelOrSideBoundIsNotDecodedAndOneAtItIs)
{
    using namespace Korvalden::Resources;
    static_assert (maximumImagePixels == 4096 * 4096 && maximumImageSide == 16384);

    const struct
    {
        bool png;
        int width, height;
        bool decoded;
    } cases[] = {
        { true, 4096, 4096, true },  { true, 4097, 4096, false }, { true, 8192, 2049, false },
        { true, 16384, 1, true },    { true, 16385, 1, false },   { true, 1, 16385, false },
        { false, 4096, 4096, true }, { false, 4096, 4097, false }, { false, 16384, 8, true },
        { false, 16385, 8, false },  { false, 8, 16385, false },
    };
    for (auto& c : cases)
    {
        SCOPED_TRACE ((c.png ? "PNG " : "JPEG ") + juce::String (c.width) + " x " + juce::String (c.height));
        const auto bytes = c.png ? encoded (juce::PNGImageFormat(), c.width, c.height)
                                 : encoded (juce::JPEGImageFormat(), c.width, c.height);
        ASSERT_TRUE (juce::ImageFileFormat::loadFrom (bytes.getData(), bytes.getSize()).isValid()) << "a whole image";

        const auto image = decodeImageResource (bytes.getData(), bytes.getSize());
        EXPECT_EQ (image.isValid(), c.decoded);
        if (c.decoded)
        {
            EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (c.width, c.height));
        }
    }
}
