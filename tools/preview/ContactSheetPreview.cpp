#include "PreviewRegistry.h"

#include "gui/ResourceManager.h"

// Every image of the resource folder on one sheet, with its name and size.
// Strips show five of their frames side by side; small images are enlarged
// twice so their pixels can be judged.
namespace
{
    constexpr int cellWidth = 232, cellHeight = 150, columns = 6;

    void drawChecker (juce::Graphics& g, juce::Rectangle<int> area)
    {
        g.setColour (juce::Colour (0xFFDAD8D4));
        g.fillRect (area);
        g.setColour (juce::Colour (0xFFC9C7C3));
        for (int y = area.getY(); y < area.getBottom(); y += 8)
            for (int x = area.getX() + ((y - area.getY()) / 8 % 2) * 8; x < area.getRight(); x += 16)
                g.fillRect (juce::Rectangle<int> (x, y, 8, 8).getIntersection (area));
    }

    bool isStrip (const juce::Image& image)
    {
        return image.getHeight() >= image.getWidth() * 8;
    }

    void drawThumbnail (juce::Graphics& g, const juce::Image& image, juce::Rectangle<int> area)
    {
        if (isStrip (image))
        {
            // Frames 0, 1/4, 1/2, 3/4 and the last, of a square-framed strip.
            const int frame = image.getWidth();
            const int count = image.getHeight() / frame;
            const int zoom = frame <= 16 ? 3 : 1;
            const int step = frame * zoom + 4;
            int x = area.getCentreX() - (5 * step - 4) / 2;
            for (int i = 0; i < 5; ++i, x += step)
            {
                const int index = (count - 1) * i / 4;
                g.drawImage (image, x, area.getCentreY() - frame * zoom / 2, frame * zoom, frame * zoom,
                             0, index * frame, frame, frame);
            }
            return;
        }

        const int zoom = (image.getWidth() <= 48 && image.getHeight() <= 48) ? 2 : 1;
        auto target = juce::Rectangle<int> (image.getWidth() * zoom, image.getHeight() * zoom);
        if (target.getWidth() > area.getWidth() || target.getHeight() > area.getHeight())
            target = juce::RectanglePlacement (juce::RectanglePlacement::centred)
                         .appliedTo (target.toFloat(), area.toFloat()).toNearestInt();
        g.setImageResamplingQuality (zoom > 1 ? juce::Graphics::lowResamplingQuality : juce::Graphics::highResamplingQuality);
        g.drawImage (image, target.withCentre (area.getCentre()).toFloat());
    }

    bool renderContactSheet (const PreviewContext& context)
    {
        auto files = context.resourceFolder.findChildFiles (juce::File::findFiles, false, "*.IMAGE");
        files.sort();
        if (files.isEmpty())
            return false;

        const int rows = (files.size() + columns - 1) / columns;
        juce::Image sheet (juce::Image::RGB, columns * cellWidth, rows * cellHeight, false);
        juce::Graphics g (sheet);
        g.fillAll (juce::Colour (0xFFF4F3F0));

        bool allDecoded = true;
        for (int i = 0; i < files.size(); ++i)
        {
            const auto name = files[i].getFileNameWithoutExtension();
            const auto cell = juce::Rectangle<int> ((i % columns) * cellWidth, (i / columns) * cellHeight, cellWidth, cellHeight).reduced (6);
            const auto& image = Korvalden::Resources::ResourceManager::getImage (name);

            const auto picture = cell.withTrimmedBottom (30);
            drawChecker (g, picture);
            if (image.isValid())
                drawThumbnail (g, image, picture.reduced (4));
            else
                allDecoded = false;

            g.setColour (image.isValid() ? juce::Colours::black : juce::Colours::red);
            g.setFont (context.font (12.0f));
            g.drawText (name, cell.withTop (picture.getBottom() + 2).withHeight (14), juce::Justification::centredLeft, true);
            g.setColour (juce::Colour (0xFF6B6863));
            g.setFont (context.font (10.0f));
            g.drawText (image.isValid() ? juce::String (image.getWidth()) + " x " + juce::String (image.getHeight()) : "does not decode",
                        cell.withTop (picture.getBottom() + 16).withHeight (12), juce::Justification::centredLeft, true);
        }

        return context.writePng ("images", sheet) && allDecoded;
    }

    PreviewRegistration registration ("images", "contact sheet of every image (images.png)", renderContactSheet);
}
