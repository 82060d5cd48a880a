#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The arrowless combo-box drawing shared by the combo-box look-and-feels:
// a rounded fill and outline, the text label following the accent.
namespace ComboBoxStyleDrawing
{
    void drawBox (juce::Graphics&, juce::ComboBox&, juce::Colour accent, juce::Colour fill, juce::Colour outline);
    void positionText (juce::ComboBox&, juce::Label&);
}
