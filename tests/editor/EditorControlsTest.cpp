#include "EditorTestFixture.h"

namespace
{
    class EditorControlsTest : public rebondo::test::EditorFixture {};

    struct ToggleCase
    {
        const char* parameterID;
        const char* buttonID;
        const char* offText;
        const char* onText;
        std::function<bool (CaromelAudioProcessor&)> engineSetting;
    };

    const ToggleCase toggleCases[] = {
        { ParameterIDs::dynamic, "dynamicButton", "FIXED", "DYNAMIC", [] (CaromelAudioProcessor& p) { return p.dynamicLaunch.load() != 0; } },
        { ParameterIDs::mono, "monoButton", "POLY", "MONO", [] (CaromelAudioProcessor& p) { return p.monoMode.load(); } },
        { ParameterIDs::panic, "wallsButton", "VISIBLE", "INVISIBLE", [] (CaromelAudioProcessor& p) { return p.panicMode.load(); } },
    };
}

TEST_F (EditorControlsTest, ToggleTextsAndSettingsFollowTheirParameters)
{
    prepare();
    createEditor();

    for (const auto& c : toggleCases)
    {
        auto* button = child<juce::Button> (c.buttonID);
        ASSERT_NE (button, nullptr) << c.buttonID;

        for (float value : { 1.0f, 0.0f, 1.0f })
        {
            setParameter (c.parameterID, value);
            const bool on = value > 0.5f;
            EXPECT_EQ (button->getToggleState(), on) << c.buttonID;
            EXPECT_EQ (button->getButtonText(), on ? c.onText : c.offText) << c.buttonID;
            EXPECT_EQ (c.engineSetting (processor), on) << c.buttonID;
        }
    }
}

TEST_F (EditorControlsTest, ClickingATogglePassesTheStateToItsParameter)
{
    createEditor();

    for (const auto& c : toggleCases)
    {
        auto* button = child<juce::Button> (c.buttonID);
        ASSERT_NE (button, nullptr) << c.buttonID;

        // What a click does: the state flips and the click is sent.
        button->setToggleState (true, juce::sendNotificationSync);
        EXPECT_EQ (parameterValue (c.parameterID), 1.0f) << c.buttonID;
        EXPECT_EQ (button->getButtonText(), c.onText) << c.buttonID;
        EXPECT_TRUE (c.engineSetting (processor)) << c.buttonID;

        button->setToggleState (false, juce::sendNotificationSync);
        EXPECT_EQ (parameterValue (c.parameterID), 0.0f) << c.buttonID;
        EXPECT_EQ (button->getButtonText(), c.offText) << c.buttonID;
    }
}

TEST_F (EditorControlsTest, StatesRestoredBeforeTheEditorOpensAreShown)
{
    setParameter (ParameterIDs::panic, 1.0f);
    setParameter (ParameterIDs::mono, 1.0f);
    setParameter (ParameterIDs::dynamic, 1.0f);
    setParameter (ParameterIDs::collision, 1.0f);
    createEditor();

    EXPECT_EQ (child<juce::Button> ("wallsButton")->getButtonText(), "INVISIBLE");
    EXPECT_TRUE (child<juce::Button> ("wallsButton")->getToggleState());
    EXPECT_EQ (child<juce::Button> ("monoButton")->getButtonText(), "MONO");
    EXPECT_EQ (child<juce::Button> ("dynamicButton")->getButtonText(), "DYNAMIC");
    EXPECT_TRUE (processor.panicMode.load());
    EXPECT_TRUE (processor.collisionEnabled.load());
}

TEST_F (EditorControlsTest, SynchronizeButtonStatesFollowsParametersWithoutRunningHandlers)
{
    createEditor();
    auto* walls = child<juce::Button> ("wallsButton");
    auto* mono = child<juce::Button> ("monoButton");
    ASSERT_TRUE (walls != nullptr && mono != nullptr);

    auto* collision = child<juce::Button> ("collisionToggle");
    ASSERT_NE (collision, nullptr);
    setParameter (ParameterIDs::mono, 1.0f);
    setParameter (ParameterIDs::panic, 1.0f);
    setParameter (ParameterIDs::collision, 1.0f);

    // Toggles knocked out of step without any notification.
    for (auto* button : { mono, walls, collision })
        button->setToggleState (false, juce::dontSendNotification);
    mono->setButtonText ("POLY");
    walls->setButtonText ("VISIBLE");
    processor.panicMode = false;

    editor->synchronizeButtonStates();
    EXPECT_TRUE (mono->getToggleState());
    EXPECT_EQ (mono->getButtonText(), "MONO");
    EXPECT_TRUE (walls->getToggleState());
    EXPECT_EQ (walls->getButtonText(), "VISIBLE"); // its text is left alone
    EXPECT_TRUE (collision->getToggleState());
    EXPECT_FALSE (processor.panicMode.load());     // and no handler ran
}

TEST_F (EditorControlsTest, KnobsReachTheirEngineSettings)
{
    prepare();
    createEditor();

    struct KnobCase
    {
        const char* knobID;
        double value;
        std::function<double (CaromelAudioProcessor&)> setting;
    };
    const KnobCase cases[] = {
        { "decayKnob", 0.5, [] (CaromelAudioProcessor& p) { return (double) p.decayFactor.load(); } },
        { "velocityKnob", 64.0, [] (CaromelAudioProcessor& p) { return (double) p.launchStrength.load(); } },
        { "timeKnob", 0.7, [] (CaromelAudioProcessor& p) { return (double) p.timeScale.load(); } },
        { "bounceKnob", 0.6, [] (CaromelAudioProcessor& p) { return p.ballRestitution.load(); } },
        { "gravityKnob", 20.0, [] (CaromelAudioProcessor& p) { return (double) p.worldChanges.getGravityTarget(); } },
    };

    for (const auto& c : cases)
    {
        auto* knob = child<juce::Slider> (c.knobID);
        ASSERT_NE (knob, nullptr) << c.knobID;
        knob->setValue (c.value, juce::sendNotificationSync);
        EXPECT_NEAR (c.setting (processor), knob->getValue(), 1.0e-4) << c.knobID;
        EXPECT_NEAR (knob->getValue(), c.value, 0.05) << c.knobID;
    }

    // The world changes reach the world at the next block.
    juce::AudioBuffer<float> audio (2, 512);
    juce::MidiBuffer midi;
    processor.processBlock (audio, midi);
    EXPECT_NEAR (processor.physics.getWorld()->GetGravity().y, -20.0f, 0.05f);
}

TEST_F (EditorControlsTest, GravityHandlerRunsOnceAfterConstructionWhenTheValueIsUnchanged)
{
    prepare();
    processor.worldChanges.take();
    ASSERT_EQ (parameterValue (ParameterIDs::gravity), 9.8f);

    createEditor();
    EXPECT_FALSE (processor.worldChanges.isPending (WorldChanges::gravity));

    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_TRUE (processor.worldChanges.isPending (WorldChanges::gravity));

    juce::AudioBuffer<float> audio (2, 512);
    juce::MidiBuffer midi;
    processor.processBlock (audio, midi);
    EXPECT_NEAR (processor.physics.getWorld()->GetGravity().y, -9.8f, 1.0e-4f);
}

TEST_F (EditorControlsTest, KnobsTakeTheParameterRangesAndValues)
{
    setParameter (ParameterIDs::bounce, 0.9f);
    createEditor();

    auto* bounce = child<juce::Slider> ("bounceKnob");
    auto* gravity = child<juce::Slider> ("gravityKnob");
    ASSERT_TRUE (bounce != nullptr && gravity != nullptr);
    EXPECT_NEAR (bounce->getValue(), 0.9, 1.0e-4);
    EXPECT_EQ (bounce->getMinimum(), 0.5);
    EXPECT_EQ (gravity->getMaximum(), 196.0);
    EXPECT_NEAR (processor.ballRestitution.load(), 0.9, 1.0e-4);
    EXPECT_EQ (bounce->getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
}

TEST_F (EditorControlsTest, ArpeggiatorBoxShowsParameterPlusOne)
{
    setParameter (ParameterIDs::arpType, 5.0f);
    createEditor();

    auto* arp = child<juce::ComboBox> ("arpTypeBox");
    ASSERT_NE (arp, nullptr);
    EXPECT_EQ (arp->getSelectedId(), 6);
    EXPECT_EQ (arp->getText(), "UP UP");

    arp->setSelectedId (9, juce::sendNotificationSync);
    EXPECT_EQ (parameterValue (ParameterIDs::arpType), 8.0f);
}

TEST_F (EditorControlsTest, CollisionParameterReachesTheEngineWithNoVisibleControl)
{
    createEditor();
    auto* toggle = child<juce::Button> ("collisionToggle");
    ASSERT_NE (toggle, nullptr);
    EXPECT_FALSE (toggle->isVisible());

    setParameter (ParameterIDs::collision, 1.0f);
    EXPECT_TRUE (toggle->getToggleState());
    EXPECT_TRUE (processor.collisionEnabled.load());
    EXPECT_TRUE (processor.worldChanges.isPending (WorldChanges::collision));

    setParameter (ParameterIDs::collision, 0.0f);
    EXPECT_FALSE (processor.collisionEnabled.load());
}

TEST_F (EditorControlsTest, NoteSetKeyboardStartsFromAndReportsToTheProcessor)
{
    processor.setNoteMask (0x2A5);
    processor.noteSetRoot = 2;
    processor.noteSetScale = 5;
    processor.setCurrentPattern ("Fifths", { 0, 7, -99 });
    createEditor();

    auto* keyboard = child<NoteSetKeyboardComponent> ("noteSetKeyboard");
    ASSERT_NE (keyboard, nullptr);
    EXPECT_EQ (keyboard->getSelectedNoteMask(), 0x2A5);
    EXPECT_EQ (keyboard->keyBox.getText(), "D");
    EXPECT_EQ (keyboard->scaleBox.getText(), "Minor Pent");
    EXPECT_TRUE (keyboard->isPatternMarked (2));  // D + 0
    EXPECT_TRUE (keyboard->isPatternMarked (9));  // D + 7
    EXPECT_FALSE (keyboard->isPatternMarked (0));
    EXPECT_EQ (child<juce::Button> ("patternNameButton")->getButtonText(), "Fifths");

    // Masks without any of C#..B are stored as C alone; bits above B are dropped.
    const std::pair<int, int> masks[] = { { 0, 1 }, { 1, 1 }, { 0x1000, 1 }, { 0x1FFF, 0xFFF }, { 0x091, 0x091 } };
    for (const auto& [mask, stored] : masks)
    {
        keyboard->setSelectedNoteMask (mask);
        EXPECT_EQ (processor.noteMask.load(), stored) << mask;
    }

    keyboard->scaleBox.setSelectedId (2, juce::dontSendNotification);
    keyboard->keyBox.setSelectedId (10, juce::sendNotificationSync);
    EXPECT_EQ (processor.noteSetRoot, 9);
    EXPECT_EQ (processor.noteSetScale, 1);
    EXPECT_EQ (processor.noteMask.load(), 0xAB5);
}

TEST_F (EditorControlsTest, EmptyPatternNameShowsMajorTriad)
{
    {
        const std::lock_guard<std::mutex> lock (processor.patternLock);
        processor.currentPatternName = {};
    }
    createEditor();
    EXPECT_EQ (child<juce::Button> ("patternNameButton")->getButtonText(), "Major Triad");
}

TEST_F (EditorControlsTest, FirstTickStartsTheUpdateCheckOncePerProcessor)
{
    createEditor();
    EXPECT_FALSE (processor.firstStartDone);
    editor->timerCallback();
    EXPECT_TRUE (processor.firstStartDone);
    EXPECT_FALSE (processor.updateCheckPending);

    // A later editor for the same processor does not check again.
    processor.updateCheckPending = true;
    destroyEditor();
    createEditor();
    editor->timerCallback();
    EXPECT_TRUE (processor.updateCheckPending);
}

TEST_F (EditorControlsTest, PatternNotesPostedBeforeTheEditorGoesNeverReachIt)
{
    prepare();
    createEditor();
    EXPECT_TRUE ((bool) processor.onPatternInputNote);

    // Two played notes while pattern entry is on: each posts a call.
    processor.patternInputEnabled = true;
    juce::AudioBuffer<float> audio (2, 512);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
    midi.addEvent (juce::MidiMessage::noteOn (1, 64, (juce::uint8) 100), 10);
    processor.processBlock (audio, midi);

    destroyEditor();
    EXPECT_FALSE ((bool) processor.onPatternInputNote);
    EXPECT_FALSE (processor.patternInputEnabled.load()) << "no editor is left to end pattern entry";

    // The calls find the callback installed when they run: here a later
    // owner's, not the deleted editor's.
    std::vector<int> received;
    processor.onPatternInputNote = [&received] (int note) { received.push_back (note); };
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (received, (std::vector<int> { 60, 64 }));
    processor.onPatternInputNote = nullptr;

    // And with no callback at all, pending calls just go.
    midi.clear();
    midi.addEvent (juce::MidiMessage::noteOn (1, 67, (juce::uint8) 100), 0);
    createEditor();
    processor.patternInputEnabled = true; // the previous editor ended pattern entry
    processor.processBlock (audio, midi);
    destroyEditor();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (received.size(), 2u);
}
