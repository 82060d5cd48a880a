#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The header row both browsers share: Load, Rename, Delete and Close laid out
// from the right edge, each taking at most what is left, and the title in the
// rest.
namespace BrowserHeader
{
    struct Buttons
    {
        juce::Component& load;
        juce::Component& rename;
        juce::Component& remove;
        juce::Component& close;
        juce::Component& title;
    };

    // Lays the row out at (margin, margin) across innerWidth, height tall.
    inline void layout (const Buttons& b, int margin, int innerWidth, int height)
    {
        auto right = margin + innerWidth;
        auto left = innerWidth;
        const auto take = [&left, &right] (int wanted)
        {
            const auto w = std::min (left, wanted);
            left -= w;
            right -= w;
            return w;
        };

        auto w = take (28);
        b.close.setBounds (right, margin, w, height);
        take (6);
        w = take (70);
        b.remove.setBounds (right, margin, w, height);
        take (6);
        w = take (76);
        b.rename.setBounds (right, margin, w, height);
        take (6);
        w = take (62);
        b.load.setBounds (right, margin, w, height);
        b.title.setBounds (margin, margin, right - margin, height);

        for (auto* button : { &b.load, &b.rename, &b.remove, &b.close })
            button->toFront (false);
    }
}
