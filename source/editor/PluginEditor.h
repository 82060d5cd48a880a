#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include "ComputerKeyboardPiano.h"
#include "UpdateChecker.h"
#include "engine/PluginProcessor.h"
#include "library/PatternBrowserComponent.h"
#include "library/PatternFlowController.h"
#include "library/PresetBrowserComponent.h"
#include "library/PresetFlowController.h"
#include "settings/MidiChannelSelectorComponent.h"
#include "settings/NoteSetKeyboardComponent.h"
#include "settings/SettingsComponent.h"
#include "settings/StandaloneSetupComponent.h"
#include "styles/ButtonCustomStyle.h"
#include "styles/NoArrowLookAndFeel.h"
#include "styles/SimpleKnobStyle.h"

#include <array>
#include <memory>
#include <vector>

// The plug-in window: a fixed 800 x 600 surface with the top bar, the control
// strip and, below y = 160, the physics view that it paints itself and whose
// launch handle and wall ends can be dragged.
class CaromelAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    public juce::TooltipClient,
                                    private juce::Timer
{
public:
    explicit CaromelAudioProcessorEditor (CaromelAudioProcessor&);
    ~CaromelAudioProcessorEditor() override;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;
    juce::String getTooltip() override;

    void firstStart();
    // Sets the mono, walls and collision toggles from their parameters.
    void synchronizeButtonStates();
    // Re-applies accentColour to the icons, the branding and the keyboard.
    void updateBrandingButtonColours();
    void setSvgButtonImage (juce::DrawableButton&, const juce::String& svgText);

    // Where the overlay panels go, from the last layout.
    juce::Rectangle<int> getSettingsPanelBounds() const noexcept { return settingsPanelBounds; }
    juce::Rectangle<int> getPresetBrowserBounds() const noexcept { return presetBrowserBounds; }
    juce::Rectangle<int> getPatternBrowserBounds() const noexcept { return patternBrowserBounds; }

    bool isStandalone() const noexcept;
    ComputerKeyboardInput& getComputerKeyboard() noexcept { return computerKeyboard; }

    // Loads the named preset through the processor and, when it loaded,
    // refreshes every view of the new state. The preset browser's Load.
    void loadPreset (const juce::String& presetName);

    // A colour picked in the palette becomes the accent and is remembered.
    void paletteColourChosen (const juce::String& name, juce::Colour colour);

    // Shows the update button and its bubble for an announced release.
    void showUpdateNotice (const UpdateCheck::Notice&);

    // Where the update check asks (empty: no check); tests replace it.
    juce::String updateManifestUrl { UpdateCheck::manifestUrl };

    static constexpr const char* websiteUrl = "https://orvanta.audio/rebondo";

private:
    CaromelAudioProcessor& processor;

    juce::TextButton presetNameButton { "Default" };
    PresetBrowserComponent presetBrowser;
    PatternBrowserComponent patternBrowser;
    PatternManagerLibrary patternLibrary { processor.patternManager };
    // After the browsers they drive, so that they let go of them first.
    PresetFlowController presetFlows { presetBrowser, CaromelAudioProcessor::getPresetFolder() };
    PatternFlowController patternFlows { processor, patternBrowser, patternLibrary };

    // Update notice state.
    juce::String downloadUrl, latestVersion;
    bool updateAvailable = false;
    juce::BubbleMessageComponent updateBubble;

public:
    // The interface colour; every look-and-feel below reads it at each draw.
    juce::Colour accentColour { juce::Colours::lightseagreen };
    juce::String accentColourName { "lightseagreen" };

private:
    NoArrowLookAndFeel noArrowLookAndFeel;
    SimpleKnobStyle knobStyle;
    ButtonCustomStyle buttonStyle;

    NoteSetKeyboardComponent noteSetKeyboard;
    SettingsComponent settingsPanel { processor.parameters };
    // One of the two, placed in the settings panel: the app's MIDI setup or
    // the plug-in's channel selector.
    std::unique_ptr<StandaloneSetupComponent> standaloneSetup;
    std::unique_ptr<MidiChannelSelectorComponent> channelSelector;

    // Single-colour white SVG icons, re-tinted with the accent.
    const juce::String settingsIconSvg, helpIconSvg, paletteIconSvg, updateIconSvg, saveIconSvg;

    juce::DrawableButton settingsButton { "settingsButton", juce::DrawableButton::ImageOnButtonBackground };
    juce::DrawableButton helpButton { "helpButton", juce::DrawableButton::ImageOnButtonBackground };
    juce::DrawableButton paletteButton { "paletteButton", juce::DrawableButton::ImageOnButtonBackground };
    juce::DrawableButton updateButton { "updateButton", juce::DrawableButton::ImageOnButtonBackground };
    juce::DrawableButton saveButton { "saveButton", juce::DrawableButton::ImageOnButtonBackground };

    juce::TextButton patternNameButton;

    juce::Slider bounceKnob, decayKnob, velocityKnob, gravityKnob, timeKnob;
    juce::Label bounceLabel, decayLabel, velocityLabel, gravityLabel, timeLabel;
    juce::Label sequenceLabel, patternsLabel, wallsLabel;

    juce::TooltipWindow tooltipWindow { this, 700 };

    juce::ComboBox arpTypeBox;
    juce::TextButton dynamicButton, holdButton;
    juce::Label brandingLabel;
    // Never shown: follows the collision parameter for the engine.
    juce::ToggleButton collisionToggle;
    juce::TextButton monoButton, wallsButton;

    // Direct manipulation of the physics view.
    float handleRadius = 16.0f;
    bool launchHandleDragging = false, topLeftDragging = false, topRightDragging = false,
         bottomLeftDragging = false, bottomRightDragging = false;

    // The current pattern as the pattern flows keep it.
    juce::String currentPatternName;
    std::vector<int> currentPatternSteps;

    // Drawn from this copy, so that the snapshot lock is held only to copy.
    std::vector<BallSnapshot> snapshotCopy;

    juce::Rectangle<int> settingsPanelBounds, presetBrowserBounds, patternBrowserBounds;

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;
    using ComboBoxAttachment = juce::AudioProcessorValueTreeState::ComboBoxAttachment;

    // After the controls they bind, so that they go first.
    std::unique_ptr<ComboBoxAttachment> arpTypeAttachment;
    std::unique_ptr<SliderAttachment> gravityAttachment, bounceAttachment, decayAttachment, velocityAttachment, timeAttachment;
    std::unique_ptr<ButtonAttachment> collisionAttachment, holdAttachment, dynamicAttachment, monoAttachment, wallsAttachment;

    // Flows the overlay panels provide.
    void togglePresetBrowser();
    void openPatternBrowser();
    void toggleSettingsPanel();
    void showPalettePopup();
    void startSavePresetFlow();
    void openUpdateDownloadPage();
    void checkForUpdatesInBackground();
    void handlePatternInputNote (int note);
    void createMidiPanel();
    void settingsCollisionChanged (bool on);
    void showPresetName (const juce::String& name);
    void showPatternName (const juce::String& name);

    void showWebsiteDialog();

    // Control handlers
    void gravityChanged();
    void bounceChanged();
    void decayChanged();
    void velocityChanged();
    void timeChanged();
    void dynamicClicked();
    void monoClicked();
    void wallsClicked();
    void collisionClicked();
    void applyCollision (bool on);

    void setupIconButton (juce::DrawableButton&, const juce::String& svgText);
    void setupKnob (juce::Slider&, void (CaromelAudioProcessorEditor::*handler)());
    void setupLabel (juce::Label&, const juce::String& text);
    void styleToggleTextButton (juce::TextButton&, const juce::String& text);
    void stylePresetNameButton();
    void setParameterIfDifferent (const char* parameterID, float value);
    void setParameterValue (const char* parameterID, float value);
    juce::Point<float> launchHandleScreenPosition() const;
    std::array<juce::Point<float>, 4> wallEndPoints() const; // top left, top right, bottom left, bottom right
    void dragWalls (float worldX);

    // Plays the processor from the computer keyboard while the editor has focus.
    ComputerKeyboardInput computerKeyboard { *this, [this] (const juce::MidiMessage& m) { processor.enqueueKeyboardMessage (m); } };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CaromelAudioProcessorEditor)
};
