#include "PluginEditor.h"

#include "AccentColour.h"
#include "BrandingColours.h"
#include "PalettePopupComponent.h"
#include "PhysicsView.h"
#include "engine/Diagnostics.h"
#include "settings/StandaloneSettings.h"

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

#if REBONDO_HAS_RESOURCES
 #include "BinaryData.h"
#endif

#include <cmath>

namespace
{
    juce::String iconText ([[maybe_unused]] const char* data, [[maybe_unused]] int size)
    {
       #if REBONDO_HAS_RESOURCES
        return juce::String::fromUTF8 (data, size);
       #else
        return {};
       #endif
    }

   #if REBONDO_HAS_RESOURCES
    #define REBONDO_ICON(name) iconText (BinaryData::name, BinaryData::name##Size)
   #else
    #define REBONDO_ICON(name) juce::String()
   #endif

    juce::String brandingText()
    {
       #ifdef JucePlugin_VersionString
        return "ORVANTA  |  Rebondo " + juce::String (JucePlugin_VersionString);
       #else
        return "ORVANTA  |  Rebondo 1.0.0";
       #endif
    }

    void setComponentIDs (std::initializer_list<std::pair<juce::Component*, const char*>> components)
    {
        for (auto& [component, id] : components)
            component->setComponentID (id);
    }
}

CaromelAudioProcessorEditor::CaromelAudioProcessorEditor (CaromelAudioProcessor& p)
    : juce::AudioProcessorEditor (p),
      processor (p),
      settingsIconSvg (REBONDO_ICON (icon_settings_svg)),
      helpIconSvg (REBONDO_ICON (icon_help_svg)),
      paletteIconSvg (REBONDO_ICON (icon_palette_svg)),
      updateIconSvg (REBONDO_ICON (icon_update_svg)),
      saveIconSvg (REBONDO_ICON (icon_save_svg))
{
    noArrowLookAndFeel.accentColour.setSource (&accentColour);
    knobStyle.accentColour.setSource (&accentColour);
    buttonStyle.accentColour.setSource (&accentColour);

    setComponentIDs ({ { &presetNameButton, "presetNameButton" }, { &noteSetKeyboard, "noteSetKeyboard" },
                       { &settingsButton, "settingsButton" }, { &helpButton, "helpButton" },
                       { &paletteButton, "paletteButton" }, { &updateButton, "updateButton" },
                       { &saveButton, "saveButton" }, { &patternNameButton, "patternNameButton" },
                       { &bounceKnob, "bounceKnob" }, { &decayKnob, "decayKnob" },
                       { &velocityKnob, "velocityKnob" }, { &gravityKnob, "gravityKnob" },
                       { &timeKnob, "timeKnob" }, { &bounceLabel, "bounceLabel" },
                       { &decayLabel, "decayLabel" }, { &velocityLabel, "velocityLabel" },
                       { &gravityLabel, "gravityLabel" }, { &timeLabel, "timeLabel" },
                       { &sequenceLabel, "sequenceLabel" }, { &patternsLabel, "patternsLabel" },
                       { &wallsLabel, "wallsLabel" }, { &arpTypeBox, "arpTypeBox" },
                       { &dynamicButton, "dynamicButton" }, { &holdButton, "holdButton" },
                       { &brandingLabel, "brandingLabel" }, { &collisionToggle, "collisionToggle" },
                       { &monoButton, "monoButton" }, { &wallsButton, "wallsButton" },
                       { &updateBubble, "updateBubble" }, { &presetBrowser, "presetBrowser" },
                       { &patternBrowser, "patternBrowser" }, { &settingsPanel, "settingsPanel" } });

    // Settings button first, so that the panel it opens can be brought over it.
    setupIconButton (settingsButton, settingsIconSvg);
    addAndMakeVisible (settingsButton);
    settingsButton.toFront (false);

    settingsPanel.onClose = [this] { settingsPanel.setVisible (false); };
    settingsPanel.onCollisionChanged = [this] (bool on) { settingsCollisionChanged (on); };
    settingsPanel.onSplitChanged = [this] (bool left, bool right)
    {
        // The engine never splits to neither side.
        processor.splitLeft = left || ! right;
        processor.splitRight = right;
    };

    // Note set: the keyboard reports into the processor.
    noteSetKeyboard.onNoteMaskChanged = [this] (int mask) { processor.setNoteMask (mask); };
    noteSetKeyboard.onRootScaleChanged = [this] (int rootIndex, int scaleIndex)
    {
        processor.noteSetRoot = rootIndex;
        processor.noteSetScale = scaleIndex;
    };
    addAndMakeVisible (noteSetKeyboard);
    noteSetKeyboard.syncFromPreset (processor.noteSetRoot, processor.noteSetScale,
                                    processor.noteMask.load(), processor.noteSetCustom);
    addChildComponent (settingsPanel);
    settingsPanel.setAccentColour (accentColour);

    // Preset name and browser
    addAndMakeVisible (presetNameButton);
    presetNameButton.setButtonText (processor.currentPresetName.isNotEmpty() ? processor.currentPresetName : "Default");
    addChildComponent (presetBrowser);
    presetFlows.initialise (processor.currentPresetName);
    stylePresetNameButton();
    presetFlows.dialogParent = this;
    presetFlows.onLoadPreset = [this] (const juce::String& name) { loadPreset (name); };
    presetFlows.onWritePreset = [this] (const juce::String& name)
    {
        processor.noteSetRoot = noteSetKeyboard.keyBox.getSelectedItemIndex();
        processor.noteSetScale = noteSetKeyboard.scaleBox.getSelectedItemIndex();
        processor.savePresetToFile (name, accentColour);
    };
    presetFlows.onPresetNameShown = [this] (const juce::String& name) { showPresetName (name); };
    presetNameButton.onClick = [this] { togglePresetBrowser(); };

    // Pattern browser and the current pattern
    addChildComponent (patternBrowser);
    patternBrowser.setCurrentPatternName ("Major Triad");
    patternFlows.dialogParent = this;
    patternFlows.onPatternNameShown = [this] (const juce::String& name) { showPatternName (name); };
    patternFlows.onPatternStepsShown = [this] (const std::vector<int>& steps)
    {
        currentPatternSteps = steps;
        noteSetKeyboard.setPatternSteps (steps);
    };
    patternFlows.refreshPatternDisplayFromProcessor();

    // Looked up on the message thread when a posted note arrives, and cleared
    // in the destructor, so a note posted now never reaches a deleted editor.
    processor.onPatternInputNote = [this] (int note) { handlePatternInputNote (note); };

    createMidiPanel();

    // Top bar icons
    settingsButton.onClick = [this] { toggleSettingsPanel(); };
    noArrowLookAndFeel.setColour (juce::ComboBox::backgroundColourId, accentColour.withAlpha ((juce::uint8) 0x40));

    setupIconButton (paletteButton, paletteIconSvg);
    setupIconButton (helpButton, helpIconSvg);
    setupIconButton (updateButton, updateIconSvg);
    setupIconButton (saveButton, saveIconSvg);
    addAndMakeVisible (paletteButton);
    addAndMakeVisible (helpButton);
    addChildComponent (updateButton);
    addAndMakeVisible (saveButton);
    paletteButton.onClick = [this] { showPalettePopup(); };
    helpButton.onClick = [this] { showWebsiteDialog(); };
    updateButton.onClick = [this] { openUpdateDownloadPage(); };
    saveButton.onClick = [this] { startSavePresetFlow(); };
    addChildComponent (updateBubble);

    // Knobs. Gravity and bounce get a value before their attachments exist,
    // with an asynchronous notification, so their handlers run once for every
    // editor even when the attachment finds the value unchanged.
    setupKnob (bounceKnob, &CaromelAudioProcessorEditor::bounceChanged);
    setupKnob (decayKnob, &CaromelAudioProcessorEditor::decayChanged);
    setupKnob (velocityKnob, &CaromelAudioProcessorEditor::velocityChanged);
    setupKnob (gravityKnob, &CaromelAudioProcessorEditor::gravityChanged);
    setupKnob (timeKnob, &CaromelAudioProcessorEditor::timeChanged);
    gravityKnob.setRange (0.3, 192.0, 0.25);
    gravityKnob.setValue (9.8, juce::sendNotificationAsync);
    bounceKnob.setRange (0.1, 1.0, 0.05);
    bounceKnob.setValue (0.5, juce::sendNotificationAsync);

    styleToggleTextButton (holdButton, "HOLD");
    addAndMakeVisible (holdButton);
    styleToggleTextButton (dynamicButton, "FIXED");
    dynamicButton.onClick = [this] { dynamicClicked(); };
    addAndMakeVisible (dynamicButton);

    setupLabel (bounceLabel, "BOUNCE");
    setupLabel (decayLabel, "SUSTAIN");
    setupLabel (velocityLabel, "IMPULSE");
    setupLabel (gravityLabel, "GRAVITY");
    setupLabel (timeLabel, "TIME");
    setupLabel (sequenceLabel, "SEQUENCE");
    setupLabel (patternsLabel, "PATTERNS");
    setupLabel (wallsLabel, "WALLS");

    patternNameButton.onClick = [this] { openPatternBrowser(); };
    addAndMakeVisible (patternNameButton);

    arpTypeBox.addItemList (arpeggiatorModeNames(), 1);
    arpTypeBox.setJustificationType (juce::Justification::centred);
    addAndMakeVisible (arpTypeBox);

    collisionToggle.setButtonText ("OFF");
    collisionToggle.onClick = [this] { collisionClicked(); };
    addChildComponent (collisionToggle); // never shown

    monoButton.setClickingTogglesState (true);
    {
        const auto* mono = processor.parameters.getRawParameterValue (ParameterIDs::mono);
        monoButton.setToggleState (mono != nullptr && mono->load() >= 0.5f, juce::dontSendNotification);
    }
    monoButton.setButtonText (monoButton.getToggleState() ? "MONO" : "POLY");
    monoButton.onClick = [this] { monoClicked(); };
    addAndMakeVisible (monoButton);

    styleToggleTextButton (wallsButton, "VISIBLE");
    wallsButton.onClick = [this] { wallsClicked(); };
    addAndMakeVisible (wallsButton);

    arpTypeAttachment = std::make_unique<ComboBoxAttachment> (processor.parameters, ParameterIDs::arpType, arpTypeBox);

    arpTypeBox.setLookAndFeel (&noArrowLookAndFeel);
    for (auto* knob : { &bounceKnob, &decayKnob, &velocityKnob, &gravityKnob, &timeKnob })
        knob->setLookAndFeel (&knobStyle);
    for (juce::Button* button : { static_cast<juce::Button*> (&presetNameButton), static_cast<juce::Button*> (&patternNameButton),
                                  static_cast<juce::Button*> (&monoButton), static_cast<juce::Button*> (&holdButton),
                                  static_cast<juce::Button*> (&dynamicButton), static_cast<juce::Button*> (&wallsButton),
                                  static_cast<juce::Button*> (&collisionToggle) })
        button->setLookAndFeel (&buttonStyle);

    brandingLabel.setText (brandingText(), juce::dontSendNotification);
    brandingLabel.setFont (juce::Font (14.0f, juce::Font::bold));
    brandingLabel.setJustificationType (juce::Justification::centredLeft);
    brandingLabel.setColour (juce::Label::textColourId, accentColour);
    addAndMakeVisible (brandingLabel);

    accentColour = AccentColour::readStored (processor.getStandaloneProperties(), accentColour);
    updateBrandingButtonColours();

    // Each attachment pushes its parameter's value now, running the control's
    // handler where the value changes, and on every later parameter change.
    auto& tree = processor.parameters;
    gravityAttachment = std::make_unique<SliderAttachment> (tree, ParameterIDs::gravity, gravityKnob);
    bounceAttachment = std::make_unique<SliderAttachment> (tree, ParameterIDs::bounce, bounceKnob);
    decayAttachment = std::make_unique<SliderAttachment> (tree, ParameterIDs::decay, decayKnob);
    velocityAttachment = std::make_unique<SliderAttachment> (tree, ParameterIDs::velocity, velocityKnob);
    timeAttachment = std::make_unique<SliderAttachment> (tree, ParameterIDs::time, timeKnob);
    collisionAttachment = std::make_unique<ButtonAttachment> (tree, ParameterIDs::collision, collisionToggle);
    holdAttachment = std::make_unique<ButtonAttachment> (tree, ParameterIDs::decayAfterRelease, holdButton);
    dynamicAttachment = std::make_unique<ButtonAttachment> (tree, ParameterIDs::dynamic, dynamicButton);
    monoAttachment = std::make_unique<ButtonAttachment> (tree, ParameterIDs::mono, monoButton);
    wallsAttachment = std::make_unique<ButtonAttachment> (tree, ParameterIDs::panic, wallsButton);

    synchronizeButtonStates();
    setSize (800, 600);
    startTimer (16);
}

CaromelAudioProcessorEditor::~CaromelAudioProcessorEditor()
{
    stopTimer();

    for (juce::Component* c : { static_cast<juce::Component*> (&presetNameButton), static_cast<juce::Component*> (&patternNameButton),
                                static_cast<juce::Component*> (&dynamicButton), static_cast<juce::Component*> (&holdButton),
                                static_cast<juce::Component*> (&monoButton), static_cast<juce::Component*> (&collisionToggle),
                                static_cast<juce::Component*> (&wallsButton), static_cast<juce::Component*> (&bounceKnob),
                                static_cast<juce::Component*> (&decayKnob), static_cast<juce::Component*> (&velocityKnob),
                                static_cast<juce::Component*> (&gravityKnob), static_cast<juce::Component*> (&timeKnob),
                                static_cast<juce::Component*> (&arpTypeBox) })
        c->setLookAndFeel (nullptr);

    processor.onPatternInputNote = nullptr;
    // With no editor nobody could end pattern entry, and played notes would
    // stay silent.
    processor.patternInputEnabled = false;
}

juce::String CaromelAudioProcessorEditor::getTooltip()
{
    if (getMouseXYRelative().y < (int) PhysicsViewMapping::physicsTop)
        return {};
    return ComputerKeyboardInput::tooltipText;
}

bool CaromelAudioProcessorEditor::isStandalone() const noexcept
{
    return processor.wrapperType == juce::AudioProcessor::wrapperType_Standalone;
}

//==============================================================================
void CaromelAudioProcessorEditor::setupIconButton (juce::DrawableButton& button, const juce::String& svgText)
{
    setSvgButtonImage (button, svgText);
    button.setColour (juce::DrawableButton::backgroundColourId, juce::Colours::transparentBlack);
    button.setColour (juce::DrawableButton::backgroundOnColourId, juce::Colours::transparentBlack);
}

void CaromelAudioProcessorEditor::setupKnob (juce::Slider& knob, void (CaromelAudioProcessorEditor::*handler)())
{
    knob.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    addAndMakeVisible (knob);
    knob.onValueChange = [this, handler] { (this->*handler)(); };
}

void CaromelAudioProcessorEditor::setupLabel (juce::Label& label, const juce::String& text)
{
    label.setText (text, juce::dontSendNotification);
    label.setFont (juce::Font (11.0f, juce::Font::bold));
    label.setJustificationType (juce::Justification::centred);
    label.setColour (juce::Label::textColourId, juce::Colours::grey);
    addAndMakeVisible (label);
}

void CaromelAudioProcessorEditor::styleToggleTextButton (juce::TextButton& button, const juce::String& text)
{
    button.setButtonText (text);
    button.setClickingTogglesState (true);
}

void CaromelAudioProcessorEditor::stylePresetNameButton()
{
    BrandingColours::stylePresetNameButton (presetNameButton, accentColour);
}

void CaromelAudioProcessorEditor::setSvgButtonImage (juce::DrawableButton& button, const juce::String& svgText)
{
    BrandingColours::setSvgButtonImage (button, svgText, accentColour);
}

void CaromelAudioProcessorEditor::updateBrandingButtonColours()
{
    BrandingColours::Targets targets;
    targets.iconButtons = { { &paletteButton, paletteIconSvg }, { &helpButton, helpIconSvg },
                            { &updateButton, updateIconSvg }, { &saveButton, saveIconSvg },
                            { &settingsButton, settingsIconSvg } };
    targets.brandingLabel = &brandingLabel;
    targets.keyboardAccent = &noteSetKeyboard.accentColour;
    targets.keyboard = &noteSetKeyboard;
    targets.keyboardSelectors = { &noteSetKeyboard.keyBox, &noteSetKeyboard.scaleBox };
    BrandingColours::updateBrandingButtonColours (targets, accentColour);

    repaint();
}

void CaromelAudioProcessorEditor::synchronizeButtonStates()
{
    auto& tree = processor.parameters;

    if (auto* mono = tree.getRawParameterValue (ParameterIDs::mono))
    {
        monoButton.setToggleState (mono->load() > 0.5f, juce::dontSendNotification);
        monoButton.setButtonText (monoButton.getToggleState() ? "MONO" : "POLY");
    }

    if (auto* panic = tree.getRawParameterValue (ParameterIDs::panic))
        wallsButton.setToggleState (panic->load() > 0.5f, juce::dontSendNotification);

    if (auto* collision = tree.getRawParameterValue (ParameterIDs::collision))
        collisionToggle.setToggleState (collision->load() > 0.5f, juce::dontSendNotification);

    repaint();
}

//==============================================================================
void CaromelAudioProcessorEditor::resized()
{
    const int W = getWidth();
    const int H = getHeight();
    const auto nonNegative = [] (int v) { return juce::jmax (0, v); };

    settingsPanelBounds = isStandalone() ? juce::Rectangle<int> (20, 42, 380, 430)
                                         : juce::Rectangle<int> (20, 42, 380, 300);
    settingsPanel.setBounds (settingsPanelBounds);

    updateButton.setVisible (updateAvailable);
    monoButton.setVisible (true);

    // Top bar: slots from the left, then the save and preset-name slots from the right.
    const int T = juce::jmin (H, 30);
    const int iconY = (T - 26) / 2;
    int x = 0;
    int remaining = W;
    bool firstSlot = true;

    const auto takeSlot = [&] (int wanted)
    {
        if (! firstSlot)
        {
            const int gap = juce::jmin (remaining, 4);
            x += gap;
            remaining -= gap;
        }
        firstSlot = false;
        const int slot = juce::jmin (remaining, wanted);
        const juce::Range<int> result (x, x + slot);
        x += slot;
        remaining -= slot;
        return result;
    };
    const auto placeIcon = [&] (juce::Component& button, juce::Range<int> slot)
    {
        button.setBounds (slot.getStart() + (slot.getLength() - 26) / 2, iconY, 26, 26);
    };

    placeIcon (settingsButton, takeSlot (32));
    placeIcon (helpButton, takeSlot (32));
    placeIcon (paletteButton, takeSlot (32));
    const auto monoSlot = takeSlot (48);
    monoButton.setBounds (monoSlot.getStart() + 1, 4, nonNegative (monoSlot.getLength() - 2), nonNegative (T - 8));
    placeIcon (updateButton, takeSlot (32));
    {
        const int gap = juce::jmin (remaining, 4);
        x += gap;
        remaining -= gap;
    }

    const int middleX = x;
    int left = remaining;

    const int saveSlot = juce::jmin (left, 32);
    placeIcon (saveButton, { W - saveSlot, W });
    left -= saveSlot;
    left -= juce::jmin (left, 4);

    const int presetSlot = juce::jmin (left, 150);
    const int presetSlotX = middleX + left - presetSlot;
    presetNameButton.setBounds (presetSlotX + 2, 2, nonNegative (presetSlot - 4), nonNegative (T - 4));
    left -= presetSlot;

    brandingLabel.setBounds (middleX + 10, 0, nonNegative (left - 20), T);

    // Overlays: the panels take these bounds.
    presetBrowserBounds = { 40, 70, nonNegative (W - 80), 450 };
    patternBrowserBounds = { 40, 50, nonNegative (W - 80), 500 };
    presetBrowser.setBounds (presetBrowserBounds);
    patternBrowser.setBounds (patternBrowserBounds);

    // Control strip: three knob columns, two rows.
    const int G = juce::jmin (H - T, 140);
    const float D = (float) juce::jmax (W - 465, 0) / 4.0f;
    const int F = juce::jmin (W, (int) (D * 0.5f));
    const int B = juce::jmin (W - F, (int) (2.0f * D) + 210);
    const int J = (int) D;
    const int C1 = F, C2 = F + J + 70, C3 = C2 + J + 70;
    const int C12 = (C1 + C2) / 2, C23 = (C2 + C3) / 2;
    const int RH = G / 2;
    const int LH = juce::jmin (RH, 16);
    const int KH = nonNegative (RH - LH);

    const auto placeKnob = [&] (juce::Label& label, juce::Slider& knob, int kx, int ky)
    {
        label.setBounds (kx, ky, 70, LH);
        knob.setBounds (kx, ky + LH, 70, KH);
    };
    placeKnob (bounceLabel, bounceKnob, C1, T);
    placeKnob (decayLabel, decayKnob, C2, T);
    placeKnob (velocityLabel, velocityKnob, C3, T);
    placeKnob (gravityLabel, gravityKnob, C12, T + RH);
    placeKnob (timeLabel, timeKnob, C23, T + RH);
    holdButton.setBounds (C2 + 10, T + RH, 50, 20);
    dynamicButton.setBounds (C3 + 10, T + RH, 50, 20);

    // Right block: the keyboard over three labelled selectors.
    const int RW = W - F - B;
    const int gap2 = juce::jmin (RW, J);
    const int X0 = F + B + gap2;
    const int P = juce::jmin (RW - gap2, 255);
    const int KW = nonNegative (juce::jmin (RW - gap2, 252));
    const int KH2 = nonNegative (juce::jmin (H - T, 92));
    noteSetKeyboard.setBounds (X0 + P - KW, T + 12, KW, KH2);

    const int rest = G - KH2;
    const int restGap = juce::jmin (rest, 8);
    const int y2 = T + 12 + KH2 + restGap;
    const int G2 = rest - restGap;
    const int U = nonNegative (juce::jmin (G2, 14));
    const int CH = juce::jmin (juce::jmax (juce::jmin (G2, 38) - U, 0), 22);
    const int CW = (P - 16) / 3;

    int columnX = X0;
    int columnRemaining = P;
    const std::pair<juce::Label*, juce::Component*> columns[] = {
        { &sequenceLabel, &arpTypeBox }, { &patternsLabel, &patternNameButton }, { &wallsLabel, &wallsButton }
    };
    for (size_t i = 0; i < std::size (columns); ++i)
    {
        if (i > 0)
        {
            const int gap = juce::jmin (columnRemaining, 8);
            columnX += gap;
            columnRemaining -= gap;
        }
        const int w = nonNegative (juce::jmin (columnRemaining, CW));
        columns[i].first->setBounds (columnX, y2, w, U);
        columns[i].second->setBounds (columnX + 2, y2 + U, nonNegative (w - 4), CH);
        columnX += w;
        columnRemaining -= w;
    }
}

//==============================================================================
juce::Point<float> CaromelAudioProcessorEditor::launchHandleScreenPosition() const
{
    const PhysicsViewMapping mapping { (float) getWidth(), (float) getHeight() };
    const auto* launchPos = processor.parameters.getRawParameterValue (ParameterIDs::launchPos);
    const float v = launchPos != nullptr ? launchPos->load() : 0.0f;
    const float y = PhysicsWorld::funnelTopY + (PhysicsWorld::funnelBottomY - PhysicsWorld::funnelTopY) * v;
    return mapping.toScreen (processor.getLaunchHandleX(), y);
}

std::array<juce::Point<float>, 4> CaromelAudioProcessorEditor::wallEndPoints() const
{
    const PhysicsViewMapping mapping { (float) getWidth(), (float) getHeight() };
    const auto& world = processor.physics;
    return { mapping.toScreen (world.topLeftX.load(), PhysicsWorld::funnelTopY),
             mapping.toScreen (world.topRightX.load(), PhysicsWorld::funnelTopY),
             mapping.toScreen (world.bottomLeftX.load(), PhysicsWorld::funnelBottomY),
             mapping.toScreen (world.bottomRightX.load(), PhysicsWorld::funnelBottomY) };
}

void CaromelAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);

    const PhysicsViewMapping mapping { (float) getWidth(), (float) getHeight() };

    {
        const juce::SpinLock::ScopedLockType lock (processor.snapshotLock);
        snapshotCopy = processor.ballSnapshots;
    }

    for (const auto& ball : snapshotCopy)
    {
        if (ball.data.lastBounce)
            continue;

        const auto centre = mapping.toScreen (ball.x, ball.y);
        const float r = mapping.toScreenRadius (ball.radius);
        g.setColour (PhysicsView::colourForNote (ball.data.lastNote)
                         .withAlpha (PhysicsView::opacityForVelocity (ball.data.noteVelocity)));
        g.fillEllipse (centre.x - r, centre.y - r, 2.0f * r, 2.0f * r);
    }

    const auto handle = launchHandleScreenPosition();
    juce::Path triangle;
    triangle.startNewSubPath (handle.x - 7.0f, handle.y - 9.0f);
    triangle.lineTo (handle.x + 7.0f, handle.y);
    triangle.lineTo (handle.x - 7.0f, handle.y + 9.0f);
    triangle.closeSubPath();
    g.setColour (juce::Colours::ghostwhite.withAlpha ((juce::uint8) 0x66));
    g.fillPath (triangle);

    if (! processor.panicMode.load())
    {
        const auto ends = wallEndPoints();
        g.setColour (accentColour);
        g.drawLine ({ ends[0], ends[2] }, 4.0f);
        g.drawLine ({ ends[1], ends[3] }, 4.0f);

        g.setColour (accentColour.withAlpha ((juce::uint8) 0x66));
        for (const auto& end : ends)
            g.fillEllipse (end.x - handleRadius, end.y - handleRadius, 2.0f * handleRadius, 2.0f * handleRadius);
    }
}

//==============================================================================
void CaromelAudioProcessorEditor::mouseDown (const juce::MouseEvent& e)
{
    const auto position = e.position;

    if (position.getDistanceFrom (launchHandleScreenPosition()) < 1.8f * handleRadius)
    {
        launchHandleDragging = true;
        return;
    }

    const auto ends = wallEndPoints();
    bool* const dragFlags[4] = { &topLeftDragging, &topRightDragging, &bottomLeftDragging, &bottomRightDragging };
    for (size_t i = 0; i < ends.size(); ++i)
        if (position.getDistanceFrom (ends[i]) < handleRadius)
            *dragFlags[i] = true;
}

void CaromelAudioProcessorEditor::mouseDrag (const juce::MouseEvent& e)
{
    const PhysicsViewMapping mapping { (float) getWidth(), (float) getHeight() };

    if (launchHandleDragging)
    {
        const float y = mapping.worldYFromScreen (e.position.y);
        const float t = juce::jlimit (0.02f, 0.98f, (y - PhysicsWorld::funnelTopY) / (PhysicsWorld::funnelBottomY - PhysicsWorld::funnelTopY));
        setParameterValue (ParameterIDs::launchPos, t);
        repaint();
        return;
    }

    if (! (topLeftDragging || topRightDragging || bottomLeftDragging || bottomRightDragging))
        return;

    dragWalls (mapping.worldXFromScreen (e.position.x));
    repaint();
}

void CaromelAudioProcessorEditor::dragWalls (float xw)
{
    // Widths go to the processor's settings; it rebuilds the walls at its next block.
    const float c = PhysicsWorld::funnelCentreX;
    const float maxWidth = juce::jmax (2.0f * (c - (PhysicsWorld::viewLeft + 0.6f)), 0.5f);

    const auto setTopWidth = [&] (float w)
    {
        processor.topWidth = w < 0.5f ? 0.5f : juce::jmin (w, maxWidth);
        processor.funnelGeometryDirty = true;
    };
    const auto moveBottom = [&] (float d)
    {
        const float bottom = processor.bottomWidth.load();
        const float top = processor.topWidth.load();
        const float lo = juce::jmax (0.5f - top, 0.5f - bottom);
        const float hi = juce::jmin (maxWidth - bottom, maxWidth - top);
        d = juce::jmax (lo, juce::jmin (d, hi)); // the lower limit wins if they cross
        processor.bottomWidth = juce::jlimit (0.5f, maxWidth, bottom + d);
        processor.funnelGeometryDirty = true;
        processor.topWidth = juce::jlimit (0.5f, maxWidth, top + d);
        processor.funnelGeometryDirty = true;
    };

    if (topRightDragging)
        setTopWidth (2.0f * (xw - c));
    if (topLeftDragging)
        setTopWidth (2.0f * (c - xw));
    if (bottomRightDragging)
        moveBottom (2.0f * (xw - c) - processor.bottomWidth.load());
    if (bottomLeftDragging)
        moveBottom (2.0f * (c - xw) - processor.bottomWidth.load());
}

void CaromelAudioProcessorEditor::mouseUp (const juce::MouseEvent&)
{
    launchHandleDragging = topLeftDragging = topRightDragging = bottomLeftDragging = bottomRightDragging = false;

    setParameterValue (ParameterIDs::bottomWidth, processor.bottomWidth.load());
    setParameterValue (ParameterIDs::topWidth, processor.topWidth.load());
}

void CaromelAudioProcessorEditor::setParameterValue (const char* parameterID, float value)
{
    if (auto* parameter = processor.parameters.getParameter (parameterID))
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

void CaromelAudioProcessorEditor::setParameterIfDifferent (const char* parameterID, float value)
{
    if (auto* parameter = processor.parameters.getParameter (parameterID))
    {
        const float normalised = parameter->convertTo0to1 (value);
        if (! juce::approximatelyEqual (parameter->getValue(), normalised))
            parameter->setValueNotifyingHost (normalised);
    }
}

//==============================================================================
void CaromelAudioProcessorEditor::timerCallback()
{
    if (! processor.firstStartDone)
        firstStart();
    repaint();
}

void CaromelAudioProcessorEditor::firstStart()
{
    if (UpdateCheck::claimFirstStart (processor.firstStartDone, processor.updateCheckPending))
        checkForUpdatesInBackground();
}

//==============================================================================
// Knob handlers: the world changes go through the processor's hand-over and
// reach the world at its next block (or when it is created).
void CaromelAudioProcessorEditor::gravityChanged()  { processor.setWorldGravity ((float) gravityKnob.getValue()); }
void CaromelAudioProcessorEditor::bounceChanged()   { processor.setBallRestitution (bounceKnob.getValue()); }
void CaromelAudioProcessorEditor::decayChanged()    { processor.decayFactor = (float) decayKnob.getValue(); }
void CaromelAudioProcessorEditor::velocityChanged() { processor.launchStrength = (float) velocityKnob.getValue(); }
void CaromelAudioProcessorEditor::timeChanged()     { processor.timeScale = (float) timeKnob.getValue(); }

void CaromelAudioProcessorEditor::dynamicClicked()
{
    const bool on = dynamicButton.getToggleState();
    dynamicButton.setButtonText (on ? "DYNAMIC" : "FIXED");
    processor.dynamicLaunch = on ? 1 : 0;
    velocityKnob.repaint();
}

void CaromelAudioProcessorEditor::monoClicked()
{
    const bool on = monoButton.getToggleState();
    monoButton.setButtonText (on ? "MONO" : "POLY");
    processor.monoMode = on;
    setParameterIfDifferent (ParameterIDs::mono, on ? 1.0f : 0.0f);
}

void CaromelAudioProcessorEditor::wallsClicked()
{
    const bool on = wallsButton.getToggleState();
    wallsButton.setButtonText (on ? "INVISIBLE" : "VISIBLE");
    processor.updatePanicMode (on);
}

void CaromelAudioProcessorEditor::collisionClicked()
{
    applyCollision (collisionToggle.getToggleState());
}

void CaromelAudioProcessorEditor::settingsCollisionChanged (bool on)
{
    applyCollision (on);
    setParameterIfDifferent (ParameterIDs::collision, on ? 1.0f : 0.0f);
}

void CaromelAudioProcessorEditor::applyCollision (bool on)
{
    processor.setCollisionEnabled (on);
    writeDiagnosticLine (juce::String ("BUTTON CLICKED! New state: ") + (on ? "TRUE" : "FALSE"));
}

void CaromelAudioProcessorEditor::showWebsiteDialog()
{
    juce::AlertWindow::showOkCancelBox (juce::MessageBoxIconType::QuestionIcon, "Rebondo Website",
                                        "Visit the Rebondo website now?", "Yes", "Cancel", this,
                                        juce::ModalCallbackFunction::create ([] (int result)
                                        {
                                            if (result == 1)
                                                juce::URL (websiteUrl).launchInDefaultBrowser();
                                        }));
}

//==============================================================================
void CaromelAudioProcessorEditor::createMidiPanel()
{
    auto* holder = isStandalone() ? juce::StandalonePluginHolder::getInstance() : nullptr;
    auto* settingsFile = holder != nullptr ? processor.getStandaloneProperties() : nullptr;

    if (settingsFile != nullptr)
    {
        standaloneSetup = std::make_unique<StandaloneSetupComponent> (holder->deviceManager);
        standaloneSetup->setComponentID ("standaloneSetup");
        settingsPanel.standaloneSetup = standaloneSetup.get();
        settingsPanel.addAndMakeVisible (*standaloneSetup);
        settingsPanel.resized();
        connectStandaloneSetup (*standaloneSetup, processor, *settingsFile);
        return;
    }

    channelSelector = std::make_unique<MidiChannelSelectorComponent>();
    channelSelector->setComponentID ("channelSelector");
    settingsPanel.channelSelector = channelSelector.get();
    settingsPanel.addAndMakeVisible (*channelSelector);
    settingsPanel.resized();
    connectChannelSelector (*channelSelector, processor);
}

void CaromelAudioProcessorEditor::loadPreset (const juce::String& presetName)
{
    if (! processor.loadPresetByName (presetName).loaded)
        return;

    presetBrowser.setCurrentPresetName (presetName);
    showPresetName (presetName);
    synchronizeButtonStates();
    settingsPanel.refreshFromParameters();
    noteSetKeyboard.syncFromPreset (processor.noteSetRoot, processor.noteSetScale,
                                    processor.noteMask.load(), processor.noteSetCustom);
    AccentColour::applyPresetColour (accentColour, processor.uiColour);
    settingsPanel.setAccentColour (accentColour);
    updateBrandingButtonColours();
    patternFlows.refreshPatternDisplayFromProcessor();
    repaint();
}

void CaromelAudioProcessorEditor::showPresetName (const juce::String& name)
{
    presetNameButton.setButtonText (name); // repaints only when the text changes
}

void CaromelAudioProcessorEditor::showPatternName (const juce::String& name)
{
    currentPatternName = name;
    patternNameButton.setButtonText (name);
}

void CaromelAudioProcessorEditor::togglePresetBrowser()
{
    presetFlows.toggleBrowser (processor.currentPresetName);
}

void CaromelAudioProcessorEditor::startSavePresetFlow()
{
    presetFlows.showSaveDialog (processor.currentPresetName);
}

void CaromelAudioProcessorEditor::openPatternBrowser()
{
    patternFlows.openBrowser();
}

void CaromelAudioProcessorEditor::handlePatternInputNote (int note)
{
    patternFlows.handlePatternInputNote (note);
}

void CaromelAudioProcessorEditor::toggleSettingsPanel()
{
    settingsPanel.setAccentColour (accentColour);
    settingsPanel.setVisible (! settingsPanel.isVisible());

    if (! settingsPanel.isVisible())
        return;

    settingsPanel.toFront (false);

    if (standaloneSetup != nullptr)
        standaloneSetup->refreshMidiDevices (false);
}

void CaromelAudioProcessorEditor::showPalettePopup()
{
    ::showPalettePopup (*this, paletteButton.getBounds(), [safeThis = juce::Component::SafePointer<CaromelAudioProcessorEditor> (this)]
                                                          (const juce::String& name, juce::Colour colour)
    {
        if (safeThis != nullptr)
            safeThis->paletteColourChosen (name, colour);
    });
}

void CaromelAudioProcessorEditor::paletteColourChosen (const juce::String& name, juce::Colour colour)
{
    AccentColour::choosePaletteColour (accentColour, accentColourName, name, colour, processor.getStandaloneProperties());
    updateBrandingButtonColours();
    repaint();
}

void CaromelAudioProcessorEditor::checkForUpdatesInBackground()
{
    if (updateManifestUrl.isEmpty())
        return;

    // The notice comes back on the message thread, and only while this editor exists.
    UpdateCheck::checkForUpdatesInBackground (*this, updateManifestUrl,
                                              [this] (const UpdateCheck::Notice& notice) { showUpdateNotice (notice); });
}

void CaromelAudioProcessorEditor::showUpdateNotice (const UpdateCheck::Notice& notice)
{
    latestVersion = notice.latestVersion;
    downloadUrl = notice.downloadUrl;
    updateAvailable = true;
    updateButton.setVisible (true);
    resized();
    UpdateCheck::showBubble (updateBubble, updateButton, notice.bubbleText);
}

void CaromelAudioProcessorEditor::openUpdateDownloadPage()
{
    UpdateCheck::openDownloadUrl (downloadUrl);
}
