#include "platform/Fft.h"

#include <cassert>
#include <cmath>
#include <utility>

namespace Korvalden::Platform
{
Fft::Fft (int n) : size (n)
{
    assert (n > 0 && (n & (n - 1)) == 0);
    twiddles.resize ((size_t) std::max (1, n / 2));
    const double pi = 3.14159265358979323846;
    for (int k = 0; k < n / 2; ++k)
        twiddles[(size_t) k] = std::polar (1.0, -2.0 * pi * k / n);
}

void Fft::perform (std::complex<double>* data, bool inverse) const noexcept
{
    // Bit-reversal permutation, then iterative butterflies.
    for (int i = 1, j = 0; i < size; ++i)
    {
        int bit = size >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap (data[i], data[j]);
    }

    for (int length = 2; length <= size; length <<= 1)
    {
        const int half = length / 2;
        const int stride = size / length;
        for (int start = 0; start < size; start += length)
        {
            for (int k = 0; k < half; ++k)
            {
                auto w = twiddles[(size_t) (k * stride)];
                if (inverse)
                    w = std::conj (w);
                const auto a = data[start + k];
                const auto b = data[start + k + half] * w;
                data[start + k] = a + b;
                data[start + k + half] = a - b;
            }
        }
    }
}
} // namespace Korvalden::Platform
