#include "engine/ApplicationPropertiesUser.h"

#include "platform/ApplicationSupport.h"

#include <gtest/gtest.h>

using Korvalden::Misc::ApplicationPropertiesUser;

TEST (ApplicationPropertiesUser, missingFileGivesEveryDefault)
{
    auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    ASSERT_FALSE (file.exists());

    ApplicationPropertiesUser settings ("Kest");
    EXPECT_EQ (settings.getIntValue ("MIDICC_SustainPedal", 64), 64);
    EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), -1);
    EXPECT_TRUE (settings.getBoolValue ("EnableCPUWarning", true));
}

TEST (ApplicationPropertiesUser, savesXmlInTheMakersFolderOfTheUsersApplicationSupport)
{
    {
        ApplicationPropertiesUser settings ("Kest");
        settings.setValue ("MIDICC_Glide_1", 7);
        settings.setValue ("midicc_glide_1", 9);
    } // destruction saves the unsaved change

    auto file = Korvalden::Platform::getUserApplicationSupportFolder().getChildFile ("Korvalden/Kest.prop");
    ASSERT_TRUE (file.existsAsFile());

    auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PROPERTIES");
    auto* value = xml->getChildByAttribute ("name", "MIDICC_Glide_1");
    ASSERT_NE (value, nullptr);
    EXPECT_EQ (value->getTagName(), "VALUE");
    EXPECT_EQ (value->getStringAttribute ("val"), "7");

    ApplicationPropertiesUser reread ("Kest");
    EXPECT_EQ (reread.getIntValue ("MIDICC_Glide_1", 1), 7);
    EXPECT_EQ (reread.getIntValue ("midicc_glide_1", 1), 9); // keys are case-sensitive
    EXPECT_EQ (reread.getIntValue ("MIDICC_GLIDE_1", 1), 1);
}

TEST (ApplicationPropertiesUser, unreadableFileGivesDefaultsAndIsNotDestroyedByReading)
{
    auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.replaceWithText ("this is not a settings file"));

    {
        ApplicationPropertiesUser settings ("Kest");
        EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel1", -1), -1);
    }
    EXPECT_EQ (file.loadFileAsString(), "this is not a settings file");
}
