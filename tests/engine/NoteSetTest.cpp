#include "engine/NoteSet.h"
#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

namespace
{
    struct QuantiseCase
    {
        int mask;
        int note;
        int expected;
    };

    class QuantiseTest : public testing::TestWithParam<QuantiseCase> {};

    TEST_P (QuantiseTest, FoldsOntoTheNearestAllowedPitchClass)
    {
        const auto c = GetParam();
        EXPECT_EQ (NoteSet::quantize (c.note, c.mask), c.expected) << "mask " << c.mask << " note " << c.note;
    }

    INSTANTIATE_TEST_SUITE_P (Cases, QuantiseTest, testing::Values (
        QuantiseCase { 2741, 61, 60 },   // tie between 60 and 62: the lower wins
        QuantiseCase { 2741, 66, 65 },
        QuantiseCase { 2741, 60, 60 },
        QuantiseCase { 2741, 63, 62 },   // D# between D and E: lower
        QuantiseCase { 2741, 70, 69 },   // A# -> A
        QuantiseCase { 1, 127, 127 },    // nearest C is 132, clamped
        QuantiseCase { 1, -5, 0 },       // candidates -12, 0, 12
        QuantiseCase { 1, 6, 0 },        // tie between 0 and 12: lower
        QuantiseCase { 2741, 200, 127 },
        QuantiseCase { 2741, -40, 0 },
        QuantiseCase { 0x800, 0, 0 },    // only B: -1 clamps to 0
        QuantiseCase { 0x001, 65, 60 },
        QuantiseCase { 0x001, 66, 60 },  // 60 and 72 equally near: lower
        QuantiseCase { 0x001, 67, 72 }),
        [] (const testing::TestParamInfo<QuantiseCase>& caseInfo)
        {
            return "mask" + std::to_string (caseInfo.param.mask) + "_note" + (caseInfo.param.note < 0 ? "minus" + std::to_string (-caseInfo.param.note) : std::to_string (caseInfo.param.note));
        });

    TEST (NoteSet, MaskZeroAndFullMaskLeaveEveryNoteUnchanged)
    {
        for (int mask : { 0, 0xFFF })
            for (int note = 0; note < 128; ++note)
                EXPECT_EQ (NoteSet::quantize (note, mask), note) << "mask " << mask;
    }

    TEST (NoteSet, ResultAlwaysInMidiRange)
    {
        for (int mask = 0; mask < 4096; mask += 37)
            for (int note = -300; note <= 300; note += 7)
            {
                const int q = NoteSet::quantize (note, mask);
                ASSERT_GE (q, 0);
                ASSERT_LE (q, 127);
            }
    }

    TEST (NoteSet, SetterKeepsTwelveBitsAndNeverStoresAnEmptySet)
    {
        CaromelAudioProcessor processor;
        const std::pair<int, int> cases[] = { { 0x2A5, 0x2A5 }, { 0, 1 }, { 0x1000, 1 }, { 0x1001, 1 },
                                              { 0x1002, 0x002 }, { 0xFFFF, 0xFFF }, { 1, 1 } };
        for (auto [in, stored] : cases)
        {
            processor.setNoteMask (in);
            EXPECT_EQ (processor.noteMask.load(), stored) << "in " << in;
        }
    }
}
