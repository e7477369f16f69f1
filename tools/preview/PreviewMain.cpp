// kest_preview: renders the bundle's resources to PNG files for a person to
// look at: a contact sheet of the images, each layout with its records' boxes
// and names, and the real editor and options dialog in the states a user
// meets them in.  Every window in the pictures is the product's own
// component; each render runs a fresh instrument over an empty data folder.
//
//     build/tools/kest_preview OUTDIR [--resources DIR] [--scale 2] [--only NAME]
//
// DIR defaults to the built bundle's Contents/Resources.

#include "PreviewRegistry.h"

#include "editor/EditorComponentNames.h"
#include "gui/ResourceManager.h"
#include "platform/BundleResources.h"

#include <iostream>

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    auto option = [&args] (const juce::String& name) {
        const int index = args.indexOf (name);
        if (index < 0 || index + 1 >= args.size())
            return juce::String();
        auto value = args[index + 1];
        args.removeRange (index, 2);
        return value;
    };

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto resources = option ("--resources");
    const auto scale = option ("--scale");
    const auto only = option ("--only");

    if (args.size() != 1 || args[0].startsWith ("-"))
    {
        std::cerr << "usage: kest_preview OUTDIR [--resources DIR] [--scale 2] [--only NAME]\nrenders:\n";
        for (auto& render : previewRenders())
            std::cerr << "  " << render.name << "  " << render.description << "\n";
        return 2;
    }

    PreviewContext context;
    context.resourceFolder = resources.isNotEmpty() ? cwd.getChildFile (resources) : juce::File (KEST_BUNDLE_RESOURCES_DIR);
    context.outputFolder = cwd.getChildFile (args[0]);
    context.scale = scale.isNotEmpty() ? juce::jlimit (1.0f, 4.0f, scale.getFloatValue()) : 1.0f;

    if (! context.resourceFolder.isDirectory())
    {
        std::cerr << "kest_preview: no resource folder " << context.resourceFolder.getFullPathName() << "\n";
        return 1;
    }
    if (! context.outputFolder.createDirectory())
    {
        std::cerr << "kest_preview: cannot create " << context.outputFolder.getFullPathName() << "\n";
        return 1;
    }

    Korvalden::Platform::setResourceFolderForTesting (context.resourceFolder);
    Korvalden::Resources::ResourceManager::acquire();
    if (auto stream = Korvalden::Resources::ResourceManager::getBinary (EditorNames::typefaceResource))
        context.typeface = new juce::CustomTypeface (*stream);

    bool ok = true, anyRendered = false;
    for (auto& render : previewRenders())
    {
        if (only.isNotEmpty() && render.name != only)
            continue;
        anyRendered = true;
        const bool rendered = render.render (context);
        std::cout << (rendered ? "wrote " : "FAILED ") << render.name << "\n";
        ok = ok && rendered;
    }

    if (! anyRendered)
    {
        std::cerr << "kest_preview: no render named " << only << "\n";
        ok = false;
    }

    context.typeface = nullptr;
    Korvalden::Resources::ResourceManager::release();
    return ok ? 0 : 1;
}
