#include "SimpleKnobStyle.h"

void SimpleKnobStyle::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                        float startAngle, float endAngle, juce::Slider& slider)
{
    juce::LookAndFeel_V4::drawRotarySlider (g, x, y, width, height, sliderPos, startAngle, endAngle, slider);

    slider.setColour (juce::Slider::thumbColourId, accentColour.get());
    const auto thumb = slider.findColour (juce::Slider::thumbColourId);

    const float r = (float) (juce::jmin (width / 2, height / 2) - 4);
    const float cx = (float) x + (float) width * 0.5f;
    const float cy = (float) y + (float) height * 0.5f;
    const juce::PathStrokeType stroke (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded);

    g.setColour (thumb);
    g.drawEllipse (cx - r, cy - r, 2.0f * r, 2.0f * r, 0.6f);

    const float angle = startAngle + sliderPos * (endAngle - startAngle);

    if (angle > startAngle)
    {
        juce::Path value;
        value.addCentredArc (cx, cy, r, r, 0.0f, startAngle, angle, true);
        g.setColour (thumb);
        g.strokePath (value, stroke);
    }

    if (endAngle > angle)
    {
        juce::Path rest;
        rest.addCentredArc (cx, cy, r, r, 0.0f, angle, endAngle, true);
        g.setColour (slider.findColour (juce::Slider::rotarySliderOutlineColourId).withAlpha ((juce::uint8) 102));
        g.strokePath (rest, stroke);
    }

    juce::Path pointer;
    pointer.startNewSubPath (cx, cy + 5.0f);
    pointer.lineTo (cx, cy - r + 2.0f);
    g.setColour (thumb);
    g.strokePath (pointer, stroke, juce::AffineTransform::rotation (angle, cx, cy));
}
