#include "PreviewRegistry.h"

#include <cmath>

std::vector<PreviewRender>& previewRenders()
{
    static std::vector<PreviewRender> renders;
    return renders;
}

PreviewRegistration::PreviewRegistration (const juce::String& name, const juce::String& description,
                                          std::function<bool (const PreviewContext&)> render)
{
    auto& renders = previewRenders();
    auto position = std::find_if (renders.begin(), renders.end(), [&] (auto& r) { return r.name > name; });
    renders.insert (position, { name, description, std::move (render) });
}

juce::String PreviewContext::scaledName (const juce::String& name) const
{
    if (scale <= 1.0f)
        return name;
    return name + "@" + (scale == std::floor (scale) ? juce::String ((int) scale) : juce::String (scale, 2)) + "x";
}

bool PreviewContext::writePng (const juce::String& name, const juce::Image& image) const
{
    const auto target = outputFolder.getChildFile (name + ".png");
    juce::TemporaryFile temporary (target);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (image, out))
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}

juce::Font PreviewContext::font (float height) const
{
    return typeface != nullptr ? juce::Font (typeface).withHeight (height) : juce::Font (height);
}
