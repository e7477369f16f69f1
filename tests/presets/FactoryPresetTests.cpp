#include "engine/AudioEngine.h"
#include "engine/XmlBinaryBlock.h"

#include <gtest/gtest.h>

#include <cmath>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
juce::Array<juce::File> factoryPresets()
{
    auto files = juce::File (KEST_FACTORY_PRESETS).findChildFiles (juce::File::findFiles, true, "*.prs");
    files.sort();
    return files;
}

struct Level
{
    float peak = 0.0f;
    double heldRms = 0.0;
};

/** One note held for a second, as a player would try a sound first. */
Level playOneNote (const juce::MemoryBlock& preset, int note)
{
    AudioEngine engine;
    engine.readPresetState (preset);
    constexpr double rate = 48000.0;
    constexpr int block = 480;
    engine.prepareToPlay (rate, block);

    Level level;
    double sum = 0.0;
    int counted = 0;
    juce::AudioBuffer<float> buffer (2, block);
    for (int blockIndex = 0; blockIndex < 100; ++blockIndex)
    {
        juce::MidiBuffer midi;
        if (blockIndex == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);
        buffer.clear();
        engine.processBlock (buffer, midi);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < block; ++i)
            {
                const float sample = buffer.getSample (channel, i);
                level.peak = std::max (level.peak, std::abs (sample));
                if (blockIndex >= 5)
                {
                    sum += (double) sample * sample;
                    ++counted;
                }
            }
    }
    level.heldRms = std::sqrt (sum / counted);
    return level;
}
} // namespace

TEST (FactoryPresets, theBankHoldsBassLeadPadKeysAndEffectsSoundsWithPlainNames)
{
    const auto files = factoryPresets();
    ASSERT_GE (files.size(), 16);

    juce::StringArray categories;
    for (auto& file : files)
    {
        categories.addIfNotAlreadyThere (file.getParentDirectory().getFileName());
        EXPECT_TRUE (file.getFileNameWithoutExtension().containsOnly ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 "))
            << file.getFileName();

        juce::MemoryBlock bytes;
        ASSERT_TRUE (file.loadFileAsData (bytes));
        auto preset = XmlBinaryBlock::read (bytes);
        ASSERT_NE (preset, nullptr) << file.getFileName();
        EXPECT_EQ (preset->getTagName(), "KEST_Preset");
        EXPECT_EQ (preset->getNumAttributes(), 1 + 92 + 3); // version, parameters, split points
        EXPECT_NE (preset->getChildByName ("PARAMETERLINKING"), nullptr);
    }
    categories.sort (false);
    EXPECT_EQ (categories.joinIntoString (" "), "Bass Effects Keys Lead Pad");
}

TEST (FactoryPresets, everySoundIsHeardAtOneNoteWithoutClipping)
{
    for (auto& file : factoryPresets())
    {
        juce::MemoryBlock bytes;
        ASSERT_TRUE (file.loadFileAsData (bytes));
        const int note = file.getParentDirectory().getFileName() == "Bass" ? 36 : 60;
        const auto level = playOneNote (bytes, note);
        EXPECT_LT (level.peak, 0.5f) << file.getFileName();         // below -6 dBFS
        EXPECT_GT (level.peak, 0.05f) << file.getFileName();        // above -26 dBFS
        EXPECT_GT (level.heldRms, 0.003) << file.getFileName();     // not silent while held
    }
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
