#pragma once

#include "MidiChannelSelectorComponent.h"
#include "StandaloneSetupComponent.h"

#include <juce_data_structures/juce_data_structures.h>

class CaromelAudioProcessor;

// Keys of the standalone settings file.
namespace StandaloneSettingsKeys
{
    inline constexpr const char* midiInput = "standaloneMidiInput";
    inline constexpr const char* midiOutput = "standaloneMidiOutput";
    inline constexpr const char* channelMask = "allowedMidiChannelMask";
    inline constexpr const char* uiColour = "selectedUiColour";
}

// Where and how the settings file is kept (per user, XML, "Rebondo.settings"
// in "Orvanta/Rebondo").
juce::PropertiesFile::Options standalonePropertiesOptions();

// Plug-in: the selector shows the processor's mask and every reported mask
// goes into the processor (0 meaning all channels).
void connectChannelSelector (MidiChannelSelectorComponent& selector, CaromelAudioProcessor& processor);

// Standalone: remembers device choices and the channel mask in `settings`,
// restores the saved devices and mask, and routes "Panic" to the processor.
// Run once, after the panel has been placed in the settings panel.
void connectStandaloneSetup (StandaloneSetupComponent& setup, CaromelAudioProcessor& processor,
                             juce::PropertiesFile& settings);
