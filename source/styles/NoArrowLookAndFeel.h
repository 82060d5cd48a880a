#pragma once

#include "AccentColourReference.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's combo boxes: no arrow, a translucent accent box.
class NoArrowLookAndFeel : public juce::LookAndFeel_V4
{
public:
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    AccentColourReference accentColour;
};
