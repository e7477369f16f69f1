// kest-host: plays the host's part for a plug-in bundle built from this
// repository.  Usage: kest-host COMMAND [ARGUMENTS]; each command is one entry
// in the table below, and each command's options are a table of their own.

#include "host/DescribeCommand.h"
#include "host/EditorCommand.h"
#include "host/PresetCommands.h"
#include "host/RenderCommand.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <iostream>
#include <string>
#include <unistd.h>
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

const char* const describeUsage = "kest-host describe: registers the plug-in the way a host does and prints its description.\n"
                                  "usage: kest-host describe [BUNDLE]\n"
                                  "  BUNDLE   the plug-in bundle or its library (the bundle beside the program)\n"
                                  "  --help   print this and stop\n";

const char* const presetsUsage = "kest-host presets: lists the favourites and the preset folders as the plug-in's browser shows them.\n"
                                 "usage: kest-host presets [BUNDLE]\n"
                                 "  BUNDLE   the plug-in bundle whose factory presets are listed (the bundle beside the program)\n"
                                 "  --help   print this and stop\n";

/** Reads the arguments of a command that takes at most one bundle and no
    options: "--help" or "-h" prints the usage, anything else that starts
    with "-" is refused.  -1 when the command runs with bundle (the default
    when none was given), else the exit status. */
int readBundleArgument (const std::string& command, const char* usage, const std::vector<std::string>& arguments, std::string& bundle)
{
    std::vector<std::string> bundles;
    for (auto& argument : arguments)
    {
        if (argument == "--help" || argument == "-h")
        {
            std::cout << usage;
            return 0;
        }
        if (argument.rfind ("-", 0) == 0)
        {
            std::cerr << "kest-host " << command << ": unknown option \"" << argument << "\"; \"kest-host " << command
                      << " --help\" tells the usage\n";
            return 2;
        }
        bundles.push_back (argument);
    }
    if (bundles.size() > 1)
    {
        std::cerr << "kest-host " << command << ": give one bundle, not " << bundles.size() << "\n" << usage;
        return 2;
    }
    if (! bundles.empty() && bundles.front().empty())
    {
        std::cerr << "kest-host " << command << ": BUNDLE \"\" is not allowed: give the path of the plug-in bundle or its library\n";
        return 2;
    }
    bundle = bundles.empty() ? defaultBundle() : bundles.front();
    return -1;
}

int describe (const std::vector<std::string>& arguments)
{
    std::string bundle;
    const int status = readBundleArgument ("describe", describeUsage, arguments, bundle);
    return status >= 0 ? status : KestHost::describeBundle (bundle, std::cout, std::cerr);
}

int presets (const std::vector<std::string>& arguments)
{
    std::string bundle;
    const int status = readBundleArgument ("presets", presetsUsage, arguments, bundle);
    return status >= 0 ? status : KestHost::listPresets (bundle, std::cout, std::cerr);
}

int render (const std::vector<std::string>& arguments)
{
    KestHost::RenderOptions options;
    options.bundle = defaultBundle();
    options.progressInPlace = ::isatty (STDOUT_FILENO) != 0;
    std::string error;
    const bool parsed = options.parse (arguments, error);
    if (options.helpAsked && parsed)
    {
        std::cout << options.usage();
        return 0;
    }
    KestHost::RenderPreset preset (options.preset);
    const int status = parsed ? preset.applyTo (options, std::cout, std::cerr, error) : 2;
    if (status != 0)
    {
        std::cerr << "kest-host render: " << error << "\n";
        if (status == 2)
            std::cerr << "\"kest-host render --help\" lists the options\n";
        return status;
    }
    return KestHost::renderToFile (options, std::cout, std::cerr);
}

int editor (const std::vector<std::string>& arguments)
{
    KestHost::EditorOptions options;
    options.bundle = defaultBundle();
    std::string error;
    const bool parsed = options.parse (arguments, error);
    if (options.helpAsked && parsed)
    {
        std::cout << options.usage();
        return 0;
    }
    if (! parsed)
    {
        std::cerr << "kest-host editor: " << error << "\n"
                  << "\"kest-host editor --help\" lists the options\n";
        return 2;
    }
    return KestHost::runEditor (options, std::cout, std::cerr);
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
        { "editor", "editor [OPTIONS]    open the plug-in's editor in a window and play it live", editor },
        { "presets", "presets [BUNDLE]    list the favourites and the preset folders", presets },
    };
    return table;
}

void usage (std::ostream& out)
{
    out << "usage: kest-host COMMAND [ARGUMENTS]\n";
    for (auto& command : commands())
        out << "  " << command.usage << "\n";
    out << "  help [COMMAND]      print this, or a command's own usage\n"
        << "\"kest-host COMMAND --help\" prints a command's options.\n";
}
} // namespace

int main (int argc, char** argv)
{
    const std::vector<std::string> arguments (argv + std::min (argc, 2), argv + argc);
    const std::string name = argc >= 2 ? argv[1] : "";

    if (name == "--help" || name == "-h" || name == "help")
    {
        if (name == "help" && ! arguments.empty())
            for (auto& command : commands())
                if (arguments.front() == command.name)
                    return command.run ({ "--help" });
        if (! arguments.empty() && name == "help")
        {
            std::cerr << "kest-host: unknown command \"" << arguments.front() << "\"\n";
            usage (std::cerr);
            return 2;
        }
        usage (std::cout);
        return 0;
    }

    for (auto& command : commands())
        if (name == command.name)
            return command.run (arguments);

    if (argc >= 2)
        std::cerr << "kest-host: unknown command \"" << name << "\"\n";
    usage (std::cerr);
    return 2;
}
