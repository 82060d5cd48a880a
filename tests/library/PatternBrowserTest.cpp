#include "library/PatternBrowserComponent.h"
#include "LibraryTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    constexpr int rest = PatternBuilderComponent::rest;

    struct HueCase
    {
        const char* label;
        std::vector<int> steps;
        double complexity;
        float hue;
    };

    void PrintTo (const HueCase& c, std::ostream* os) { *os << c.label; }

    class PatternHueTest : public testing::TestWithParam<HueCase> {};

    TEST_P (PatternHueTest, ComplexityMapsOntoTheHue)
    {
        const auto& c = GetParam();
        if (c.complexity >= 0.0)
        {
            EXPECT_NEAR (patternComplexity (c.steps), c.complexity, 1.0e-9);
        }
        EXPECT_NEAR (patternHue (c.steps), c.hue, 0.002f);
    }

    const double log2Of1440 = std::log2 (1440.0);

    INSTANTIATE_TEST_SUITE_P (Patterns, PatternHueTest, testing::Values (
        HueCase { "Empty", {}, 0.0, 0.16f },
        HueCase { "Unison", { 0 }, 0.0, 0.16f },
        HueCase { "OneStepAndRests", { rest, 5, rest }, 0.0, 0.16f },
        HueCase { "Octave", { 0, 12 }, 1.0, 0.2016f },
        HueCase { "Fifth", { 0, 7 }, std::log2 (6.0), 0.2838f },
        HueCase { "MajorTriad", { 0, 4, 7 }, std::log2 (60.0), 0.480f },
        HueCase { "Scale", { 0, 2, 4, 5, 7, 9, 11 }, log2Of1440, 0.78f },
        HueCase { "Diminished", { 0, 3, 6 }, -1.0, 0.78f },
        HueCase { "DescendingScale", { 0, -1, -3, -5, -7, -8, -10 }, -1.0, 0.78f },
        HueCase { "WidePattern", { 0, 25, 50 }, std::log2 (2880.0), 0.78f }));

    TEST (PatternColourTest, WidePatternsPassTheOctaveLimitAndColoursAreDimmed)
    {
        EXPECT_GT (patternComplexity ({ 0, 25, 50 }), log2Of1440);

        const auto simple = patternColour ({ 0 });
        const auto complex = patternColour ({ 0, 2, 4, 5, 7, 9, 11 });
        EXPECT_NE (simple, complex);

        for (const auto colour : { simple, complex })
        {
            EXPECT_LE (std::max ({ colour.getRed(), colour.getGreen(), colour.getBlue() }), 204);
            EXPECT_NEAR (colour.getAlpha(), 0xdb + (0xff - 0xdb) * 0.28, 1.5);
        }
    }

    class PatternBrowserTest : public testing::Test
    {
    protected:
        PatternBrowserTest()
        {
            browser.setBounds (0, 0, 720, 500);
            browser.onPatternPreview = [this] (const juce::String& n) { events.add ("preview " + n); };
            browser.onPatternChosen = [this] (const juce::String& n) { events.add ("chosen " + n); };
            browser.onRenamePattern = [this] (const juce::String& n) { events.add ("rename " + n); };
            browser.onDeletePattern = [this] (const juce::String& n) { events.add ("delete " + n); };
            browser.onSavePattern = [this] (const juce::String& n, const std::vector<int>& s)
            {
                events.add ("save " + n + " " + juce::String ((int) s.size()));
            };
            browser.onBuilderPatternChanged = [this] (const juce::String& n, const std::vector<int>& s)
            {
                events.add ("changed " + n + " " + juce::String ((int) s.size()));
            };
            browser.onMidiEntryChanged = [this] (bool on) { events.add (on ? "midi on" : "midi off"); };
            browser.onClose = [this] { events.add ("close"); };

            browser.setPatterns ({ { "Unison", { 0 }, false },
                                   { "Octave", { 0, 12 }, false },
                                   { "Fifth", { 0, 7 }, false },
                                   { "Scale", { 0, 2, 4, 5, 7, 9, 11 }, false },
                                   { "Guarded", { 0, 5 }, true },
                                   { "Major Triad", { 0, 4, 7 }, false },
                                   { "Sus4", { 0, 5, 7 }, false } });
        }

        juce::String takeEvents()
        {
            const auto text = events.joinIntoString (",");
            events.clear();
            return text;
        }

        PatternBrowserComponent browser;
        juce::StringArray events;
    };

    TEST_F (PatternBrowserTest, LayoutPlacesTheRowsBuilderAndSixColumnGrid)
    {
        EXPECT_EQ (browser.closeButton.getBounds(), juce::Rectangle<int> (708 - 28, 12, 28, 28));
        EXPECT_EQ (browser.builderLabel.getBounds(), juce::Rectangle<int> (12, 44, 90, 24));
        EXPECT_EQ (browser.newButton.getBounds(), juce::Rectangle<int> (108, 45, 54, 22));
        EXPECT_EQ (browser.saveButton.getX(), 108 + 3 * 60);
        EXPECT_EQ (browser.helpButton.getBounds(), juce::Rectangle<int> (108 + 4 * 60 - 6 + 12, 45, 28, 22));
        EXPECT_EQ (browser.builder.getBounds(), juce::Rectangle<int> (12, 74, 696, 180));
        EXPECT_EQ (browser.viewport.getBounds(), juce::Rectangle<int> (12, 264, 696, 224));

        const auto& buttons = browser.getPatternButtons();
        ASSERT_EQ (buttons.size(), 7u);
        EXPECT_EQ (buttons[0]->getBounds(), juce::Rectangle<int> (0, 0, 106, 36));
        EXPECT_EQ (buttons[5]->getBounds(), juce::Rectangle<int> (5 * 114, 0, 106, 36));
        EXPECT_EQ (buttons[6]->getBounds(), juce::Rectangle<int> (0, 44, 106, 36));
        EXPECT_EQ (browser.content.getWidth(), 696 - 18);
        EXPECT_EQ (browser.content.getHeight(), 224);

        EXPECT_EQ (buttons[3]->colour, patternColour ({ 0, 2, 4, 5, 7, 9, 11 }));
        EXPECT_EQ (buttons[1]->getButtonText(), "Octave") << "library order, no sorting";
    }

    struct StepCountCase
    {
        int stepCount;
        bool undo, skip, save;
    };

    void PrintTo (const StepCountCase& c, std::ostream* os) { *os << c.stepCount << " steps"; }

    class PatternBrowserButtonsTest : public PatternBrowserTest,
                                      public testing::WithParamInterface<StepCountCase> {};

    TEST_P (PatternBrowserButtonsTest, SkipUndoAndSaveFollowTheStepCount)
    {
        const auto c = GetParam();
        browser.setBuilderPattern ("Test", std::vector<int> ((size_t) c.stepCount, 3));
        EXPECT_EQ (browser.undoButton.isEnabled(), c.undo);
        EXPECT_EQ (browser.skipButton.isEnabled(), c.skip);
        EXPECT_EQ (browser.saveButton.isEnabled(), c.save);
        EXPECT_TRUE (browser.newButton.isEnabled());
        EXPECT_TRUE (browser.closeButton.isEnabled());
        EXPECT_TRUE (browser.helpButton.isEnabled());

        const auto before = browser.builder.steps;
        browser.skip();
        EXPECT_EQ (browser.builder.steps.size(), before.size() + (c.skip ? 1u : 0u));
    }

    INSTANTIATE_TEST_SUITE_P (Counts, PatternBrowserButtonsTest, testing::Values (
        StepCountCase { 0, false, true, false },
        StepCountCase { 1, true, true, true },
        StepCountCase { 15, true, true, true },
        StepCountCase { 16, true, false, true }));

    TEST_F (PatternBrowserTest, SelectionEnablesLibraryActionsExceptOnFlaggedPatterns)
    {
        browser.setBuilderPattern ("", {});
        EXPECT_EQ (browser.getTitleText(), "Pattern: none");
        EXPECT_FALSE (browser.loadButton.isEnabled());
        EXPECT_FALSE (browser.renameButton.isEnabled());

        browser.findButton ("Fifth")->onClick();
        EXPECT_EQ (takeEvents(), "preview Fifth");
        EXPECT_EQ (browser.builder.patternName, "Fifth");
        EXPECT_TRUE (browser.findButton ("Fifth")->isCurrent);
        EXPECT_TRUE (browser.renameButton.isEnabled());
        EXPECT_TRUE (browser.deleteButton.isEnabled());

        browser.renameButton.onClick();
        browser.deleteButton.onClick();
        EXPECT_EQ (takeEvents(), "rename Fifth,delete Fifth");

        browser.findButton ("Guarded")->onClick();
        EXPECT_TRUE (browser.loadButton.isEnabled());
        EXPECT_FALSE (browser.renameButton.isEnabled());
        EXPECT_FALSE (browser.deleteButton.isEnabled());
        browser.renameButton.onClick();
        browser.deleteButton.onClick();
        EXPECT_EQ (takeEvents(), "preview Guarded");
    }

    TEST_F (PatternBrowserTest, HighlightFollowsSelectionThenCurrent)
    {
        browser.setCurrentPatternName ("Octave");
        EXPECT_TRUE (browser.findButton ("Octave")->isCurrent);

        browser.findButton ("Scale")->onClick();
        EXPECT_FALSE (browser.findButton ("Octave")->isCurrent);
        EXPECT_TRUE (browser.findButton ("Scale")->isCurrent);

        browser.newPattern();
        EXPECT_EQ (browser.getTitleText(), "Pattern: New Pattern");
        EXPECT_TRUE (browser.findButton ("Octave")->isCurrent);
        EXPECT_FALSE (browser.findButton ("Scale")->isCurrent);
    }

    TEST_F (PatternBrowserTest, LoadChoosesTheSelectionAndCloses)
    {
        browser.loadSelectedPattern();
        EXPECT_TRUE (takeEvents().isEmpty());

        browser.findButton ("Fifth")->onClick();
        takeEvents();
        browser.loadButton.onClick();
        EXPECT_EQ (takeEvents(), "chosen Fifth,close");
        EXPECT_EQ (browser.getCurrentPatternName(), "Fifth");
        EXPECT_TRUE (browser.getSelectedPatternName().isEmpty());
        EXPECT_TRUE (browser.findButton ("Fifth")->isCurrent);
    }

    TEST_F (PatternBrowserTest, DoubleClickPreviewsThenChoosesAndCloses)
    {
        auto* button = browser.findButton ("Sus4");
        button->mouseDoubleClick (rebondo::test::mouseEventAt (*button, { 10.0f, 10.0f }, { 10.0f, 10.0f }, 2));
        EXPECT_EQ (takeEvents(), "preview Sus4,chosen Sus4,close");
    }

    TEST_F (PatternBrowserTest, EditsMarkTheBuilderCustomAndReportItsSteps)
    {
        browser.setBuilderPattern ("Fifth", { 0, 7 });
        EXPECT_FALSE (browser.builderIsCustom);

        browser.builder.mouseDown (rebondo::test::mouseEventAt (browser.builder, { 20.0f, 100.0f }));
        EXPECT_EQ (takeEvents(), "changed Custom 3");
        EXPECT_TRUE (browser.builderIsCustom);
        EXPECT_EQ (browser.getTitleText(), "Pattern: Custom");
        EXPECT_TRUE (browser.getSelectedPatternName().isEmpty());

        browser.undo();
        EXPECT_EQ (browser.builder.steps, (std::vector<int> { 0, 7 }));
        EXPECT_EQ (takeEvents(), "changed Custom 2");

        browser.undo(); // no history left: nothing changes, nothing reported
        EXPECT_TRUE (takeEvents().isEmpty());

        browser.newPattern();
        EXPECT_FALSE (browser.builderIsCustom);
        browser.markBuilderAsCustom();
        EXPECT_TRUE (takeEvents().isEmpty()) << "no steps, nothing to make current";
        EXPECT_EQ (browser.getTitleText(), "Pattern: Custom");
    }

    TEST_F (PatternBrowserTest, SkipAddsARestToStepsAndToMidiEntry)
    {
        browser.setVisible (true);
        browser.setBuilderPattern ("", {});
        EXPECT_TRUE (browser.addNoteFromMidi (62));
        browser.skip();
        EXPECT_EQ (browser.builder.steps, (std::vector<int> { 0, rest }));
        EXPECT_EQ (browser.builder.midiEntryNotes, (std::vector<int> { 2, rest }));
        EXPECT_EQ (takeEvents(), "changed Custom 1,changed Custom 2");
    }

    TEST_F (PatternBrowserTest, MidiNotesAreIgnoredWhileHidden)
    {
        browser.setVisible (false);
        browser.setBuilderPattern ("", {});
        EXPECT_FALSE (browser.addNoteFromMidi (60));
        EXPECT_TRUE (browser.builder.steps.empty());

        browser.setVisible (true);
        EXPECT_TRUE (browser.addNoteFromMidi (60));
        EXPECT_TRUE (browser.undoButton.isEnabled());
    }

    TEST_F (PatternBrowserTest, MidiEntrySwitchMarksCustomOnlyWhenSwitchedOn)
    {
        browser.setBuilderPattern ("Fifth", { 0, 7 });
        browser.builder.onMidiEntryToggled (true);
        EXPECT_EQ (takeEvents(), "changed Custom 2,midi on");
        browser.builder.onMidiEntryToggled (false);
        EXPECT_EQ (takeEvents(), "midi off");
    }

    TEST_F (PatternBrowserTest, CloseMakesAnUnreportedCustomPatternCurrentFirst)
    {
        browser.setBuilderPattern ("Fifth", { 0, 7 });
        browser.closeButton.onClick();
        EXPECT_EQ (takeEvents(), "close");

        browser.markBuilderAsCustom();
        takeEvents();
        browser.closeButton.onClick();
        EXPECT_EQ (takeEvents(), "changed Custom 2,close");
        EXPECT_EQ (browser.getCurrentPatternName(), "Custom");
        EXPECT_FALSE (browser.builderIsCustom);
    }

    TEST_F (PatternBrowserTest, SaveAsksWithTheSelectionAndTheBuilderSteps)
    {
        browser.setBuilderPattern ("Sus4", { 0, 5, 7 });
        browser.saveButton.onClick();
        EXPECT_EQ (takeEvents(), "save Sus4 3");
    }

    TEST (PatternButtonPaint, TextIsWhiteEvenOnLightColours)
    {
        PatternButton button ("WWWWWWWW");
        button.setBounds (0, 0, 106, 36);
        button.colour = juce::Colours::white;
        const auto image = rebondo::test::snapshotOf (button);

        bool anyDark = false;
        for (int x = 14; x < 92; ++x)
            for (int y = 10; y < 27; ++y)
                anyDark = anyDark || image.getPixelAt (x, y).getBrightness() < 0.5f;

        EXPECT_FALSE (anyDark);
    }
}
