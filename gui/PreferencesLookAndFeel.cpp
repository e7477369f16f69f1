#include "gui/PreferencesLookAndFeel.h"

PreferencesLookAndFeel::PreferencesLookAndFeel()
    : EmbeddedTypefaceLookAndFeel (OwnColours { 0xFFFFFFFF, 0xFF000000, false })
{
}

PreferencesLookAndFeel::~PreferencesLookAndFeel() = default;
