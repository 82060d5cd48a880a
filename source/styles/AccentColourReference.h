#pragma once

#include <juce_graphics/juce_graphics.h>

// A look-and-feel's view of the accent colour owned by the component that
// uses it. The owner points it at its colour right after construction and
// outlives the look-and-feel; the colour is read at every draw.
class AccentColourReference
{
public:
    void setSource (const juce::Colour* colourToUse) noexcept { source = colourToUse; }
    const juce::Colour* getSource() const noexcept { return source; }

    juce::Colour get() const noexcept { return source != nullptr ? *source : juce::Colours::lightseagreen; }

private:
    const juce::Colour* source = nullptr;
};
