#include "GoldenFingerprint.h"

#include "platform/Fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <sstream>

// The tolerance.  A level or band agrees when its amplitudes differ by at
// most 0.05 dB (0.58 %), or by at most 1e-5 of full scale (-100 dBFS) where
// the sound is that quiet.  Arithmetic that differs only in its last bits
// (reordered sums, vector lanes, exp2 or tan approximations accurate to a few
// parts per million) moves these values by under 0.001 dB; a law changed by
// one percent (a cutoff, an envelope time, a modulation depth, a gain) moves
// some value by a tenth of a dB or more.
namespace
{
constexpr double relativeTolerance = 0.0057735; // 10^(0.05 / 20) - 1
constexpr double absoluteTolerance = 1e-5;
constexpr double floorDecibels = -160.0;
constexpr int levelsPerLine = 20;

double toDecibels (double power) { return std::max (floorDecibels, 10.0 * std::log10 (power + 1e-30)); }
double toAmplitude (double decibels) { return decibels <= floorDecibels ? 0.0 : std::pow (10.0, decibels / 20.0); }

/** Sixth-octave bands from 40 Hz to 16 kHz at the given rate, at least one bin wide. */
std::vector<int> bandStartsFor (double rate)
{
    const double binHz = rate / GoldenFingerprint::spectrumFrame;
    std::vector<int> starts;
    int bin = std::max (1, (int) std::ceil (40.0 / binHz));
    const int last = (int) std::floor (16000.0 / binHz);
    while (bin < last)
    {
        starts.push_back (bin);
        bin = std::max (bin + 1, (int) std::lround (bin * std::pow (2.0, 1.0 / 6.0)));
    }
    starts.push_back (std::min (bin, last));
    return starts;
}

uint32_t checksum (const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

std::string withChecksum (const std::string& text)
{
    char tail[16];
    std::snprintf (tail, sizeof (tail), " #%08x", (unsigned) checksum (text));
    return text + tail + "\n";
}

std::string decibelText (float value)
{
    char text[16];
    std::snprintf (text, sizeof (text), "%.2f", (double) value);
    return text;
}

bool agree (double referenceDb, double actualDb)
{
    const double a = toAmplitude (referenceDb), b = toAmplitude (actualDb);
    return std::fabs (a - b) <= relativeTolerance * std::max (a, b) + absoluteTolerance;
}
} // namespace

GoldenFingerprint GoldenFingerprint::of (const std::string& name, const std::vector<float>& samples, double rate)
{
    GoldenFingerprint print;
    print.name = name;
    print.rate = rate;
    print.numSamples = (int) samples.size();
    print.bandStarts = bandStartsFor (rate);

    for (size_t start = 0; start + levelFrame <= samples.size(); start += levelFrame)
    {
        double sum = 0.0;
        for (size_t i = start; i < start + levelFrame; ++i)
            sum += (double) samples[i] * samples[i];
        print.levels.push_back ((float) toDecibels (sum / levelFrame));
    }

    const Korvalden::Platform::Fft fft (spectrumFrame);
    std::vector<double> window (spectrumFrame);
    double windowPower = 0.0;
    for (int n = 0; n < spectrumFrame; ++n)
    {
        window[(size_t) n] = 0.5 - 0.5 * std::cos (2.0 * M_PI * n / spectrumFrame);
        windowPower += window[(size_t) n] * window[(size_t) n];
    }
    // Normalised so that a band's value is the mean square its partials add.
    const double scale = 2.0 / (spectrumFrame * windowPower);

    std::vector<std::complex<double>> bins (spectrumFrame);
    for (size_t start = 0; start + spectrumFrame <= samples.size(); start += spectrumFrame)
    {
        for (int n = 0; n < spectrumFrame; ++n)
            bins[(size_t) n] = samples[start + (size_t) n] * window[(size_t) n];
        fft.forward (bins.data());

        std::vector<float> bands;
        for (size_t b = 0; b + 1 < print.bandStarts.size(); ++b)
        {
            double power = 0.0;
            for (int k = print.bandStarts[b]; k < print.bandStarts[b + 1]; ++k)
                power += std::norm (bins[(size_t) k]);
            bands.push_back ((float) toDecibels (power * scale));
        }
        print.spectra.push_back (std::move (bands));
    }
    return print;
}

std::string GoldenFingerprint::toText (const std::vector<std::string>& description) const
{
    std::string text;
    for (auto& line : description)
        text += "# " + line + "\n";
    text += "# Rewritten by the golden render test when KEST_REGENERATE_GOLDEN=1; review the diff before committing.\n";
    text += "# level: RMS in dB per 10 ms frame.  spectrum: power in dB per sixth-octave band per 4096 samples.\n";
    text += "# Each line ends in a checksum of its text; an edited line is refused.\n";

    std::ostringstream header;
    header << "render " << name << " " << (long) rate << " " << numSamples;
    text += withChecksum (header.str());

    std::string bands = "bands";
    for (int start : bandStarts)
        bands += " " + std::to_string (start);
    text += withChecksum (bands);

    for (size_t first = 0; first < levels.size(); first += levelsPerLine)
    {
        std::string line = "level " + std::to_string (first);
        for (size_t i = first; i < std::min (levels.size(), first + levelsPerLine); ++i)
            line += " " + decibelText (levels[i]);
        text += withChecksum (line);
    }

    for (size_t frame = 0; frame < spectra.size(); ++frame)
    {
        std::string line = "spectrum " + std::to_string (frame);
        for (float value : spectra[frame])
            line += " " + decibelText (value);
        text += withChecksum (line);
    }
    return text;
}

bool GoldenFingerprint::fromText (const std::string& text, GoldenFingerprint& result, std::string& error)
{
    result = {};
    std::istringstream lines (text);
    std::string line;
    int lineNumber = 0;
    bool haveHeader = false;

    while (std::getline (lines, line))
    {
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;

        const auto mark = line.rfind (" #");
        if (mark == std::string::npos || line.size() != mark + 10
            || std::strtoul (line.c_str() + mark + 2, nullptr, 16) != checksum (line.substr (0, mark)))
        {
            error = "line " + std::to_string (lineNumber) + " fails its checksum (edited by hand?)";
            return false;
        }

        std::istringstream fields (line.substr (0, mark));
        std::string kind;
        fields >> kind;

        if (kind == "render")
        {
            long rate = 0;
            fields >> result.name >> rate >> result.numSamples;
            result.rate = (double) rate;
            haveHeader = ! fields.fail();
        }
        else if (kind == "bands")
        {
            for (int start; fields >> start;)
                result.bandStarts.push_back (start);
        }
        else if (kind == "level" || kind == "spectrum")
        {
            size_t index = 0;
            fields >> index;
            std::vector<float> values;
            for (float value; fields >> value;)
                values.push_back (value);

            if (kind == "level")
            {
                if (index != result.levels.size())
                {
                    error = "line " + std::to_string (lineNumber) + ": levels out of order";
                    return false;
                }
                result.levels.insert (result.levels.end(), values.begin(), values.end());
            }
            else
            {
                if (index != result.spectra.size() || values.size() + 1 != result.bandStarts.size())
                {
                    error = "line " + std::to_string (lineNumber) + ": spectrum frame out of order or of the wrong size";
                    return false;
                }
                result.spectra.push_back (values);
            }
        }
        else
        {
            error = "line " + std::to_string (lineNumber) + ": unknown entry \"" + kind + "\"";
            return false;
        }
    }

    if (! haveHeader)
    {
        error = "no render line";
        return false;
    }
    return true;
}

std::vector<std::string> GoldenFingerprint::compare (const GoldenFingerprint& reference, const GoldenFingerprint& actual)
{
    if (reference.rate != actual.rate || reference.numSamples != actual.numSamples || reference.bandStarts != actual.bandStarts
        || reference.levels.size() != actual.levels.size() || reference.spectra.size() != actual.spectra.size())
        return { "the render's length, rate or bands differ from the reference" };

    struct Difference
    {
        double decibels;
        std::string text;
    };
    std::vector<Difference> differences;

    auto check = [&] (double expected, double found, const std::string& where) {
        if (! agree (expected, found))
            differences.push_back ({ std::fabs (found - expected),
                                     where + ": " + decibelText ((float) found) + " dB instead of " + decibelText ((float) expected) + " dB" });
    };

    for (size_t i = 0; i < reference.levels.size(); ++i)
        check (reference.levels[i], actual.levels[i], "level at " + std::to_string (i * 10) + " ms");

    for (size_t frame = 0; frame < reference.spectra.size(); ++frame)
        for (size_t band = 0; band < reference.spectra[frame].size(); ++band)
        {
            const double hz = reference.bandStarts[band] * reference.rate / spectrumFrame;
            check (reference.spectra[frame][band], actual.spectra[frame][band],
                   "spectrum frame " + std::to_string (frame) + ", band from " + std::to_string ((int) hz) + " Hz");
        }

    std::stable_sort (differences.begin(), differences.end(), [] (auto& a, auto& b) { return a.decibels > b.decibels; });
    std::vector<std::string> result;
    for (size_t i = 0; i < std::min<size_t> (5, differences.size()); ++i)
        result.push_back (differences[i].text);
    if (differences.size() > 5)
        result.push_back ("and " + std::to_string (differences.size() - 5) + " more");
    return result;
}
