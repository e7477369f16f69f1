#pragma once

#include "engine/AudioEngine.h"
#include "tests/engine/EngineProbes.h"

#include <initializer_list>
#include <thread>
#include <utility>

/** Milliseconds within which a call that must not wait for audio returns:
    the engine's wait for an audio thread that does not come lasts its full
    5 s on any machine, so anything shorter did not wait for it, however
    slow the machine. */
constexpr double shorterThanTheWaitForAudioMs = 4500.0;

/** Runs work the way the host's audio thread runs the engine: holding the
    engine's callback lock, which the host's wrapper holds around every
    block.  A test thread that plays the engine, or reads what the audio
    thread writes (voice lists, gains), does it through here. */
template <typename Work>
decltype (auto) asTheAudioThread (AudioEngine& engine, Work&& work)
{
    const juce::ScopedLock lock (engine.getCallbackLock());
    return std::forward<Work> (work)();
}

/** Plays one block as the host's wrapper does. */
inline void playBlockAsHost (AudioEngine& engine, juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    asTheAudioThread (engine, [&] { engine.processBlock (buffer, midi); });
}

/** Runs one 64-sample block with the messages at samples 0, 1, 2, ... */
inline void playOneBlock (AudioEngine& engine, std::initializer_list<juce::MidiMessage> messages)
{
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;
    int position = 0;
    for (auto& message : messages)
        midi.addEvent (message, position++);
    engine.processBlock (buffer, midi);
}

/** Holds the engine's callback lock on a thread of its own, as a long audio
    block would, until release(). */
struct CallbackLockHolder
{
    explicit CallbackLockHolder (AudioEngine& engine)
        : holder ([this, &engine]
          {
              const juce::ScopedLock lock (engine.getCallbackLock());
              held.signal();
              releaseNow.wait (-1);
          })
    {
        held.wait (-1);
    }

    ~CallbackLockHolder() { release(); }

    void release()
    {
        releaseNow.signal();
        if (holder.joinable())
            holder.join();
    }

    juce::WaitableEvent held, releaseNow;
    std::thread holder;
};
