#pragma once

#include "MidiChannelSelectorComponent.h"
#include "MidiDeviceAccess.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

// The standalone app's MIDI routing: one input device, one output device,
// the allowed output channels, a refresh and a panic button.
class StandaloneSetupComponent : public juce::Component
{
public:
    // The app: works on the wrapper's device manager.
    explicit StandaloneSetupComponent (juce::AudioDeviceManager& manager);
    // Any device layer; it must outlive the panel.
    explicit StandaloneSetupComponent (MidiDeviceAccess& devices);
    ~StandaloneSetupComponent() override;

    // Reloads both lists; with restoreSelection the current devices are
    // chosen again (with their change handling), else only shown.
    void refreshMidiDevices (bool restoreSelection);
    void populateMidiInputs();
    void populateMidiOutputs();
    void restoreMidiInput (const juce::String& identifier);
    void restoreMidiOutput (const juce::String& identifier);
    // Picks an IAC output when no output has been chosen.
    void selectDefaultMidiOutputIfAvailable();

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    std::function<void (const juce::String&)> onMidiInputChanged;
    std::function<void (const juce::String&)> onMidiOutputChanged;
    std::function<void (uint16_t)> onChannelMaskChanged;
    // Called by the "Panic" button; the owner silences the engine.
    std::function<void()> onPanic;

    juce::String currentInputId;
    juce::String currentOutputId;

    MidiChannelSelectorComponent channelSelector;

private:
    std::unique_ptr<MidiDeviceAccess> ownedDevices;

public:
    MidiDeviceAccess& deviceManager;

    juce::Array<juce::MidiDeviceInfo> midiInputs;
    juce::Array<juce::MidiDeviceInfo> midiOutputs;

    juce::Label midiInputLabel;
    juce::ComboBox midiInputBox;
    juce::Label midiOutputLabel;
    juce::ComboBox midiOutputBox;
    juce::TextButton refreshButton { "Refresh" };
    juce::TextButton panicButton;
    juce::Label statusLabel;

private:
    StandaloneSetupComponent (std::unique_ptr<MidiDeviceAccess> owned, MidiDeviceAccess* devices);

    void inputChanged();
    void outputChanged();
    void panicClicked();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StandaloneSetupComponent)
};
