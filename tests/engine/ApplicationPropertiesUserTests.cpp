#include "engine/ApplicationPropertiesUser.h"

#include "platform/ApplicationSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

TEST (ApplicationPropertiesUser, manyKeysReadInLinearTimeAndALaterDuplicateWins)
{
    auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.deleteFile());
    {
        juce::FileOutputStream out (file);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n";
        for (int i = 0; i < 80000; ++i)
            out << "<VALUE name=\"Key" << i << "\" val=\"" << i << "\"/>\n";
        out << "<VALUE name=\"MIDICC_SustainPedal\" val=\"11\"/><VALUE name=\"MIDICC_SustainPedal\" val=\"12\"/>";
        out << "</PROPERTIES>\n";
    }

    ApplicationPropertiesUser settings ("Kest");
    EXPECT_EQ (settings.getIntValue ("Key79999", -1), 79999);
    EXPECT_EQ (settings.getIntValue ("MIDICC_SustainPedal", 64), 12);
    EXPECT_EQ (settings.getAllProperties().size(), 80001);
}

TEST (ApplicationPropertiesUser, hostileOrSpecialFilesGiveDefaultsAndAreLeftUntouched)
{
    auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    const auto deep = juce::String::repeatedString ("<PROPERTIES>", 100000);
    const juce::String hostile[] = {
        deep,
        "<!DOCTYPE PROPERTIES [<!ENTITY a \"x&a;\">]><PROPERTIES><VALUE name=\"MIDIReceiveChannel\" val=\"&a;\"/></PROPERTIES>",
        "<PROPERTIES><VALUE name=\"MIDIReceiveChannel\" val=\"3\"/>",
    };
    for (const auto& text : hostile)
    {
        ASSERT_TRUE (file.replaceWithText (text));
        {
            ApplicationPropertiesUser settings ("Kest");
            EXPECT_FALSE (settings.isValidFile());
            EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), -1);
            settings.setValue ("MIDIReceiveChannel", 5); // kept for the session, never written over the file
            EXPECT_FALSE (settings.save());
        }
        EXPECT_EQ (file.loadFileAsString(), text);
    }

    // A FIFO at the path: nobody writes to it, so opening it for reading in
    // the usual way would wait for ever.
    ASSERT_TRUE (file.deleteFile());
    ASSERT_EQ (mkfifo (file.getFullPathName().toRawUTF8(), 0600), 0);
    {
        ApplicationPropertiesUser settings ("Kest");
        EXPECT_FALSE (settings.isValidFile());
        EXPECT_EQ (settings.getIntValue ("MIDICC_SustainPedal", 64), 64);
        settings.setValue ("MIDICC_SustainPedal", 1);
    }
    EXPECT_FALSE (file.existsAsFile() && ! file.isDirectory() && file.getSize() > 0);
}
