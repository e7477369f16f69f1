#include "host/RenderCommand.h"

#include "host/PluginBundle.h"


namespace KestHost
{
std::vector<CommandOption> RenderOptions::table()
{
    return {
        { "--bundle", "PATH", "the plug-in bundle or its library (the bundle beside the program)",
          "give the path of the plug-in bundle or its library", CommandLine::pathInto (bundle) },
        { "--midi", "FILE", "a standard MIDI file to play (the built-in demo)", "give the path of a standard MIDI file", CommandLine::pathInto (midiFile) },
        { "--out", "FILE", "the WAV file to write (kest-demo.wav)", "give the path of the WAV file to write", CommandLine::pathInto (outFile) },
        { "--rate", "HZ", "sample rate (48000)", "give a whole number of hertz from 8000 to 384000",
          CommandLine::wholeNumberInto (sampleRate, 8000, 384000) },
        { "--block", "N", "samples per processing block (512)", "give a whole number of samples from 1 to 8192",
          CommandLine::wholeNumberInto (blockSize, 1, 8192) },
        { "--channels", "1|2", "mono or stereo (2)", "give 1 (mono) or 2 (stereo)", CommandLine::oneOf (channels, { 1, 2 }) },
        { "--bits", "16|24|32", "bits per sample; 32 is floating point and never clips (24)",
          "give 16 or 24 (integer samples) or 32 (floating point)", CommandLine::oneOf (bitsPerSample, { 16, 24, 32 }) },
        { "--max-seconds", "S", "refuse a render longer than this (3600)", "give a number of seconds above 0, at most 86400",
          [this] (const std::string& value) { return CommandLine::number (value, 0.001, 86400.0, maxSeconds); } },
        { "--load-state", "FILE", "restore a sound saved before", "give the path of a state file", CommandLine::pathInto (loadState) },
        { "--save-state", "FILE", "keep the sound after rendering", "give the path of the state file to write", CommandLine::pathInto (saveState) },
        { "--preset", "NAME|FILE", "play a preset: a .prs file, or a preset's name with its folders when two share it",
          "give a preset's name or the path of a .prs file", [this] (const std::string& value) { preset = value; return ! value.empty(); } },
    };
}

bool RenderOptions::parse (const std::vector<std::string>& arguments, std::string& error)
{
    const auto parsed = CommandLine::parse (table(), arguments);
    helpAsked = parsed.helpAsked;
    error = parsed.error;
    return error.empty();
}

std::string RenderOptions::usage()
{
    return "kest-host render: plays MIDI (or the built-in demo) through the plug-in into a WAV file.\n"
           + CommandLine::usage ("render", table());
}

std::string RenderOptions::checkFiles() const
{
    const std::string binary = PluginBundle::binaryPathFor (bundle);
    return CommandLine::checkFiles ({ { "--midi", midiFile, "the MIDI file this run reads" },
                                      { "--load-state", loadState, "the state file this run reads" },
                                      { "--bundle", binary, "the plug-in this run loads", true } },
                                    { { "--out", outFile, "the WAV file this run writes" },
                                      { "--save-state", saveState, "the state file this run writes" } });
}
} // namespace KestHost
