#pragma once

#include <complex>
#include <vector>

namespace Korvalden::Platform
{
/** A small in-place radix-2 complex FFT in double precision.

    forward computes X[k] = sum x[n] e^(-2 pi i k n / N); inverse computes the
    unnormalised x[n] = sum X[k] e^(+2 pi i k n / N).  Used where tables are
    built, never on the audio thread (the constructor allocates).
*/
class Fft
{
public:
    /** Any thread.  size must be a power of two, at least 1. */
    explicit Fft (int size);

    int getSize() const noexcept { return size; }

    /** Any thread; data holds getSize() values. */
    void forward (std::complex<double>* data) const noexcept { perform (data, false); }
    void inverse (std::complex<double>* data) const noexcept { perform (data, true); }

private:
    void perform (std::complex<double>* data, bool inverse) const noexcept;

    int size;
    std::vector<std::complex<double>> twiddles; // e^(-2 pi i k / size), k < size / 2
};
} // namespace Korvalden::Platform
