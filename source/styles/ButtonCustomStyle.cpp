#include "ButtonCustomStyle.h"

juce::Colour ButtonCustomStyle::fillColourFor (juce::Colour accent, bool on, bool highlighted, bool down)
{
    auto fill = accent.withAlpha ((juce::uint8) 255);
    if (highlighted)
        fill = fill.brighter (0.12f);
    if (down)
        fill = fill.darker (0.15f);
    return fill.withAlpha ((juce::uint8) (on ? 191 : 31));
}

void ButtonCustomStyle::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto accent = accentColour.get();
    const bool on = button.getToggleState();
    const juce::Rectangle<float> rect (0.5f, 0.5f,
                                       juce::jmax (0.0f, (float) button.getWidth() - 1.0f),
                                       juce::jmax (0.0f, (float) button.getHeight() - 1.0f));

    g.setColour (fillColourFor (accent, on, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown));
    g.fillRoundedRectangle (rect, 3.0f);

    if (on)
    {
        g.setColour (accent.brighter (0.45f));
        g.drawRoundedRectangle (rect, 3.0f, 1.5f);
    }
    else
    {
        g.setColour (accent.withAlpha ((juce::uint8) 115));
        g.drawRoundedRectangle (rect, 3.0f, 1.0f);
    }
}

void ButtonCustomStyle::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool shouldDrawButtonAsDown)
{
    g.setFont (getTextButtonFont (button, button.getHeight()));

    auto colour = button.getToggleState() ? juce::Colours::black
                                          : accentColour.get().withAlpha ((juce::uint8) 191);
    if (! button.isEnabled())
        colour = colour.withMultipliedAlpha (0.4f);
    else if (shouldDrawButtonAsDown)
        colour = colour.withMultipliedAlpha (0.75f);

    g.setColour (colour);
    g.drawFittedText (button.getButtonText(), 0, 0, button.getWidth(), button.getHeight(),
                      juce::Justification::centred, 1);
}
