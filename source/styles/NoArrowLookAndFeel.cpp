#include "NoArrowLookAndFeel.h"

#include "ComboBoxStyleDrawing.h"

void NoArrowLookAndFeel::drawComboBox (juce::Graphics& g, int, int, bool, int, int, int, int, juce::ComboBox& box)
{
    const auto accent = accentColour.get();
    const auto translucent = accent.withAlpha ((juce::uint8) 64);
    ComboBoxStyleDrawing::drawBox (g, box, accent, translucent, translucent);
}

void NoArrowLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    ComboBoxStyleDrawing::positionText (box, label);
}
