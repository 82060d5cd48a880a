#include "PhysicsView.h"

#include <array>
#include <cmath>

namespace PhysicsView
{
    juce::Colour colourForNote (int lastNote)
    {
        static const std::array<juce::Colour, 12> colours = []
        {
            const char* const texts[12] = { "ffff7777", "ffffa366", "ffffce77", "ffdede77", "ffb3f56c", "ff66df66",
                                            "ff66dfa3", "ff77dede", "ff66a3df", "ff8888ff", "ffb377de", "ffff77ce" };
            std::array<juce::Colour, 12> parsed;
            for (size_t i = 0; i < parsed.size(); ++i)
                parsed[i] = juce::Colour::fromString (texts[i]);
            return parsed;
        }();

        const int index = lastNote % 12; // negative notes give negative indices
        return index >= 0 ? colours[(size_t) index] : juce::Colours::white;
    }

    float opacityForVelocity (float noteVelocity) noexcept
    {
        const float v = noteVelocity / 127.0f;
        if (v < 0.0f)
            return 0.18f;
        return std::max (std::sqrt (std::min (v, 1.0f)), 0.18f);
    }
}
