#include "FakeVoices.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
bool contains (const std::vector<FakeVoice*>& list, FakeVoice* voice)
{
    return std::find (list.begin(), list.end(), voice) != list.end();
}
} // namespace

//==============================================================================
TEST (VoiceStealing, QuietestReleasingVoiceOfAnyManagerIsStolenBeforeAPlayingOne)
{
    FakePool pool;
    pool.setNumberOfVoices (4);
    FakeManager a (pool), b (pool);

    a.noteOn (60, 1.0f);
    a.noteOn (61, 1.0f);
    b.noteOn (62, 1.0f);
    b.noteOn (63, 1.0f);
    auto aVoices = a.voiceList();
    auto bVoices = b.voiceList();

    a.noteOff (61);
    aVoices[1]->level = 0.5f;
    b.noteOff (62);
    bVoices[0]->level = 0.2f;
    b.noteOff (63);
    bVoices[1]->level = 0.2f; // equal level: the first one met wins

    a.noteOn (70, 1.0f);

    EXPECT_EQ (a.starts.back().voice, bVoices[0]);
    EXPECT_EQ (a.starts.back().note, 70);
    EXPECT_FALSE (a.starts.back().legato);
    EXPECT_EQ (a.notes(), (std::vector<int> { 60, 61, 70 }));
    EXPECT_EQ (b.notes(), (std::vector<int> { 63 }));
    // It was releasing already: detached by its owner, not released again.
    EXPECT_TRUE (contains (b.stops, bVoices[0]));
    EXPECT_EQ (b.releases.size(), 2u);
    EXPECT_EQ (pool.getNumFreeVoices(), 0u);
}

TEST (VoiceStealing, WithoutReleasingVoicesThisManagersOldestIsReleasedFastAndConsecutiveStealsDiffer)
{
    FakePool pool;
    pool.setNumberOfVoices (16);
    FakeManager manager (pool);

    for (int note = 0; note < 16; ++note)
        manager.noteOn (note, 1.0f);

    const auto original = manager.voiceList();
    manager.noteOn (16, 1.0f);

    ASSERT_EQ (manager.releases.size(), 1u);
    EXPECT_EQ (manager.releases[0].voice, original[0]);
    EXPECT_TRUE (manager.releases[0].fast);
    EXPECT_TRUE (contains (manager.stops, original[0]));
    EXPECT_EQ (manager.starts.back().voice, original[0]);

    // The retriggered voice moved to the end, so the next steal takes note 1's
    // voice and note 16 keeps sounding.
    manager.noteOn (17, 1.0f);
    EXPECT_EQ (manager.starts.back().voice, original[1]);

    std::vector<int> expected;
    for (int note = 2; note < 18; ++note)
        expected.push_back (note);
    EXPECT_EQ (manager.notes(), expected);
}

TEST (VoiceStealing, AManagerWithoutVoicesStealsTheFirstVoiceOfAnother)
{
    FakePool pool;
    pool.setNumberOfVoices (2);
    FakeManager a (pool), b (pool);
    a.noteOn (60, 1.0f);
    a.noteOn (61, 1.0f);
    auto* oldest = a.voiceList()[0];

    b.noteOn (72, 1.0f);

    EXPECT_EQ (b.voiceList(), (std::vector<FakeVoice*> { oldest }));
    EXPECT_EQ (a.notes(), (std::vector<int> { 61 }));
    ASSERT_EQ (a.releases.size(), 1u);
    EXPECT_TRUE (a.releases[0].fast);
    EXPECT_TRUE (contains (a.stops, oldest));
    EXPECT_EQ (oldest->note, 72);
}

//==============================================================================
TEST (MonoVoiceManager, HighestNoteHasPriorityAndNoteOffFallsBackLegatoToTheHighestLowerNote)
{
    FakePool pool;
    pool.setNumberOfVoices (4);
    FakeManager manager (pool);
    manager.setMonophonic (true);

    manager.noteOn (60, 0.8f);
    manager.noteOn (48, 0.8f); // lower: only marked held
    manager.noteOn (55, 0.8f);
    ASSERT_EQ (manager.starts.size(), 1u);
    auto* voice = manager.starts[0].voice;
    EXPECT_FALSE (manager.starts[0].legato);
    EXPECT_EQ (manager.starts[0].glideFrom, -1.0f);

    manager.noteOff (60);
    ASSERT_EQ (manager.starts.size(), 2u);
    EXPECT_EQ (manager.starts[1].voice, voice);
    EXPECT_EQ (manager.starts[1].note, 55);
    EXPECT_TRUE (manager.starts[1].legato);
    EXPECT_EQ (manager.starts[1].velocity, 0.0f);
    EXPECT_EQ (manager.starts[1].glideFrom, 60.0f);
    EXPECT_EQ (voice->note, 55);
    EXPECT_EQ (manager.getLastNote(), 55);
    EXPECT_TRUE (manager.releases.empty());

    // A higher note retargets the same voice legato, gliding from where it is.
    manager.noteOn (72, 0.8f);
    ASSERT_EQ (manager.starts.size(), 3u);
    EXPECT_EQ (manager.starts[2].voice, voice);
    EXPECT_TRUE (manager.starts[2].legato);
    EXPECT_EQ (manager.starts[2].glideFrom, 55.0f);
    EXPECT_EQ (pool.getNumFreeVoices(), 3u);

    manager.noteOff (72);
    manager.noteOff (55);
    EXPECT_EQ (voice->note, 48);
    manager.noteOff (48);
    ASSERT_EQ (manager.releases.size(), 1u);
    EXPECT_FALSE (manager.releases[0].fast);
}

TEST (MonoVoiceManager, ReleasingTheSustainPedalFallsBackToAHeldNoteOrReleases)
{
    FakePool pool;
    pool.setNumberOfVoices (4);
    FakeManager manager (pool);
    manager.setMonophonic (true);

    manager.noteOn (48, 1.0f);
    manager.noteOn (60, 1.0f);
    auto* voice = manager.starts.back().voice;
    manager.setSustain (true);
    manager.noteOff (60);
    EXPECT_EQ (voice->note, 60);
    EXPECT_EQ (voice->state, 1);

    manager.setSustain (false);
    EXPECT_EQ (voice->note, 48);
    EXPECT_TRUE (manager.starts.back().legato);
    EXPECT_EQ (manager.starts.back().glideFrom, -1.0f); // jumps without glide
    EXPECT_TRUE (manager.releases.empty());

    manager.setSustain (true);
    manager.noteOff (48);
    EXPECT_TRUE (manager.releases.empty());
    manager.setSustain (false);
    ASSERT_EQ (manager.releases.size(), 1u);
    EXPECT_FALSE (manager.releases[0].fast);
}

TEST (MonoVoiceManager, SwitchingMonoOnWaitsForTheRequestToBeAppliedAndKeepsTheHighestNote)
{
    FakePool pool;
    pool.setNumberOfVoices (8);
    FakeManager manager (pool, 4);
    manager.voicesPerNote = 4;
    manager.noteOn (60, 1.0f);
    manager.voicesPerNote = 1;
    manager.noteOn (64, 1.0f);
    manager.noteOn (67, 1.0f);
    manager.noteOff (67);
    manager.releases.clear();

    manager.requestMonophonic (true);
    EXPECT_FALSE (manager.isMonophonic());
    EXPECT_TRUE (manager.releases.empty());

    pool.applyMonophonicRequests();
    EXPECT_TRUE (manager.isMonophonic());
    // The highest held note is 64: only its voice keeps sounding.
    ASSERT_EQ (manager.releases.size(), 5u);
    for (const auto& release : manager.releases)
    {
        EXPECT_TRUE (release.fast);
        EXPECT_NE (release.voice->note, 64);
    }

    manager.releases.clear();
    pool.applyMonophonicRequests(); // nothing pending
    EXPECT_TRUE (manager.releases.empty());

    manager.requestMonophonic (false);
    manager.applyMonophonicRequest();
    EXPECT_FALSE (manager.isMonophonic());
}

TEST (MonoVoiceManager, WithNoNoteHeldTheHighestSoundingNoteKeepsAllItsUnisonSlots)
{
    FakePool pool;
    pool.setNumberOfVoices (8);
    FakeManager manager (pool, 4);
    manager.voicesPerNote = 4;
    manager.noteOn (50, 1.0f);
    manager.noteOn (62, 1.0f);
    manager.noteOff (50);
    manager.noteOff (62);
    manager.releases.clear();

    manager.voicesPerNote = 1;
    manager.setMonophonic (true);

    // Slot 0 of note 62 is taken, slots 1..3 lie beyond one voice per note.
    ASSERT_EQ (manager.releases.size(), 4u);
    for (const auto& release : manager.releases)
        EXPECT_EQ (release.voice->note, 50);
}

//==============================================================================
TEST (VoicePool, RendersInChunksOfAtMost512AndAddsMonoVoicesToBothChannels)
{
    FakePool pool;
    pool.setNumberOfVoices (3);
    FakeManager a (pool), b (pool);
    a.noteOn (60, 1.0f);
    b.noteOn (61, 1.0f);
    a.voiceList()[0]->value = 0.25f;
    b.voiceList()[0]->value = 0.5f;

    juce::AudioBuffer<float> buffer (2, 1400);
    buffer.clear();
    pool.process (buffer, 100, 1300);

    EXPECT_EQ (a.voiceList()[0]->chunks, (std::vector<int> { 512, 512, 176 }));
    EXPECT_EQ (pool.advances, (std::vector<unsigned> { 512, 512, 176 }));

    for (int channel = 0; channel < 2; ++channel)
    {
        EXPECT_EQ (buffer.getSample (channel, 99), 0.0f);
        EXPECT_EQ (buffer.getSample (channel, 100), 0.75f);
        EXPECT_EQ (buffer.getSample (channel, 1299), 0.75f);
        EXPECT_EQ (buffer.getSample (channel, 1300), 0.0f);
    }

    juce::AudioBuffer<float> mono (1, 64);
    mono.clear();
    pool.process (mono, 0, 64);
    EXPECT_EQ (mono.getSample (0, 63), 0.75f);

    // Without channels nothing is written, but the voices run on and finish.
    auto* voice = a.voiceList()[0];
    voice->samplesUntilFinished = 600;
    voice->chunks.clear();
    juce::AudioBuffer<float> none (0, 700);
    pool.process (none, 0, 700);
    EXPECT_EQ (voice->chunks, (std::vector<int> { 512, 188 }));
    EXPECT_TRUE (a.getVoices().empty());
    EXPECT_EQ (pool.getNumFreeVoices(), 2u);
}

TEST (VoicePool, FinishedVoicesReturnToTheFreeListWithoutSkippingTheNextVoice)
{
    FakePool pool;
    pool.setNumberOfVoices (4);
    FakeManager manager (pool);

    for (int note = 60; note < 63; ++note)
        manager.noteOn (note, 1.0f);

    auto voices = manager.voiceList();
    voices[0]->samplesUntilFinished = 100;
    voices[1]->samplesUntilFinished = 100;

    juce::AudioBuffer<float> buffer (2, 1200);
    buffer.clear();
    pool.process (buffer, 0, 1200);

    EXPECT_EQ (voices[0]->chunks, (std::vector<int> { 512 }));
    EXPECT_EQ (voices[1]->chunks, (std::vector<int> { 512 }));
    EXPECT_EQ (voices[2]->chunks, (std::vector<int> { 512, 512, 176 }));
    EXPECT_EQ (manager.voiceList(), (std::vector<FakeVoice*> { voices[2] }));
    EXPECT_TRUE (contains (manager.stops, voices[0]));
    EXPECT_TRUE (contains (manager.stops, voices[1]));
    EXPECT_EQ (pool.getNumFreeVoices(), 3u);

    // The voice idle longest (never used) comes first, then the reclaimed ones.
    manager.noteOn (70, 1.0f);
    manager.noteOn (71, 1.0f);
    EXPECT_NE (manager.starts[3].voice, voices[0]);
    EXPECT_EQ (manager.starts[4].voice, voices[0]);
}

TEST (VoicePool, StopAllAndResizingReleaseFastDetachAndFreeEveryVoice)
{
    FakePool pool;
    pool.prepare (2, 88200.0f);
    pool.setNumberOfVoices (4);
    FakeManager a (pool), b (pool);
    a.noteOn (60, 1.0f);
    a.noteOn (62, 1.0f);
    a.noteOff (62);
    b.noteOn (64, 1.0f);

    pool.setNumberOfVoices (4); // same count: still stops everything

    ASSERT_EQ (a.releases.size(), 2u);
    EXPECT_TRUE (a.releases[1].fast);
    EXPECT_EQ (a.releases[1].voice->note, 60);
    EXPECT_EQ (a.stops.size(), 2u);
    EXPECT_EQ (b.stops.size(), 1u);
    EXPECT_TRUE (a.getVoices().empty());
    EXPECT_TRUE (b.getVoices().empty());
    EXPECT_EQ (pool.getNumFreeVoices(), 4u);
    EXPECT_FALSE (a.isHeld (60));

    pool.setNumberOfVoices (6);
    EXPECT_EQ (pool.getNumFreeVoices(), 6u);
    EXPECT_EQ (pool.created.back()->sampleRate, 88200.0f);

    pool.setNumberOfVoices (1);
    EXPECT_EQ (pool.getNumFreeVoices(), 1u);
}

TEST (VoicePool, ResizingBuildsAndDeletesVoicesOutsideTheSwap)
{
    FakePool pool;
    pool.prepare (2, 48000.0f);
    pool.setNumberOfVoices (2);
    FakeManager manager (pool);
    manager.noteOn (60, 1.0f);

    // Building the voices leaves the pool as it is; they come at its rate.
    auto spare = pool.createVoices (5);
    ASSERT_EQ (spare.size(), 3u);
    EXPECT_EQ (manager.getVoices().size(), 1u);
    EXPECT_EQ (pool.getNumVoices(), 2u);
    for (auto* voice : spare)
        EXPECT_EQ (static_cast<FakeVoice*> (voice)->sampleRate, 48000.0f);

    // The swap stops every voice and takes exactly the voices built before.
    const std::set<VoiceManager::Voice*> built (spare.begin(), spare.end());
    const auto createdBefore = pool.created.size();
    pool.exchangeVoices (5, spare);
    EXPECT_EQ (pool.created.size(), createdBefore);
    EXPECT_TRUE (spare.empty());
    EXPECT_TRUE (manager.getVoices().empty());
    EXPECT_EQ (pool.getNumFreeVoices(), 5u);
    EXPECT_EQ (pool.getNumVoices(), 5u);
    EXPECT_TRUE (pool.createVoices (5).empty());

    // Shrinking hands the surplus voices over instead of deleting them.
    pool.exchangeVoices (2, spare);
    EXPECT_EQ (spare.size(), 3u);
    EXPECT_EQ (pool.getNumFreeVoices(), 2u);
    size_t handedOver = 0;
    for (auto* voice : spare)
        handedOver += built.count (voice);
    EXPECT_EQ (handedOver, 3u); // the newest voices leave first
    VoiceManager::VoicePool::deleteVoices (spare);
    EXPECT_TRUE (spare.empty());
}
