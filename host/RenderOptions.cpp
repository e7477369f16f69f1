#include "host/RenderCommand.h"

#include "host/PluginBundle.h"
#include "host/ReplacingFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace KestHost
{
namespace
{
/** What keeps path from being read as a file, or empty. */
std::string inputProblem (const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const auto status = fs::status (path, error);
    if (! fs::exists (status))
        return "there is no such file";
    if (fs::is_directory (status))
        return "it is a folder, not a file";
    if (! fs::is_regular_file (status))
        return "it is not a regular file";
    if (::access (path.c_str(), R_OK) != 0)
        return std::string ("it cannot be read: ") + std::strerror (errno);
    return {};
}

std::function<bool (const std::string&)> pathInto (std::string& target)
{
    return [&target] (const std::string& value)
    {
        target = value;
        return ! value.empty();
    };
}

std::function<bool (const std::string&)> wholeNumberInto (int& target, int lowest, int highest)
{
    return [&target, lowest, highest] (const std::string& value)
    {
        int64_t number = 0;
        if (! CommandLine::wholeNumber (value, lowest, highest, number))
            return false;
        target = (int) number;
        return true;
    };
}

std::function<bool (const std::string&)> oneOf (int& target, std::vector<int> allowed)
{
    return [&target, allowed] (const std::string& value)
    {
        for (int candidate : allowed)
            if (value == std::to_string (candidate))
            {
                target = candidate;
                return true;
            }
        return false;
    };
}
} // namespace

std::vector<CommandOption> RenderOptions::table()
{
    return {
        { "--bundle", "PATH", "the plug-in bundle or its library (the bundle beside the program)",
          "give the path of the plug-in bundle or its library", pathInto (bundle) },
        { "--midi", "FILE", "a standard MIDI file to play (the built-in demo)", "give the path of a standard MIDI file", pathInto (midiFile) },
        { "--out", "FILE", "the WAV file to write (kest-demo.wav)", "give the path of the WAV file to write", pathInto (outFile) },
        { "--rate", "HZ", "sample rate (48000)", "give a whole number of hertz from 8000 to 384000",
          wholeNumberInto (sampleRate, 8000, 384000) },
        { "--block", "N", "samples per processing block (512)", "give a whole number of samples from 1 to 8192",
          wholeNumberInto (blockSize, 1, 8192) },
        { "--channels", "1|2", "mono or stereo (2)", "give 1 (mono) or 2 (stereo)", oneOf (channels, { 1, 2 }) },
        { "--bits", "16|24|32", "bits per sample; 32 is floating point and never clips (24)",
          "give 16 or 24 (integer samples) or 32 (floating point)", oneOf (bitsPerSample, { 16, 24, 32 }) },
        { "--max-seconds", "S", "refuse a render longer than this (3600)", "give a number of seconds above 0, at most 86400",
          [this] (const std::string& value) { return CommandLine::number (value, 0.001, 86400.0, maxSeconds); } },
        { "--load-state", "FILE", "restore a sound saved before", "give the path of a state file", pathInto (loadState) },
        { "--save-state", "FILE", "keep the sound after rendering", "give the path of the state file to write", pathInto (saveState) },
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
    struct Named
    {
        const char* option;
        const std::string& path;
        const char* role;
    };
    const std::string binary = PluginBundle::binaryPathFor (bundle);
    const std::vector<Named> inputs { { "--midi", midiFile, "the MIDI file this run reads" },
                                      { "--load-state", loadState, "the state file this run reads" },
                                      { "--bundle", binary, "the plug-in this run loads" } };
    const std::vector<Named> outputs { { "--out", outFile, "the WAV file this run writes" },
                                       { "--save-state", saveState, "the state file this run writes" } };

    for (auto& input : inputs)
        if (! input.path.empty() && input.path != binary) // the bundle's loader says what is wrong with it
            if (const auto problem = inputProblem (input.path); ! problem.empty())
                return CommandLine::refusal (input.option, input.path, problem);

    for (size_t i = 0; i < outputs.size(); ++i)
    {
        const auto& output = outputs[i];
        if (output.path.empty())
            continue;
        if (const auto problem = ReplacingFile::problemWith (output.path); ! problem.empty())
            return CommandLine::refusal (output.option, output.path, problem + "; give the path of a file to write");
        for (auto& input : inputs)
            if (! input.path.empty() && ReplacingFile::sameFile (output.path, input.path))
                return CommandLine::refusal (output.option, output.path, std::string ("it is ") + input.role + " (" + input.option
                                                                             + "); give another path");
        for (size_t j = i + 1; j < outputs.size(); ++j)
            if (! outputs[j].path.empty() && ReplacingFile::sameFile (output.path, outputs[j].path))
                return CommandLine::refusal (output.option, output.path, std::string ("it is ") + outputs[j].role + " ("
                                                                             + outputs[j].option + "); give another path");
    }
    return {};
}
} // namespace KestHost
