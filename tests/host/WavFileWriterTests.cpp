// The WAV writer's accounting of levels: samples beyond full scale, samples
// that are not numbers, and the file appearing only when finished.

#include "HostProgram.h"
#include "host/WavFileWriter.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <limits>

TEST (WavFileWriter, CountsClippedSamplesWritesNonNumbersAsSilenceAndAppearsOnlyWhenFinished)
{
    const ScratchFolder scratch ("kest-wav-writer");
    ASSERT_TRUE (scratch.wasCreated());
    const auto& folder = scratch.getFile();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const float left[] = { 0.5f, nan, 2.0f, -3.0f, infinity };
    const float right[] = { -0.25f, 1.0f, -1.0f, 0.0f, 0.0f };
    const float* channels[] = { left, right };

    for (int bits : { 16, 32 })
    {
        SCOPED_TRACE (bits);
        const auto target = folder.getChildFile ("out" + juce::String (bits) + ".wav");
        {
            KestHost::WavFileWriter writer (target.getFullPathName().toStdString(), 44100.0, 2, bits);
            writer.write (channels, 2, 5);
            EXPECT_FALSE (target.exists()) << "nothing at the target before the file is complete";
            writer.finish();
            EXPECT_EQ (writer.peak(), 3.0f);
            EXPECT_EQ (writer.samplesAboveFullScale(), 2);
            EXPECT_EQ (writer.samplesNotNumbers(), 2);
            EXPECT_EQ (writer.clipped(), bits != 32);
        }
        const auto audio = HostProgram::readWav (target);
        ASSERT_EQ (audio.getNumSamples(), 5);
        EXPECT_EQ (audio.getSample (0, 1), 0.0f);
        EXPECT_EQ (audio.getSample (0, 4), 0.0f);
        EXPECT_NEAR (audio.getSample (0, 0), 0.5f, 1.0e-4f);
        EXPECT_NEAR (audio.getSample (0, 2), bits == 32 ? 2.0f : 1.0f, 1.0e-4f);
        EXPECT_NEAR (audio.getSample (0, 3), bits == 32 ? -3.0f : -1.0f, 1.0e-4f);
        EXPECT_NEAR (audio.getSample (1, 0), -0.25f, 1.0e-4f);
    }

    // Abandoned before finishing: no file, nothing left beside it.
    {
        KestHost::WavFileWriter writer (folder.getChildFile ("abandoned.wav").getFullPathName().toStdString(), 44100.0, 2, 24);
        writer.write (channels, 2, 5);
    }
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles, "*"), 2);
    EXPECT_FALSE (folder.getChildFile ("abandoned.wav").exists());
}
