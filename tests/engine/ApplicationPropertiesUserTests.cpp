#include "engine/ApplicationPropertiesUser.h"

#include "platform/ApplicationSupport.h"
#include "tests/support/NoPermissionOverride.h"
#include "tests/support/StandardErrorCapture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
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
            // The change an earlier object could not save is kept in memory.
            EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), &text == hostile ? -1 : 5);
            EXPECT_FALSE (settings.save());

            // The user's change holds in memory only: the file is theirs.
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
        EXPECT_EQ (settings.getIntValue ("MIDIReceiveChannel", -1), 5); // still unsaved, over the file's 3
        settings.setValue ("MIDICC_Glide_1", 12);
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
    EXPECT_EQ (stored["SetTwice"], "other"); // the later change of a key wins, though saved first
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

TEST (ApplicationPropertiesUser, aSaveRemovesOnlyOurOwnStaleTemporaryFilesInTheFolderItWrites)
{
    const auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    const auto folder = file.getParentDirectory();
    const auto dotfiles = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("dotfiles");
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE (dotfiles.createDirectory());
    auto leave = [] (const juce::File& left, int secondsAgo) {
        ASSERT_TRUE (left.replaceWithText ("half a file"));
        const auto when = (time_t) (time (nullptr) - secondsAgo);
        const utimbuf times { when, when };
        ASSERT_EQ (utime (left.getFullPathName().toRawUTF8(), &times), 0);
    };
    auto namesIn = [] (const juce::File& where) {
        juce::StringArray names;
        for (auto& child : where.findChildFiles (juce::File::findFiles, false, "*", juce::File::FollowSymlinks::no))
            names.add (child.getFileName());
        names.sort (false);
        return names;
    };
    auto sorted = [] (juce::StringArray names, const char* more) {
        names.add (more);
        names.sort (false);
        return names;
    };
    constexpr int twoHours = 2 * 60 * 60;

    // What a save of this version killed long ago is the only file that goes.
    // Names of earlier development builds, the user's own files, another
    // product's, and another instance's save in progress all stay.
    leave (folder.getChildFile (".kest-save-Zz9Yy8"), twoHours);
    for (auto name : { "Kest_temp1a2b3c4d.prop", "Kest_temp2024.prop", ".Kest.Favorites.xml.AbCdEf", "Kest_notes.prop",
                       "Kest.prop.bak", "Other_temp1a2b3c4d.prop", ".Other.Favorites.xml.AbCdEf" })
        leave (folder.getChildFile (name), twoHours);
    leave (folder.getChildFile (".kest-save-Fresh1"), 3);
    const auto others = juce::StringArray::fromTokens (".Kest.Favorites.xml.AbCdEf .Other.Favorites.xml.AbCdEf .kest-save-Fresh1 "
                                                       "Kest.prop.bak Kest_notes.prop Kest_temp1a2b3c4d.prop "
                                                       "Kest_temp2024.prop Other_temp1a2b3c4d.prop", false);
    {
        ApplicationPropertiesUser settings ("Kest");
        EXPECT_EQ (namesIn (folder), sorted (others, ".kest-save-Zz9Yy8")); // reading removes nothing
        settings.setValue ("MIDIReceiveChannel", 3);
        ASSERT_TRUE (settings.save());
    }
    EXPECT_EQ (namesIn (folder), sorted (others, "Kest.prop"));

    // Saved through a link, the settings are written beside the link's
    // target: nothing is removed there, nor in the link's own folder.
    ASSERT_TRUE (file.moveFileTo (dotfiles.getChildFile ("Kest.prop")));
    ASSERT_TRUE (dotfiles.getChildFile ("Kest.prop").createSymbolicLink (file, false));
    leave (dotfiles.getChildFile (".kest-save-Ab12Cd"), twoHours);
    leave (folder.getChildFile (".kest-save-Yy8Xx7"), twoHours);
    {
        ApplicationPropertiesUser settings ("Kest");
        settings.setValue ("MIDIReceiveChannel", 4);
        ASSERT_TRUE (settings.save());
    }
    EXPECT_EQ (namesIn (dotfiles).joinIntoString (" "), ".kest-save-Ab12Cd Kest.prop");
    EXPECT_TRUE (folder.getChildFile (".kest-save-Yy8Xx7").existsAsFile());
    EXPECT_EQ (ApplicationPropertiesUser ("Kest").getIntValue ("MIDIReceiveChannel", -1), 4);
}

TEST (ApplicationPropertiesUser, aSaveThatFailsIsToldOnceAndWhatItHeldWaitsInMemoryForTheNextSave)
{
    const auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    const auto folder = file.getParentDirectory();
    const auto nowhere = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("gone/Kest.prop");
    const juce::String before ("<PROPERTIES><VALUE name=\"Old\" val=\"1\"/></PROPERTIES>");

    for (const bool throughLink : { false, true })
    {
        SCOPED_TRACE (throughLink ? "link to nowhere" : "read-only folder");
        ASSERT_TRUE (folder.createDirectory());
        ASSERT_TRUE (file.replaceWithText (before));
        // Root is held to the folder's permissions too.
        std::optional<NoPermissionOverride> heldToPermissions;
        if (throughLink)
        {
            ASSERT_TRUE (file.deleteFile());
            ASSERT_TRUE (nowhere.createSymbolicLink (file, true));
        }
        else
        {
            ASSERT_EQ (chmod (folder.getFullPathName().toRawUTF8(), 0555), 0);
            heldToPermissions.emplace();
        }
        const auto why = [&] (const juce::String& told) {
            return throughLink ? told.contains ("a link that leads nowhere")
                               : told.contains (std::strerror (EACCES)) || told.contains (std::strerror (EPERM));
        };

        // Without a handler: one line on standard error, however often it fails.
        {
            StandardErrorCapture errors;
            {
                ApplicationPropertiesUser settings ("Kest");
                settings.setValue ("MIDIReceiveChannel", 5);
                settings.removeValue ("Old");
                EXPECT_FALSE (settings.save());
                EXPECT_FALSE (settings.save());
            } // nor on closing
            const auto lines = errors.lines();
            ASSERT_EQ (lines.size(), 1);
            EXPECT_TRUE (lines[0].startsWith ("Kest: could not save \"" + file.getFullPathName() + "\": ")) << lines[0];
            EXPECT_TRUE (why (lines[0])) << lines[0];

            // The next object holds what could not be saved, and is not told again.
            juce::StringArray told;
            ApplicationPropertiesUser next ("Kest");
            next.setSaveFailureHandler ([&told] (const juce::File&, const juce::String& reason) { told.add (reason); });
            EXPECT_EQ (next.getIntValue ("MIDIReceiveChannel", -1), 5);
            EXPECT_FALSE (next.containsKey ("Old"));
            EXPECT_TRUE (next.needsToBeSaved());
            EXPECT_FALSE (next.save());
            EXPECT_EQ (told.size(), 0);
            EXPECT_EQ (errors.lines().size(), 1);
        }

        // Mended, the next object writes it.
        heldToPermissions.reset();
        ASSERT_EQ (chmod (folder.getFullPathName().toRawUTF8(), 0755), 0);
        ASSERT_TRUE (! throughLink || (nowhere.getParentDirectory().createDirectory() && nowhere.replaceWithText ("<PROPERTIES/>")));
        {
            ApplicationPropertiesUser next ("Kest");
            EXPECT_TRUE (next.save());
        }
        auto written = juce::parseXML (throughLink ? nowhere : file);
        ASSERT_NE (written, nullptr);
        EXPECT_EQ (written->getNumChildElements(), 1);
        EXPECT_EQ (written->getChildByAttribute ("name", "MIDIReceiveChannel")->getStringAttribute ("val"), "5");
    }
}

TEST (ApplicationPropertiesUser, aSaveThatFailedIsTriedAgainEverySecondUntilItLandsAndLaterChangesStillStartASave)
{
    const auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    const auto folder = file.getParentDirectory();
    const auto landed = [&file] (const char* key, const char* value)
    {
        const juce::String written = juce::String ("name=\"") + key + "\" val=\"" + value + "\"";
        for (int waited = 0; waited < 30000 && ! file.loadFileAsString().contains (written); waited += 20)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        return file.loadFileAsString().contains (written);
    };
    ApplicationPropertiesUser settings ("Kest");
    juce::StringArray told;
    settings.setSaveFailureHandler ([&told] (const juce::File&, const juce::String& reason) { told.add (reason); });

    // A file where the folder belongs: the folder cannot be made.
    ASSERT_TRUE (folder.getParentDirectory().createDirectory());
    ASSERT_TRUE (folder.replaceWithText ("in the way"));
    settings.setValue ("MIDIReceiveChannel", 5);
    EXPECT_FALSE (settings.save());
    ASSERT_EQ (told.size(), 1);
    EXPECT_TRUE (told[0].contains ("folder")) << told[0];

    // Mended, the save lands with no further call.
    ASSERT_TRUE (folder.deleteFile());
    EXPECT_TRUE (landed ("MIDIReceiveChannel", "5"));
    EXPECT_FALSE (settings.needsToBeSaved());

    // A change after it is saved by its own timer.
    settings.setValue ("MIDICC_SustainPedal", 11);
    EXPECT_TRUE (landed ("MIDICC_SustainPedal", "11"));
    EXPECT_EQ (told.size(), 1);
}

TEST (ApplicationPropertiesUser, twoObjectsThatGoWhileAnotherProgramHoldsTheFolderLeaveTheNewerChangeWhicheverGoesLast)
{
    // Both go while the folder is locked (here by a lock of the test's own,
    // as another program holds it), so what each changed is kept for the
    // next object, which saves it once the folder is free.
    using Korvalden::Misc::SaveLock;
    const auto file = ApplicationPropertiesUser::getSettingsFile ("Kest");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    for (const bool newerGoesLast : { true, false })
    {
        SCOPED_TRACE (newerGoesLast ? "the newer change goes last" : "the older change goes last");
        const juce::String key = newerGoesLast ? "MIDICC_Glide_1" : "MIDICC_Glide_2";
        {
            const SaveLock otherProgram (file);
            ASSERT_FALSE (otherProgram.wasRefused());
            const StandardErrorCapture toldNotSaved;
            auto older = std::make_unique<ApplicationPropertiesUser> ("Kest");
            auto newer = std::make_unique<ApplicationPropertiesUser> ("Kest");
            older->setValue (key, "older");
            newer->setValue (key, "newer");
            (newerGoesLast ? older : newer).reset();
            (newerGoesLast ? newer : older).reset();
        }
        ApplicationPropertiesUser next ("Kest");
        EXPECT_EQ (next.getValue (key), "newer");
        for (int waited = 0; waited < 30000 && ! next.save(); waited += 20)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_EQ (ApplicationPropertiesUser ("Kest").getValue (key), "newer");
    }
}
