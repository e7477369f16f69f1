#include "engine/ApplicationPropertiesUser.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <spawn.h>
#include <sys/wait.h>

// Two processes (two hosts, or a host and a scanner) marking favourites and
// changing settings of their own at the same time: each one's additions and
// removals survive the other's saves.

extern char** environ;

namespace
{
/** Starts the saving process; -1 when it cannot be started. */
pid_t startSaver (const std::vector<std::string>& arguments)
{
    std::vector<char*> argv { const_cast<char*> (KEST_CONCURRENT_SAVER) };
    for (auto& argument : arguments)
        argv.push_back (const_cast<char*> (argument.c_str()));
    argv.push_back (nullptr);
    pid_t child = -1;
    return ::posix_spawn (&child, KEST_CONCURRENT_SAVER, nullptr, nullptr, argv.data(), environ) == 0 ? child : -1;
}

int exitCodeOf (pid_t child)
{
    int status = 0;
    return ::waitpid (child, &status, 0) == child && WIFEXITED (status) ? WEXITSTATUS (status) : -1;
}

/** What survived against what each process left: the names it added and
    kept that are missing, and the names it took back that came back. */
struct Count
{
    juce::StringArray lost, back;
};

Count compare (const std::set<juce::String>& survived, const juce::StringArray& processes, int rounds)
{
    Count count;
    for (auto& process : processes)
        for (int round = 0; round < rounds; ++round)
        {
            // Round r takes back round r - 2 when r % 4 == 3.
            const bool takenBack = (round + 2) % 4 == 3 && round + 2 < rounds;
            const auto name = process + "-" + juce::String (round);
            if (takenBack && survived.count (name) > 0)
                count.back.add (name);
            if (! takenBack && survived.count (name) == 0)
                count.lost.add (name);
        }
    return count;
}
} // namespace

TEST (ConcurrentSaves, twoProcessesMarkingFavouritesAndChangingSettingsLoseNoneOfEachOthersChanges)
{
    ScratchFolder scratch ("kest-concurrent");
    ASSERT_TRUE (scratch.wasCreated());
    const auto presets = scratch.getChildFile ("presets");
    const auto favourites = scratch.getChildFile ("Kest.Favorites.xml");
    const auto start = scratch.getChildFile ("start");
    ASSERT_TRUE (presets.createDirectory());

    constexpr int rounds = 150;
    const juce::StringArray processes { "A", "B" };
    for (auto& process : processes)
        for (int round = 0; round < rounds; ++round)
            ASSERT_TRUE (presets.getChildFile (process + "-" + juce::String (round) + ".prs").replaceWithText ("sound"));

    std::vector<pid_t> children;
    for (auto& process : processes)
    {
        children.push_back (startSaver ({ process.toStdString(), std::to_string (rounds), presets.getFullPathName().toStdString(),
                                          favourites.getFullPathName().toStdString(), start.getFullPathName().toStdString() }));
        ASSERT_GT (children.back(), 0);
    }
    ASSERT_TRUE (start.create());
    for (size_t i = 0; i < children.size(); ++i)
        EXPECT_EQ (exitCodeOf (children[i]), 0) << "failed saves of process " << processes[(int) i];

    std::set<juce::String> favouritesLeft;
    auto root = juce::parseXML (favourites);
    ASSERT_NE (root, nullptr);
    for (auto* list : root->getChildWithTagNameIterator ("FAVLIST"))
        for (auto* entry : list->getChildIterator())
            favouritesLeft.insert (entry->getStringAttribute ("id").fromLastOccurrenceOf ("/", false, false));

    std::set<juce::String> keysLeft;
    Korvalden::Misc::ApplicationPropertiesUser settings ("Kest");
    for (auto& key : settings.getAllProperties().getAllKeys())
        keysLeft.insert (key);

    for (auto [what, survived] : { std::pair { "favourites", &favouritesLeft }, std::pair { "settings keys", &keysLeft } })
    {
        const auto count = compare (*survived, processes, rounds);
        EXPECT_EQ (count.lost.size(), 0) << what << " lost: " << count.lost.joinIntoString (" ");
        EXPECT_EQ (count.back.size(), 0) << what << " taken back but there again: " << count.back.joinIntoString (" ");
    }
}
