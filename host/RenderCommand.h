#pragma once

#include "host/CommandLine.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace KestHost
{
/** `kest-host render`: what to play and where the sound goes.  Main thread. */
struct RenderOptions
{
    std::string bundle;
    std::string midiFile;                  // empty: the built-in demo
    std::string outFile = "kest-demo.wav";
    int sampleRate = 48000;
    int blockSize = 512;
    int channels = 2;
    int bitsPerSample = 24;                // 16 or 24: integers; 32: IEEE float
    double maxSeconds = 3600.0;
    std::string loadState;
    std::string saveState;
    std::string preset;                    // a ".prs" file, a tree path or a preset name

    // Filled from --preset once it is resolved: the state block that loads
    // the preset (restored after any state loaded), its file, and its tree
    // path when the plug-in's preset folders hold it.  The plug-in must then
    // name that path as its loaded preset, or the run fails.
    std::vector<uint8_t> presetState;
    std::string presetFile;
    std::string presetPath;

    bool helpAsked = false;
    /** Progress is one line rewritten in place (a terminal) rather than a
        line about once a second (a log). */
    bool progressInPlace = false;

    /** The options as a table, each row writing into this object (which must
        outlive the table). */
    std::vector<CommandOption> table();

    /** Reads the arguments after the command name over the defaults; false
        with a one-line reason naming the option, the value and what is
        allowed. */
    bool parse (const std::vector<std::string>& arguments, std::string& error);

    /** What is wrong with the files named, or empty: an input that is not a
        readable file, an output that exists but is not a regular file, whose
        folder is missing, or that is an input or the other output of the
        run.  Main thread. */
    std::string checkFiles() const;

    std::string usage();
};

/** Checks the files, reads the MIDI (or the demo) and the state file, loads
    the bundle, creates and prepares an instance, restores the state and the
    preset (failing when the plug-in does not take the preset), plays
    the MIDI into a WAV file on an audio thread, printing progress and the
    realtime factor (and a warning when the file clipped), and writes the
    state file.  Each file is written beside its target and renamed over it
    only when complete.  A refused file answers 2, any other failure 1, each
    with one line to errors; success answers 0.  Main thread. */
int renderToFile (const RenderOptions& options, std::ostream& out, std::ostream& errors);
} // namespace KestHost
