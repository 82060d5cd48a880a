#pragma once

#include "AccentColourReference.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The note-set keyboard's root and scale boxes: no arrow, a dark accent box.
class comboBoxLookAndFeel : public juce::LookAndFeel_V4
{
public:
    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    AccentColourReference accentColour;
};
