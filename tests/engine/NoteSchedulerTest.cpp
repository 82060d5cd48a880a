#include "engine/NoteScheduler.h"

#include <gtest/gtest.h>

namespace
{
    struct Written
    {
        int position;
        std::vector<juce::uint8> bytes;
        bool operator== (const Written& o) const { return position == o.position && bytes == o.bytes; }
    };

    std::ostream& operator<< (std::ostream& os, const Written& w)
    {
        os << "@" << w.position << ":";
        for (auto b : w.bytes)
            os << " " << std::hex << (int) b << std::dec;
        return os;
    }

    std::vector<Written> flush (NoteScheduler& s, int numSamples)
    {
        juce::MidiBuffer out;
        s.flush (out, numSamples);
        std::vector<Written> written;
        for (const auto m : out)
            written.push_back ({ m.samplePosition, std::vector<juce::uint8> (m.data, m.data + m.numBytes) });
        return written;
    }

    TEST (NoteScheduler, LaunchChannelsRotateOverTheAllowedChannels)
    {
        NoteScheduler s;
        const uint16_t channels3And5 = (1u << 2) | (1u << 4);
        std::vector<int> got;
        for (int i = 0; i < 5; ++i)
            got.push_back (s.chooseLaunchChannel (channels3And5));
        EXPECT_EQ (got, (std::vector<int> { 3, 5, 3, 5, 3 }));

        s.chooseLaunchChannel (channels3And5); // 5
        EXPECT_EQ (s.nextOutputChannel, 6);

        NoteScheduler all;
        for (int i = 1; i <= 17; ++i)
            EXPECT_EQ (all.chooseLaunchChannel (0), i == 17 ? 1 : i); // 0 reads as every channel
    }

    TEST (NoteScheduler, BounceChannelMovesOnlyWhenTheNoteIsTakenOnItsOwn)
    {
        NoteScheduler s;
        EXPECT_EQ (s.chooseBounceChannel (1, 64, 0xFFFF), 1);

        s.queueNoteOn (1, 1, 64, 100, 8); // the first ball's bounce note
        EXPECT_EQ (s.chooseBounceChannel (1, 64, 0xFFFF), 2);
        EXPECT_EQ (s.chooseBounceChannel (1, 64, 0x0005), 3);   // lowest other allowed channel
        EXPECT_EQ (s.chooseBounceChannel (1, 64, 0x0001), 1);   // nothing qualifies: keep
        EXPECT_EQ (s.chooseBounceChannel (1, 65, 0xFFFF), 1);

        flush (s, 512);
        EXPECT_TRUE (s.slot (1, 64).active);
        EXPECT_EQ (s.chooseBounceChannel (1, 64, 0xFFFF), 2);   // sounding now
        EXPECT_EQ (s.chooseBounceChannel (4, 64, 0x0008), 4);   // not allowed elsewhere either
        EXPECT_EQ (s.chooseBounceChannel (3, 64, 0x0002), 2);   // own channel not allowed
    }

    TEST (NoteScheduler, FlushWritesTheExactBytesPositionsAndOrder)
    {
        NoteScheduler s;
        s.queueNoteOn (1, 1, 60, 100, 0);   // launch at 0: off then on, both at 0
        s.queueNoteOff (7, 2, 62, 0);
        s.queueNoteOn (2, 16, 64, 300, 8);  // bounce note: off at 7, on at 8, velocity capped at 127
        s.queueNoteOff (3, 3, 67, 511);

        const std::vector<Written> expected {
            { 0, { 0x80, 60, 0 } }, { 0, { 0x90, 60, 100 } }, { 0, { 0x81, 62, 0 } },
            { 7, { 0x8F, 64, 0 } }, { 8, { 0x9F, 64, 127 } }, { 511, { 0x82, 67, 0 } },
        };
        EXPECT_EQ (flush (s, 512), expected);
        EXPECT_TRUE (s.midiEventQueue.empty());
        EXPECT_TRUE (s.slot (1, 60).active);
        EXPECT_EQ (s.slot (16, 64).id, 2u);
    }

    TEST (NoteScheduler, OnlyTheNoteOffOfItsOwnIdClearsASlot)
    {
        NoteScheduler s;
        s.queueNoteOn (1, 1, 60, 100, 0);
        flush (s, 64);
        s.queueNoteOn (2, 1, 60, 100, 8); // a newer note on the same key
        flush (s, 64);
        s.queueNoteOff (1, 1, 60, 0);     // stale note-off of the older one
        flush (s, 64);
        EXPECT_TRUE (s.slot (1, 60).active);
        EXPECT_EQ (s.slot (1, 60).id, 2u);
        s.queueNoteOff (2, 1, 60, 0);
        flush (s, 64);
        EXPECT_FALSE (s.slot (1, 60).active);
    }

    TEST (NoteScheduler, PositionsStayInsideTheBlockAndNoteOffsNeverPrecedeTheirNoteOn)
    {
        NoteScheduler s;
        s.queueNoteOn (1, 1, 60, 1, 100); // a ball that dies in its own block
        s.queueNoteOff (1, 1, 60, 0);
        s.queueNoteOn (2, 2, 62, 90, 8);
        s.queueNoteOff (9, 3, 64, 700);    // past the end of the block

        const std::vector<Written> expected {
            { 7, { 0x81, 62, 0 } }, { 8, { 0x91, 62, 90 } },
            { 99, { 0x80, 60, 0 } }, { 100, { 0x90, 60, 1 } }, { 100, { 0x80, 60, 0 } },
            { 127, { 0x82, 64, 0 } },
        };
        EXPECT_EQ (flush (s, 128), expected);

        // A bounce note at offset 8 in a block of 4 samples, stopped in the same block.
        s.queueNoteOn (3, 2, 62, 90, 8);
        s.queueNoteOff (3, 2, 62, 0);
        const std::vector<Written> tiny { { 2, { 0x81, 62, 0 } }, { 3, { 0x91, 62, 90 } }, { 3, { 0x81, 62, 0 } } };
        EXPECT_EQ (flush (s, 4), tiny);
    }

    TEST (NoteScheduler, PendingNoteOffFiresAtTheLastSampleOfTheBlockItFallsDueIn)
    {
        NoteScheduler s;
        s.addPendingNoteOff (5, 1, 60, 600);
        std::vector<uint64_t> fired;
        auto onFired = [&] (uint64_t id) { fired.push_back (id); };

        s.countDownPendingNoteOffs (512, onFired);
        EXPECT_TRUE (fired.empty());
        EXPECT_EQ (s.pendingNoteOffs.front().samplesLeft, 88);
        EXPECT_TRUE (flush (s, 512).empty());

        s.countDownPendingNoteOffs (512, onFired);
        EXPECT_EQ (fired, (std::vector<uint64_t> { 5 }));
        EXPECT_TRUE (s.pendingNoteOffs.empty());
        EXPECT_EQ (flush (s, 512), (std::vector<Written> { { 511, { 0x80, 60, 0 } } }));

        s.addPendingNoteOff (6, 1, 61, 1);
        s.addPendingNoteOff (7, 1, 62, 1);
        s.cancelPendingNoteOffs (6);
        s.countDownPendingNoteOffs (1, onFired);
        EXPECT_EQ (fired.back(), 7u);
        EXPECT_EQ (flush (s, 1), (std::vector<Written> { { 0, { 0x80, 62, 0 } } }));
    }

    TEST (NoteScheduler, StatusBytesFoldChannelsOutsideTheRange)
    {
        EXPECT_EQ (MidiBytes::status (0x90, 0), 0x90);
        EXPECT_EQ (MidiBytes::status (0x90, 1), 0x90);
        EXPECT_EQ (MidiBytes::status (0x90, 16), 0x9F);
        EXPECT_EQ (MidiBytes::status (0x80, 17), 0x8F);
    }
}
