#include "StandaloneSettings.h"

#include "engine/PluginProcessor.h"

void connectChannelSelector (MidiChannelSelectorComponent& selector, CaromelAudioProcessor& processor)
{
    selector.setChannelMask (processor.allowedMidiChannelMask.load());
    selector.onChannelMaskChanged = [&processor] (uint16_t mask) { processor.setAllowedMidiChannelMask (mask); };
}

void connectStandaloneSetup (StandaloneSetupComponent& setup, CaromelAudioProcessor& processor,
                             juce::PropertiesFile& settings)
{
    // Installed before the restores below, so that restored and default
    // devices are written back to the file.
    setup.onMidiInputChanged = [&settings] (const juce::String& identifier)
    {
        settings.setValue (StandaloneSettingsKeys::midiInput, identifier);
        settings.saveIfNeeded();
    };
    setup.onMidiOutputChanged = [&settings] (const juce::String& identifier)
    {
        settings.setValue (StandaloneSettingsKeys::midiOutput, identifier);
        settings.saveIfNeeded();
    };
    setup.onPanic = [&processor] { processor.requestPanic(); };

    const auto savedInput = settings.getValue (StandaloneSettingsKeys::midiInput);
    const auto savedOutput = settings.getValue (StandaloneSettingsKeys::midiOutput);
    const auto savedMask = settings.getIntValue (StandaloneSettingsKeys::channelMask, 65535);

    setup.restoreMidiInput (savedInput);
    setup.restoreMidiOutput (savedOutput);
    setup.refreshMidiDevices (true);

    const auto mask = (uint16_t) (savedMask & 0xFFFF);
    setup.channelSelector.setChannelMask (mask);
    processor.setAllowedMidiChannelMask (mask);

    // The file keeps the mask as reported (0 included); the processor reads 0 as all.
    setup.onChannelMaskChanged = [&processor, &settings] (uint16_t reported)
    {
        processor.setAllowedMidiChannelMask (reported);
        settings.setValue (StandaloneSettingsKeys::channelMask, (int) reported);
        settings.saveIfNeeded();
    };
}
