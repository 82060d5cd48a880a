#pragma once

#include "AccentColourReference.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's knobs: the standard knob with a thin ring, a value arc and a
// pointer drawn over it in the accent colour.
class SimpleKnobStyle : public juce::LookAndFeel_V4
{
public:
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

    AccentColourReference accentColour;
};
