#include "settings/NoteSetKeyboardComponent.h"
#include "support/SyntheticMouse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
    class NoteSetKeyboardTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            keyboard.setBounds (0, 0, 252, 92);
            keyboard.onNoteMaskChanged = [this] (int mask) { reportedMasks.push_back (mask); };
            keyboard.onRootScaleChanged = [this] (int root, int scale) { rootScaleReports.push_back ({ root, scale }); };
        }

        void click (float x, float y)
        {
            keyboard.mouseDown (rebondo::test::mouseEventAt (keyboard, { x, y }));
        }

        NoteSetKeyboardComponent keyboard;
        std::vector<int> reportedMasks;
        std::vector<std::pair<int, int>> rootScaleReports;
    };

    struct KeyScaleCase
    {
        int rootId, scaleId, expectedMask;
    };

    class NoteSetKeyboardKeyScaleTest : public NoteSetKeyboardTest,
                                        public ::testing::WithParamInterface<KeyScaleCase> {};
}

TEST_P (NoteSetKeyboardKeyScaleTest, BoxChoiceGivesTransposedScaleAndReportsIndices)
{
    const auto param = GetParam();
    // The scale box first, without notification, so that one change reports once.
    keyboard.scaleBox.setSelectedId (param.scaleId, juce::dontSendNotification);
    keyboard.keyBox.setSelectedId (0, juce::dontSendNotification);
    keyboard.keyBox.setSelectedId (param.rootId, juce::sendNotificationSync);

    EXPECT_EQ (keyboard.getSelectedNoteMask(), param.expectedMask);
    ASSERT_EQ (reportedMasks.size(), 1u);
    EXPECT_EQ (reportedMasks.back(), param.expectedMask);
    ASSERT_EQ (rootScaleReports.size(), 1u);
    EXPECT_EQ (rootScaleReports.back(), std::make_pair (param.rootId - 1, param.scaleId - 1));
}

INSTANTIATE_TEST_SUITE_P (Scales, NoteSetKeyboardKeyScaleTest, ::testing::Values (
    KeyScaleCase { 3, 6, 0x2A5 },   // D minor pentatonic: D F G A C
    KeyScaleCase { 12, 1, 0xD5A },  // B major wraps round the octave
    KeyScaleCase { 1, 1, 0xAB5 },   // C major
    KeyScaleCase { 10, 2, 0xAB5 },  // A minor has C major's notes
    KeyScaleCase { 6, 10, 0xFFF },  // chromatic from anywhere
    KeyScaleCase { 2, 8, 0xAAA }),  // C# whole tone
    [] (const ::testing::TestParamInfo<KeyScaleCase>& caseInfo)
    {
        return "Root" + std::to_string (caseInfo.param.rootId) + "Scale" + std::to_string (caseInfo.param.scaleId);
    });

TEST_F (NoteSetKeyboardTest, CustomOrMissingScaleFallsBackToMajor)
{
    EXPECT_EQ (NoteSetKeyboardComponent::scaleMaskForId (NoteSetKeyboardComponent::customScaleId), 0xAB5);
    EXPECT_EQ (NoteSetKeyboardComponent::scaleMaskForId (0), 0xAB5);

    keyboard.syncFromPreset (99, 99, 0x001, false); // no root, no scale: C and Major
    EXPECT_EQ (keyboard.keyBox.getSelectedId(), 0);
    EXPECT_EQ (keyboard.scaleBox.getSelectedId(), 0);
    keyboard.applyKeyAndScaleSelection();
    EXPECT_EQ (keyboard.getSelectedNoteMask(), 0xAB5);
}

TEST_F (NoteSetKeyboardTest, SelectedMaskDropsHighBitsAndNeverEmpties)
{
    const std::pair<int, int> cases[] = { { 0, 1 }, { 1, 1 }, { 0x1001, 1 }, { 0x1000, 1 }, { 0x2A5, 0x2A5 }, { 0xF2A5, 0x2A5 } };

    for (const auto& [mask, expected] : cases)
    {
        reportedMasks.clear();
        keyboard.setSelectedNoteMask (mask);
        EXPECT_EQ (keyboard.getSelectedNoteMask(), expected) << "mask " << mask;
        ASSERT_EQ (reportedMasks.size(), 1u);
        EXPECT_EQ (reportedMasks.back(), expected) << "mask " << mask;
    }
}

TEST_F (NoteSetKeyboardTest, ClickTogglesKeysButNeverTheLastOne)
{
    keyboard.setSelectedNoteMask (0x001 | 0x010); // C and E
    reportedMasks.clear();

    click (80.0f, 80.0f); // E, a white key below the black keys
    EXPECT_EQ (keyboard.getSelectedNoteMask(), 0x001);

    click (10.0f, 80.0f); // C, the last one: stays on, still reported
    EXPECT_EQ (keyboard.getSelectedNoteMask(), 0x001);
    EXPECT_EQ (reportedMasks, (std::vector<int> { 0x001, 0x001 }));

    click (10.0f, 10.0f); // the header: no key
    EXPECT_EQ (reportedMasks.size(), 2u);
}

TEST_F (NoteSetKeyboardTest, BlackKeyWinsWhereKeysOverlap)
{
    keyboard.setSelectedNoteMask (0x001);

    click (30.0f, 30.0f); // inside both C (0..36) and C# (25.92..46.08, down to y 66.92)
    EXPECT_EQ (keyboard.getSelectedNoteMask(), 0x003);

    click (30.0f, 70.0f); // below the black key: C
    EXPECT_EQ (keyboard.getSelectedNoteMask(), 0x002);

    click (135.0f, 60.0f); // F# near its left edge at 133.92
    EXPECT_EQ (keyboard.getSelectedNoteMask(), 0x042);
    click (133.0f, 60.0f); // just left of it: F
    EXPECT_EQ (keyboard.getSelectedNoteMask(), 0x062);
}

TEST_F (NoteSetKeyboardTest, ClickDoesNotChangeTheScaleBox)
{
    keyboard.scaleBox.setSelectedId (6, juce::dontSendNotification);
    click (10.0f, 80.0f);
    EXPECT_EQ (keyboard.scaleBox.getSelectedId(), 6);
    EXPECT_TRUE (rootScaleReports.empty());
}

TEST_F (NoteSetKeyboardTest, GeometryAtEditorSize)
{
    const auto expectRect = [] (juce::Rectangle<float> actual, juce::Rectangle<float> expected, const char* what)
    {
        EXPECT_NEAR (actual.getX(), expected.getX(), 1.0e-4f) << what;
        EXPECT_NEAR (actual.getY(), expected.getY(), 1.0e-4f) << what;
        EXPECT_NEAR (actual.getWidth(), expected.getWidth(), 1.0e-4f) << what;
        EXPECT_NEAR (actual.getHeight(), expected.getHeight(), 1.0e-4f) << what;
    };

    const float whiteX[] = { 0, 36, 72, 108, 144, 180, 216 };
    const int whites[] = { 0, 2, 4, 5, 7, 9, 11 };
    for (int j = 0; j < 7; ++j)
        expectRect (keyboard.getKeyRect (whites[j]), { whiteX[j], 26.0f, 36.0f, 66.0f }, "white key");

    const float blackX[] = { 25.92f, 61.92f, 133.92f, 169.92f, 205.92f };
    const int blacks[] = { 1, 3, 6, 8, 10 };
    for (int j = 0; j < 5; ++j)
        expectRect (keyboard.getKeyRect (blacks[j]), { blackX[j], 26.0f, 20.16f, 40.92f }, "black key");

    EXPECT_EQ (keyboard.keyBox.getBounds(), juce::Rectangle<int> (98, 0, 72, 22));
    EXPECT_EQ (keyboard.scaleBox.getBounds(), juce::Rectangle<int> (180, 0, 72, 22));

    // The keys keep their size in a wider component; the boxes stay at the right.
    keyboard.setBounds (0, 0, 400, 92);
    expectRect (keyboard.getKeyRect (11), { 216.0f, 26.0f, 36.0f, 66.0f }, "B in a wide keyboard");
    EXPECT_EQ (keyboard.scaleBox.getBounds(), juce::Rectangle<int> (328, 0, 72, 22));
}

TEST_F (NoteSetKeyboardTest, PatternMarksFollowRootRestsAndNegativeSteps)
{
    struct Case
    {
        int rootId;
        std::vector<int> steps;
        std::vector<int> marked;
    };
    const Case cases[] = {
        { 1, { 0, 4, 7, -99, -5 }, { 0, 4, 7 } },
        { 10, { 5 }, { 2 } },
        { 1, { -13, -99, 24 }, { 0, 11 } },
        { 1, {}, {} },
    };

    for (const auto& c : cases)
    {
        keyboard.keyBox.setSelectedId (c.rootId, juce::dontSendNotification);
        keyboard.setPatternSteps (c.steps);
        for (int p = 0; p < 12; ++p)
        {
            const bool expected = std::find (c.marked.begin(), c.marked.end(), p) != c.marked.end();
            EXPECT_EQ (keyboard.isPatternMarked (p), expected) << "root " << c.rootId << " pitch class " << p;
        }
    }

    // A root change through the box moves the marks with it.
    keyboard.setPatternSteps ({ 0 });
    keyboard.keyBox.setSelectedId (3, juce::sendNotificationSync);
    EXPECT_TRUE (keyboard.isPatternMarked (2));
    EXPECT_FALSE (keyboard.isPatternMarked (0));
}

TEST_F (NoteSetKeyboardTest, SyncFromPresetShowsCustomWithoutReportingRootAndScale)
{
    keyboard.syncFromPreset (0, 3, 0xAB5, true);

    EXPECT_EQ (keyboard.scaleBox.getSelectedId(), NoteSetKeyboardComponent::customScaleId);
    EXPECT_EQ (keyboard.scaleBox.getText(), "Custom");
    EXPECT_EQ (keyboard.keyBox.getText(), "C");
    EXPECT_EQ (reportedMasks, (std::vector<int> { 0xAB5 }));
    EXPECT_TRUE (rootScaleReports.empty());

    keyboard.syncFromPreset (2, 5, 0x2A5, false);
    EXPECT_EQ (keyboard.keyBox.getText(), "D");
    EXPECT_EQ (keyboard.scaleBox.getText(), "Minor Pent");
    EXPECT_TRUE (rootScaleReports.empty());
}

TEST_F (NoteSetKeyboardTest, SyncFromPresetLeavesPatternMarksAlone)
{
    keyboard.setPatternSteps ({ 0 });
    keyboard.syncFromPreset (4, 0, 0xAB5, false); // root E
    EXPECT_TRUE (keyboard.isPatternMarked (0));
    EXPECT_FALSE (keyboard.isPatternMarked (4));
}

TEST_F (NoteSetKeyboardTest, PaintsSelectedKeysInTheAccentAndMarksInOrange)
{
    keyboard.accentColour = juce::Colour (0xff204080);
    keyboard.setSelectedNoteMask (0x001); // C only
    keyboard.setPatternSteps ({ 4 });     // mark on E

    juce::Image image (juce::Image::ARGB, 252, 92, true);
    {
        juce::Graphics g (image);
        keyboard.paint (g);
    }

    const auto selected = keyboard.accentColour.brighter (0.35f);
    const auto cPixel = image.getPixelAt (5, 70);
    EXPECT_EQ (cPixel.getARGB(), selected.getARGB());

    const auto dPixel = image.getPixelAt (54, 70); // D, not selected, between the black keys and above its label
    EXPECT_EQ (dPixel.getARGB(), juce::Colours::darkgrey.darker (0.35f).getARGB());

    const auto csPixel = image.getPixelAt (36, 40); // C#, not selected
    EXPECT_EQ (csPixel.getARGB(), juce::Colours::black.brighter (0.08f).getARGB());

    // E's mark: dot of 7 centred on the key, 10 below its top.
    const auto dot = image.getPixelAt (90, 26 + 10 + 3);
    const auto orange = juce::Colours::orange.brighter (0.15f);
    EXPECT_NEAR (dot.getRed(), orange.getRed(), 2);
    EXPECT_NEAR (dot.getGreen(), orange.getGreen(), 2);
    EXPECT_NEAR (dot.getBlue(), orange.getBlue(), 2);
}
