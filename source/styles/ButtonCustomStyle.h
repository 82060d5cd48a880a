#pragma once

#include "AccentColourReference.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's text buttons: translucent accent boxes that fill in when on.
class ButtonCustomStyle : public juce::LookAndFeel_V4
{
public:
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    // The fill drawBackground uses, for a button in the given state.
    static juce::Colour fillColourFor (juce::Colour accent, bool on, bool highlighted, bool down);

    AccentColourReference accentColour;
};
