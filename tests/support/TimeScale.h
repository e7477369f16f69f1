#pragma once

// How much longer this build of the tests may take than a plain one: a
// sanitizer slows the code it checks several times over (set by
// tests/CMakeLists.txt, 1 on a plain build).  A limit that only catches a
// hang grows by it; what a test waits for on purpose does not.

#ifndef KEST_TEST_TIME_SCALE
#define KEST_TEST_TIME_SCALE 1
#endif

namespace TimeScale
{
/** A limit in milliseconds that stops only a hang, on a plain build, for this build. */
constexpr int hangLimitMs (int plainMilliseconds)
{
    return plainMilliseconds * KEST_TEST_TIME_SCALE;
}
} // namespace TimeScale
