#include "engine/ApplicationPropertiesUser.h"
#include "fuzz/FuzzSupport.h"

// The user's settings file: the input is the file's contents.  Reading never
// changes the file.

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    initialiseFuzzTarget();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto file = Korvalden::Misc::ApplicationPropertiesUser::getSettingsFile ("Kest");
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    if (size > 0) // the framework writes an empty file by deleting it
        KEST_FUZZ_CHECK (file.replaceWithData (data, size));

    {
        Korvalden::Misc::ApplicationPropertiesUser settings ("Kest");
        (void) settings.getIntValue ("MIDICC_SustainPedal", 64);
        (void) settings.getIntValue ("MIDIReceiveChannel", -1);
        KEST_FUZZ_CHECK (settings.isValidFile() || settings.getAllProperties().size() == 0);
    }

    juce::MemoryBlock after;
    if (size > 0)
        KEST_FUZZ_CHECK (file.loadFileAsData (after));
    KEST_FUZZ_CHECK (after.getSize() == size && (size == 0 || std::memcmp (after.getData(), data, size) == 0));
    return 0;
}
