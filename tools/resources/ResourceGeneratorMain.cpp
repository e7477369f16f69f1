// kest_resources: draws the bundle's images, makes its typeface and writes its
// window layouts into a resource folder (the build points it at the bundle's
// Contents/Resources).
//
//     kest_resources --out DIR --font DejaVuSans.ttf --bold-font DejaVuSans-Bold.ttf
//
// Every file is written beside its target and renamed over it, so a folder
// never holds half a resource.  Files of the folder that the generator does
// not make are left alone.

#include "ResourceImages.h"
#include "ResourceLayouts.h"
#include "ResourceStyle.h"
#include "TypefaceResource.h"
#include "editor/EditorComponentNames.h"

#include <iostream>

namespace
{
    bool writeResource (const juce::File& folder, const juce::String& name, const juce::String& type, const juce::MemoryBlock& data)
    {
        const auto target = folder.getChildFile (name + "." + type);
        juce::TemporaryFile temporary (target);
        if (! temporary.getFile().replaceWithData (data.getData(), data.getSize()) || ! temporary.overwriteTargetFileWithTemporary())
        {
            std::cerr << "kest_resources: cannot write " << target.getFullPathName() << "\n";
            return false;
        }
        return true;
    }

    juce::String argument (const juce::StringArray& args, const juce::String& option)
    {
        const int index = args.indexOf (option);
        return index >= 0 && index + 1 < args.size() ? args[index + 1] : juce::String();
    }

    int usage()
    {
        std::cerr << "usage: kest_resources --out DIR --font REGULAR.ttf --bold-font BOLD.ttf\n";
        return 2;
    }
}

int main (int argc, char** argv)
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    const auto outArgument = argument (args, "--out");
    const auto fontArgument = argument (args, "--font");
    const auto boldArgument = argument (args, "--bold-font");
    if (outArgument.isEmpty() || fontArgument.isEmpty() || boldArgument.isEmpty())
        return usage();

    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (outArgument);
    if (! folder.createDirectory())
    {
        std::cerr << "kest_resources: cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }

    const auto fontFile = juce::File::getCurrentWorkingDirectory().getChildFile (fontArgument);
    const auto boldFile = juce::File::getCurrentWorkingDirectory().getChildFile (boldArgument);
    if (! ResourceStyle::loadFaces (fontFile, boldFile))
    {
        std::cerr << "kest_resources: cannot read the fonts " << fontFile.getFullPathName()
                  << " and " << boldFile.getFullPathName() << "\n";
        return 1;
    }

    bool ok = true;
    juce::PNGImageFormat png;
    for (auto& entry : imageCatalogue())
    {
        juce::MemoryOutputStream out;
        if (! png.writeImageToStream (entry.draw(), out))
        {
            std::cerr << "kest_resources: cannot encode " << entry.name << "\n";
            ok = false;
            continue;
        }
        ok = writeResource (folder, entry.name, "IMAGE", out.getMemoryBlock()) && ok;
    }

    const auto typeface = makeTypefaceStream (*ResourceStyle::faces().regular, "DejaVu Sans");
    if (typeface.isEmpty())
    {
        std::cerr << "kest_resources: the typeface has no glyphs\n";
        ok = false;
    }
    else
    {
        ok = writeResource (folder, EditorNames::typefaceResource, "BINARY", typeface) && ok;
    }

    auto layouts = optionsDialogLayouts();
    layouts.insert (layouts.begin(), mainPanelLayout());
    for (auto& layout : layouts)
        ok = writeResource (folder, layout.name, "COMPONENT", layout.data) && ok;

    ResourceStyle::faces() = {};
    return ok ? 0 : 1;
}
