#include "editor/MainControlPanel.h"

#include "editor/DeviceLedValues.h"
#include "editor/EditorComponentNames.h"
#include "gui/ImageStripIndictorComponent.h"

// The devices' LEDs, polled every 50 ms.  Gate, glide and drive come from
// the values the audio thread publishes once per block, the LFOs from their
// shared phases; an LED repaints only when its frame changes.
namespace
{
    namespace N = EditorNames;
}

void MainControlPanel::timerCallback()
{
    updateLeds();
    updateCpuDisplays();
}

void MainControlPanel::updateLeds()
{
    for (int d = 1; d <= N::numDevices; ++d)
    {
        const int device = d - 1;
        bool indicatorsRead = false;
        AudioEngine::DeviceIndicators indicators;

        for (int kind = 0; kind < N::numLedKinds; ++kind)
        {
            auto* led = findChildAs<Korvalden::GUI::ImageStripIndictorComponent> (N::led (d, N::ledKinds[kind]));
            if (led == nullptr)
                continue;

            if (! indicatorsRead && (kind == 0 || kind == 1 || kind == 4))
            {
                indicators = engine.getDeviceIndicators (device);
                indicatorsRead = true;
            }

            float value = 0.0f;
            switch (kind)
            {
                case 0: value = indicators.gliding ? 1.0f : 0.0f; break;
                case 1: value = indicators.gate ? 1.0f : 0.0f; break;
                case 2: value = engine.getLfoDisplayValue (device, false); break;
                case 3: value = engine.getLfoDisplayValue (device, true); break;
                default: value = DeviceLedValues::drive (indicators.driveLevel); break;
            }

            if (led->getStrip().setValue (DeviceLedValues::shown (value)))
                led->repaint();
        }
    }
}
