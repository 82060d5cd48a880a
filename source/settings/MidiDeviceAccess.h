#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

// What the standalone setup panel needs from the device layer: the audio
// set-up, one enabled MIDI input at a time, the default MIDI output and the
// device lists. The app uses the wrapper's AudioDeviceManager; tests use a fake.
class MidiDeviceAccess
{
public:
    virtual ~MidiDeviceAccess() = default;

    virtual juce::AudioDeviceManager::AudioDeviceSetup getAudioDeviceSetup() const = 0;
    // Returns an error text, empty on success.
    virtual juce::String setAudioDeviceSetup (const juce::AudioDeviceManager::AudioDeviceSetup&, bool treatAsChosenDevice) = 0;

    virtual void setMidiInputDeviceEnabled (const juce::String& identifier, bool enabled) = 0;
    virtual void setDefaultMidiOutputDevice (const juce::String& identifier) = 0;

    virtual juce::Array<juce::MidiDeviceInfo> getAvailableMidiInputs() = 0;
    virtual juce::Array<juce::MidiDeviceInfo> getAvailableMidiOutputs() = 0;
};

// The real device layer: forwards to an AudioDeviceManager and to JUCE's
// MIDI device lists.
class AudioDeviceManagerMidiAccess : public MidiDeviceAccess
{
public:
    explicit AudioDeviceManagerMidiAccess (juce::AudioDeviceManager& managerToUse) : manager (managerToUse) {}

    juce::AudioDeviceManager::AudioDeviceSetup getAudioDeviceSetup() const override { return manager.getAudioDeviceSetup(); }

    juce::String setAudioDeviceSetup (const juce::AudioDeviceManager::AudioDeviceSetup& setup, bool treatAsChosenDevice) override
    {
        return manager.setAudioDeviceSetup (setup, treatAsChosenDevice);
    }

    void setMidiInputDeviceEnabled (const juce::String& identifier, bool enabled) override
    {
        manager.setMidiInputDeviceEnabled (identifier, enabled);
    }

    void setDefaultMidiOutputDevice (const juce::String& identifier) override
    {
        manager.setDefaultMidiOutputDevice (identifier);
    }

    juce::Array<juce::MidiDeviceInfo> getAvailableMidiInputs() override { return juce::MidiInput::getAvailableDevices(); }
    juce::Array<juce::MidiDeviceInfo> getAvailableMidiOutputs() override { return juce::MidiOutput::getAvailableDevices(); }

private:
    juce::AudioDeviceManager& manager;
};
