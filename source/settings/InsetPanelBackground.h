#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The dark rounded box the panels inside the settings panel sit on.
inline void paintInsetPanelBackground (juce::Graphics& g, const juce::Component& panel)
{
    const auto box = juce::Rectangle<float> (2.0f, 2.0f,
                                             juce::jmax (0.0f, (float) panel.getWidth() - 4.0f),
                                             juce::jmax (0.0f, (float) panel.getHeight() - 4.0f));
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 224));
    g.fillRoundedRectangle (box, 10.0f);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 46));
    g.drawRoundedRectangle (box, 10.0f, 1.5f);
}
