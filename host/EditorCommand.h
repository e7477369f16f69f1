#pragma once

#include "host/CommandLine.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace KestHost
{
/** `kest-host editor`: what to open and play.  Main thread. */
struct EditorOptions
{
    static constexpr double defaultSnapshotDelay = 1.0;

    std::string bundle;
    std::string midiFile;   // played over and over; empty: none
    std::string loadState;
    std::string saveState;
    std::string snapshot;   // a PNG file: render the window into it and stop
    double snapshotDelay = defaultSnapshotDelay;
    bool delayGiven = false;

    bool helpAsked = false;

    /** The options as a table, each row writing into this object (which must
        outlive the table). */
    std::vector<CommandOption> table();

    /** Reads the arguments after the command name over the defaults; false
        with a one-line reason. */
    bool parse (const std::vector<std::string>& arguments, std::string& error);

    /** What is wrong with the files named (as the render command checks
        them), or empty. */
    std::string checkFiles() const;

    std::string usage();
};

/** Loads the bundle, creates an instance at the audio device's rate (or
    48 kHz on a timer without a device, said once), restores the state file,
    opens the plug-in's view in a window of the host and plays it live: MIDI
    from every MIDI input, the view's own keyboard and the MIDI file, looped.
    Closing the window (or SIGINT, SIGTERM) stops it; the state file is then
    written.  With a snapshot file the window is rendered into it after the
    delay instead (a note is held meanwhile unless a MIDI file plays).  A
    refused file answers 2, any other failure 1, success 0.  Main thread. */
int runEditor (const EditorOptions& options, std::ostream& out, std::ostream& errors);
} // namespace KestHost
