#include "BundleResourcesFixture.h"

using Korvalden::Resources::ResourceManager;

namespace
{
juce::Typeface::Ptr loadBundleTypeface()
{
    auto stream = ResourceManager::getBinary (EditorNames::typefaceResource);
    if (stream == nullptr)
        return nullptr;
    return new juce::CustomTypeface (*stream);
}
} // namespace

TEST_F (BundleResourcesFixture, TypefaceCoversPrintableAsciiAndLatin1)
{
    auto typeface = loadBundleTypeface();
    ASSERT_NE (typeface, nullptr);
    EXPECT_GT (typeface->getAscent(), 0.5f);
    EXPECT_GT (typeface->getDescent(), 0.0f);

    juce::StringArray missing;
    auto check = [&] (juce::juce_wchar first, juce::juce_wchar last)
    {
        for (auto c = first; c <= last; ++c)
        {
            if (c == 0xAD)  // the soft hyphen has no ink of its own
                continue;
            juce::Path outline;
            typeface->getOutlineForGlyph ((int) c, outline);
            if (outline.isEmpty())
                missing.add (juce::String::toHexString ((int) c));
        }
    };
    check (0x21, 0x7E);
    check (0xA1, 0xFF);
    EXPECT_TRUE (missing.isEmpty()) << "no glyph for " << missing.joinIntoString (" ");

    // Blanks have width but no ink.
    EXPECT_GT (typeface->getStringWidth (" "), 0.1f);
    EXPECT_NEAR (typeface->getStringWidth (juce::String::charToString (0xA0)), typeface->getStringWidth (" "), 0.01f);
}

TEST_F (BundleResourcesFixture, TypefaceDrawsReadableTextWithKerning)
{
    auto typeface = loadBundleTypeface();
    ASSERT_NE (typeface, nullptr);

    const juce::Font font = juce::Font (typeface).withHeight (20.0f);
    // Proportional, not fixed-pitch: "W" is wider than "i".
    EXPECT_GT (font.getStringWidthFloat ("W"), 2.0f * font.getStringWidthFloat ("i"));

    juce::Image image (juce::Image::RGB, 200, 30, false);
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::white);
        g.setColour (juce::Colours::black);
        g.setFont (font);
        g.drawText (juce::CharPointer_UTF8 ("Gr\xc3\xbc\xc3\x9f" "e 4.00 ms"), image.getBounds(), juce::Justification::centredLeft, false);
    }

    int inked = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            inked += image.getPixelAt (x, y).getBrightness() < 0.5f ? 1 : 0;
    EXPECT_GT (inked, 100);
}
