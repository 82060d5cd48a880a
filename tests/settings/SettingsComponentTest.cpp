#include "engine/PluginProcessor.h"
#include "settings/SettingsComponent.h"
#include "support/GuiTestHelpers.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    using Rect = juce::Rectangle<int>;

    class SettingsPanelTest : public testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        CaromelAudioProcessor processor;
        SettingsComponent panel { processor.parameters };

        float rawValue (const char* id) { return processor.parameters.getRawParameterValue (id)->load(); }

        void setParameter (const char* id, float plainValue)
        {
            auto* parameter = processor.parameters.getParameter (id);
            parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
        }
    };

    TEST_F (SettingsPanelTest, LayoutForTheStandaloneSize)
    {
        juce::Component setup;
        panel.standaloneSetup = &setup;
        panel.setSize (380, 430);

        EXPECT_EQ (panel.titleLabel.getBounds(), Rect (14, 14, 140, 24));
        EXPECT_EQ (panel.closeButton.getBounds(), Rect (314, 14, 52, 22));
        EXPECT_EQ (panel.modWheelLabel.getBounds(), Rect (14, 48, 92, 24));
        EXPECT_EQ (panel.collisionLabel.getBounds(), Rect (14, 77, 92, 24));
        EXPECT_EQ (panel.maxBouncesLabel.getBounds(), Rect (14, 106, 92, 24));
        EXPECT_EQ (panel.modWheelBox.getBounds(), Rect (114, 50, 104, 20));
        EXPECT_EQ (panel.collisionButton.getBounds(), Rect (114, 79, 104, 20));
        EXPECT_EQ (panel.maxBouncesBox.getBounds(), Rect (114, 108, 104, 20));
        EXPECT_EQ (panel.splitLabel.getBounds(), Rect (258, 48, 66, 18));
        EXPECT_EQ (panel.splitLeftButton.getBounds(), Rect (259, 72, 28, 20));
        EXPECT_EQ (panel.splitRightButton.getBounds(), Rect (295, 72, 28, 20));
        EXPECT_EQ (setup.getBounds(), Rect (14, 149, 352, 263));
    }

    TEST_F (SettingsPanelTest, LayoutForThePluginSizePlacesTheSelectorOnlyOnResize)
    {
        panel.setSize (380, 300);
        juce::Component selector;
        panel.channelSelector = &selector;
        EXPECT_TRUE (selector.getBounds().isEmpty()) << "filling the slot must not lay out by itself";

        panel.resized();
        EXPECT_EQ (selector.getBounds(), Rect (14, 145, 352, 98));
        EXPECT_EQ (panel.closeButton.getBounds(), Rect (314, 14, 52, 22));
        EXPECT_EQ (panel.splitRightButton.getBounds(), Rect (295, 72, 28, 20));
    }

    struct SplitCase
    {
        const char* clicks; // 'L' or 'R', applied in order from both on
        bool left, right;
    };

    void PrintTo (const SplitCase& c, std::ostream* os) { *os << "clicks " << c.clicks; }

    class SplitClickTest : public SettingsPanelTest, public testing::WithParamInterface<SplitCase> {};

    TEST_P (SplitClickTest, NeverLeavesBothOff)
    {
        const auto c = GetParam();
        std::vector<std::pair<bool, bool>> reports;
        panel.onSplitChanged = [&reports] (bool l, bool r) { reports.emplace_back (l, r); };

        for (const char* k = c.clicks; *k != 0; ++k)
            rebondo::test::clickButton (*k == 'L' ? (juce::Button&) panel.splitLeftButton : panel.splitRightButton);

        ASSERT_EQ (reports.size(), strlen (c.clicks));
        EXPECT_EQ (reports.back(), std::make_pair (c.left, c.right)) << c.clicks;
        EXPECT_EQ (panel.splitLeftOn, c.left);
        EXPECT_EQ (panel.splitRightOn, c.right);

        for (auto [button, on] : { std::make_pair (&panel.splitLeftButton, c.left), std::make_pair (&panel.splitRightButton, c.right) })
        {
            EXPECT_EQ (button->getToggleState(), on) << c.clicks;
            EXPECT_NEAR (button->getAlpha(), on ? 1.0f : 0.35f, 0.005f) << c.clicks;
        }
    }

    INSTANTIATE_TEST_SUITE_P (Cases, SplitClickTest, testing::Values (
        SplitCase { "R", true, false },
        SplitCase { "RR", true, true },
        SplitCase { "L", false, true },
        SplitCase { "RL", false, true },   // L on, R off: L click turns R on
        SplitCase { "LR", true, false },   // R on, L off: R click turns L on
        SplitCase { "LL", true, true }));

    TEST_F (SettingsPanelTest, ChoosingTheLastBounceLimitSetsParameterIndexEight)
    {
        panel.maxBouncesBox.setSelectedId (1, juce::sendNotificationSync);
        EXPECT_EQ (rawValue (ParameterIDs::maxBounces), 0.0f);

        panel.maxBouncesBox.setSelectedItemIndex (8, juce::sendNotificationSync);
        EXPECT_EQ (panel.maxBouncesBox.getText(), "999");
        EXPECT_EQ (rawValue (ParameterIDs::maxBounces), 8.0f);

        panel.modWheelBox.setSelectedItemIndex (3, juce::sendNotificationSync);
        EXPECT_EQ (panel.modWheelBox.getText(), "Gravity");
        EXPECT_EQ (rawValue (ParameterIDs::mod), 3.0f);
    }

    TEST_F (SettingsPanelTest, BoxesShowTheParameterValuesAtConstruction)
    {
        setParameter (ParameterIDs::mod, 5.0f);
        setParameter (ParameterIDs::maxBounces, 2.0f);
        SettingsComponent fresh (processor.parameters);
        EXPECT_EQ (fresh.modWheelBox.getText(), "Time");
        EXPECT_EQ (fresh.maxBouncesBox.getText(), "4");
    }

    TEST_F (SettingsPanelTest, RefreshFollowsALoadedCollisionValueWithoutTouchingTheSwitchState)
    {
        EXPECT_EQ (panel.collisionButton.getButtonText(), "Off"); // parameter default
        const auto offColour = panel.collisionButton.findColour (juce::TextButton::buttonColourId);

        setParameter (ParameterIDs::collision, 1.0f);
        EXPECT_EQ (panel.collisionButton.getButtonText(), "Off") << "only a refresh shows the new value";

        panel.refreshFromParameters();
        EXPECT_TRUE (panel.collisionOn);
        EXPECT_EQ (panel.collisionButton.getButtonText(), "On");
        EXPECT_FALSE (panel.collisionButton.getToggleState());
        EXPECT_EQ (panel.collisionButton.findColour (juce::TextButton::buttonColourId), offColour);
    }

    TEST_F (SettingsPanelTest, CollisionClickWritesTheParameterAndReports)
    {
        std::vector<bool> reports;
        panel.onCollisionChanged = [&reports] (bool on) { reports.push_back (on); };

        rebondo::test::clickButton (panel.collisionButton);
        EXPECT_EQ (panel.collisionButton.getButtonText(), "On");
        EXPECT_EQ (rawValue (ParameterIDs::collision), 1.0f);
        EXPECT_FALSE (panel.collisionButton.getToggleState());

        rebondo::test::clickButton (panel.collisionButton);
        EXPECT_EQ (panel.collisionButton.getButtonText(), "Off");
        EXPECT_EQ (rawValue (ParameterIDs::collision), 0.0f);
        EXPECT_EQ (reports, (std::vector<bool> { true, false }));
    }

    TEST_F (SettingsPanelTest, CloseButtonCallsOnClose)
    {
        int closes = 0;
        panel.onClose = [&closes] { ++closes; };
        rebondo::test::clickButton (panel.closeButton);
        EXPECT_EQ (closes, 1);
    }

    TEST_F (SettingsPanelTest, AccentChangeRecoloursAndKeepsAnOffSplitSwitchDimmed)
    {
        rebondo::test::clickButton (panel.splitLeftButton);
        ASSERT_FALSE (panel.splitLeftOn);

        const auto hotpink = juce::Colour (0xffff69b4);
        panel.setAccentColour (hotpink);

        EXPECT_NEAR (panel.splitLeftButton.getAlpha(), 0.35f, 0.005f);
        EXPECT_FALSE (panel.splitLeftButton.getToggleState());
        EXPECT_FLOAT_EQ (panel.splitRightButton.getAlpha(), 1.0f);
        EXPECT_TRUE (panel.splitRightButton.getToggleState());

        EXPECT_EQ (panel.titleLabel.findColour (juce::Label::textColourId), hotpink);
        EXPECT_EQ (panel.modWheelBox.findColour (juce::ComboBox::outlineColourId), hotpink);
        EXPECT_EQ (panel.maxBouncesBox.findColour (juce::ComboBox::textColourId), hotpink);
        EXPECT_EQ (panel.collisionButton.findColour (juce::TextButton::buttonColourId), hotpink.darker (0.7f));
        EXPECT_EQ (panel.closeButton.findColour (juce::TextButton::textColourOffId), hotpink.brighter (0.35f));
        EXPECT_EQ (panel.splitRightButton.findColour (juce::TextButton::buttonOnColourId), hotpink.darker (0.25f));
        EXPECT_EQ (panel.splitLeftButton.findColour (juce::TextButton::buttonColourId), hotpink.darker (0.78f));
        EXPECT_EQ (panel.splitLabel.findColour (juce::Label::textColourId), juce::Colours::white.darker (0.15f));
    }

    void expectNear (juce::Colour actual, juce::Colour expected, int tolerance = 2)
    {
        EXPECT_NEAR (actual.getAlpha(), expected.getAlpha(), tolerance) << actual.toString() << " vs " << expected.toString();
        EXPECT_NEAR (actual.getRed(), expected.getRed(), tolerance) << actual.toString() << " vs " << expected.toString();
        EXPECT_NEAR (actual.getGreen(), expected.getGreen(), tolerance) << actual.toString() << " vs " << expected.toString();
        EXPECT_NEAR (actual.getBlue(), expected.getBlue(), tolerance) << actual.toString() << " vs " << expected.toString();
    }

    TEST_F (SettingsPanelTest, PaintsTheDefaultFillAndOutline)
    {
        panel.setSize (380, 300);
        juce::Image image (juce::Image::ARGB, 380, 300, true);
        {
            juce::Graphics g (image);
            panel.paint (g);
        }

        EXPECT_EQ (image.getPixelAt (190, 150).getARGB(), 0xeb000000u);
        // The outline's top edge lies over the fill.
        expectNear (image.getPixelAt (190, 0), juce::Colour (0xeb000000).overlaidWith (juce::Colour (0xd920b2aa)));
        // Rounded corners leave the very corner clear.
        EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);
    }

    struct ComboDrawCase
    {
        int width, height;
    };

    TEST_F (SettingsPanelTest, ComboLookAndFeelDrawsInTheCurrentAccent)
    {
        panel.accentColour = juce::Colour (0xff6495ed);

        for (auto c : { ComboDrawCase { 104, 20 }, ComboDrawCase { 0, 0 } })
        {
            juce::ComboBox box;
            box.setSize (c.width, c.height);
            juce::Image image (juce::Image::ARGB, 110, 30, true);
            juce::Graphics g (image);
            panel.comboLookAndFeel.drawComboBox (g, c.width, c.height, false, 0, 0, 0, 0, box);

            EXPECT_EQ (box.findColour (juce::ComboBox::textColourId), panel.accentColour);
            if (c.width > 0)
            {
                EXPECT_EQ (image.getPixelAt (50, 10), panel.accentColour.darker (0.65f));
            }
        }

        juce::ComboBox box;
        box.setSize (104, 20);
        juce::Label label;
        panel.comboLookAndFeel.positionComboBoxText (box, label);
        EXPECT_EQ (label.getBounds(), Rect (4, 0, 96, 20));
        EXPECT_EQ (label.getJustificationType(), juce::Justification::centred);
    }
}

namespace
{
    // A processor whose tree holds the two box parameters but no collision.
    class TreeWithoutCollision : public juce::AudioProcessor
    {
    public:
        TreeWithoutCollision() : tree (*this, nullptr, "PARAMETERS", makeLayout()) {}

        static juce::AudioProcessorValueTreeState::ParameterLayout makeLayout()
        {
            juce::AudioProcessorValueTreeState::ParameterLayout layout;
            layout.add (std::make_unique<juce::AudioParameterInt> (juce::ParameterID { ParameterIDs::mod, 1 }, "Mod", 0, 5, 0));
            layout.add (std::make_unique<juce::AudioParameterInt> (juce::ParameterID { ParameterIDs::maxBounces, 1 }, "Max", 0, 8, 8));
            return layout;
        }

        const juce::String getName() const override { return "test"; }
        void prepareToPlay (double, int) override {}
        void releaseResources() override {}
        void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
        using juce::AudioProcessor::processBlock;
        double getTailLengthSeconds() const override { return 0.0; }
        bool acceptsMidi() const override { return false; }
        bool producesMidi() const override { return false; }
        juce::AudioProcessorEditor* createEditor() override { return nullptr; }
        bool hasEditor() const override { return false; }
        int getNumPrograms() override { return 1; }
        int getCurrentProgram() override { return 0; }
        void setCurrentProgram (int) override {}
        const juce::String getProgramName (int) override { return {}; }
        void changeProgramName (int, const juce::String&) override {}
        void getStateInformation (juce::MemoryBlock&) override {}
        void setStateInformation (const void*, int) override {}

        juce::AudioProcessorValueTreeState tree;
    };

    TEST (SettingsPanelWithoutCollisionTest, SwitchWorksOnThePanelAlone)
    {
        TreeWithoutCollision processor;
        SettingsComponent panel (processor.tree);
        EXPECT_TRUE (panel.collisionOn) << "kept at its initial value";
        EXPECT_EQ (panel.collisionButton.getButtonText(), "On");

        std::vector<bool> reports;
        panel.onCollisionChanged = [&reports] (bool on) { reports.push_back (on); };
        rebondo::test::clickButton (panel.collisionButton);
        panel.refreshFromParameters();

        EXPECT_FALSE (panel.collisionOn);
        EXPECT_EQ (panel.collisionButton.getButtonText(), "Off");
        EXPECT_EQ (reports, std::vector<bool> { false });
        EXPECT_EQ (panel.maxBouncesBox.getText(), "999");
    }
}
