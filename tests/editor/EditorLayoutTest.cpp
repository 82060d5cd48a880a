#include "EditorTestFixture.h"

namespace
{
    struct ExpectedBounds
    {
        const char* id;
        juce::Rectangle<int> bounds;
    };

    // The editor at 800 x 600, child by child.
    const ExpectedBounds layoutAt800x600[] = {
        { "settingsButton", { 3, 2, 26, 26 } },
        { "helpButton", { 39, 2, 26, 26 } },
        { "paletteButton", { 75, 2, 26, 26 } },
        { "monoButton", { 109, 4, 46, 22 } },
        { "updateButton", { 163, 2, 26, 26 } },
        { "saveButton", { 771, 2, 26, 26 } },
        { "presetNameButton", { 616, 2, 146, 26 } },
        { "brandingLabel", { 206, 0, 398, 30 } },
        { "bounceLabel", { 41, 30, 70, 16 } },
        { "bounceKnob", { 41, 46, 70, 54 } },
        { "decayLabel", { 194, 30, 70, 16 } },
        { "decayKnob", { 194, 46, 70, 54 } },
        { "velocityLabel", { 347, 30, 70, 16 } },
        { "velocityKnob", { 347, 46, 70, 54 } },
        { "gravityLabel", { 117, 100, 70, 16 } },
        { "gravityKnob", { 117, 116, 70, 54 } },
        { "timeLabel", { 270, 100, 70, 16 } },
        { "timeKnob", { 270, 116, 70, 54 } },
        { "holdButton", { 204, 100, 50, 20 } },
        { "dynamicButton", { 357, 100, 50, 20 } },
        { "noteSetKeyboard", { 504, 42, 252, 92 } },
        { "sequenceLabel", { 501, 142, 79, 14 } },
        { "arpTypeBox", { 503, 156, 75, 22 } },
        { "patternsLabel", { 588, 142, 79, 14 } },
        { "patternNameButton", { 590, 156, 75, 22 } },
        { "wallsLabel", { 675, 142, 79, 14 } },
        { "wallsButton", { 677, 156, 75, 22 } },
    };

    class EditorLayoutTest : public rebondo::test::EditorFixture {};
}

TEST_F (EditorLayoutTest, EveryChildSitsAtItsRectangleAt800x600)
{
    createEditor();
    ASSERT_EQ (editor->getWidth(), 800);
    ASSERT_EQ (editor->getHeight(), 600);

    for (const auto& expected : layoutAt800x600)
    {
        auto* component = child (expected.id);
        ASSERT_NE (component, nullptr) << expected.id;
        EXPECT_EQ (component->getBounds(), expected.bounds) << expected.id;
    }

    EXPECT_EQ (editor->getPresetBrowserBounds(), juce::Rectangle<int> (40, 70, 720, 450));
    EXPECT_EQ (editor->getPatternBrowserBounds(), juce::Rectangle<int> (40, 50, 720, 500));
    EXPECT_EQ (editor->getSettingsPanelBounds(), juce::Rectangle<int> (20, 42, 380, 300)); // not the standalone app
}

TEST_F (EditorLayoutTest, LabelsAndTextsAtStart)
{
    createEditor();

    const std::pair<const char*, const char*> labels[] = {
        { "bounceLabel", "BOUNCE" }, { "decayLabel", "SUSTAIN" }, { "velocityLabel", "IMPULSE" },
        { "gravityLabel", "GRAVITY" }, { "timeLabel", "TIME" }, { "sequenceLabel", "SEQUENCE" },
        { "patternsLabel", "PATTERNS" }, { "wallsLabel", "WALLS" }
    };
    for (const auto& [id, text] : labels)
    {
        auto* label = child<juce::Label> (id);
        ASSERT_NE (label, nullptr) << id;
        EXPECT_EQ (label->getText(), text);
        EXPECT_EQ (label->findColour (juce::Label::textColourId), juce::Colours::grey);
    }

    const std::pair<const char*, const char*> buttons[] = {
        { "holdButton", "HOLD" }, { "dynamicButton", "FIXED" }, { "wallsButton", "VISIBLE" },
        { "monoButton", "POLY" }, { "presetNameButton", "Default" }
    };
    for (const auto& [id, text] : buttons)
    {
        auto* button = child<juce::Button> (id);
        ASSERT_NE (button, nullptr) << id;
        EXPECT_EQ (button->getButtonText(), text);
    }

    auto* updateButton = child ("updateButton");
    ASSERT_NE (updateButton, nullptr);
    EXPECT_FALSE (updateButton->isVisible());

    auto* branding = child<juce::Label> ("brandingLabel");
    ASSERT_NE (branding, nullptr);
    EXPECT_EQ (branding->findColour (juce::Label::textColourId), juce::Colour (0xff20b2aa));
    EXPECT_TRUE (branding->getText().contains ("1.0.0"));

    // The arpeggiator box lists the nine modes with IDs from 1.
    auto* arp = child<juce::ComboBox> ("arpTypeBox");
    ASSERT_NE (arp, nullptr);
    ASSERT_EQ (arp->getNumItems(), 9);
    EXPECT_EQ (arp->getItemText (0), "none");
    EXPECT_EQ (arp->getItemText (8), "RND");
    EXPECT_EQ (arp->getItemId (8), 9);
}

TEST_F (EditorLayoutTest, IconButtonsHaveImages)
{
    createEditor();

    for (auto* id : { "settingsButton", "helpButton", "paletteButton", "updateButton", "saveButton" })
    {
        auto* button = child<juce::DrawableButton> (id);
        ASSERT_NE (button, nullptr) << id;
        EXPECT_NE (button->getNormalImage(), nullptr) << id;
        EXPECT_EQ (button->findColour (juce::DrawableButton::backgroundColourId), juce::Colours::transparentBlack) << id;
    }
}

TEST_F (EditorLayoutTest, NarrowEditorPutsKnobColumnsAtTheLeftEdge)
{
    createEditor();

    for (int width : { 465, 300 })
    {
        editor->setSize (width, 600);
        auto* bounce = child ("bounceKnob");
        auto* decay = child ("decayKnob");
        auto* gravity = child ("gravityKnob");
        ASSERT_TRUE (bounce != nullptr && decay != nullptr && gravity != nullptr);
        EXPECT_EQ (bounce->getX(), 0) << width;
        EXPECT_EQ (decay->getX(), 70) << width;
        EXPECT_EQ (gravity->getX(), 35) << width;
    }

    // Nothing gets a negative size when the editor is tiny.
    editor->setSize (20, 10);
    for (auto* component : editor->getChildren())
    {
        EXPECT_GE (component->getWidth(), 0) << component->getComponentID();
        EXPECT_GE (component->getHeight(), 0) << component->getComponentID();
    }
}

TEST_F (EditorLayoutTest, ControlsFollowTheEditorsAccentAtEveryDraw)
{
    createEditor();
    auto* hold = child ("holdButton");
    ASSERT_NE (hold, nullptr);
    const auto probe = hold->getBounds().getTopLeft() + juce::Point<int> (4, 10);

    const auto pixelAfterSetting = [&] (juce::Colour accent)
    {
        editor->accentColour = accent;
        const auto image = editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f);
        return image.getPixelAt (probe.x, probe.y);
    };

    for (auto accent : { juce::Colour (0xffff0000), juce::Colour (0xff00ff00) })
    {
        // An off text button: the accent at alpha 31 over the black editor.
        const auto expected = juce::Colours::black.overlaidWith (accent.withAlpha ((juce::uint8) 31));
        const auto actual = pixelAfterSetting (accent);
        EXPECT_NEAR (actual.getRed(), expected.getRed(), 2);
        EXPECT_NEAR (actual.getGreen(), expected.getGreen(), 2);
        EXPECT_NEAR (actual.getBlue(), expected.getBlue(), 2);
    }
}
