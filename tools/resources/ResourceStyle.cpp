#include "ResourceStyle.h"

namespace ResourceStyle
{
    Faces& faces()
    {
        static Faces loaded;
        return loaded;
    }

    static juce::Typeface::Ptr loadFace (const juce::File& file)
    {
        juce::MemoryBlock data;
        if (! file.loadFileAsData (data) || data.getSize() == 0)
            return nullptr;
        return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
    }

    bool loadFaces (const juce::File& regularFile, const juce::File& boldFile)
    {
        faces().regular = loadFace (regularFile);
        faces().bold = loadFace (boldFile);
        return faces().regular != nullptr && faces().bold != nullptr;
    }

    juce::Font regularFont (float height)
    {
        jassert (faces().regular != nullptr);
        return juce::Font (faces().regular).withHeight (height);
    }

    juce::Font boldFont (float height)
    {
        jassert (faces().bold != nullptr);
        return juce::Font (faces().bold).withHeight (height);
    }

    juce::Font smallCapsFont (float height)
    {
        return boldFont (height).withExtraKerningFactor (0.08f);
    }
}
