#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

// The palette call-out's content: a 5-column grid of colour swatches.
class PalettePopupComponent : public juce::Component
{
public:
    struct PaletteColour
    {
        juce::String name;
        juce::Colour colour;
    };

    static constexpr int columns = 5;
    static constexpr int cellWidth = 72;
    static constexpr int cellHeight = 54;

    explicit PalettePopupComponent (std::vector<PaletteColour> entries);

    // The 25 interface colours, in display order.
    static std::vector<PaletteColour> defaultPalette();
    // 360 wide, one 54-pixel row per five entries plus 20.
    static juce::Rectangle<int> popupBoundsFor (size_t numEntries);

    // The entry under a point, or -1.
    int entryAt (int x, int y) const;

    void paint (juce::Graphics&) override;
    void mouseMove (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;

    std::vector<PaletteColour> paletteEntries;
    std::function<void (const juce::String&, juce::Colour)> onColourSelected;
    int hoveredIndex = -1;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PalettePopupComponent)
};

// Opens the palette in a call-out inside `parent`, pointing at `area`
// (in the parent's coordinates). The call-out owns the pop-up.
void showPalettePopup (juce::Component& parent, juce::Rectangle<int> area,
                       std::function<void (const juce::String&, juce::Colour)> onColourSelected);
