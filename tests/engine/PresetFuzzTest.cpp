// Mutation fuzzing of the three readers of outside data: the host state, preset
// files and the pattern library. Inputs are the real documents with random
// damage; a fixed seed makes every run the same.

#include "engine/PluginProcessor.h"
#include "library/FactoryContent.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <random>

namespace
{
    // 105,000 inputs in all; a Debug build gets through them in well under
    // a minute.
    constexpr int hostStateInputs = 40000;
    constexpr int presetInputs = 40000;
    constexpr int libraryInputs = 25000;

    // Diagnostics go nowhere while fuzzing.
    class SilenceStderr
    {
    public:
        SilenceStderr() : previous (std::cerr.rdbuf (&nowhere)) {}
        ~SilenceStderr() { std::cerr.rdbuf (previous); }

    private:
        struct NullBuffer : std::streambuf
        {
            int overflow (int c) override { return traits_type::not_eof (c); }
            std::streamsize xsputn (const char*, std::streamsize n) override { return n; }
        } nowhere;
        std::streambuf* previous;
    };

    class Mutator
    {
    public:
        explicit Mutator (std::vector<std::string> seedDocuments) : seeds (std::move (seedDocuments)) {}

        std::string next()
        {
            auto data = seeds[pick (seeds.size())];
            const int mutations = 1 + (int) pick (6);

            for (int i = 0; i < mutations; ++i)
                mutate (data);

            return data;
        }

    private:
        std::vector<std::string> seeds;
        std::mt19937 random { 20240611u };

        size_t pick (size_t count) { return count == 0 ? 0 : std::uniform_int_distribution<size_t> (0, count - 1) (random); }

        char interestingByte()
        {
            static const char bytes[] = { '<', '>', '/', '"', '=', ',', '-', '&', ';', '#', ' ', '0', '9', '.',
                                          'e', 'x', '\0', '\n', '\r', '\x7f', '\xc3', '\xa9', '\xff', '\xe2' };
            return bytes[pick (sizeof (bytes))];
        }

        std::string interestingText()
        {
            static const char* const texts[] = { "-99", "4294967296", "-2147483649", "1e999", "nan", "inf", "&amp;", "&#0;",
                                                 "&#x110000;", "<!DOCTYPE x>", "<?xml encoding=\"latin1\"?>", "<a>", "</a>",
                                                 "<PARAM id=\"gravity\" value=\"-1e30\"/>", "<PATTERN name=\"x\" steps=\",,,\"/>",
                                                 "pattern_steps=\"", "note_mask=\"-1\"", "\xc3\x28", "]]>", "<![CDATA[" };
            return texts[pick (std::size (texts))];
        }

        void mutate (std::string& data)
        {
            const size_t at = pick (data.size() + 1);

            switch (pick (8))
            {
                case 0: if (at < data.size()) data[at] = (char) (data[at] ^ (char) (1 << pick (8))); break;
                case 1: if (at < data.size()) data[at] = interestingByte(); break;
                case 2: data.insert (at, 1, interestingByte()); break;
                case 3: data.erase (at, 1 + pick (16)); break;
                case 4: data.insert (at, interestingText()); break;
                case 5:
                {
                    // A piece of this or another document spliced in.
                    const auto& other = seeds[pick (seeds.size())];
                    const size_t from = pick (other.size());
                    data.insert (at, other.substr (from, 1 + pick (64)));
                    break;
                }
                case 6: data.resize (at); break;
                default:
                {
                    if (at < data.size())
                    {
                        const size_t length = 1 + pick (32);
                        data.insert (at, data.substr (at, length));
                    }
                    break;
                }
            }
        }
    };

    std::vector<std::string> factoryPresetTexts()
    {
        std::vector<std::string> texts;
        for (const auto& preset : FactoryContent::presets())
            texts.emplace_back (preset.data, preset.size);
        return texts;
    }

    // Every parameter holds a finite value within its range.
    ::testing::AssertionResult parametersAreSane (CaromelAudioProcessor& processor)
    {
        for (auto* id : ParameterIDs::all)
        {
            const auto& range = processor.parameters.getParameter (id)->getNormalisableRange();
            const float value = processor.parameters.getRawParameterValue (id)->load();

            if (! std::isfinite (value) || value < range.start || value > range.end)
                return ::testing::AssertionFailure() << id << " = " << value;
        }
        return ::testing::AssertionSuccess();
    }

    struct OtherState
    {
        juce::String patternName;
        std::vector<int> steps;
        int noteMask;
        juce::Colour colour;
        juce::String presetName;
        bool custom;

        explicit OtherState (const CaromelAudioProcessor& p)
            : patternName (p.getCurrentPatternName()), steps (p.getCurrentPatternSteps()), noteMask (p.noteMask.load()),
              colour (p.uiColour), presetName (p.currentPresetName), custom (p.noteSetCustom) {}

        bool operator== (const OtherState& o) const
        {
            return patternName == o.patternName && steps == o.steps && noteMask == o.noteMask
                && colour == o.colour && presetName == o.presetName && custom == o.custom;
        }
    };

    std::vector<float> allValues (CaromelAudioProcessor& processor)
    {
        std::vector<float> values;
        for (auto* id : ParameterIDs::all)
            values.push_back (processor.parameters.getRawParameterValue (id)->load());
        return values;
    }

    class ReaderFuzz : public ::testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        std::unique_ptr<CaromelAudioProcessor> processor;

        void SetUp() override
        {
            const SilenceStderr quiet;
            processor = std::make_unique<CaromelAudioProcessor>();
        }
    };
}

TEST_F (ReaderFuzz, HostStateOnlyEverChangesParametersWithinTheirRanges)
{
    juce::MemoryBlock ownState;
    processor->getStateInformation (ownState);

    auto seeds = factoryPresetTexts();
    seeds.emplace_back (static_cast<const char*> (ownState.getData()), ownState.getSize());
    for (auto& text : seeds)
        if (text.rfind ("VC2!", 0) != 0)
        {
            juce::MemoryBlock blob;
            juce::AudioProcessor::copyXmlToBinary (*juce::parseXML (juce::String::fromUTF8 (text.data(), (int) text.size())), blob);
            text.assign (static_cast<const char*> (blob.getData()), blob.getSize());
        }

    Mutator mutator (seeds);
    const OtherState before (*processor);
    const SilenceStderr quiet;
    int applied = 0;

    for (int i = 0; i < hostStateInputs; ++i)
    {
        const auto input = mutator.next();
        const auto valuesBefore = allValues (*processor);
        processor->setStateInformation (input.data(), (int) input.size());

        if (allValues (*processor) != valuesBefore)
            ++applied;

        ASSERT_TRUE (parametersAreSane (*processor)) << "input " << i;
        ASSERT_TRUE (OtherState (*processor) == before) << "input " << i;
    }

    // The damage must leave enough inputs readable to reach the parameters.
    EXPECT_GT (applied, hostStateInputs / 20);
}

TEST_F (ReaderFuzz, PresetLoadingEitherChangesNothingOrLoadsSaneValues)
{
    const auto folder = CaromelAudioProcessor::getPresetFolder();
    const auto filesBefore = folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*");

    Mutator mutator (factoryPresetTexts());
    const SilenceStderr quiet;
    int loaded = 0;

    for (int i = 0; i < presetInputs; ++i)
    {
        const auto input = mutator.next();

        processor->currentPresetName = "Before";
        const OtherState stateBefore (*processor);
        const auto valuesBefore = allValues (*processor);

        const auto result = processor->loadPresetDocument ("Fuzz.xml", input.data(), input.size(), "fuzz");

        ASSERT_TRUE (parametersAreSane (*processor)) << "input " << i;

        if (result.loaded)
        {
            ++loaded;
            ASSERT_EQ (processor->currentPresetName, "Fuzz");
            ASSERT_GE (processor->noteMask.load(), 1);
            ASSERT_LE (processor->noteMask.load(), 4095);
            ASSERT_FALSE (processor->getCurrentPatternSteps().empty());
            ASSERT_FALSE (processor->panicMode.load());
        }
        else
        {
            ASSERT_TRUE (OtherState (*processor) == stateBefore) << "input " << i;
            ASSERT_EQ (allValues (*processor), valuesBefore) << "input " << i;
        }
    }

    EXPECT_GT (loaded, presetInputs / 20);
    // Loading never writes.
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), filesBefore);
}

TEST_F (ReaderFuzz, LibraryReadingKeepsOnlyValidEntries)
{
    const auto list = FactoryContent::patternList();
    std::vector<std::string> seeds { std::string (list.data, list.size) };
    Mutator mutator (seeds);
    size_t entries = 0;

    for (int i = 0; i < libraryInputs; ++i)
    {
        const auto input = mutator.next();
        const auto patterns = PatternManager::parsePatternList (input.data(), input.size());
        entries += patterns.size();

        for (const auto& pattern : patterns)
        {
            ASSERT_TRUE (pattern.name.isNotEmpty() && pattern.name == pattern.name.trim()) << "input " << i;
            ASSERT_GE (pattern.steps.size(), 1u);
            ASSERT_LE (pattern.steps.size(), (size_t) PatternManager::maxSteps);

            for (auto step : pattern.steps)
                ASSERT_TRUE (step == PatternManager::rest || (step >= PatternManager::minStep && step <= PatternManager::maxStep))
                    << "input " << i << " step " << step;
        }
    }

    EXPECT_GT (entries, (size_t) libraryInputs);
}
