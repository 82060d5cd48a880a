#include "StandaloneSetupComponent.h"
#include "InsetPanelBackground.h"

namespace
{
    constexpr int placeholderId = 1;
    constexpr int firstDeviceId = 2;

    int indexOfIdentifier (const juce::Array<juce::MidiDeviceInfo>& devices, const juce::String& identifier)
    {
        for (int i = 0; i < devices.size(); ++i)
            if (devices.getReference (i).identifier == identifier)
                return i;

        return -1;
    }

    void fillDeviceBox (juce::ComboBox& box, const juce::String& placeholder,
                        const juce::Array<juce::MidiDeviceInfo>& devices)
    {
        box.clear (juce::dontSendNotification);
        box.addItem (placeholder, placeholderId);

        // Item ids follow list positions, so a device without a name (which
        // gets no item) does not shift the others.
        for (int i = 0; i < devices.size(); ++i)
            if (devices.getReference (i).name.isNotEmpty())
                box.addItem (devices.getReference (i).name, i + firstDeviceId);

        box.setSelectedId (placeholderId, juce::dontSendNotification);
    }

    void selectDeviceEntry (juce::ComboBox& box, int deviceIndex, juce::NotificationType notification)
    {
        const int itemId = deviceIndex + firstDeviceId;
        bool present = false;

        for (int i = 0; i < box.getNumItems(); ++i)
            present = present || box.getItemId (i) == itemId;

        box.setSelectedId (present ? itemId : 0, notification);
    }

    int selectedDeviceIndex (const juce::ComboBox& box)
    {
        return box.getSelectedId() - firstDeviceId;
    }

    bool looksLikeIac (const juce::MidiDeviceInfo& device, const juce::String& text)
    {
        return device.name.containsIgnoreCase (text);
    }
}

//==============================================================================
StandaloneSetupComponent::StandaloneSetupComponent (juce::AudioDeviceManager& manager)
    : StandaloneSetupComponent (std::make_unique<AudioDeviceManagerMidiAccess> (manager), nullptr)
{
}

StandaloneSetupComponent::StandaloneSetupComponent (MidiDeviceAccess& devices)
    : StandaloneSetupComponent (nullptr, &devices)
{
}

StandaloneSetupComponent::StandaloneSetupComponent (std::unique_ptr<MidiDeviceAccess> owned, MidiDeviceAccess* devices)
    : ownedDevices (std::move (owned)),
      deviceManager (devices != nullptr ? *devices : *ownedDevices)
{
    midiInputLabel.setText ("MIDI Input", juce::dontSendNotification);
    midiInputLabel.setJustificationType (juce::Justification::centredLeft);
    midiOutputLabel.setText ("MIDI Output", juce::dontSendNotification);
    midiOutputLabel.setJustificationType (juce::Justification::centredLeft);
    statusLabel.setJustificationType (juce::Justification::centredLeft);

    addAndMakeVisible (midiInputLabel);
    addAndMakeVisible (midiInputBox);
    addAndMakeVisible (midiOutputLabel);
    addAndMakeVisible (midiOutputBox);
    addAndMakeVisible (channelSelector);
    addAndMakeVisible (refreshButton);

    // Lists are reloaded before a box opens, so that they show what is plugged in now.
    midiInputBox.addMouseListener (this, false);
    midiOutputBox.addMouseListener (this, false);

    refreshMidiDevices (false);

    channelSelector.onChannelMaskChanged = [this] (uint16_t mask)
    {
        if (onChannelMaskChanged)
            onChannelMaskChanged (mask);
    };
    refreshButton.onClick = [this] { refreshMidiDevices (true); };

    juce::String audioError;
    auto setup = deviceManager.getAudioDeviceSetup();

    if (! (setup.outputChannels[0] && setup.outputChannels[1]))
    {
        setup.outputChannels.setRange (0, 2, true);
        setup.useDefaultOutputChannels = false;
        audioError = deviceManager.setAudioDeviceSetup (setup, true);

        if (audioError.isNotEmpty())
            statusLabel.setText ("Audio setup error: " + audioError, juce::dontSendNotification);
    }

    populateMidiInputs();
    populateMidiOutputs();

    panicButton.setButtonText ("Panic");
    addAndMakeVisible (panicButton);
    addAndMakeVisible (statusLabel);

    if (audioError.isEmpty())
        statusLabel.setText ("Select IAC Driver Bus 1 for DAW.", juce::dontSendNotification);

    midiInputBox.onChange = [this] { inputChanged(); };
    midiOutputBox.onChange = [this] { outputChanged(); };
    panicButton.onClick = [this] { panicClicked(); };
}

StandaloneSetupComponent::~StandaloneSetupComponent()
{
    midiInputBox.removeMouseListener (this);
    midiOutputBox.removeMouseListener (this);
}

//==============================================================================
void StandaloneSetupComponent::populateMidiInputs()
{
    midiInputs = deviceManager.getAvailableMidiInputs();
    fillDeviceBox (midiInputBox, "Select MIDI Input...", midiInputs);
}

void StandaloneSetupComponent::populateMidiOutputs()
{
    midiOutputs = deviceManager.getAvailableMidiOutputs();
    fillDeviceBox (midiOutputBox, "Select MIDI Output...", midiOutputs);
}

void StandaloneSetupComponent::refreshMidiDevices (bool restoreSelection)
{
    const auto in = currentInputId;
    const auto out = currentOutputId;

    populateMidiInputs();
    populateMidiOutputs();

    if (restoreSelection)
    {
        restoreMidiInput (in);
        restoreMidiOutput (out);

        if (out.isEmpty())
            selectDefaultMidiOutputIfAvailable();
    }
    else
    {
        const int inputIndex = in.isNotEmpty() ? indexOfIdentifier (midiInputs, in) : -1;
        if (inputIndex >= 0)
            selectDeviceEntry (midiInputBox, inputIndex, juce::dontSendNotification);

        const int outputIndex = out.isNotEmpty() ? indexOfIdentifier (midiOutputs, out) : -1;
        if (outputIndex < 0)
            selectDefaultMidiOutputIfAvailable();
        else
            selectDeviceEntry (midiOutputBox, outputIndex, juce::dontSendNotification);
    }

    statusLabel.setText ("MIDI devices refreshed.", juce::dontSendNotification);
}

void StandaloneSetupComponent::restoreMidiInput (const juce::String& identifier)
{
    if (identifier.isEmpty())
        return;

    const int index = indexOfIdentifier (midiInputs, identifier);

    if (index < 0)
    {
        // Nothing to disable: the saved device is simply not there.
        currentInputId = {};
        return;
    }

    currentInputId = identifier;
    selectDeviceEntry (midiInputBox, index, juce::sendNotificationSync);
}

void StandaloneSetupComponent::restoreMidiOutput (const juce::String& identifier)
{
    if (identifier.isEmpty())
        return;

    const int index = indexOfIdentifier (midiOutputs, identifier);

    if (index < 0)
        return;

    currentOutputId = identifier;
    selectDeviceEntry (midiOutputBox, index, juce::sendNotificationAsync);
}

void StandaloneSetupComponent::selectDefaultMidiOutputIfAvailable()
{
    if (currentOutputId.isNotEmpty())
        return;

    for (int i = 0; i < midiOutputs.size(); ++i)
    {
        const auto& device = midiOutputs.getReference (i);

        if (looksLikeIac (device, "IAC Driver") || looksLikeIac (device, "IAC")
            || device.identifier.containsIgnoreCase ("IAC"))
        {
            selectDeviceEntry (midiOutputBox, i, juce::sendNotificationSync);
            return;
        }
    }
}

//==============================================================================
void StandaloneSetupComponent::inputChanged()
{
    const int index = selectedDeviceIndex (midiInputBox);

    if (! juce::isPositiveAndBelow (index, midiInputs.size()))
        return;

    const auto device = midiInputs[index];

    if (currentInputId.isNotEmpty() && currentInputId != device.identifier)
        deviceManager.setMidiInputDeviceEnabled (currentInputId, false);

    currentInputId = device.identifier;
    deviceManager.setMidiInputDeviceEnabled (device.identifier, true);
    statusLabel.setText ("Set MIDI input: " + device.name, juce::dontSendNotification);

    if (onMidiInputChanged)
        onMidiInputChanged (device.identifier);
}

void StandaloneSetupComponent::outputChanged()
{
    const int index = selectedDeviceIndex (midiOutputBox);

    if (! juce::isPositiveAndBelow (index, midiOutputs.size()))
        return;

    const auto device = midiOutputs[index];

    deviceManager.setDefaultMidiOutputDevice (device.identifier);
    currentOutputId = device.identifier;
    statusLabel.setText ("Set MIDI output: " + device.name, juce::dontSendNotification);

    if (onMidiOutputChanged)
        onMidiOutputChanged (device.identifier);
}

void StandaloneSetupComponent::panicClicked()
{
    statusLabel.setText ("Panic button pressed.", juce::dontSendNotification);

    if (onPanic)
        onPanic();
}

//==============================================================================
void StandaloneSetupComponent::mouseDown (const juce::MouseEvent& e)
{
    if (e.eventComponent == &midiInputBox || e.eventComponent == &midiOutputBox)
        refreshMidiDevices (false);
}

void StandaloneSetupComponent::paint (juce::Graphics& g)
{
    paintInsetPanelBackground (g, *this);
}

void StandaloneSetupComponent::resized()
{
    auto area = getLocalBounds().reduced (10);

    auto inputRow = area.removeFromTop (28);
    midiInputLabel.setBounds (inputRow.removeFromLeft (92));
    midiInputBox.setBounds (inputRow.reduced (2, 0));
    area.removeFromTop (6);

    auto outputRow = area.removeFromTop (28);
    midiOutputLabel.setBounds (outputRow.removeFromLeft (92));
    midiOutputBox.setBounds (outputRow.reduced (2, 0));
    area.removeFromTop (6);

    auto buttons = area.removeFromTop (26);
    refreshButton.setBounds (buttons.removeFromLeft (76).reduced (2));
    panicButton.setBounds (buttons.removeFromLeft (70).reduced (2));
    area.removeFromTop (4);

    statusLabel.setBounds (area.removeFromTop (30));
    area.removeFromTop (4);

    channelSelector.setBounds (area.removeFromTop (100));
}
