// kest-host: plays the host's part for a plug-in bundle built from this
// repository.  Usage: kest-host COMMAND [ARGUMENTS]; each command is one entry
// in the table below.

#include "host/DescribeCommand.h"
#include "host/PresetCommands.h"
#include "host/RenderCommand.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace
{
/** The bundle built beside this program. */
std::string defaultBundle()
{
    return juce::File::getSpecialLocation (juce::File::currentExecutableFile)
        .getSiblingFile ("Kest.aaxplugin")
        .getFullPathName()
        .toStdString();
}

int describe (const std::vector<std::string>& arguments)
{
    if (arguments.size() > 1)
    {
        std::cerr << "usage: kest-host describe [BUNDLE]\n";
        return 2;
    }
    return KestHost::describeBundle (arguments.empty() ? defaultBundle() : arguments.front(), std::cout, std::cerr);
}

int render (const std::vector<std::string>& arguments)
{
    KestHost::RenderOptions options;
    options.bundle = defaultBundle();
    std::string error;
    KestHost::RenderPreset preset;
    auto remaining = arguments;
    if (! preset.takeFrom (remaining, error) || ! options.parse (remaining, error) || ! preset.applyTo (options, std::cout, error))
    {
        std::cerr << "kest-host render: " << error << "\n"
                  << "usage: kest-host render [--bundle PATH] [--midi FILE] [--out FILE] [--rate HZ] [--block N]\n"
                  << "                        [--channels 1|2] [--load-state FILE] [--save-state FILE]\n"
                  << "                        [--preset NAME|FILE]\n";
        return 2;
    }
    return KestHost::renderToFile (options, std::cout, std::cerr);
}

struct Command
{
    const char* name;
    const char* usage;
    std::function<int (const std::vector<std::string>&)> run;
};

const std::vector<Command>& commands()
{
    static const std::vector<Command> table {
        { "describe", "describe [BUNDLE]   register the plug-in and print its description", describe },
        { "render", "render [OPTIONS]    play MIDI (or the demo) through the plug-in into a WAV file", render },
        { "presets", "presets [BUNDLE]    list the favourites and the preset folders",
          [] (const std::vector<std::string>& arguments) { return KestHost::listPresets (arguments, defaultBundle(), std::cout, std::cerr); } },
    };
    return table;
}

int usage()
{
    std::cerr << "usage: kest-host COMMAND [ARGUMENTS]\n";
    for (auto& command : commands())
        std::cerr << "  " << command.usage << "\n";
    return 2;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
        return usage();

    const std::string name = argv[1];
    const std::vector<std::string> arguments (argv + 2, argv + argc);
    for (auto& command : commands())
        if (name == command.name)
            return command.run (arguments);
    return usage();
}
