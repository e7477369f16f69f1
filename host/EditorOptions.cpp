#include "host/EditorCommand.h"

#include "host/PluginBundle.h"

namespace KestHost
{
std::vector<CommandOption> EditorOptions::table()
{
    return {
        { "--bundle", "PATH", "the plug-in bundle or its library (the bundle beside the program)",
          "give the path of the plug-in bundle or its library", CommandLine::pathInto (bundle) },
        { "--midi", "FILE", "a standard MIDI file to play over and over while the window is open",
          "give the path of a standard MIDI file", CommandLine::pathInto (midiFile) },
        { "--load-state", "FILE", "restore a sound saved before, on opening", "give the path of a state file", CommandLine::pathInto (loadState) },
        { "--save-state", "FILE", "keep the sound when the window closes", "give the path of the state file to write",
          CommandLine::pathInto (saveState) },
        { "--snapshot", "FILE.png", "render the window into a PNG file and stop (a note is held unless --midi plays)",
          "give the path of the PNG file to write", CommandLine::pathInto (snapshot) },
        { "--after", "SECONDS", "how long the window plays before the snapshot (1)", "give a number of seconds from 0 to 3600",
          [this] (const std::string& value) { return delayGiven = CommandLine::number (value, 0.0, 3600.0, snapshotDelay); } },
    };
}

bool EditorOptions::parse (const std::vector<std::string>& arguments, std::string& error)
{
    const auto parsed = CommandLine::parse (table(), arguments);
    helpAsked = parsed.helpAsked;
    error = parsed.error;
    if (error.empty() && delayGiven && snapshot.empty())
        error = "--after needs --snapshot: it is how long the window plays before the snapshot";
    return error.empty();
}

std::string EditorOptions::usage()
{
    return "kest-host editor: opens the plug-in's editor in a window and plays it live (audio to the default output;\n"
           "MIDI from every MIDI input, the on-screen keyboard and --midi, looped).\n"
           + CommandLine::usage ("editor", table());
}

std::string EditorOptions::checkFiles() const
{
    return CommandLine::checkFiles ({ { "--midi", midiFile, "the MIDI file this run reads" },
                                      { "--load-state", loadState, "the state file this run reads" },
                                      { "--bundle", PluginBundle::binaryPathFor (bundle), "the plug-in this run loads", true } },
                                    { { "--snapshot", snapshot, "the picture this run writes" },
                                      { "--save-state", saveState, "the state file this run writes" } });
}
} // namespace KestHost
