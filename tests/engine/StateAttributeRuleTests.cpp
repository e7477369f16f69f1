// How a restored state reads what it holds, attribute by attribute: every
// switch reads its first non-blank character, an absent switch keeps what
// the instance shows, and every absent split point takes its own default.

#include "engine/AudioEngine.h"
#include "engine/XmlBinaryBlock.h"

#include <gtest/gtest.h>

namespace
{
void restore (AudioEngine& engine, const juce::String& xmlText)
{
    juce::MemoryBlock block;
    XmlBinaryBlock::write (*juce::parseXML (xmlText), block);
    engine.setStateInformation (block.getData(), (int) block.getSize());
}

struct Switch
{
    const char* attribute;
    std::atomic<bool> AudioEngine::*member;
};

const Switch switches[] { { "ShowTooltips", &AudioEngine::showTooltips },
                          { "ShowParameterLinks", &AudioEngine::showParameterLinks },
                          { "ShowValueLabels", &AudioEngine::showValueLabels },
                          { "ShowKeyboard", &AudioEngine::showKeyboard },
                          { "ShowPresetManager", &AudioEngine::showPresetManager } };
} // namespace

TEST (StateAttributes, everySwitchReadsItsFirstNonBlankCharacterAndAnAbsentOneKeepsItsValue)
{
    const std::pair<const char*, bool> texts[] { { "1", true },      { "  1", true },   { "\ty", true },  { "Y", true },
                                                 { "  true", true }, { "T", true },     { "0", false },   { "  no", false },
                                                 { "", false },      { "   ", false },  { "on", false },  { "2", false },
                                                 { "false", false }, { " x1", false } };
    for (auto& s : switches)
        for (auto& [text, expected] : texts)
        {
            SCOPED_TRACE (juce::String (s.attribute) + "=\"" + text + "\"");
            AudioEngine engine;
            (engine.*s.member) = ! expected;
            restore (engine, "<KEST_Plugin_State " + juce::String (s.attribute) + "=\"" + text + "\"/>");
            EXPECT_EQ ((engine.*s.member).load(), expected);
        }

    // Absent: each keeps the value it had, whichever that is.
    for (bool current : { false, true })
    {
        AudioEngine engine;
        for (auto& s : switches)
            (engine.*s.member) = current;
        restore (engine, "<KEST_Plugin_State MasterVolume=\"0.5\"/>");
        for (auto& s : switches)
            EXPECT_EQ ((engine.*s.member).load(), current) << s.attribute;
    }
}

TEST (StateAttributes, everyAbsentSplitPointTakesItsOwnDefaultAndAPresentOneIsKept)
{
    const int defaults[] { 32, 64, 96 };
    for (unsigned int absent = 0; absent < 3; ++absent)
    {
        SCOPED_TRACE (absent);
        juce::String attributes;
        for (unsigned int point = 0; point < 3; ++point)
            if (point != absent)
                attributes << " SplitPoint" << (int) point + 1 << "=\"" << 40 + 10 * (int) point << "\"";

        AudioEngine engine;
        for (unsigned int point = 0; point < 3; ++point)
            engine.getGlobalController().setSplitPoint (point, 20 + (int) point);
        restore (engine, "<KEST_Preset" + attributes + "/>");
        for (unsigned int point = 0; point < 3; ++point)
            EXPECT_EQ (engine.getGlobalController().getSplitPoint (point), point == absent ? defaults[point] : 40 + 10 * (int) point) << point;
    }
}
