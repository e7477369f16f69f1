#pragma once

#include <string>
#include <vector>

/** What a golden reference keeps of a render: its loudness every 10 ms and
    its spectrum (power in sixth-octave bands) every 4096 samples, both in
    dB.  Magnitudes only, so the fingerprint follows what is heard and not
    the exact phase of every partial: a faster voice whose arithmetic differs
    in the last bits leaves it alone, a change of any sound law moves it.

    The text form is one line per 20 levels or per spectrum frame, each line
    ending in a checksum of its text, so a reference edited by hand (or
    mangled by a merge) is refused instead of compared. */
struct GoldenFingerprint
{
    static constexpr int levelFrame = 480;     // 10 ms at 48 kHz
    static constexpr int spectrumFrame = 4096;

    std::string name;
    double rate = 0.0;
    int numSamples = 0;
    std::vector<int> bandStarts;               // first FFT bin of each band; the last entry ends the last band
    std::vector<float> levels;                 // dB RMS per level frame
    std::vector<std::vector<float>> spectra;   // dB per band per spectrum frame

    /** The fingerprint of one channel of a render. */
    static GoldenFingerprint of (const std::string& name, const std::vector<float>& samples, double rate);

    /** The reference file text; description lines become comments. */
    std::string toText (const std::vector<std::string>& description) const;

    /** Reads a reference file; on failure returns false with the reason. */
    static bool fromText (const std::string& text, GoldenFingerprint& result, std::string& error);

    /** The differences beyond the tolerance, worst first (at most a few
        named, with the count of the others).  Empty when they agree. */
    static std::vector<std::string> compare (const GoldenFingerprint& reference, const GoldenFingerprint& actual);
};
