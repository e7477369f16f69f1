// Blocking lock calls made inside AudioEngine::processBlock on the audio
// thread: the goal is none.  A loaded message thread that held such a lock
// (while allocating, say) would stall the audio thread into a dropout.
//
// The program stands in for pthread_mutex_lock, the reader-writer locks and
// sem_wait (and passes every call on to the real function); it counts the
// calls a thread makes while it is inside processBlock.  Try-locks, which
// never wait, are counted apart.
//
// Each iteration plays 10 s of audio at 48 kHz in blocks of 256 on an audio
// thread of its own, under the callback lock as the host's wrapper holds it
// (that lock is taken outside processBlock and not counted), with dense MIDI
// in every block: notes on four channels, controllers mapped to parameters,
// pitch bend, all notes off.  Meanwhile the owner thread plays the on-screen
// keyboard, automates parameters and the voice settings, changes a
// controller assignment and stops all voices now and then, so the queued
// keyboard notes, stop requests and a busy mapping table are part of the run.
// Reported per 10 s of audio: blocking_locks (goal 0) and try_locks.

#include "engine/AudioEngine.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <thread>

namespace
{
thread_local bool insideProcessBlock = false;
std::atomic<long> blockingLockCalls { 0 };
std::atomic<long> tryLockCalls { 0 };

template <typename Function>
Function real (const char* name)
{
    return reinterpret_cast<Function> (dlsym (RTLD_NEXT, name));
}

using MutexCall = int (*) (pthread_mutex_t*);
using RwCall = int (*) (pthread_rwlock_t*);
using SemCall = int (*) (sem_t*);

void countBlocking()
{
    if (insideProcessBlock)
        blockingLockCalls.fetch_add (1, std::memory_order_relaxed);
}

void countTry()
{
    if (insideProcessBlock)
        tryLockCalls.fetch_add (1, std::memory_order_relaxed);
}
} // namespace

extern "C"
{
int pthread_mutex_lock (pthread_mutex_t* mutex)
{
    static const auto next = real<MutexCall> ("pthread_mutex_lock");
    countBlocking();
    return next (mutex);
}

int pthread_mutex_trylock (pthread_mutex_t* mutex)
{
    static const auto next = real<MutexCall> ("pthread_mutex_trylock");
    countTry();
    return next (mutex);
}

int pthread_rwlock_rdlock (pthread_rwlock_t* lock)
{
    static const auto next = real<RwCall> ("pthread_rwlock_rdlock");
    countBlocking();
    return next (lock);
}

int pthread_rwlock_wrlock (pthread_rwlock_t* lock)
{
    static const auto next = real<RwCall> ("pthread_rwlock_wrlock");
    countBlocking();
    return next (lock);
}

int sem_wait (sem_t* semaphore)
{
    static const auto next = real<SemCall> ("sem_wait");
    countBlocking();
    return next (semaphore);
}
}

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;
constexpr int secondsOfAudio = 10;

/** About 32 events per block: notes on and off on channels 1 to 4,
    controllers 1 to 92 (each mapped to a parameter by default), pitch bend,
    and now and then all notes off. */
void fillDenseMidi (juce::MidiBuffer& midi, int blockNumber)
{
    midi.clear();
    for (int position = 0, event = 0; position < blockSize; position += 8, ++event)
    {
        const int channel = 1 + (event + blockNumber) % 4;
        const int note = 36 + (event * 7 + blockNumber) % 48;
        switch (event % 4)
        {
            case 0: midi.addEvent (juce::MidiMessage::noteOn (channel, note, (juce::uint8) 100), position); break;
            case 1: midi.addEvent (juce::MidiMessage::noteOff (channel, 36 + (event * 7 + blockNumber + 41) % 48), position); break;
            case 2: midi.addEvent (juce::MidiMessage::controllerEvent (channel, 1 + (event + blockNumber) % 92,
                                                                       (event * 13 + blockNumber) % 128), position); break;
            default: midi.addEvent (juce::MidiMessage::pitchWheel (channel, (event * 509 + blockNumber * 97) % 16384), position); break;
        }
    }
    if (blockNumber % 50 == 49)
        midi.addEvent (juce::MidiMessage::allNotesOff (1 + blockNumber % 4), blockSize - 1);
}

void blockingLocksInsideProcessBlock (benchmark::State& state)
{
    AudioEngine engine;
    engine.prepareToPlay (sampleRate, blockSize);
    const int numBlocks = (int) (secondsOfAudio * sampleRate) / blockSize;
    long blocking = 0, trying = 0;

    for (auto _ : state)
    {
        blockingLockCalls = 0;
        tryLockCalls = 0;
        std::atomic<bool> playing { true };

        std::thread audio ([&]
        {
            juce::AudioBuffer<float> buffer (2, blockSize);
            juce::MidiBuffer midi;
            midi.ensureSize (8192);
            for (int block = 0; block < numBlocks; ++block)
            {
                fillDenseMidi (midi, block);
                const juce::ScopedLock lock (engine.getCallbackLock());
                insideProcessBlock = true;
                engine.processBlock (buffer, midi);
                insideProcessBlock = false;
            }
            playing = false;
        });

        // The owner thread: the on-screen keyboard, automation, and now and
        // then a controller assignment (the mapping table's lock) or a stop.
        auto& keyboard = engine.getKeyboardState();
        for (int step = 0; playing.load(); ++step)
        {
            const int note = 48 + step % 24;
            keyboard.noteOn (1, note, 0.7f);
            engine.setParameter (step % 88, (float) (step % 100) / 100.0f);
            keyboard.noteOff (1, note, 0.0f);
            if (step % 64 == 0)
                engine.setParameterCC (7, (unsigned int) (8 + step / 64 % 2));
            if (step % 128 == 0)
                engine.setParameter (88 + step / 128 % 4, (float) (step / 512 % 2));
            if (step % 1000 == 999)
                engine.stopAllVoices();
            std::this_thread::yield();
        }
        audio.join();

        blocking += blockingLockCalls.load();
        trying += tryLockCalls.load();
    }

    const auto runs = (double) state.iterations();
    state.counters["blocking_locks"] = (double) blocking / runs;
    state.counters["try_locks"] = (double) trying / runs;
}
} // namespace

BENCHMARK (blockingLocksInsideProcessBlock)->Unit (benchmark::kMillisecond)->Iterations (3);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI framework;
    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
