#include "engine/VoiceLanes.h"

#include <cstdlib>
#include <cstring>

bool voiceLanesAvx2Available() noexcept
{
#if defined(__x86_64__) && defined(__GNUC__)
    // Also false where the system does not save the 256-bit registers.
    return __builtin_cpu_supports ("avx2");
#else
    return false;
#endif
}

VoiceLanes::Path chooseVoiceLanesPath()
{
    const bool avx2 = voiceLanesAvx2Available();
    if (const char* forced = std::getenv ("KEST_VOICE_LANES"))
    {
        if (std::strcmp (forced, "sse2") == 0)
            return VoiceLanes::Path::sse2;
        if (std::strcmp (forced, "avx2") == 0 && avx2)
            return VoiceLanes::Path::avx2;
    }
    return avx2 ? VoiceLanes::Path::avx2 : VoiceLanes::Path::sse2;
}
