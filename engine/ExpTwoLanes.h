#pragma once

#include <cstdint>

/** The constants of exp2f evaluated in double precision, shared by the lane
    kernels (ExpTwoLanesKernel.h) so the voice's cutoff in lanes gives the
    bits the C library's exp2f gives (compared over every float; NaN gives
    infinity):

      x = k / 32 + r, |r| <= 1 / 64, k whole (found by adding a shift that
      leaves k / 32 in the low bits of a double);
      2^x = 2^(k / 32) (1 + C2 r + C1 r^2 + C0 r^3), rounded once to float.

    table[i] holds the bits of 2^(i / 32) (correctly rounded) less i << 47,
    so adding k << 47 to table[k mod 32] also puts the whole part of k / 32
    into the exponent.  The oscillator's exp2 in double precision uses the
    same table with a longer polynomial (exp2DoubleLanes).  Only data lives
    here, no functions: each kernel computes with its own instructions.
*/
struct ExpTwoLanes
{
    static constexpr int tableBits = 5;
    static constexpr int tableSize = 1 << tableBits;
    static constexpr double shift = 0x1.8p+52 / tableSize;
    static constexpr double c0 = 0x1.c6af84b912394p-5;
    static constexpr double c1 = 0x1.ebfce50fac4f3p-3;
    static constexpr double c2 = 0x1.62e42ff0c52d6p-1;
    /** ln(2)^k / k!, the Taylor coefficients of 2^r, for exp2 in double
        precision. */
    static constexpr double d1 = 0.6931471805599453, d2 = 0.2402265069591007, d3 = 0.05550410866482158,
                            d4 = 0.009618129107628477, d5 = 0.0013333558146428443, d6 = 0.00015403530393381606;
    /** Inputs are clamped to this range first: beyond it the float result is
        already infinity or zero, and NaN becomes the upper end. */
    static constexpr double lowest = -151.0, highest = 129.0;

    static constexpr uint64_t table[tableSize] = {
        0x3ff0000000000000ull, 0x3fefd9b0d3158574ull, 0x3fefb5586cf9890full, 0x3fef9301d0125b51ull,
        0x3fef72b83c7d517bull, 0x3fef54873168b9aaull, 0x3fef387a6e756238ull, 0x3fef1e9df51fdee1ull,
        0x3fef06fe0a31b715ull, 0x3feef1a7373aa9cbull, 0x3feedea64c123422ull, 0x3feece086061892dull,
        0x3feebfdad5362a27ull, 0x3feeb42b569d4f82ull, 0x3feeab07dd485429ull, 0x3feea47eb03a5585ull,
        0x3feea09e667f3bcdull, 0x3fee9f75e8ec5f74ull, 0x3feea11473eb0187ull, 0x3feea589994cce13ull,
        0x3feeace5422aa0dbull, 0x3feeb737b0cdc5e5ull, 0x3feec49182a3f090ull, 0x3feed503b23e255dull,
        0x3feee89f995ad3adull, 0x3feeff76f2fb5e47ull, 0x3fef199bdd85529cull, 0x3fef3720dcef9069ull,
        0x3fef5818dcfba487ull, 0x3fef7c97337b9b5full, 0x3fefa4afa2a490daull, 0x3fefd0765b6e4540ull,
    };
};
