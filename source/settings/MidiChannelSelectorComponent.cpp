#include "MidiChannelSelectorComponent.h"
#include "InsetPanelBackground.h"

MidiChannelSelectorComponent::MidiChannelSelectorComponent()
{
    titleLabel.setText ("Allowed MIDI Channels", juce::dontSendNotification);
    titleLabel.setJustificationType (juce::Justification::centredLeft);
    addAndMakeVisible (titleLabel);

    for (size_t i = 0; i < channelButtons.size(); ++i)
    {
        auto& button = channelButtons[i];
        button.setButtonText (juce::String ((int) i + 1));
        button.setClickingTogglesState (true);
        button.setToggleState (true, juce::dontSendNotification);
        button.setColour (juce::TextButton::buttonColourId, juce::Colours::darkgrey);
        button.setColour (juce::TextButton::buttonOnColourId, juce::Colours::white);
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::white);
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
        // The button has flipped its own state by the time onClick runs.
        button.onClick = [this] { reportMask(); };
        addAndMakeVisible (button);
    }

    allButton.onClick = [this]
    {
        setChannelMask (0xFFFF);
        reportMask();
    };
    noneButton.onClick = [this]
    {
        setChannelMask (0);
        reportMask();
    };
    addAndMakeVisible (allButton);
    addAndMakeVisible (noneButton);
}

void MidiChannelSelectorComponent::setChannelMask (uint16_t mask)
{
    for (size_t i = 0; i < channelButtons.size(); ++i)
        channelButtons[i].setToggleState (((mask >> i) & 1u) != 0, juce::dontSendNotification);
}

uint16_t MidiChannelSelectorComponent::getChannelMask() const
{
    uint16_t mask = 0;

    for (size_t i = 0; i < channelButtons.size(); ++i)
        if (channelButtons[i].getToggleState())
            mask = (uint16_t) (mask | (1u << i));

    return mask;
}

void MidiChannelSelectorComponent::reportMask()
{
    if (onChannelMaskChanged)
        onChannelMaskChanged (getChannelMask());
}

void MidiChannelSelectorComponent::paint (juce::Graphics& g)
{
    paintInsetPanelBackground (g, *this);
}

void MidiChannelSelectorComponent::resized()
{
    auto area = getLocalBounds().reduced (6);
    const int width = area.getWidth();

    auto header = area.removeFromTop (28);
    const int titleWidth = juce::jmin (width, width > 246 ? width - 126 : 120);
    titleLabel.setBounds (header.removeFromLeft (titleWidth));
    allButton.setBounds (header.removeFromLeft (56).reduced (2));
    noneButton.setBounds (header.removeFromLeft (66).reduced (2));

    area.removeFromTop (4);
    auto firstRow = area.removeFromTop (area.getHeight() / 2);
    auto secondRow = area;

    auto layRow = [this] (juce::Rectangle<int> row, size_t firstChannel)
    {
        for (int k = 0; k < 8; ++k)
        {
            auto cell = row.removeFromLeft (row.getWidth() / (8 - k));
            channelButtons[firstChannel + (size_t) k].setBounds (cell.reduced (2));
        }
    };
    layRow (firstRow, 0);
    layRow (secondRow, 8);
}
