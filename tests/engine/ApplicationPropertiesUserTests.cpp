#include "engine/ApplicationPropertiesUser.h"

#include "platform/ApplicationSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

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

TEST (ApplicationPropertiesUser, aFileThatCannotBeReadGivesDefaultsAndIsNeverWrittenOverEvenAfterAChange)
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
            EXPECT_FALSE (settings.save());

            // The user's change holds for this session only: the file is theirs.
            settings.setValue ("MIDIReceiveChannel", 5);
            EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), 5);
            EXPECT_FALSE (settings.save());
            EXPECT_TRUE (settings.needsToBeSaved());
        }
        EXPECT_EQ (file.loadFileAsString(), text);
    }

    // A file that could be read, spoilt by someone else before this object
    // saves, is not written over either.
    ASSERT_TRUE (file.replaceWithText ("<PROPERTIES><VALUE name=\"MIDIReceiveChannel\" val=\"3\"/></PROPERTIES>"));
    {
        ApplicationPropertiesUser settings ("Kest");
        EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), 3);
        settings.setValue ("MIDIReceiveChannel", 5);
        ASSERT_TRUE (file.replaceWithText (hostile[2]));
    }
    EXPECT_EQ (file.loadFileAsString(), hostile[2]);

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
    struct stat info;
    ASSERT_EQ (lstat (file.getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_TRUE (S_ISFIFO (info.st_mode));      // a change never replaces it
}

TEST (ApplicationPropertiesUser, objectsOnOneFileSaveOnlyWhatEachChangedAndKeepWhatOthersWrote)
{
    {
        ApplicationPropertiesUser first ("Kest");
        for (auto key : { "Kept", "Removed", "ChangedElsewhere", "SetTwice" })
            first.setValue (key, "0");
    }

    // The engine's, the editor's and the dialog's objects, of two instances.
    ApplicationPropertiesUser dialog ("Kest");
    ApplicationPropertiesUser otherInstance ("Kest");
    ApplicationPropertiesUser editor ("Kest");

    dialog.setValue ("MIDICC_Glide_1", 7);
    dialog.removeValue ("Removed");
    dialog.setValue ("SetTwice", "dialog");
    otherInstance.setValue ("MIDIReceiveChannel", 4);
    otherInstance.setValue ("ChangedElsewhere", "other");
    otherInstance.setValue ("SetTwice", "other");

    ASSERT_TRUE (otherInstance.save());
    ASSERT_TRUE (dialog.save());
    editor.setValue ("EnableCPUWarning", false);
    ASSERT_TRUE (editor.save());

    // A later save of the same object adds only what changed since.
    dialog.setValue ("MIDICC_Glide_2", 9);
    ASSERT_TRUE (dialog.save());

    ApplicationPropertiesUser reread ("Kest");
    const auto& stored = reread.getAllProperties();
    EXPECT_EQ (stored.getAllKeys().joinIntoString (" "),
               "ChangedElsewhere EnableCPUWarning Kept MIDICC_Glide_1 MIDICC_Glide_2 MIDIReceiveChannel SetTwice");
    EXPECT_EQ (stored["ChangedElsewhere"], "other");
    EXPECT_EQ (stored["EnableCPUWarning"], "0");
    EXPECT_EQ (stored["Kept"], "0");
    EXPECT_EQ (stored["MIDICC_Glide_1"], "7");
    EXPECT_EQ (stored["MIDICC_Glide_2"], "9");
    EXPECT_EQ (stored["MIDIReceiveChannel"], "4");
    EXPECT_EQ (stored["SetTwice"], "dialog"); // the later save of a key wins
}

TEST (ApplicationPropertiesUser, aSettingsFileThatIsALinkStaysALinkAndItsTargetIsReplacedInPlace)
{
    auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    auto dotfiles = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("dotfiles");
    auto target = dotfiles.getChildFile ("Kest.prop");
    ASSERT_TRUE (dotfiles.createDirectory());
    ASSERT_TRUE (target.replaceWithText ("<PROPERTIES><VALUE name=\"MIDIReceiveChannel\" val=\"3\"/></PROPERTIES>"));
    ASSERT_EQ (chmod (target.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (target.createSymbolicLink (file, false));

    {
        ApplicationPropertiesUser settings ("Kest");
        EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), 3);
        settings.setValue ("MIDICC_SustainPedal", 11);
    }

    EXPECT_TRUE (file.isSymbolicLink());
    EXPECT_EQ (file.getLinkedTarget(), target);
    ApplicationPropertiesUser reread ("Kest");
    EXPECT_EQ (reread.getIntValue ("MIDIReceiveChannel", -1), 3);
    EXPECT_EQ (reread.getIntValue ("MIDICC_SustainPedal", 64), 11);
    struct stat info;
    ASSERT_EQ (stat (target.getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ (info.st_mode & 0777, 0600u);
    EXPECT_EQ (dotfiles.findChildFiles (juce::File::findFilesAndDirectories, false).size(), 1); // no temporary left

    // A link that leads nowhere cannot be read, so it is not written through.
    ASSERT_TRUE (target.deleteFile());
    {
        ApplicationPropertiesUser settings ("Kest");
        EXPECT_FALSE (settings.isValidFile());
        settings.setValue ("MIDICC_SustainPedal", 12);
    }
    EXPECT_TRUE (file.isSymbolicLink());
    EXPECT_FALSE (target.exists());
}

TEST (ApplicationPropertiesUser, staleTemporaryFilesOfAKilledSaveGoWhenTheSettingsAreRead)
{
    auto folder = ApplicationPropertiesUser::getSettingsFile ("Kest").getParentDirectory();
    ASSERT_TRUE (folder.createDirectory());
    auto leave = [&folder] (const char* name, int secondsAgo) {
        auto file = folder.getChildFile (name);
        ASSERT_TRUE (file.replaceWithText ("half a file"));
        const auto when = (time_t) (time (nullptr) - secondsAgo);
        const utimbuf times { when, when };
        ASSERT_EQ (utime (file.getFullPathName().toRawUTF8(), &times), 0);
    };
    constexpr int twoHours = 2 * 60 * 60;
    // Left by this version's saves and by earlier ones (the framework's and our own).
    leave (".kest-save-Zz9Yy8", twoHours);
    leave ("Kest_temp1a2b3c4d.prop", twoHours);
    leave (".Kest.Favorites.xml.AbCdEf", twoHours);
    // Another instance's save in progress, and the user's own files.
    leave (".kest-save-Fresh1", 3);
    leave ("Kest_notes.prop", twoHours);
    leave ("Kest.prop.bak", twoHours);
    // Another product's in the maker's folder, named the same way.
    leave ("Other_temp1a2b3c4d.prop", twoHours);
    leave (".Other.Favorites.xml.AbCdEf", twoHours);

    ApplicationPropertiesUser settings ("Kest");
    auto names = folder.findChildFiles (juce::File::findFiles, false, "*");
    juce::StringArray left;
    for (auto& file : names)
        left.add (file.getFileName());
    left.sort (false);
    EXPECT_EQ (left.joinIntoString (" "), ".Other.Favorites.xml.AbCdEf .kest-save-Fresh1 Kest.prop.bak Kest_notes.prop Other_temp1a2b3c4d.prop");
}
