#include "ComboBoxStyleDrawing.h"

namespace ComboBoxStyleDrawing
{
    void drawBox (juce::Graphics& g, juce::ComboBox& box, juce::Colour accent, juce::Colour fill, juce::Colour outline)
    {
        // Only a real change reaches the box, so a redraw does not rebuild its label.
        box.setColour (juce::ComboBox::textColourId, accent);

        const auto w = (float) box.getWidth();
        const auto h = (float) box.getHeight();

        g.setColour (fill);
        g.fillRoundedRectangle (0.0f, 0.0f, w, h, 3.0f);

        g.setColour (outline);
        g.drawRoundedRectangle (0.5f, 0.5f, juce::jmax (0.0f, w - 1.0f), juce::jmax (0.0f, h - 1.0f), 3.0f, 1.0f);
    }

    void positionText (juce::ComboBox& box, juce::Label& label)
    {
        label.setBounds (4, 0, box.getWidth() - 8, box.getHeight());

        if (label.getJustificationType() != juce::Justification::centred)
        {
            label.setJustificationType (juce::Justification::centred);
            label.repaint();
        }
    }
}
