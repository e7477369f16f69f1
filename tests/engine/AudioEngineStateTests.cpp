#include "engine/AudioEngine.h"
#include "engine/XmlBinaryBlock.h"

#include <gtest/gtest.h>

#include <random>

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace
{
void setRandomValues (AudioEngine& engine, unsigned seed)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> distribution (0.0f, 1.0f);
    for (int i = 0; i < 93; ++i)
        engine.setParameter (i, distribution (generator));
}

juce::MemoryBlock blockOf (const juce::String& xmlText)
{
    juce::MemoryBlock block;
    XmlBinaryBlock::write (*juce::parseXML (xmlText), block);
    return block;
}
} // namespace

TEST (AudioEngineState, presetRoundTripsEveryHostParameterBitExactly)
{
    AudioEngine source;
    setRandomValues (source, 7);
    juce::MemoryBlock preset;
    source.writePresetState (preset);

    auto xml = XmlBinaryBlock::read (preset);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "KEST_Preset");
    EXPECT_EQ (xml->getIntAttribute ("Version"), 1);
    EXPECT_FALSE (xml->hasAttribute ("MasterVolume"));

    AudioEngine target;
    target.clearPresetModified();
    target.readPresetState (preset);
    for (int i = 0; i < 92; ++i)
        EXPECT_EQ (target.getParameter (i), source.getParameter (i)) << i;
    EXPECT_NE (target.getParameter (92), source.getParameter (92));
    EXPECT_FALSE (target.isPresetModified()); // reading a preset is no edit
}

TEST (AudioEngineState, presetValuesAreClampedAndNonFiniteValuesKeepTheCurrentOne)
{
    AudioEngine engine;
    engine.setParameter (6, 0.25f);
    engine.setParameter (7, 0.75f);
    engine.readPresetState (blockOf ("<KEST_Preset Version=\"1\" LFO1_Time_1=\"2\" Frequency_1=\"-3\" Tune_1=\"nan\" Glide_1=\"inf\"/>"));
    EXPECT_FLOAT_EQ (engine.getParameter (6), 1.0f);
    EXPECT_FLOAT_EQ (engine.getParameter (7), 0.0f);
    EXPECT_FLOAT_EQ (engine.getParameter (1), 0.5f);
    EXPECT_FLOAT_EQ (engine.getParameter (0), 0.0f);
}

TEST (AudioEngineState, absentAttributesKeepTheirValuesButEveryRecordIsStored)
{
    AudioEngine engine;
    engine.setParameter (30, 0.3f);
    for (int i = 0; i < 93; ++i)
        engine.isParameterDirty (i);

    engine.readPresetState (blockOf ("<kest_preset Glide_1=\"0.125\"/>")); // tag case is ignored
    EXPECT_FLOAT_EQ (engine.getParameter (0), 0.125f);
    EXPECT_FLOAT_EQ (engine.getParameter (30), 0.3f);
    for (int i = 0; i < 92; ++i)
        EXPECT_TRUE (engine.isParameterDirty (i)) << i;
    EXPECT_FALSE (engine.isParameterDirty (92));
}

TEST (AudioEngineState, aRootWithAnotherTagChangesNoParameter)
{
    AudioEngine engine;
    engine.readPresetState (blockOf ("<SOMETHING Glide_1=\"0.9\"/>"));
    EXPECT_FLOAT_EQ (engine.getParameter (0), 0.0f);
}

TEST (AudioEngineState, wholeStateRoundTripsSoundVolumeAndViewSwitches)
{
    AudioEngine source;
    setRandomValues (source, 11);
    source.showTooltips = false;
    source.showParameterLinks = true;
    source.showKeyboard = false;
    juce::MemoryBlock state;
    source.getStateInformation (state);

    auto xml = XmlBinaryBlock::read (state);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "KEST_Plugin_State");
    EXPECT_EQ (xml->getStringAttribute ("ShowTooltips"), "0");
    EXPECT_EQ (xml->getStringAttribute ("PresetChangedState"), "1");
    ASSERT_NE (xml->getChildByName ("KEST_Preset"), nullptr);

    AudioEngine target;
    target.setStateInformation (state.getData(), (int) state.getSize());
    for (int i = 0; i < 93; ++i)
        EXPECT_EQ (target.getParameter (i), source.getParameter (i)) << i;
    EXPECT_FALSE (target.showTooltips);
    EXPECT_TRUE (target.showParameterLinks);
    EXPECT_FALSE (target.showValueLabels);
    EXPECT_FALSE (target.showKeyboard);
    EXPECT_TRUE (target.showPresetManager);
    EXPECT_TRUE (target.isPresetModified());
}

TEST (AudioEngineState, presetChangedStateAbsentMeansUnmodifiedAndBoolsReadTheirFirstCharacter)
{
    AudioEngine engine;
    ASSERT_TRUE (engine.isPresetModified());
    auto block = blockOf ("<KEST_Plugin_State ShowTooltips=\"  no\" ShowKeyboard=\"Yes\" ShowValueLabels=\"true\"/>");
    engine.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FALSE (engine.isPresetModified());
    EXPECT_FALSE (engine.showTooltips);
    EXPECT_TRUE (engine.showKeyboard);
    EXPECT_TRUE (engine.showValueLabels);
}

TEST (AudioEngineState, aBarePresetGivenAsStateRestoresOnlyTheSound)
{
    AudioEngine source;
    setRandomValues (source, 3);
    juce::MemoryBlock preset;
    source.writePresetState (preset);

    AudioEngine target;
    target.showTooltips = false;
    const float volume = target.getParameter (92);
    target.setStateInformation (preset.getData(), (int) preset.getSize());
    for (int i = 0; i < 92; ++i)
        EXPECT_EQ (target.getParameter (i), source.getParameter (i)) << i;
    EXPECT_EQ (target.getParameter (92), volume);
    EXPECT_FALSE (target.showTooltips);
}

TEST (AudioEngineState, everyTruncationOfARealStateChangesNothing)
{
    AudioEngine source;
    setRandomValues (source, 5);
    juce::MemoryBlock state;
    source.getStateInformation (state);

    AudioEngine target;
    juce::MemoryBlock before;
    target.getStateInformation (before);

    // The last byte is the terminating zero, which the reader does not need.
    for (size_t size = 0; size + 1 < state.getSize(); ++size)
        target.setStateInformation (state.getData(), (int) size);

    juce::MemoryBlock after;
    target.getStateInformation (after);
    EXPECT_EQ (before, after);

    target.setStateInformation (nullptr, 100);
    target.setStateInformation (state.getData(), -5);
}

namespace
{
juce::String linksOf (AudioEngine& engine)
{
    juce::XmlElement holder ("HOLDER");
    engine.getLinkManager().writeXml (holder);
    return holder.toString (juce::XmlElement::TextFormat().singleLine());
}
} // namespace

TEST (AudioEngineState, linksRatiosAndNamesTravelWithThePresetAndState)
{
    AudioEngine source;
    auto& links = source.getLinkManager();
    links.link (0, 20);
    links.link (20, 80);
    links.getLinkEntry (20).ratio = -0.37f; // set directly: ratios go through a knob otherwise
    links.getLinkEntry (0).name = "Glides";
    ASSERT_EQ (links.getLinkEntry (80).name, "MAKRO 1");

    juce::MemoryBlock state;
    source.getStateInformation (state);

    AudioEngine target;
    ASSERT_NE (linksOf (target), linksOf (source));
    target.setStateInformation (state.getData(), (int) state.getSize());
    EXPECT_EQ (linksOf (target), linksOf (source));
    EXPECT_EQ (target.getLinkManager().getLinkEntry (20).ratio, -0.37f);
    EXPECT_TRUE (target.getLinkManager().getLinkEntry (0).links.count (20) == 1);
    EXPECT_EQ (target.getLinkManager().getLinkEntry (0).name, "Glides");
}

TEST (AudioEngineState, aPresetBlockThatIsDamagedOrNotAPresetIsRefusedAndChangesNothing)
{
    AudioEngine source;
    source.getLinkManager().link (3, 23);
    source.setParameter (0, 0.75f);
    juce::MemoryBlock preset;
    source.writePresetState (preset);

    juce::MemoryBlock otherRoot;
    auto xml = XmlBinaryBlock::read (preset);
    xml->setTagName ("OTHER");
    XmlBinaryBlock::write (*xml, otherRoot);

    juce::MemoryBlock cutShort (preset.getData(), preset.getSize() / 2);
    juce::MemoryBlock latin1 (preset);
    static_cast<char*> (latin1.getData())[20] = (char) 0xE9; // a byte of another encoding inside the text

    AudioEngine target;
    target.clearPresetModified();
    juce::MemoryBlock before;
    target.getStateInformation (before);
    for (auto* block : { &otherRoot, &cutShort, &latin1 })
    {
        EXPECT_FALSE (target.readPresetState (*block));
        juce::MemoryBlock after;
        target.getStateInformation (after);
        EXPECT_EQ (after, before);
    }
    EXPECT_EQ (target.getLinkManager().getLinkEntry (3).links.count (23), 0u);

    EXPECT_TRUE (target.readPresetState (preset));
    EXPECT_EQ (target.getLinkManager().getLinkEntry (3).links.count (23), 1u);
    EXPECT_FLOAT_EQ (target.getParameter (0), 0.75f);
}

TEST (AudioEngineState, aChangedLinkMarksThePreset)
{
    AudioEngine engine;
    engine.clearPresetModified();
    engine.getLinkManager().link (1, 2);
    EXPECT_TRUE (engine.isPresetModified());
}

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
