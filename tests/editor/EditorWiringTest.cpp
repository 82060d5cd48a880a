#include "EditorTestFixture.h"

#include "editor/AccentColour.h"
#include "editor/PalettePopupComponent.h"
#include "library/PatternBrowserComponent.h"
#include "library/PresetBrowserComponent.h"
#include "settings/MidiChannelSelectorComponent.h"
#include "settings/SettingsComponent.h"
#include "support/GuiTestHelpers.h"
#include "support/LocalManifestServer.h"
#include "support/TestEnvironment.h"

namespace
{
    // The fresh home comes first, so that the processor's preset folder and
    // settings file are made inside it and it outlives them.
    struct FreshHomeFirst
    {
        rebondo::test::ScopedFreshHome home;
    };

    class EditorWiringTest : public FreshHomeFirst, public rebondo::test::EditorFixture
    {
    protected:
        // The editor's panels (valid while the editor exists).
        void findPanels()
        {
            presetBrowser = child<PresetBrowserComponent> ("presetBrowser");
            patternBrowser = child<PatternBrowserComponent> ("patternBrowser");
            settingsPanel = child<SettingsComponent> ("settingsPanel");
            ASSERT_NE (presetBrowser, nullptr);
            ASSERT_NE (patternBrowser, nullptr);
            ASSERT_NE (settingsPanel, nullptr);
        }

        PresetBrowserComponent* presetBrowser = nullptr;
        PatternBrowserComponent* patternBrowser = nullptr;
        SettingsComponent* settingsPanel = nullptr;

        void click (const juce::String& id)
        {
            auto* button = child<juce::Button> (id);
            ASSERT_NE (button, nullptr) << id;
            rebondo::test::clickButton (*button);
        }

        juce::String storedAccent()
        {
            return processor.getStandaloneProperties()->getValue (AccentColour::settingsKey);
        }
    };

    TEST_F (EditorWiringTest, LoadingFromThePresetBrowserRefreshesTheWholeEditor)
    {
        // A preset whose every shown value differs from the parameters' defaults.
        const auto& patterns = processor.patternManager.getPatterns();
        ASSERT_GE (patterns.size(), 2u);
        const auto startPattern = processor.getCurrentPatternName();
        const auto& presetPattern = patterns.back().name != startPattern ? patterns.back() : patterns.front();
        const auto startSteps = processor.getCurrentPatternSteps();

        setParameter (ParameterIDs::bounce, 0.6f);
        setParameter (ParameterIDs::decay, 0.3f);
        setParameter (ParameterIDs::mono, 1.0f);
        setParameter (ParameterIDs::collision, parameterValue (ParameterIDs::collision) > 0.5f ? 0.0f : 1.0f);
        const float bounce = parameterValue (ParameterIDs::bounce);
        const float decay = parameterValue (ParameterIDs::decay);
        const bool collision = parameterValue (ParameterIDs::collision) > 0.5f;
        processor.setCurrentPattern (presetPattern.name, presetPattern.steps);
        const juce::Colour presetColour (0xff6495ed);
        ASSERT_TRUE (processor.savePresetToFile ("Bright", presetColour));

        for (auto* p : processor.getParameters())
            p->setValueNotifyingHost (p->getDefaultValue());
        processor.setCurrentPattern (startPattern, startSteps);
        ASSERT_NE (parameterValue (ParameterIDs::bounce), bounce);
        ASSERT_NE (parameterValue (ParameterIDs::decay), decay);
        ASSERT_LT (parameterValue (ParameterIDs::mono), 0.5f);

        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        editor->setBounds (0, 0, 800, 600);
        auto& browser = (*presetBrowser);
        EXPECT_FALSE (browser.isVisible());
        EXPECT_EQ (browser.getBounds(), juce::Rectangle<int> (40, 70, 720, 450));

        click ("presetNameButton");
        ASSERT_TRUE (browser.isVisible());
        ASSERT_NE (browser.findButton ("Bright"), nullptr) << "the browser rescans the folder when it opens";

        browser.selectPreset ("Bright");
        rebondo::test::clickButton (browser.loadButton);

        EXPECT_EQ (child<juce::Button> ("presetNameButton")->getButtonText(), "Bright");
        EXPECT_EQ (browser.getCurrentPresetName(), "Bright");
        EXPECT_FLOAT_EQ ((float) child<juce::Slider> ("bounceKnob")->getValue(), bounce);
        EXPECT_FLOAT_EQ ((float) child<juce::Slider> ("decayKnob")->getValue(), decay);
        EXPECT_EQ (child<juce::Button> ("monoButton")->getButtonText(), "MONO");
        EXPECT_EQ ((*settingsPanel).collisionOn, collision);
        EXPECT_EQ (child<juce::Button> ("patternNameButton")->getButtonText(), presetPattern.name);
        EXPECT_EQ ((*patternBrowser).builder.steps, presetPattern.steps);

        EXPECT_EQ (editor->accentColour, presetColour);
        EXPECT_EQ ((*settingsPanel).accentColour, presetColour);
        EXPECT_EQ (child<juce::Label> ("brandingLabel")->findColour (juce::Label::textColourId), presetColour);
        EXPECT_TRUE (storedAccent().isEmpty()) << "a preset's colour is not remembered as the user's choice";

        // A missing preset changes nothing.
        browser.selectPreset ("Gone");
        editor->loadPreset ("Gone");
        EXPECT_EQ (child<juce::Button> ("presetNameButton")->getButtonText(), "Bright");
        EXPECT_EQ (editor->accentColour, presetColour);
    }

    TEST_F (EditorWiringTest, SettingsPanelClicksReachTheProcessor)
    {
        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        auto& panel = (*settingsPanel);
        EXPECT_FALSE (panel.isVisible());
        EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (20, 42, 380, 300)) << "plug-in height";

        click ("settingsButton");
        ASSERT_TRUE (panel.isVisible());

        // Both sides on; R turns off, then L off turns R back on.
        ASSERT_TRUE (processor.splitLeft.load() && processor.splitRight.load());
        rebondo::test::clickButton (panel.splitRightButton);
        EXPECT_TRUE (processor.splitLeft.load());
        EXPECT_FALSE (processor.splitRight.load());
        rebondo::test::clickButton (panel.splitLeftButton);
        EXPECT_EQ (processor.splitLeft.load(), panel.splitLeftOn);
        EXPECT_EQ (processor.splitRight.load(), panel.splitRightOn);
        EXPECT_TRUE (processor.splitLeft.load() || processor.splitRight.load());

        const bool collisionBefore = parameterValue (ParameterIDs::collision) > 0.5f;
        rebondo::test::clickButton (panel.collisionButton);
        EXPECT_EQ (parameterValue (ParameterIDs::collision) > 0.5f, ! collisionBefore);
        EXPECT_EQ (processor.collisionEnabled.load(), ! collisionBefore);
        EXPECT_EQ (child<juce::Button> ("collisionToggle")->getToggleState(), ! collisionBefore);

        rebondo::test::clickButton (panel.closeButton);
        EXPECT_FALSE (panel.isVisible());
    }

    TEST_F (EditorWiringTest, ChannelSelectorInThePanelDrivesTheOutputMask)
    {
        processor.setAllowedMidiChannelMask (0x0005);
        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        auto& panel = (*settingsPanel);
        ASSERT_NE (panel.channelSelector, nullptr);
        EXPECT_EQ (panel.standaloneSetup, nullptr);
        auto* selectorChild = dynamic_cast<MidiChannelSelectorComponent*> (panel.findChildWithID ("channelSelector"));
        ASSERT_NE (selectorChild, nullptr);
        auto& selector = *selectorChild;
        EXPECT_TRUE (selector.isVisible());
        EXPECT_EQ (selector.getChannelMask(), 0x0005) << "shows the processor's mask";

        rebondo::test::clickButton (selector.noneButton);
        EXPECT_EQ (selector.getChannelMask(), 0);
        EXPECT_EQ (processor.allowedMidiChannelMask.load(), 0xFFFF) << "no channel at all means every channel";

        rebondo::test::clickButton (selector.channelButtons[1]);
        EXPECT_EQ (processor.allowedMidiChannelMask.load(), 0x0002);
    }

    TEST_F (EditorWiringTest, PaletteChoiceRecoloursAndIsRememberedForTheNextEditor)
    {
        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        editor->setBounds (0, 0, 800, 600);
        // What the palette's swatch click calls (the call-out itself needs a display).
        editor->paletteColourChosen ("cornflowerblue", juce::Colour (0xff6495ed));

        const juce::Colour chosen (0xff6495ed);
        EXPECT_EQ (editor->accentColour, chosen);
        EXPECT_EQ (editor->accentColourName, "cornflowerblue");
        EXPECT_EQ (child<juce::Label> ("brandingLabel")->findColour (juce::Label::textColourId), chosen);
        EXPECT_EQ (storedAccent(), "ff6495ed");

        destroyEditor();
        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        EXPECT_EQ (editor->accentColour, chosen) << "read back when the next editor is built";
    }

    const char* const newerManifest =
        R"({"latest_version":"9.0.0","message":"","fallback_download_url":"https://orvanta.audio/rebondo"})";

    TEST_F (EditorWiringTest, UpdateNoticeShowsTheButtonOnALiveEditor)
    {
        rebondo::test::LocalManifestServer server (newerManifest, 0);
        ASSERT_TRUE (server.isListening());

        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        editor->updateManifestUrl = server.url();
        auto* updateButton = child<juce::Component> ("updateButton");
        EXPECT_FALSE (updateButton->isVisible());

        editor->timerCallback();
        ASSERT_TRUE (rebondo::test::dispatchUntil ([updateButton] { return updateButton->isVisible(); }, 15000));
        EXPECT_EQ (updateButton->getBounds(), juce::Rectangle<int> (163, 2, 26, 26));
        EXPECT_TRUE (child<juce::Component> ("updateBubble")->isVisible());
    }

    TEST_F (EditorWiringTest, UpdateNoticeArrivingAfterTheEditorWentDoesNothing)
    {
        rebondo::test::LocalManifestServer server (newerManifest, 1500);
        ASSERT_TRUE (server.isListening());

        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        editor->updateManifestUrl = server.url();
        editor->timerCallback();
        rebondo::test::dispatchFor (200);
        ASSERT_FALSE (server.answered.load()) << "the answer must still be pending";
        destroyEditor();

        ASSERT_TRUE (rebondo::test::dispatchUntil ([&server] { return server.answered.load(); }, 15000));
        rebondo::test::dispatchFor (1000);

        // The next editor neither checks again nor shows the lost notice.
        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        editor->timerCallback();
        rebondo::test::dispatchFor (200);
        EXPECT_FALSE (child<juce::Component> ("updateButton")->isVisible());
        EXPECT_TRUE (processor.firstStartDone);
    }

    TEST_F (EditorWiringTest, PlayedNotesReachTheStepEditorWhileMidiEntryIsOn)
    {
        prepare();
        createEditor();
        ASSERT_NO_FATAL_FAILURE (findPanels());
        click ("patternNameButton");
        auto& browser = (*patternBrowser);
        ASSERT_TRUE (browser.isVisible());

        rebondo::test::clickButton (browser.newButton);
        ASSERT_TRUE (browser.builder.steps.empty());
        rebondo::test::clickButton (browser.builder.getMidiEntryButton());
        ASSERT_TRUE (processor.patternInputEnabled.load());

        juce::AudioBuffer<float> audio (2, 512);
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100), 0);
        midi.addEvent (juce::MidiMessage::noteOn (1, 67, (juce::uint8) 100), 5);
        midi.addEvent (juce::MidiMessage::noteOn (1, 71, (juce::uint8) 100), 10);
        processor.processBlock (audio, midi);

        ASSERT_TRUE (rebondo::test::dispatchUntil ([&browser] { return browser.builder.steps.size() == 3; }, 2000));
        EXPECT_EQ (browser.builder.steps, (std::vector<int> { 0, 3, 7 }));
        EXPECT_EQ (processor.getCurrentPatternSteps(), (std::vector<int> { 0, 3, 7 })) << "an edited pattern becomes current";
        EXPECT_EQ (child<juce::Button> ("patternNameButton")->getButtonText(), processor.getCurrentPatternName());

        destroyEditor();
        EXPECT_FALSE (processor.patternInputEnabled.load());
    }
}
