#include "editor/MainControlPanel.h"

#include "editor/EditorComponentNames.h"
#include "gui/ImageStripIndictorComponent.h"

// The devices' LEDs, polled every 50 ms.  Gate, glide and drive come from
// the values the audio thread publishes once per block, the LFOs from their
// shared phases; an LED repaints only when its frame changes.
namespace
{
    namespace N = EditorNames;

    // Drive levels up to 0.1 leave the LED dark; 1.0 lights it fully.
    constexpr float driveFloor = 0.1f;

    /** A value the strip can show: anything above 1 is the last frame, below 0 the first. */
    float ledValue (float v)   { return std::isfinite (v) ? juce::jlimit (0.0f, 1.0f, v) : 0.0f; }
}

void MainControlPanel::timerCallback()
{
    updateLeds();
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
                default:
                {
                    const float m = indicators.driveLevel - driveFloor;
                    value = m >= 0.0f ? m / (1.0f - driveFloor) : 0.0f;
                    break;
                }
            }

            if (led->getStrip().setValue (ledValue (value)))
                led->repaint();
        }
    }
}
