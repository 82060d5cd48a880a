#include "engine/Arpeggiator.h"

#include <gtest/gtest.h>

namespace
{
    std::vector<int> indices (int mode, int numSteps, int bounces)
    {
        juce::Random random (1);
        std::vector<int> out;
        for (int u = 1; u <= bounces; ++u)
            out.push_back (Arpeggiator::chooseStep (mode, u, numSteps, random).index);
        return out;
    }

    struct SequenceCase
    {
        int mode;
        int numSteps;
        std::vector<int> expected; // step indices for bounces 1, 2, 3, ...
    };

    class ArpeggiatorSequence : public testing::TestWithParam<SequenceCase> {};

    TEST_P (ArpeggiatorSequence, VisitsTheStepsInModeOrder)
    {
        const auto& c = GetParam();
        EXPECT_EQ (indices (c.mode, c.numSteps, (int) c.expected.size()), c.expected) << "mode " << c.mode;
    }

    using namespace Arpeggiator;
    INSTANTIATE_TEST_SUITE_P (Modes, ArpeggiatorSequence, testing::Values (
        SequenceCase { none,     3, { 0, 0, 0, 0 } },
        SequenceCase { up,       3, { 1, 2, 0, 1, 2, 0 } },
        SequenceCase { down,     3, { 1, 0, 2, 1, 0, 2 } },
        SequenceCase { upDown,   3, { 1, 2, 1, 0, 1, 2, 1, 0 } },
        SequenceCase { downUp,   3, { 1, 0, 1, 2, 1, 0, 1, 2 } },
        SequenceCase { upUp,     3, { 1, 2, 0, 1, 2, 0, 1, 2, 0, 1 } },
        SequenceCase { downDown, 3, { 1, 0, 2, 1, 0, 2 } },
        SequenceCase { up2Down1, 7, { 1, 2, 1, 2, 3, 4, 3, 4, 5, 6, 5, 6, 0 } },
        // One-step patterns always play that step.
        SequenceCase { upDown,   1, { 0, 0, 0 } },
        SequenceCase { downUp,   1, { 0, 0, 0 } },
        SequenceCase { up2Down1, 1, { 0, 0, 0 } },
        SequenceCase { up,       1, { 0, 0, 0 } },
        SequenceCase { down,     1, { 0, 0, 0 } }),
        [] (const testing::TestParamInfo<SequenceCase>& caseInfo)
        {
            return "mode" + std::to_string (caseInfo.param.mode) + "_steps" + std::to_string (caseInfo.param.numSteps);
        });

    TEST (Arpeggiator, UpUpClimbsAnOctaveEachPassThenStartsOver)
    {
        juce::Random random (1);
        const int steps[] = { 0, 4, 7 };
        std::vector<int> offsets;
        for (int u = 1; u <= 10; ++u)
        {
            const auto s = chooseStep (upUp, u, 3, random);
            offsets.push_back (steps[s.index] + s.octaveShift);
        }
        EXPECT_EQ (offsets, (std::vector<int> { 4, 7, 12, 16, 19, 24, 28, 31, 0, 4 }));
    }

    TEST (Arpeggiator, DownDownFallsAnOctaveEachPass)
    {
        juce::Random random (1);
        std::vector<int> shifts;
        for (int u = 1; u <= 9; ++u)
            shifts.push_back (chooseStep (downDown, u, 3, random).octaveShift);
        EXPECT_EQ (shifts, (std::vector<int> { 0, 0, -12, -12, -12, -24, -24, -24, 0 }));
    }

    TEST (Arpeggiator, RandomModeIsUniformAndRepeatsWithTheSameSeed)
    {
        juce::Random a (42), b (42);
        std::array<int, 5> counts {};
        for (int u = 1; u <= 5000; ++u)
        {
            const int i = chooseStep (rnd, u, 5, a).index;
            ASSERT_EQ (i, chooseStep (rnd, u, 5, b).index);
            ASSERT_GE (i, 0);
            ASSERT_LT (i, 5);
            ++counts[(size_t) i];
        }
        for (int c : counts)
            EXPECT_NEAR (c, 1000, 150);
    }

    TEST (Arpeggiator, OnlyTheDownwardModesSubtractTheLastStep)
    {
        for (int mode = 0; mode <= 8; ++mode)
            EXPECT_EQ (subtractsLastStep (mode), mode == down || mode == downUp || mode == downDown) << mode;
    }
}
