#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <utility>
#include <vector>

// Re-tinting of the top bar's icons and of the controls that follow the
// accent colour.
namespace BrandingColours
{
    // Gives the button the SVG icon with its pure white replaced by `accent`.
    // Returns false (and leaves the button alone) when the text is not a usable SVG.
    bool setSvgButtonImage (juce::DrawableButton& button, const juce::String& svgText, juce::Colour accent);

    // Everything updateBrandingButtonColours recolours. Null pointers are skipped.
    struct Targets
    {
        std::vector<std::pair<juce::DrawableButton*, juce::String>> iconButtons; // button, its SVG text
        juce::Label* brandingLabel = nullptr;
        juce::Colour* keyboardAccent = nullptr;        // the note-set keyboard's accent
        juce::Component* keyboard = nullptr;
        std::vector<juce::ComboBox*> keyboardSelectors; // its key and scale boxes
    };

    // Applies `accent` to every target; the caller repaints itself afterwards.
    void updateBrandingButtonColours (const Targets& targets, juce::Colour accent);

    // The preset-name button's colours, set once from the accent of the moment.
    void stylePresetNameButton (juce::TextButton& button, juce::Colour accent);
}
