// Counts heap allocations made on the audio thread while processBlock runs.
// This binary replaces the global allocator, so it is built on its own and
// not under the sanitizers.

#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

extern "C" void* __libc_malloc (size_t);
extern "C" void* __libc_calloc (size_t, size_t);
extern "C" void* __libc_realloc (void*, size_t);
extern "C" void __libc_free (void*);

namespace
{
    thread_local bool countingThisThread = false;
    std::atomic<long> allocations { 0 };

    void noteAllocation() noexcept
    {
        if (countingThisThread)
            allocations.fetch_add (1, std::memory_order_relaxed);
    }
}

extern "C" void* malloc (size_t size)
{
    noteAllocation();
    return __libc_malloc (size);
}

extern "C" void* calloc (size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc (count, size);
}

extern "C" void* realloc (void* p, size_t size)
{
    noteAllocation();
    return __libc_realloc (p, size);
}

extern "C" void free (void* p)
{
    __libc_free (p);
}

void* operator new (size_t size)
{
    noteAllocation();
    if (void* p = __libc_malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* operator new[] (size_t size) { return operator new (size); }
void* operator new (size_t size, const std::nothrow_t&) noexcept { noteAllocation(); return __libc_malloc (size == 0 ? 1 : size); }
void* operator new[] (size_t size, const std::nothrow_t&) noexcept { noteAllocation(); return __libc_malloc (size == 0 ? 1 : size); }
void operator delete (void* p) noexcept { __libc_free (p); }
void operator delete[] (void* p) noexcept { __libc_free (p); }
void operator delete (void* p, size_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, size_t) noexcept { __libc_free (p); }

namespace
{
    using rebondo::test::ProcessorHarness;

    struct CountedBlocks
    {
        long allocations = 0;
        int blocks = 0;
        size_t mostBalls = 0;
        int collidingBalls = 0;
        int ballsEnded = 0;
        int keyboardBalls = 0;
    };

    // Notes at or above this come from the computer keyboard queue.
    constexpr int firstKeyboardNote = 96;

    // Plays chords, releases them, moves the walls with the wheel and lets
    // balls bounce, collide and die, counting allocations inside processBlock.
    // With withKeyboard, another thread also queues computer keyboard notes
    // while the blocks run: a chord every 20 blocks, let go 10 blocks later.
    CountedBlocks playAndCount (int numBlocks, int warmUpBlocks, bool withKeyboard = false)
    {
        ProcessorHarness h (48000.0, 256);
        auto& p = h.processor;
        p.setRandomSeed (7);
        h.setParameter (ParameterIDs::collision, 1.0f);
        h.setParameter (ParameterIDs::arpType, 8.0f);
        h.setParameter (ParameterIDs::dynamic, 1.0f); // balls of one chord fly apart
        h.setParameter (ParameterIDs::mod, 1.0f); // Wall Top: the wheel rebuilds the walls
        h.setParameter (ParameterIDs::decay, 0.9f);
        p.setCurrentPattern ("Chord", { 0, 4, -99, 7, 12 });

        juce::AudioBuffer<float> audio (2, 256);
        juce::MidiBuffer midi;
        midi.ensureSize (64 * 1024);
        juce::Random random (3);

        CountedBlocks result;
        std::vector<int> held;
        held.reserve (64);
        size_t previousBalls = 0;

        std::atomic<int> blocksDone { 0 };
        std::atomic<bool> stopKeyboard { false };
        std::thread keyboard;
        if (withKeyboard)
            keyboard = std::thread ([&p, &blocksDone, &stopKeyboard]
            {
                for (int target = 0; ! stopKeyboard.load(); target += 10)
                {
                    while (blocksDone.load() < target && ! stopKeyboard.load())
                        std::this_thread::yield();

                    // Chords of one to six keys, so that bursts of several
                    // messages in one block turn up long after the warm-up.
                    const int chord = 1 + (target / 20) % 6;
                    for (int i = 0; i < chord; ++i)
                    {
                        const int note = firstKeyboardNote + 2 * i;
                        p.enqueueKeyboardMessage ((target / 10) % 2 == 0 ? juce::MidiMessage::noteOn (1, note, (juce::uint8) 100)
                                                                         : juce::MidiMessage::noteOff (1, note));
                    }
                }
            });

        uint64_t lastKeyboardBallId = 0;

        for (int block = 0; block < numBlocks; ++block)
        {
            midi.clear();
            if (block % 40 == 0)
                for (int i = 0; i < 4; ++i)
                {
                    const int note = 48 + random.nextInt (36);
                    midi.addEvent (juce::MidiMessage::noteOn (1 + i, note, (juce::uint8) (60 + random.nextInt (60))), random.nextInt (256));
                    held.push_back ((1 + i) * 1000 + note);
                }
            if (block % 40 == 25)
            {
                for (int key : held)
                    midi.addEvent (juce::MidiMessage::noteOff (key / 1000, key % 1000), random.nextInt (256));
                held.clear();
            }
            if (block % 7 == 0)
                midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, random.nextInt (128)), 3);
            if (block % 11 == 0)
                midi.addEvent (juce::MidiMessage::pitchWheel (1, random.nextInt (16384)), 9);

            countingThisThread = block >= warmUpBlocks;
            p.processBlock (audio, midi);
            countingThisThread = false;
            blocksDone.store (block + 1);

            uint64_t newestKeyboardBallId = lastKeyboardBallId;
            for (auto* ball : p.balls)
                if (ball->inputNote >= firstKeyboardNote && ball->ballId > lastKeyboardBallId)
                {
                    newestKeyboardBallId = std::max (newestKeyboardBallId, ball->ballId);
                    ++result.keyboardBalls;
                }
            lastKeyboardBallId = newestKeyboardBallId;

            result.mostBalls = std::max (result.mostBalls, p.balls.size());
            if (p.balls.size() < previousBalls)
                result.ballsEnded += (int) (previousBalls - p.balls.size());
            previousBalls = p.balls.size();
            for (auto* ball : p.balls)
                result.collidingBalls += ball->ballCollisionsActive;
        }

        stopKeyboard = true;
        if (keyboard.joinable())
            keyboard.join();

        result.allocations = allocations.exchange (0);
        result.blocks = numBlocks;
        return result;
    }

    TEST (RealTimeSafety, ProcessBlockNeverAllocatesAfterPrepare)
    {
        const auto counted = playAndCount (12000, 10);
        EXPECT_EQ (counted.allocations, 0);

        // The run really exercised launching, colliding and ending balls.
        EXPECT_GT (counted.mostBalls, 8u);
        EXPECT_GT (counted.collidingBalls, 0);
        EXPECT_GT (counted.ballsEnded, 500);
    }

    TEST (RealTimeSafety, ComputerKeyboardNotesFromAnotherThreadNeverAllocate)
    {
        const auto counted = playAndCount (6000, 10, true);
        EXPECT_EQ (counted.allocations, 0);

        // The queued notes really launched balls: chords every 20 blocks.
        EXPECT_GT (counted.keyboardBalls, 600);
        EXPECT_GT (counted.ballsEnded, 200);
    }

    TEST (RealTimeSafety, TheCounterSeesAllocations)
    {
        countingThisThread = true;
        auto* p = new int (3);
        void* q = std::malloc (16);
        countingThisThread = false;
        delete p;
        std::free (q);
        EXPECT_EQ (allocations.exchange (0), 2);
    }
}
