#include "ComboBoxLookAndFeel.h"

#include "ComboBoxStyleDrawing.h"

void comboBoxLookAndFeel::drawComboBox (juce::Graphics& g, int, int, bool, int, int, int, int, juce::ComboBox& box)
{
    const auto accent = accentColour.get();
    ComboBoxStyleDrawing::drawBox (g, box, accent, accent.darker (0.65f), accent.brighter (0.25f));
}

void comboBoxLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    ComboBoxStyleDrawing::positionText (box, label);
}
