#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <cstdint>
#include <functional>

// Sixteen channel switches plus "All" and "None". The switches' toggle states
// are the mask; the owner decides where a reported mask is stored.
class MidiChannelSelectorComponent : public juce::Component
{
public:
    MidiChannelSelectorComponent();
    ~MidiChannelSelectorComponent() override = default;

    // Shows the mask without reporting it.
    void setChannelMask (uint16_t mask);
    uint16_t getChannelMask() const;

    void paint (juce::Graphics&) override;
    void resized() override;

    // Called after every change made by the user (0 when every switch is off).
    std::function<void (uint16_t)> onChannelMaskChanged;

    juce::Label titleLabel;
    std::array<juce::TextButton, 16> channelButtons;
    juce::TextButton allButton { "All" };
    juce::TextButton noneButton { "None" };

private:
    void reportMask();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiChannelSelectorComponent)
};
