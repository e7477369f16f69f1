#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace KestHost
{
/** `kest-host render`: what to play and where the sound goes. */
struct RenderOptions
{
    std::string bundle;
    std::string midiFile;                  // empty: the built-in demo
    std::string outFile = "kest-demo.wav";
    double sampleRate = 48000.0;
    int blockSize = 512;
    int channels = 2;
    std::string loadState;
    std::string saveState;

    /** Reads the arguments after the command name over the defaults;
        false with a one-line reason for an unknown or malformed one. */
    bool parse (const std::vector<std::string>& arguments, std::string& error);
};

/** Loads the bundle, creates and prepares an instance, restores the state
    file, plays the MIDI (or the demo) into a WAV file on an audio thread,
    printing progress and the realtime factor, and writes the state file.
    A failure prints one line to errors and answers 1; success answers 0.
    Main thread. */
int renderToFile (const RenderOptions& options, std::ostream& out, std::ostream& errors);
} // namespace KestHost
