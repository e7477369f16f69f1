#include "engine/BandlimitedWavetableSet.h"

#include "platform/Fft.h"

#include <cmath>
#include <complex>
#include <memory>
#include <mutex>

namespace
{
std::mutex setLock;
std::unique_ptr<BandlimitedWavetableSet> theSet;
uint32_t referenceCount = 0;

int log2Of (uint32_t powerOfTwo) noexcept
{
    int bits = 0;
    while ((1u << (bits + 1)) <= powerOfTwo)
        ++bits;
    return bits;
}

/** Fills a table of the given length with the real parts of samples. */
void fillTable (BandlimitedWavetable& table, uint32_t length, const std::complex<double>* samples)
{
    table.length = length;
    table.mask = length - 1;
    table.data.resize (length);
    for (uint32_t i = 0; i < length; ++i)
        table.data[i] = (float) samples[i].real();
}
} // namespace

BandlimitedWavetableSet::BandlimitedWavetableSet()
{
    using Complex = std::complex<double>;
    const double pi = 3.14159265358979323846;
    const int n = (int) maxLength;
    Korvalden::Platform::Fft fft (n);

    // Base waveform from its sine series: X[h] = i / h, X[n - h] = -i / h,
    // scaled by (2 / pi) / 2 so that the inverse transform gives
    // -(2 / pi) sum sin(2 pi h m / n) / h.
    std::vector<Complex> work ((size_t) n);
    for (int h = 1; h < n / 2; ++h)
    {
        const double amplitude = 1.0 / (pi * h);
        work[(size_t) h] = Complex (0.0, amplitude);
        work[(size_t) (n - h)] = Complex (0.0, -amplitude);
    }
    fft.inverse (work.data());

    auto& base = tables[(size_t) log2Of (maxLength) - 2];
    fillTable (base, maxLength, work.data());

    // The spectrum C_k of the stored base waveform.
    std::vector<Complex> spectrum ((size_t) n);
    for (int i = 0; i < n; ++i)
        spectrum[(size_t) i] = Complex (base.data[(size_t) i], 0.0);
    fft.forward (spectrum.data());
    for (auto& c : spectrum)
        c /= (double) n;

    for (uint32_t length = maxLength / 2; length >= minLength; length /= 2)
    {
        const int l = (int) length;
        std::vector<Complex> bins ((size_t) l);
        bins[0] = Complex (spectrum[0].real(), 0.0);
        bins[(size_t) l / 2] = Complex (spectrum[(size_t) l / 2].real(), 0.0);
        for (int k = 1; k < l / 2; ++k)
        {
            bins[(size_t) k] = spectrum[(size_t) k];
            bins[(size_t) (l - k)] = std::conj (spectrum[(size_t) k]);
        }
        Korvalden::Platform::Fft (l).inverse (bins.data());

        fillTable (tables[(size_t) log2Of (length) - 2], length, bins.data());
    }
}

const BandlimitedWavetableSet* BandlimitedWavetableSet::acquire()
{
    std::lock_guard<std::mutex> guard (setLock);
    if (referenceCount == 0)
        theSet.reset (new BandlimitedWavetableSet());
    ++referenceCount;
    return theSet.get();
}

void BandlimitedWavetableSet::release()
{
    std::lock_guard<std::mutex> guard (setLock);
    if (referenceCount == 0)
        return;
    if (--referenceCount == 0)
        theSet.reset();
}

uint32_t BandlimitedWavetableSet::getReferenceCount()
{
    std::lock_guard<std::mutex> guard (setLock);
    return referenceCount;
}

uint32_t BandlimitedWavetableSet::chooseLength (float increment) noexcept
{
    uint32_t length = 1;
    while (length < maxLength && ! ((float) length * increment > 0.5f))
        length <<= 1;
    return length < minLength ? minLength : length;
}

const BandlimitedWavetable& BandlimitedWavetableSet::find (uint32_t length) const noexcept
{
    int index = log2Of (length) - 2;
    index = index < 0 ? 0 : (index >= numTables ? numTables - 1 : index);
    return tables[(size_t) index];
}
