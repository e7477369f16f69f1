// What the editor's indicators show: the clip LED from exactly full scale
// on, and the glide LED for as long as a voice is audibly off its note.

#include "tests/support/EngineRig.h"

#include "engine/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>

using R = EngineRig;

TEST (ClipIndicator, lightsFromExactlyFullScaleAndHoldsForItsLength)
{
    auto holdAfter = [] (std::vector<float> samples) {
        float level = 0.0f;
        int hold = 0;
        LevelMeter::follow (samples.data(), (int) samples.size(), 0.5f, 100, level, hold);
        return hold;
    };
    const float justBelow = std::nextafter (1.0f, 0.0f);

    EXPECT_EQ (holdAfter ({ 0.5f, 1.0f }), 100) << "0 dBFS clips";
    EXPECT_EQ (holdAfter ({ -1.0f }), 100);
    EXPECT_EQ (holdAfter ({ justBelow, -justBelow }), 0) << "the largest sample below full scale does not";
    EXPECT_EQ (holdAfter ({ 1.0f, 0.0f, 0.0f, 0.0f }), 97) << "the hold counts down per sample";
    EXPECT_EQ (holdAfter ({ 2.0f, 0.1f }), 99);
}

TEST (ClipIndicator, levelFollowsTheSquaredPeakAndDecays)
{
    float level = 0.0f;
    int hold = 0;
    const float samples[] = { 0.5f, 0.0f, 0.0f };
    LevelMeter::follow (samples, 3, 0.5f, 10, level, hold);
    EXPECT_FLOAT_EQ (level, 0.0625f);

    const float louder[] = { -0.75f };
    LevelMeter::follow (louder, 1, 0.5f, 10, level, hold);
    EXPECT_FLOAT_EQ (level, 0.5625f);
}

TEST (GlideIndicator, lightsForAsLongAsAVoiceIsMoreThanFiveThousandthsOfASemitoneOff)
{
    // A 10 ms glide over one semitone: the distance falls as exp(-t / 10 ms)
    // and passes 0.005 semitone after 10 ms x ln(200) = 53 ms.
    EngineRig rig (48000.0, 48);
    rig.set (R::voiceMode, R::revolver);
    rig.setEveryDevice (R::glide, 0.0f);
    rig.render (480, { R::noteOn (0, 60) });
    EXPECT_FALSE (rig.engine.isGliding (0)) << "a note started on its own does not glide";

    const int start = rig.position;
    rig.render (48, { R::noteOn (start, 61) }); // TESK, gliding from 60
    ASSERT_TRUE (rig.engine.isGliding (1));

    int lastLit = -1;
    rig.renderProbing (4800, [&] (int position) {
        if (rig.engine.isGliding (1))
            lastLit = position - start;
    });
    // Polled every millisecond: last lit at 52 ms.
    EXPECT_NEAR (lastLit / 48.0, 52.5, 1.0) << "milliseconds the LED stays lit";
    EXPECT_FALSE (rig.engine.isGliding (0));
}
