#include "engine/ParameterFunctions.h"

#include <gtest/gtest.h>

using namespace ParameterFunctions;

TEST (ParameterMappings, halfwayValuesFallOnTheUpperSideOfEachThreshold)
{
    EXPECT_EQ (toOscillatorMode (0.5f), 1);            // Saw
    EXPECT_EQ (toOscillatorModulationMode (0.5f), 2);  // PWM
    EXPECT_EQ (toTrackingMode (0.5f), 1);              // Half
    EXPECT_EQ (toVoiceAllocationMode (0.5f), 3);       // Random
    EXPECT_TRUE (toBool (0.5f));
    EXPECT_FALSE (toBool (0.49999997f));
    EXPECT_EQ (voiceDirectionText (0.5f), "Down");
    EXPECT_EQ (onOffText (0.5f), "On");
}

TEST (ParameterMappings, knobOrderOfTheModesDiffersFromTheEnumerationOrder)
{
    EXPECT_EQ (toOscillatorMode (0.0f), 0);
    EXPECT_EQ (toOscillatorMode (0.2f), 3);   // Noise
    EXPECT_EQ (toOscillatorMode (0.9f), 2);   // Pulse
    EXPECT_EQ (oscillatorModeText (0.2f), "Noise");
    EXPECT_EQ (oscillatorModeText (0.6f), "Saw");
    EXPECT_EQ (oscillatorModeText (1.0f), "Pulse");
    EXPECT_EQ (toOscillatorModulationMode (1.0f), 1); // FM
    EXPECT_EQ (oscillatorModulationModeText (1.0f), "FM");
    EXPECT_EQ (oscillatorModulationModeText (0.3f), "PWM");
    EXPECT_EQ (trackingModeText (0.8f), "Full");

    const char* modes[] = { "Unison", "Split", "Revolver", "Random", "Chord (Blow)", "Chord (Grow)" };
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ (toVoiceAllocationMode ((float) i * 0.2f), i);
        EXPECT_EQ (voiceAllocationModeText ((float) i * 0.2f), modes[i]);
    }
}

TEST (ParameterMappings, tuneTruncatesTowardZeroInWholeCents)
{
    EXPECT_FLOAT_EQ (toSemitones (0.5f), 0.0f);
    EXPECT_FLOAT_EQ (toSemitones (0.5001f), 0.0f);   // 0.48 cent is no cent
    EXPECT_FLOAT_EQ (toSemitones (0.4999f), 0.0f);   // toward zero, not down
    EXPECT_FLOAT_EQ (toSemitones (0.0f), -24.0f);
    EXPECT_FLOAT_EQ (toSemitones (1.0f), 24.0f);
    EXPECT_EQ (semitoneText (0.5f), "+0.00  st");
    EXPECT_EQ (semitoneText (0.0f), "-24.00  st");
    EXPECT_EQ (semitoneText (1.0f), "+24.00  st");
}

TEST (ParameterTexts, percentRoundsHalfUp)
{
    EXPECT_EQ (percentText (0.006f), "1%");
    EXPECT_EQ (percentText (0.004f), "0%");
    EXPECT_EQ (percentText (1.0f), "100%");
}

TEST (ParameterTexts, timesSwitchUnitsAtTheirLimitsWithTwoBlanks)
{
    EXPECT_EQ (glideTimeText (0.0f), "10.00  ms");
    EXPECT_EQ (glideTimeText (1.0f), "1.5  s");
    // 0.01 x 150^v reaches one second at v = log(100) / log(150).
    const float oneSecond = (float) (std::log (100.0) / std::log (150.0));
    EXPECT_EQ (glideTimeText (oneSecond + 0.001f).substring (0, 3), "1.0");
    EXPECT_TRUE (glideTimeText (oneSecond + 0.001f).endsWith ("  s"));
    EXPECT_TRUE (glideTimeText (oneSecond - 0.001f).endsWith ("  ms"));

    EXPECT_EQ (lfoTimeText (0.0f), "200.00  s");
    EXPECT_EQ (lfoTimeText (1.0f), "100  us");
    EXPECT_EQ (lfoTimeText (0.5f), "141.4  ms");  // 0.005 x 2e6^0.5 = 7.07 Hz

    EXPECT_EQ (attackTimeText (0.0f), "3  ms");
    EXPECT_EQ (attackTimeText (1.0f), "10.00  s");
    EXPECT_EQ (releaseTimeText (1.0f), "11.45  s");
    EXPECT_EQ (decayTimeText (0.0f), "16  ms");
    EXPECT_EQ (decayTimeText (1.0f), "10.47  s");
}

TEST (ParameterTexts, frequencyAndVolume)
{
    EXPECT_EQ (frequencyText (0.0f), "21.00  Hz");
    EXPECT_EQ (frequencyText (1.0f), "24.0  kHz");
    EXPECT_EQ (decibelText (6.0f / 7.0f), "0.0 dB");
    EXPECT_EQ (decibelText (0.0f), "-60.0 dB");
    EXPECT_EQ (decibelText (1.0f), "10.0 dB");
    EXPECT_EQ (emptyText (0.3f), "");
}

TEST (ParameterMappings, timeCurvesMeetTheirEnds)
{
    EXPECT_NEAR (toGlideTime (0.0f), 0.01f, 1e-6f);
    EXPECT_NEAR (toGlideTime (1.0f), 1.5f, 1e-5f);
    EXPECT_NEAR (toLfoTime (0.0f), 0.005f, 1e-7f);
    EXPECT_NEAR (toLfoTime (1.0f), 10000.0f, 0.05f);
    EXPECT_NEAR (toAttackTime (0.0f), 0.003108f, 1e-6f);
    EXPECT_NEAR (toAttackTime (1.0f), 10.0f, 1e-4f);
    EXPECT_NEAR (toReleaseTime (1.0f), 11.45f, 0.01f);
    EXPECT_FLOAT_EQ (toBipolar (0.0f), -1.0f);
    EXPECT_FLOAT_EQ (toBipolar (1.0f), 1.0f);
    EXPECT_NEAR (toBipolar (8192.0f / 16383.0f), 0.00006f, 0.00001f);
    EXPECT_NEAR (decibelsToGain (toDecibels (6.0f / 7.0f)), 1.0f, 1e-6f);
}

TEST (ParameterMappings, valuesOutsideTheRangeMapLikeTheNearestEndAndNaNLikeZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    // Huge values cast to int were undefined; they now give the ends.
    EXPECT_FLOAT_EQ (toSemitones (3.0e38f), 24.0f);
    EXPECT_FLOAT_EQ (toSemitones (-inf), -24.0f);
    EXPECT_FLOAT_EQ (toSemitones (nan), -24.0f);
    EXPECT_FLOAT_EQ (toDecibels (1000.0f), 10.0f);
    EXPECT_FLOAT_EQ (passThrough (1.366f), 1.0f);
    EXPECT_FLOAT_EQ (passThrough (-2.0f), 0.0f);
    EXPECT_FLOAT_EQ (toGlideTime (inf), toGlideTime (1.0f));
    EXPECT_FLOAT_EQ (toLfoTime (-1.0e30f), toLfoTime (0.0f));
    EXPECT_EQ (toOscillatorMode (nan), 0);
    EXPECT_EQ (toVoiceAllocationMode (7.0f), 5);
    EXPECT_FALSE (toBool (nan));
    EXPECT_TRUE (toBool (inf));
}

TEST (ParameterTexts, valuesOutsideTheRangeShowTheTextOfTheNearestEnd)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();

    EXPECT_EQ (decibelText (1000.0f), "10.0 dB");
    EXPECT_EQ (percentText (nan), "0%");
    EXPECT_EQ (percentText (1.366f), "100%");
    EXPECT_EQ (percentText (-3.0e38f), "0%");
    EXPECT_EQ (semitoneText (3.0e38f), "+24.00  st");
    EXPECT_EQ (frequencyText (12.0f), "24.0  kHz");
    EXPECT_EQ (lfoTimeText (nan), "200.00  s");
    EXPECT_EQ (glideTimeText (-5.0f), "10.00  ms");
    EXPECT_EQ (decayTimeText (2.0f), "10.47  s");
    EXPECT_EQ (attackTimeText (std::numeric_limits<float>::infinity()), "10.00  s");
    EXPECT_EQ (voiceAllocationModeText (nan), "Unison");
}
