// kest_snapshot: paints the whole editor of a fresh instrument headless into
// PNG files, at 1x and at 2x scale.
//
//     build/tools/kest_snapshot OUT.png [--resources DIR]
//
// Writes OUT.png and OUT@2x.png.  DIR defaults to the built bundle's
// Contents/Resources.

#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"
#include "platform/BundleResources.h"

#include <iostream>

namespace
{
    bool writePng (const juce::Image& image, const juce::File& file)
    {
        // Written beside the target and renamed over it: a failure leaves
        // an earlier snapshot as it was.
        juce::TemporaryFile temporary (file);
        {
            juce::FileOutputStream out (temporary.getFile());
            if (! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (image, out))
                return false;
        }
        return temporary.overwriteTargetFileWithTemporary();
    }

    // Lets the posted commands and the first timer ticks run.
    void runMessages (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }
}

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    juce::String resources;
    if (const int index = args.indexOf ("--resources"); index >= 0 && index + 1 < args.size())
    {
        resources = args[index + 1];
        args.removeRange (index, 2);
    }

    if (args.size() != 1 || args[0].startsWith ("-"))
    {
        std::cerr << "usage: kest_snapshot OUT.png [--resources DIR]\n";
        return 2;
    }

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto folder = resources.isNotEmpty() ? cwd.getChildFile (resources) : juce::File (KEST_BUNDLE_RESOURCES_DIR);
    if (! folder.isDirectory())
    {
        std::cerr << "kest_snapshot: no resource folder " << folder.getFullPathName() << "\n";
        return 1;
    }
    Korvalden::Platform::setResourceFolderForTesting (folder);

    const auto out = cwd.getChildFile (args[0]);
    const auto out2x = out.getSiblingFile (out.getFileNameWithoutExtension() + "@2x" + out.getFileExtension());

    bool ok = true;
    {
        AudioEngine engine;
        std::unique_ptr<juce::AudioProcessorEditor> editor (engine.createEditorIfNeeded());
        if (editor == nullptr)
        {
            std::cerr << "kest_snapshot: the engine made no editor\n";
            return 1;
        }
        runMessages (200);

        for (auto [scale, file] : { std::pair { 1.0f, out }, std::pair { 2.0f, out2x } })
        {
            const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, scale);
            const bool written = writePng (image, file);
            std::cout << (written ? "wrote " : "FAILED ") << file.getFullPathName() << "\n";
            ok = ok && written;
        }

    }
    return ok ? 0 : 1;
}
