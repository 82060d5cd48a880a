#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_graphics/juce_graphics.h>

// The interface's accent colour: its text form, and where it is remembered.
// A palette choice is remembered in the settings file; a preset's colour is not.
namespace AccentColour
{
    inline const juce::Colour defaultColour { 0xff20b2aa };
    inline constexpr const char* defaultName = "lightseagreen";
    inline constexpr const char* settingsKey = "selectedUiColour";

    // Lower-case ARGB hex without leading zeros, e.g. "ff20b2aa".
    juce::String toText (juce::Colour colour);
    juce::Colour fromText (const juce::String& text);

    // The stored colour, or `current` when the file holds none.
    juce::Colour readStored (juce::PropertiesFile* settings, juce::Colour current);

    // A palette choice: becomes the accent and is written to the file at once.
    void choosePaletteColour (juce::Colour& accent, juce::String& accentName,
                              const juce::String& name, juce::Colour colour,
                              juce::PropertiesFile* settings);

    // A loaded preset's colour: becomes the accent, the file is left alone.
    void applyPresetColour (juce::Colour& accent, juce::Colour presetColour);
}
