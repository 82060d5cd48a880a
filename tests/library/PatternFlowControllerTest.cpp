#include "engine/PluginProcessor.h"
#include "library/PatternFlowController.h"
#include "support/TestEnvironment.h"
#include "LibraryTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    // A library held in memory with the same matching rules as the real one.
    class FakeLibrary : public PatternFlowController::Library
    {
    public:
        const std::vector<PatternDefinition>& getPatterns() const override { return patterns; }

        const PatternDefinition* findPatternByName (const juce::String& name) const override
        {
            for (const auto& p : patterns)
                if (p.name.equalsIgnoreCase (name.trim()))
                    return &p;
            return nullptr;
        }

        bool addOrUpdatePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite) override
        {
            if (auto* existing = const_cast<PatternDefinition*> (findPatternByName (name)))
            {
                if (! overwrite)
                    return false;
                existing->steps = steps;
            }
            else
            {
                patterns.push_back ({ name.trim(), steps, false });
            }
            return writable;
        }

        bool renamePattern (const juce::String& oldName, const juce::String& newName) override
        {
            auto* entry = const_cast<PatternDefinition*> (findPatternByName (oldName));
            const auto* clash = findPatternByName (newName);
            if (entry == nullptr || newName.trim().isEmpty() || (clash != nullptr && clash != entry))
                return false;
            entry->name = newName.trim();
            return writable;
        }

        bool deletePattern (const juce::String& name) override
        {
            const auto* entry = findPatternByName (name);
            if (entry == nullptr)
                return false;
            patterns.erase (patterns.begin() + (entry - patterns.data()));
            return writable;
        }

        std::vector<PatternDefinition> patterns { { "Unison", { 0 }, false },
                                                  { "Fifth", { 0, 7 }, false },
                                                  { "Major Triad", { 0, 4, 7 }, false },
                                                  { "Minor 11", { 0, 3, 7, 10, 17 }, false } };
        bool writable = true;
    };

    class PatternFlowTest : public testing::Test
    {
    protected:
        PatternFlowTest()
        {
            processor.setCurrentPattern ("Major Triad Oct", { 0, 4, 7, 12 });
            browser.setBounds (0, 0, 720, 500);
            browser.setVisible (false);
            flows.onPatternNameShown = [this] (const juce::String& name) { shownName = name; };
            flows.onPatternStepsShown = [this] (const std::vector<int>& steps) { shownSteps = steps; };
        }

        ~PatternFlowTest() override
        {
            processor.onPatternInputNote = nullptr;
        }

        void expectCurrent (const juce::String& name, const std::vector<int>& steps)
        {
            EXPECT_EQ (processor.getCurrentPatternName(), name);
            EXPECT_EQ (processor.getCurrentPatternSteps(), steps);
        }

        rebondo::test::ScopedFreshHome home;
        CaromelAudioProcessor processor;
        FakeLibrary library;
        PatternBrowserComponent browser;
        PatternFlowController flows { processor, browser, library };
        juce::String shownName;
        std::vector<int> shownSteps;
    };

    TEST_F (PatternFlowTest, OpeningShowsTheLibraryAndTheCurrentPattern)
    {
        flows.openBrowser();
        EXPECT_TRUE (browser.isVisible());
        EXPECT_TRUE (flows.isAuditionOpen());
        EXPECT_EQ (browser.getPatternButtons().size(), 4u);
        EXPECT_EQ (browser.getTitleText(), "Pattern: Major Triad Oct");
        EXPECT_EQ (browser.builder.steps, (std::vector<int> { 0, 4, 7, 12 }));
        EXPECT_EQ (shownSteps, (std::vector<int> { 0, 4, 7, 12 }));
    }

    TEST_F (PatternFlowTest, AuditionThenCloseRestoresThePreviousPattern)
    {
        flows.openBrowser();
        browser.findButton ("Fifth")->onClick();
        expectCurrent ("Fifth", { 0, 7 });
        EXPECT_EQ (shownName, "Fifth");
        EXPECT_EQ (browser.builder.steps, (std::vector<int> { 0, 7 }));

        browser.findButton ("Unison")->onClick();
        expectCurrent ("Unison", { 0 });

        browser.closeButton.onClick();
        expectCurrent ("Major Triad Oct", { 0, 4, 7, 12 });
        EXPECT_EQ (shownName, "Major Triad Oct");
        EXPECT_FALSE (browser.isVisible());
        EXPECT_FALSE (flows.isAuditionOpen());
    }

    TEST_F (PatternFlowTest, LoadKeepsTheChosenPattern)
    {
        flows.openBrowser();
        browser.findButton ("Fifth")->onClick();
        browser.loadButton.onClick();
        expectCurrent ("Fifth", { 0, 7 });
        EXPECT_EQ (shownName, "Fifth");
        EXPECT_FALSE (browser.isVisible());

        // The next opening snapshots the new choice.
        flows.openBrowser();
        browser.findButton ("Unison")->onClick();
        browser.closeButton.onClick();
        expectCurrent ("Fifth", { 0, 7 });
    }

    TEST_F (PatternFlowTest, EditingMakesCustomCurrentAndClosingKeepsIt)
    {
        flows.openBrowser();
        browser.findButton ("Fifth")->onClick();

        // Press the top key of the keyboard strip: appends 24.
        browser.builder.mouseDown (rebondo::test::mouseEventAt (browser.builder, { 20.0f, 10.0f }));
        expectCurrent ("Custom", { 0, 7, 24 });
        EXPECT_EQ (shownName, "Custom");
        EXPECT_EQ (browser.getTitleText(), "Pattern: Custom");
        EXPECT_EQ (browser.builder.undoStack.size(), 1u) << "the step editor keeps its history";

        browser.closeButton.onClick();
        expectCurrent ("Custom", { 0, 7, 24 });
        EXPECT_EQ (shownName, "Custom");
    }

    TEST_F (PatternFlowTest, MidiEntryGoesThroughTheProcessorFlagAndMakesCustomCurrent)
    {
        processor.onPatternInputNote = [this] (int note) { flows.handlePatternInputNote (note); };

        flows.openBrowser();
        browser.newPattern();
        auto& button = browser.builder.getMidiEntryButton();
        button.setToggleState (true, juce::dontSendNotification);
        button.onClick();
        EXPECT_TRUE (processor.patternInputEnabled.load());

        for (const auto note : { 64, 67, 71 })
            processor.onPatternInputNote (note);

        expectCurrent ("Custom", { 0, 3, 7 });
        EXPECT_EQ (browser.builder.midiEntryNotes, (std::vector<int> { 4, 7, 11 }));

        browser.closeButton.onClick();
        EXPECT_FALSE (processor.patternInputEnabled.load());
        EXPECT_FALSE (browser.builder.isMidiEntryButtonOn());
        expectCurrent ("Custom", { 0, 3, 7 });

        processor.onPatternInputNote (72);
        EXPECT_EQ (browser.builder.steps.size(), 3u) << "ignored while the browser is hidden";
    }

    TEST_F (PatternFlowTest, RenamingTheCurrentPatternRenamesItToo)
    {
        flows.openBrowser();
        browser.findButton ("Fifth")->onClick();
        browser.loadButton.onClick();

        EXPECT_TRUE (flows.renamePattern ("Fifth", "  Quinte "));
        expectCurrent ("Quinte", { 0, 7 });
        EXPECT_EQ (shownName, "Quinte");
        EXPECT_NE (browser.findButton ("Quinte"), nullptr);
        EXPECT_EQ (browser.findButton ("Fifth"), nullptr);

        EXPECT_TRUE (flows.renamePattern ("Unison", "Prime"));
        expectCurrent ("Quinte", { 0, 7 });
        EXPECT_EQ (browser.getCurrentPatternName(), "Quinte");
    }

    TEST_F (PatternFlowTest, RenamingOntoAnExistingNameIsRefused)
    {
        EXPECT_FALSE (flows.renamePattern ("Fifth", "unison"));
        EXPECT_NE (library.findPatternByName ("Fifth"), nullptr);

        library.writable = false;
        EXPECT_FALSE (flows.renamePattern ("Fifth", "Quinte"));
    }

    TEST_F (PatternFlowTest, DeletingTheCurrentPatternFallsBack)
    {
        processor.setCurrentPattern ("Fifth", { 0, 7 });
        EXPECT_TRUE (flows.deletePattern ("Fifth"));
        expectCurrent ("Custom", { 0, 4, 7, 12 });
        EXPECT_EQ (shownName, "Custom");
        EXPECT_EQ (library.findPatternByName ("Fifth"), nullptr);

        library.patterns.push_back ({ "Major Triad Oct", { 0, 4, 7, 12, 16 }, false });
        processor.setCurrentPattern ("Unison", { 0 });
        EXPECT_TRUE (flows.deletePattern ("Unison"));
        expectCurrent ("Major Triad Oct", { 0, 4, 7, 12, 16 });

        // Deleting another pattern keeps the current one.
        EXPECT_TRUE (flows.deletePattern ("Major Triad"));
        expectCurrent ("Major Triad Oct", { 0, 4, 7, 12, 16 });

        EXPECT_FALSE (flows.deletePattern ("Nothing Like It"));
    }

    TEST_F (PatternFlowTest, SavingAddsToTheLibraryWithoutChangingTheCurrentPattern)
    {
        flows.openBrowser();
        EXPECT_TRUE (flows.savePattern ("Mine", { 0, -99, 5 }, false));
        EXPECT_NE (browser.findButton ("Mine"), nullptr);
        EXPECT_EQ (browser.getTitleText(), "Pattern: Mine");
        EXPECT_EQ (browser.builder.steps, (std::vector<int> { 0, -99, 5 }));
        EXPECT_EQ (shownSteps, (std::vector<int> { 0, -99, 5 }));
        expectCurrent ("Major Triad Oct", { 0, 4, 7, 12 });

        EXPECT_FALSE (flows.savePattern ("fifth", { 0, 5 }, false));
        EXPECT_TRUE (flows.savePattern ("fifth", { 0, 5 }, true));
        EXPECT_EQ (library.findPatternByName ("Fifth")->steps, (std::vector<int> { 0, 5 }));
    }

    TEST_F (PatternFlowTest, RefreshingShowsTheFallbackNameForAnUnnamedPattern)
    {
        processor.setCurrentPattern ("", { 0, 5 });
        flows.refreshPatternDisplayFromProcessor();
        EXPECT_EQ (shownName, "Major Triad");
        EXPECT_EQ (browser.builder.steps, (std::vector<int> { 0, 5 }));
    }
}
