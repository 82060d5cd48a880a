#include "engine/KeyboardNoteQueue.h"
#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace rebondo::test;

namespace
{
    std::vector<std::vector<uint8_t>> drainAll (KeyboardNoteQueue& queue)
    {
        std::vector<std::vector<uint8_t>> out;
        queue.drain ([&out] (const KeyboardNoteQueue::Message& m) { out.emplace_back (m.bytes.begin(), m.bytes.begin() + m.size); });
        return out;
    }

    bool push (KeyboardNoteQueue& queue, std::vector<uint8_t> bytes)
    {
        return queue.push (bytes.data(), (int) bytes.size());
    }

    TEST (KeyboardNoteQueue, KeepsOrderRefusesWhenFullAndWrapsAround)
    {
        KeyboardNoteQueue queue;
        EXPECT_EQ (queue.drain ([] (const auto&) { FAIL(); }), 0);

        EXPECT_FALSE (queue.push (nullptr, 3));
        EXPECT_FALSE (push (queue, {}));
        EXPECT_FALSE (push (queue, { 0xF0, 1, 2, 0xF7 })); // longer than a short message
        EXPECT_EQ (queue.size(), 0u);

        // Fill to the brim several times over, so the indices pass the end.
        for (int round = 0; round < 5; ++round)
        {
            SCOPED_TRACE (round);
            for (size_t i = 0; i < KeyboardNoteQueue::capacity; ++i)
                ASSERT_TRUE (push (queue, { 0x90, (uint8_t) (i & 0x7f), (uint8_t) (i >> 7) }));
            EXPECT_FALSE (push (queue, { 0x80, 1, 0 }));
            EXPECT_EQ (queue.size(), KeyboardNoteQueue::capacity);

            const auto out = drainAll (queue);
            ASSERT_EQ (out.size(), KeyboardNoteQueue::capacity);
            for (size_t i = 0; i < out.size(); ++i)
                ASSERT_EQ (out[i], (std::vector<uint8_t> { 0x90, (uint8_t) (i & 0x7f), (uint8_t) (i >> 7) })) << i;

            // Part of a fill, to shift the start for the next round.
            EXPECT_TRUE (push (queue, { 0xC0, 5 }));
            EXPECT_EQ (drainAll (queue), (std::vector<std::vector<uint8_t>> { { 0xC0, 5 } }));
        }
    }

    TEST (KeyboardNoteQueue, OneProducerThreadAndOneConsumerThreadLoseAndReorderNothing)
    {
        KeyboardNoteQueue queue;
        constexpr int total = 200000;

        std::thread producer ([&queue]
        {
            for (int i = 0; i < total; ++i)
            {
                const uint8_t bytes[3] = { (uint8_t) (0x90 | (i % 16)), (uint8_t) ((i / 16) & 0x7f), (uint8_t) ((i / 2048) & 0x7f) };
                while (! queue.push (bytes, 3))
                    std::this_thread::yield();
            }
        });

        int received = 0;
        bool inOrder = true;
        while (received < total)
        {
            const int got = queue.drain ([&] (const KeyboardNoteQueue::Message& m)
            {
                const int i = received++;
                inOrder = inOrder && m.size == 3 && m.bytes[0] == (uint8_t) (0x90 | (i % 16))
                          && m.bytes[1] == (uint8_t) ((i / 16) & 0x7f) && m.bytes[2] == (uint8_t) ((i / 2048) & 0x7f);
            });
            if (got == 0)
                std::this_thread::yield();
        }
        producer.join();

        EXPECT_EQ (received, total);
        EXPECT_TRUE (inOrder);
        EXPECT_EQ (queue.size(), 0u);
    }

    //==========================================================================
    class KeyboardNotesInBlocks : public testing::Test
    {
    protected:
        KeyboardNotesInBlocks() { h.freezeBallsInPlace(); }

        void enqueue (const juce::MidiMessage& m) { ASSERT_TRUE (h.processor.enqueueKeyboardMessage (m)); }

        ProcessorHarness h;
    };

    TEST_F (KeyboardNotesInBlocks, QueuedNotesLaunchAndReleaseBallsLikeMidiInput)
    {
        enqueue (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 90));
        const auto out = h.run();
        ASSERT_EQ (h.numBalls(), 1);
        EXPECT_EQ (h.ball().inputChannel, 1);
        EXPECT_EQ (h.ball().inputNote, 64);
        EXPECT_TRUE (h.ball().keyHeld);
        EXPECT_FLOAT_EQ (h.ball().noteVelocity, 90.0f);
        const auto ons = noteOns (out);
        ASSERT_EQ (ons.size(), 1u);
        EXPECT_EQ (ons[0].position, 0);
        EXPECT_EQ (ons[0].note(), 64);

        // Taken once: the next block launches nothing more.
        h.run();
        EXPECT_EQ (h.numBalls(), 1);

        // Released as by a MIDI keyboard: the launch note stops and, with no
        // hold, the ball goes.
        enqueue (juce::MidiMessage::noteOff (1, 64));
        const auto released = h.run();
        ASSERT_EQ (noteOffs (released).size(), 1u);
        EXPECT_EQ (noteOffs (released)[0].note(), 64);
        EXPECT_EQ (noteOffs (released)[0].position, 0);
        EXPECT_EQ (h.numBalls(), 0);
    }

    TEST_F (KeyboardNotesInBlocks, QueuedNotesComeBeforeTheHostsEventsAtPositionZero)
    {
        // Mono: each launch clears the field, so the ball left is the last one handled.
        h.setParameter (ParameterIDs::mono, 1.0f);
        enqueue (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
        enqueue (juce::MidiMessage::noteOn (1, 62, (juce::uint8) 100));
        h.run ({ { 0, juce::MidiMessage::noteOn (2, 67, (juce::uint8) 80) } });

        ASSERT_EQ (h.numBalls(), 1);
        EXPECT_EQ (h.ball().inputChannel, 2);
        EXPECT_EQ (h.ball().inputNote, 67);

        // Without mono: keyboard balls first, in the order queued.
        h.setParameter (ParameterIDs::mono, 0.0f);
        h.processor.requestPanic();
        h.run();
        ASSERT_EQ (h.numBalls(), 0);

        enqueue (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
        enqueue (juce::MidiMessage::noteOn (1, 62, (juce::uint8) 100));
        h.run ({ { 0, juce::MidiMessage::noteOn (2, 67, (juce::uint8) 80) } });
        ASSERT_EQ (h.numBalls(), 3);
        EXPECT_EQ (h.ball (0).inputNote, 60);
        EXPECT_EQ (h.ball (1).inputNote, 62);
        EXPECT_EQ (h.ball (2).inputNote, 67);

        // A host note-off at 0 ends a keyboard ball of the same key queued in
        // the same block, as the keyboard's note-on came first; the other way
        // round a held ball would stay.
        enqueue (juce::MidiMessage::noteOn (1, 72, (juce::uint8) 100));
        const auto out = h.run ({ { 0, juce::MidiMessage::noteOff (1, 72) } });
        EXPECT_EQ (h.numBalls(), 3);
        ASSERT_EQ (noteOns (out).size(), 1u);
        EXPECT_EQ (noteOns (out)[0].note(), 72);
        ASSERT_FALSE (out.empty());
        EXPECT_TRUE (out.back().isNoteOff());
        EXPECT_EQ (out.back().note(), 72);
    }

    TEST_F (KeyboardNotesInBlocks, NotesQueuedWhileStoppedAreDroppedAtPrepare)
    {
        enqueue (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
        h.prepare();
        h.run();
        EXPECT_EQ (h.numBalls(), 0);

        enqueue (juce::MidiMessage::noteOn (1, 62, (juce::uint8) 100));
        h.run();
        ASSERT_EQ (h.numBalls(), 1);
        EXPECT_EQ (h.ball().inputNote, 62);
    }

    TEST_F (KeyboardNotesInBlocks, PatternEntryReceivesQueuedNotesInsteadOfBalls)
    {
        std::vector<int> received;
        h.processor.onPatternInputNote = [&received] (int note) { received.push_back (note); };
        h.processor.patternInputEnabled = true;

        enqueue (juce::MidiMessage::noteOn (1, 65, (juce::uint8) 100));
        enqueue (juce::MidiMessage::noteOff (1, 65));
        const auto out = h.run();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

        EXPECT_EQ (received, (std::vector<int> { 65 }));
        EXPECT_EQ (h.numBalls(), 0);
        // Passed through, as notes from a MIDI keyboard are.
        EXPECT_EQ (noteOns (out).size(), 1u);
        EXPECT_EQ (noteOffs (out).size(), 1u);

        h.processor.patternInputEnabled = false;
        h.processor.onPatternInputNote = nullptr;
    }
}
