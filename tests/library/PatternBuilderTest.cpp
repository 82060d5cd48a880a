#include "library/PatternBuilderComponent.h"
#include "LibraryTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    using Shape = PatternBuilderComponent::DotShape;
    constexpr int rest = PatternBuilderComponent::rest;

    bool isOpaqueWhite (juce::Colour c)
    {
        return c.getAlpha() > 0xb0 && c.getRed() > 200 && c.getGreen() > 200 && c.getBlue() > 200;
    }

    // 696 x 416 gives a 622-pixel grid from x 54 and rows of exactly 16 pixels.
    class PatternBuilderTest : public testing::Test
    {
    protected:
        PatternBuilderTest()
        {
            builder.setBounds (0, 0, 696, 416);
            builder.onPatternEdited = [this] { ++edits; };
        }

        juce::Point<float> cell (int column, int value) const
        {
            const auto grid = builder.getGridArea();
            const auto row = 24 - builder.viewOffset - value;
            return { grid.getX() + ((float) column + 0.5f) * builder.getColumnWidth(),
                     grid.getY() + ((float) row + 0.5f) * builder.getRowHeight() };
        }

        void press (juce::Point<float> p) { builder.mouseDown (rebondo::test::mouseEventAt (builder, p)); }
        void release (juce::Point<float> p, juce::Point<float> down) { builder.mouseUp (rebondo::test::mouseEventAt (builder, p, down)); }
        void drag (juce::Point<float> p, juce::Point<float> down) { builder.mouseDrag (rebondo::test::mouseEventAt (builder, p, down)); }
        void tap (juce::Point<float> p) { press (p); release (p, p); }

        void wheel (float deltaY)
        {
            juce::MouseWheelDetails details {};
            details.deltaY = deltaY;
            builder.mouseWheelMove (rebondo::test::mouseEventAt (builder, { 300.0f, 100.0f }), details);
        }

        PatternBuilderComponent builder;
        int edits = 0;
    };

    TEST_F (PatternBuilderTest, GeometryFollowsTheInnerArea)
    {
        EXPECT_EQ (builder.getKeyboardArea(), juce::Rectangle<float> (8, 8, 36, 400));
        EXPECT_EQ (builder.getGridArea(), juce::Rectangle<float> (54, 8, 622, 400));
        EXPECT_EQ (builder.getScrollStripArea(), juce::Rectangle<float> (679, 8, 9, 400));
        EXPECT_EQ (builder.getScrollTrackArea(), juce::Rectangle<float> (681, 12, 5, 392));
        EXPECT_FLOAT_EQ (builder.getScrollThumbArea().getHeight(), 200.0f);
        EXPECT_EQ (builder.getMidiEntryButton().getBounds(), juce::Rectangle<int> (56, 10, 26, 26));

        builder.viewOffset = 24;
        EXPECT_FLOAT_EQ (builder.getScrollThumbArea().getBottom(), 404.0f);
    }

    TEST_F (PatternBuilderTest, RowsShowTwentyFourDownToZeroAtOffsetZero)
    {
        for (const auto& [row, value] : { std::pair { 0, 24 }, std::pair { 12, 12 }, std::pair { 24, 0 } })
        {
            builder.steps.clear();
            press ({ 100.0f, 8.0f + (float) row * 16.0f + 8.0f });
            ASSERT_EQ (builder.steps.size(), 1u);
            EXPECT_EQ (builder.steps[0], value) << "row " << row;
        }

        // Below the last row still gives the bottom value; with offset 12 the rows move down an octave.
        builder.steps.clear();
        builder.viewOffset = 12;
        press ({ 100.0f, 412.0f });
        press ({ 150.0f, 16.0f });
        EXPECT_EQ (builder.steps, (std::vector<int> { -12, 12 }));
    }

    TEST_F (PatternBuilderTest, ClickingPastTheLastStepAppendsWhateverTheColumn)
    {
        builder.steps = { 0, 4 };
        press (cell (11, 7));
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 4, 7 }));
        EXPECT_EQ (edits, 1);
        EXPECT_EQ (builder.undoStack.size(), 1u);

        // The keyboard strip appends the key's value too.
        press ({ 20.0f, cell (0, 12).y });
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 4, 7, 12 }));
        EXPECT_EQ (edits, 2);
    }

    TEST_F (PatternBuilderTest, PressingAnotherRowInAStepsColumnReplacesIt)
    {
        builder.steps = { 0, 4, 7 };
        press (cell (1, 9));
        release (cell (1, 9), cell (1, 9));
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 9, 7 }));
        EXPECT_EQ (edits, 1);
    }

    TEST_F (PatternBuilderTest, NothingIsAddedBeyondSixteenSteps)
    {
        builder.steps.assign (16, 2);
        press ({ 20.0f, 100.0f });
        EXPECT_EQ (builder.steps.size(), 16u);
        EXPECT_FALSE (builder.appendRest());
        EXPECT_FALSE (builder.addMidiEntryNote (60));
        EXPECT_EQ (edits, 0);
        EXPECT_TRUE (builder.undoStack.empty());
    }

    TEST_F (PatternBuilderTest, TapNoteToRestTapRestToRemove)
    {
        builder.steps = { 0, 4, 7 };
        tap (cell (1, 4));
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, rest, 7 }));

        const auto restDot = builder.getDots()[1];
        EXPECT_EQ (restDot.shape, Shape::rest);
        EXPECT_FLOAT_EQ (restDot.centre.y, cell (1, 0).y) << "rests sit in the bottom row";

        tap (restDot.centre + juce::Point<float> (6.0f, -6.0f));
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 7 }));
        EXPECT_EQ (edits, 2);
        EXPECT_EQ (builder.undoStack.size(), 2u);
    }

    TEST_F (PatternBuilderTest, LongPressRemovesANoteButNotARest)
    {
        builder.steps = { 0, 4, rest, 7 };

        press (cell (1, 4));
        builder.timerCallback();
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, rest, 7 }));
        EXPECT_EQ (edits, 1);
        release (cell (1, 4), cell (1, 4));
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, rest, 7 })) << "the release after a long press does nothing more";

        const auto restCentre = builder.getDots()[1].centre;
        press (restCentre);
        builder.timerCallback();
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, rest, 7 }));
        release (restCentre, restCentre);
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 7 }));
    }

    TEST_F (PatternBuilderTest, MovingMoreThanEightPixelsCancelsThePress)
    {
        builder.steps = { 0, 4, 7 };
        const auto down = cell (2, 7);

        press (down);
        drag (down + juce::Point<float> (6.0f, 5.0f), down); // 7.8 pixels: still pressed
        drag (down + juce::Point<float> (9.0f, 0.0f), down);
        builder.timerCallback();
        release (down, down);
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 4, 7 }));
        EXPECT_EQ (edits, 0);

        press (down);
        drag (down + juce::Point<float> (0.0f, 8.0f), down);
        release (down, down);
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 4, rest }));
    }

    TEST_F (PatternBuilderTest, TheLongPressTimerFiresAfterHalfASecond)
    {
        builder.steps = { 0, 4 };
        press (cell (1, 4));
        rebondo::test::pumpMessages (250);
        EXPECT_EQ (builder.steps.size(), 2u);
        EXPECT_TRUE (rebondo::test::pumpUntil ([this] { return builder.steps.size() == 1; }));
        EXPECT_EQ (builder.steps, (std::vector<int> { 0 }));
        release (cell (1, 4), cell (1, 4));
        EXPECT_EQ (builder.steps, (std::vector<int> { 0 }));
    }

    TEST_F (PatternBuilderTest, OffRangeStepsAreTrianglesAtTheEdges)
    {
        builder.steps = { -5, 30, 24, 0 };
        const auto dots = builder.getDots();
        ASSERT_EQ (dots.size(), 4u);
        EXPECT_EQ (dots[0].shape, Shape::triangleDown);
        EXPECT_FLOAT_EQ (dots[0].centre.y, cell (0, 0).y);
        EXPECT_EQ (dots[1].shape, Shape::triangleUp);
        EXPECT_FLOAT_EQ (dots[1].centre.y, cell (0, 24).y);
        EXPECT_EQ (dots[2].shape, Shape::note);
        EXPECT_EQ (dots[3].shape, Shape::note);

        const auto image = rebondo::test::snapshotOf (builder);
        const auto triangle = image.getPixelAt ((int) dots[0].centre.x, (int) dots[0].centre.y);
        EXPECT_GT (triangle.getRed(), 200);
        EXPECT_LT (triangle.getBlue(), 80) << "orange";

        builder.viewOffset = 6;
        EXPECT_EQ (builder.getDots()[0].shape, Shape::note) << "-5 is visible once scrolled down";
    }

    TEST_F (PatternBuilderTest, WheelMovesTheViewTwoSemitonesPerNotch)
    {
        for (int i = 0; i < 3; ++i)
            wheel (-0.1f);
        EXPECT_EQ (builder.viewOffset, 6);

        for (int i = 0; i < 4; ++i)
            wheel (0.1f);
        EXPECT_EQ (builder.viewOffset, 0);

        for (int i = 0; i < 20; ++i)
            wheel (-0.1f);
        EXPECT_EQ (builder.viewOffset, 24);
    }

    TEST_F (PatternBuilderTest, ScrollStripJumpsAndDrags)
    {
        const auto x = 683.0f;
        press ({ x, 404.0f });   // below the thumb: centre it on the pointer
        EXPECT_EQ (builder.viewOffset, 24);
        release ({ x, 404.0f }, { x, 404.0f });

        press ({ x, 250.0f });   // inside the thumb (204..404): nothing moves yet
        EXPECT_EQ (builder.viewOffset, 24);
        drag ({ x, 250.0f - 96.0f }, { x, 250.0f });
        EXPECT_EQ (builder.viewOffset, 12);
        drag ({ x, -100.0f }, { x, 250.0f });
        EXPECT_EQ (builder.viewOffset, 0);
        release ({ x, 0.0f }, { x, 250.0f });
        EXPECT_TRUE (builder.steps.empty());
        EXPECT_EQ (edits, 0);
    }

    TEST_F (PatternBuilderTest, SixtyFiveEditsKeepTheNewestSixtyFourUndoStates)
    {
        builder.steps = { 0 };

        for (int i = 0; i < 65; ++i)
        {
            const auto value = 1 + i % 20;
            press (cell (0, value));
            ASSERT_EQ (builder.steps[0], value);
        }

        EXPECT_EQ (builder.undoStack.size(), 64u);

        for (int i = 0; i < 64; ++i)
            ASSERT_TRUE (builder.restoreLastState());

        EXPECT_EQ (builder.steps, (std::vector<int> { 1 })) << "the state before the first edit is gone";
        EXPECT_FALSE (builder.restoreLastState());
    }

    TEST_F (PatternBuilderTest, MidiEntryStoresStepsFromTheRootAndDrawsFromMiddleC)
    {
        for (const auto note : { 64, 67, 71 })
            EXPECT_TRUE (builder.addMidiEntryNote (note));

        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 3, 7 }));
        EXPECT_EQ (builder.midiEntryNotes, (std::vector<int> { 4, 7, 11 }));
        EXPECT_EQ (builder.midiRootNote, 64);

        const auto dots = builder.getDots();
        ASSERT_EQ (dots.size(), 3u);

        const auto image = rebondo::test::snapshotOf (builder);
        const std::pair<int, int> drawnAndNot[] { { 4, 0 }, { 7, 3 }, { 11, 7 } };

        for (int column = 0; column < 3; ++column)
        {
            const auto [drawn, stored] = drawnAndNot[column];
            EXPECT_FLOAT_EQ (dots[(size_t) column].centre.y, cell (column, drawn).y);
            const auto at = cell (column, drawn);
            const auto notAt = cell (column, stored);
            EXPECT_TRUE (isOpaqueWhite (image.getPixelAt ((int) at.x + 2, (int) at.y))) << column;
            EXPECT_FALSE (isOpaqueWhite (image.getPixelAt ((int) notAt.x + 2, (int) notAt.y))) << column;
        }

        // Undo goes back one note with its entry state.
        ASSERT_TRUE (builder.restoreLastState());
        EXPECT_EQ (builder.midiEntryNotes, (std::vector<int> { 4, 7 }));
        ASSERT_TRUE (builder.restoreLastState());
        ASSERT_TRUE (builder.restoreLastState());
        EXPECT_FALSE (builder.midiEntryActive);
        EXPECT_EQ (builder.midiRootNote, -1);
    }

    TEST_F (PatternBuilderTest, MidiEntryAfterExistingStepsKeepsThemAndATapEndsIt)
    {
        builder.steps = { 0, 12 };
        builder.addMidiEntryNote (62);
        builder.addMidiEntryNote (65);
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 12, 0, 3 }));
        EXPECT_EQ (builder.midiEntryNotes, (std::vector<int> { 0, 12, 2, 5 }));

        tap (builder.getDots()[3].centre);
        EXPECT_FALSE (builder.midiEntryActive);
        EXPECT_TRUE (builder.midiEntryNotes.empty());
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 12, 0, rest }));

        builder.addMidiEntryNote (50);
        EXPECT_EQ (builder.steps.back(), 0) << "a new entry starts a new root";
    }

    TEST_F (PatternBuilderTest, LoadingClearsUndoAndEntryButNewKeepsUndo)
    {
        builder.addMidiEntryNote (60);
        builder.appendRest();
        EXPECT_EQ (builder.midiEntryNotes, (std::vector<int> { 0, rest }));

        builder.clearForNewPattern ("New Pattern");
        EXPECT_TRUE (builder.steps.empty());
        EXPECT_FALSE (builder.midiEntryActive);
        EXPECT_EQ (builder.undoStack.size(), 2u);

        builder.loadPattern ("Fifth", { 0, 7 });
        EXPECT_EQ (builder.patternName, "Fifth");
        EXPECT_EQ (builder.steps, (std::vector<int> { 0, 7 }));
        EXPECT_TRUE (builder.undoStack.empty());
    }

    TEST_F (PatternBuilderTest, MidiEntryButtonReportsItsNewState)
    {
        std::vector<bool> reported;
        builder.onMidiEntryToggled = [&reported] (bool on) { reported.push_back (on); };

        auto& button = builder.getMidiEntryButton();
        EXPECT_TRUE (button.getClickingTogglesState());
        button.setToggleState (true, juce::dontSendNotification);
        button.onClick();
        builder.setMidiEntryButtonOn (false);
        EXPECT_FALSE (builder.isMidiEntryButtonOn());
        EXPECT_EQ (reported, (std::vector<bool> { true }));
    }
}
