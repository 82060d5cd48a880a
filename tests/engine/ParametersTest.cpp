#include "engine/PluginProcessor.h"

#include <gtest/gtest.h>

namespace
{
    struct FloatRow
    {
        const char* id;
        const char* name;
        float start, end, interval, skew, defaultValue;
    };

    struct ChoiceRow
    {
        const char* id;
        const char* name;
        int min, max, defaultValue;
    };

    const FloatRow floatRows[] = {
        { "launch_pos",   "Launch Position", 0.0f, 1.0f,   0.0f,  1.0f,       0.05f },
        { "top_width",    "Top Width",       0.5f, 8.0f,   0.0f,  1.0f,       5.0f },
        { "bottom_width", "Bottom Width",    0.5f, 8.0f,   0.0f,  1.0f,       1.2f },
        { "gravity",      "Gravity",         0.0f, 196.0f, 0.02f, 0.2313782f, 9.8f },
        { "bounce",       "Bounce",          0.5f, 1.0f,   0.0f,  1.0f,       0.85f },
        { "velocity",     "Velocity",        0.0f, 127.0f, 0.0f,  1.0f,       113.0f },
        { "decay",        "Decay",           0.2f, 1.0f,   0.01f, 1.0f,       0.84f },
        { "time",         "Time",            0.1f, 2.0f,   0.01f, 0.4448542f, 1.27f },
    };

    const ChoiceRow intRows[] = {
        { "arp_type",    "Arpeggiator", 0, 8, 3 },
        { "root_key",    "Root Key",    0, 11, 1 },
        { "scale",       "Scale",       0, 6, 0 },
        { "mod",         "Mod Wheel",   0, 5, 0 },
        { "max_bounces", "Max Bounces", 0, 8, 8 },
    };

    const ChoiceRow boolRows[] = {
        { "collision",           "Collision",           0, 1, 0 },
        { "dynamic",             "Dynamic",             0, 1, 0 },
        { "decay_after_release", "Decay_after_release", 0, 1, 0 },
        { "mono",                "mono",                0, 1, 0 },
        { "panic",               "Panic",               0, 1, 0 },
    };

    class ProcessorFrame : public testing::Test
    {
    protected:
        CaromelAudioProcessor processor;
    };

    TEST_F (ProcessorFrame, HasEighteenParametersInTableOrderWithVersionHintOne)
    {
        const auto& params = processor.getParameters();
        ASSERT_EQ (params.size(), 18);

        for (int i = 0; i < params.size(); ++i)
        {
            auto* withId = dynamic_cast<juce::RangedAudioParameter*> (params[i]);
            ASSERT_NE (withId, nullptr);
            EXPECT_EQ (withId->getParameterID(), juce::String (ParameterIDs::all[(size_t) i]));
            EXPECT_EQ (withId->getVersionHint(), 1);
            EXPECT_TRUE (withId->getLabel().isEmpty());
        }
    }

    TEST_F (ProcessorFrame, FloatParametersMatchTheTable)
    {
        for (const auto& row : floatRows)
        {
            auto* p = dynamic_cast<juce::AudioParameterFloat*> (processor.parameters.getParameter (row.id));
            ASSERT_NE (p, nullptr) << row.id;
            EXPECT_EQ (p->getName (100), juce::String (row.name));
            EXPECT_FLOAT_EQ (p->range.start, row.start) << row.id;
            EXPECT_FLOAT_EQ (p->range.end, row.end) << row.id;
            EXPECT_FLOAT_EQ (p->range.interval, row.interval) << row.id;
            EXPECT_EQ (p->range.skew, row.skew) << row.id; // stored exactly as the single-precision value
            EXPECT_NEAR (p->convertFrom0to1 (static_cast<juce::AudioProcessorParameter*> (p)->getDefaultValue()), row.defaultValue, 1e-4) << row.id;
        }
    }

    TEST_F (ProcessorFrame, SkewsPutTheCentreValueInTheMiddleOfTheRange)
    {
        auto* gravity = processor.parameters.getParameter ("gravity");
        auto* time = processor.parameters.getParameter ("time");
        EXPECT_NEAR (gravity->convertFrom0to1 (0.5f), 9.8f, 0.02f);
        EXPECT_NEAR (time->convertFrom0to1 (0.5f), 0.5f, 0.01f);
    }

    TEST_F (ProcessorFrame, ChoiceAndSwitchParametersMatchTheTable)
    {
        for (const auto& row : intRows)
        {
            auto* p = dynamic_cast<juce::AudioParameterInt*> (processor.parameters.getParameter (row.id));
            ASSERT_NE (p, nullptr) << row.id;
            EXPECT_EQ (p->getName (100), juce::String (row.name));
            EXPECT_EQ (p->getRange().getStart(), row.min);
            EXPECT_EQ (p->getRange().getEnd(), row.max);
            EXPECT_EQ (p->convertFrom0to1 (static_cast<juce::AudioProcessorParameter*> (p)->getDefaultValue()), (float) row.defaultValue) << row.id;
        }
        for (const auto& row : boolRows)
        {
            auto* p = dynamic_cast<juce::AudioParameterBool*> (processor.parameters.getParameter (row.id));
            ASSERT_NE (p, nullptr) << row.id;
            EXPECT_EQ (p->getName (100), juce::String (row.name));
            EXPECT_EQ (static_cast<juce::AudioProcessorParameter*> (p)->getDefaultValue(), 0.0f) << row.id;
        }
    }

    TEST_F (ProcessorFrame, SimpleOverrides)
    {
        EXPECT_EQ (processor.getName(), "Rebondo");
        EXPECT_TRUE (processor.acceptsMidi());
        EXPECT_TRUE (processor.producesMidi());
        EXPECT_FALSE (processor.isMidiEffect());
        EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
        EXPECT_TRUE (processor.hasEditor());
        EXPECT_EQ (processor.getTotalNumInputChannels(), 0);
        EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
        EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    }

    TEST_F (ProcessorFrame, ProgramListHasOneUnnamedProgramThatNeverChanges)
    {
        EXPECT_EQ (processor.getNumPrograms(), 1);
        EXPECT_EQ (processor.getCurrentProgram(), 0);
        processor.setCurrentProgram (3);
        processor.changeProgramName (0, "Renamed");
        EXPECT_EQ (processor.getCurrentProgram(), 0);
        EXPECT_TRUE (processor.getProgramName (0).isEmpty());
    }

    TEST_F (ProcessorFrame, AcceptsOnlyMonoOrStereoMainOutput)
    {
        using Set = juce::AudioChannelSet;
        const std::pair<Set, bool> cases[] = {
            { Set::mono(), true }, { Set::stereo(), true }, { Set::createLCR(), false },
            { Set::quadraphonic(), false }, { Set::disabled(), false }, { Set::create5point1(), false },
        };

        for (const auto& [set, accepted] : cases)
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.outputBuses.add (set);
            EXPECT_EQ (processor.checkBusesLayoutSupported (layout), accepted) << set.getDescription();
        }
    }

    TEST_F (ProcessorFrame, ModeTablesHaveTheirItemTexts)
    {
        EXPECT_EQ (arpeggiatorModeNames().joinIntoString ("|"), "none|UP|DOWN|UP-DN|DN-UP|UP UP|DN DN|UP2 DN1|RND");
        EXPECT_EQ (modWheelModeNames().joinIntoString ("|"), "Off|Wall Top|Wall Bottom|Gravity|Decay|Time");
        const int limits[] = { 2, 3, 4, 5, 6, 7, 8, 12, 100 };
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ (bounceLimitForIndex (i), limits[i]);
        EXPECT_EQ (bounceLimitForIndex (-3), 2);
        EXPECT_EQ (bounceLimitForIndex (42), 100);
    }
}
