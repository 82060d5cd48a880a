#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>

// The settings overlay: mod-wheel assignment, ball collisions, bounce limit,
// the bounce split, and one hosted panel (channel selector or standalone
// MIDI setup) that the owner puts into its slot.
class SettingsComponent : public juce::Component
{
public:
    // Arrowless combo box drawn in the panel's accent, read at every draw.
    class SettingsComboLookAndFeel : public juce::LookAndFeel_V4
    {
    public:
        void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                           int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
        void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

        const juce::Colour* accent = nullptr;
    };

    explicit SettingsComponent (juce::AudioProcessorValueTreeState& parameterTree);
    ~SettingsComponent() override;

    // Reloads the collision switch from the parameter tree.
    void refreshFromParameters();
    void setAccentColour (juce::Colour colour);

    void paint (juce::Graphics&) override;
    void resized() override;

    std::function<void (bool)> onCollisionChanged;
    std::function<void()> onClose;

    juce::Label splitLabel;
    juce::TextButton splitLeftButton { "L" };
    juce::TextButton splitRightButton { "R" };
    bool splitLeftOn = true;
    bool splitRightOn = true;
    std::function<void (bool, bool)> onSplitChanged;

    // Hosted panels, owned by the editor. Call resized() after filling one.
    juce::Component* channelSelector = nullptr;
    juce::Component* standaloneSetup = nullptr;

    juce::AudioProcessorValueTreeState& parameters;
    juce::Colour accentColour { juce::Colours::lightseagreen };
    SettingsComboLookAndFeel comboLookAndFeel;

    juce::Label titleLabel;
    juce::Label modWheelLabel;
    juce::Label maxBouncesLabel;
    juce::Label collisionLabel;
    juce::ComboBox modWheelBox;
    juce::ComboBox maxBouncesBox;
    juce::TextButton collisionButton;
    juce::TextButton closeButton { "OK" };

    std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment> modWheelAttachment;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment> maxBouncesAttachment;

    bool collisionOn = true;

private:
    void applyControlColours();
    void showCollisionState();
    void showSplitState (juce::TextButton& button, bool on);
    void showSplitStates();
    void collisionClicked();
    void splitClicked (bool leftClicked);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsComponent)
};
