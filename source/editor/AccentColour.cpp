#include "AccentColour.h"

namespace AccentColour
{
    juce::String toText (juce::Colour colour) { return colour.toString(); }

    juce::Colour fromText (const juce::String& text) { return juce::Colour::fromString (text); }

    juce::Colour readStored (juce::PropertiesFile* settings, juce::Colour current)
    {
        if (settings == nullptr)
            return current;

        const auto text = settings->getValue (settingsKey);
        return text.isNotEmpty() ? fromText (text) : current;
    }

    void choosePaletteColour (juce::Colour& accent, juce::String& accentName,
                              const juce::String& name, juce::Colour colour,
                              juce::PropertiesFile* settings)
    {
        accentName = name;
        accent = colour;

        if (settings != nullptr)
        {
            settings->setValue (settingsKey, toText (accent));
            settings->saveIfNeeded();
        }
    }

    void applyPresetColour (juce::Colour& accent, juce::Colour presetColour)
    {
        accent = presetColour;
    }
}
