#include "EngineProbes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

// The on-screen keyboard's notes on the message thread allocate nothing while
// the host processes: the message thread may hold the keyboard state's lock
// there, and nothing may allocate while holding a lock.  Every operator new
// of this test program is counted per thread.

namespace
{
thread_local long allocationsOnThisThread = 0;

void* allocate (std::size_t size)
{
    ++allocationsOnThisThread;
    if (void* memory = std::malloc (size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    ++allocationsOnThisThread;
    const auto align = (std::size_t) alignment;
    if (void* memory = std::aligned_alloc (align, (size + align - 1) / align * align))
        return memory;
    throw std::bad_alloc();
}

/** Counts the allocations of the calling thread from construction. */
struct AllocationCount
{
    long sinceStart() const { return allocationsOnThisThread - start; }
    const long start = allocationsOnThisThread;
};
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, std::align_val_t alignment) { return allocateAligned (size, alignment); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocateAligned (size, alignment); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocationsOnThisThread;
    return std::malloc (size == 0 ? 1 : size);
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocationsOnThisThread;
    return std::malloc (size == 0 ? 1 : size);
}
void operator delete (void* memory) noexcept { std::free (memory); }
void operator delete[] (void* memory) noexcept { std::free (memory); }
void operator delete (void* memory, std::size_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::size_t) noexcept { std::free (memory); }
void operator delete (void* memory, std::align_val_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::align_val_t) noexcept { std::free (memory); }
void operator delete (void* memory, std::size_t, std::align_val_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::size_t, std::align_val_t) noexcept { std::free (memory); }

TEST (KeyboardNoteAllocation, keyboardNotesWhileTheHostProcessesAllocateNothingOnTheMessageThread)
{
    AudioEngine engine;
    engine.prepareToPlay (48000.0, 256);
    engine.setReceiveChannel (0, 1, false);
    for (unsigned int device = 1; device <= 4; ++device)
        engine.setReceiveChannel (device, 2, false); // channel 2 reaches all four devices

    auto& keyboard = engine.getKeyboardState();
    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer noMidi;
    auto playBlock = [&] { engine.processBlock (buffer, noMidi); };

    // Warm-up: the first note of each kind may set up what it needs.
    playBlock();
    for (int channel : { 1, 2 })
    {
        keyboard.noteOn (channel, 48, 0.8f);
        keyboard.noteOff (channel, 48, 0.0f);
    }
    playBlock();

    long allocations = 0;
    for (int round = 0; round < 40; ++round)
    {
        playBlock(); // the host keeps processing: the notes wait for the next block
        const AllocationCount count;
        for (int channel : { 1, 2 })
        {
            for (int note = 60; note < 72; ++note)
                keyboard.noteOn (channel, note, 0.8f);
            for (int note = 60; note < 72; ++note)
                keyboard.noteOff (channel, note, 0.0f);
        }
        allocations += count.sinceStart();
    }
    EXPECT_EQ (allocations, 0);

    // The notes were played all the same, and released.
    keyboard.noteOn (2, 64, 0.8f);
    playBlock();
    for (int device = 0; device < 4; ++device)
    {
        EXPECT_TRUE (engine.getDeviceController (device).isHeld (64)) << device;
        EXPECT_FALSE (engine.getDeviceController (device).isHeld (60)) << device;
    }
}
