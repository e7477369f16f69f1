// The live player with the built bundle's instance: MIDI queued by several
// threads at once (the main thread's keyboard, the MIDI inputs' threads)
// while the player's own thread processes.

#include "host/HostCollection.h"
#include "host/HostEnvironment.h"
#include "host/HostUnknown.h"
#include "host/LivePlayer.h"
#include "host/PluginBundle.h"
#include "host/PluginInstance.h"
#include "tests/support/MidiPacket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

using namespace KestHost;

TEST (LivePlayer, NotesQueuedFromSeveralThreadsWhilePlayingAllArriveAndLeaveNoNoteHanging)
{
    PluginBundle bundle (KEST_BUNDLE_PATH);
    HostEnvironment registration;
    bundle.entryPoints().startup (&registration.hostUnknown());
    IACFPluginDefinition* definition = nullptr;
    ASSERT_EQ (bundle.entryPoints().registerPlugin (&registration.hostUnknown(), &definition), AAX_SUCCESS);
    {
        const auto& description = static_cast<HostPluginDefinition*> (definition)->collection();
        constexpr int blockSize = 512;
        PluginInstance instance (description, 48000.0f, 2, blockSize);
        LivePlayer player;
        player.start (instance, nullptr);

        // Each thread plays short notes on its own channel; a full queue is
        // tried again once the player has taken some.
        auto playNotes = [&player] (int channel)
        {
            for (int round = 0; round < 300; ++round)
            {
                const auto note = (uint8_t) (36 + (round * 7) % 48);
                for (const auto& packet : { midiPacket (0, (uint8_t) (0x90 | channel), note, 100),
                                            midiPacket (0, (uint8_t) (0x80 | channel), note, 0) })
                    while (! player.queue (packet))
                        std::this_thread::yield();
            }
        };
        std::thread input (playNotes, 1);
        playNotes (0);
        input.join();

        // Once two more blocks have taken what was queued, the context is
        // this thread's again.
        const auto queuedBy = player.blocksProcessed();
        while (player.blocksProcessed() < queuedBy + 2)
            std::this_thread::yield();
        player.stop();

        // Every note off arrived: after the releases nothing sounds.
        auto& context = instance.context();
        float lastPeak = 1.0f;
        for (int block = 0; block < 400 && lastPeak > 0.0f; ++block)
        {
            context.midiNode().clear();
            context.process (blockSize);
            lastPeak = 0.0f;
            for (int channel = 0; channel < context.channels(); ++channel)
                for (int i = 0; i < blockSize; ++i)
                    lastPeak = std::max (lastPeak, std::abs (context.output (channel)[i]));
        }
        EXPECT_LT (lastPeak, 1.0e-4f);
    }
    definition->Release();
    bundle.entryPoints().shutdown (nullptr);
}
