#pragma once

#include <juce_core/juce_core.h>

// Which pattern step a bounce plays, and the octave shift of the
// "UP UP" and "DN DN" modes.
namespace Arpeggiator
{
    enum Mode { none = 0, up, down, upDown, downUp, upUp, downDown, up2Down1, rnd };

    struct Step
    {
        int index = 0;
        int octaveShift = 0;
    };

    // bounce is the ball's bounce count (1 or more), numSteps the pattern length (1 or more).
    Step chooseStep (int mode, int bounce, int numSteps, juce::Random& rng) noexcept;

    // The downward modes put the pattern's last step on the launch pitch.
    inline bool subtractsLastStep (int mode) noexcept { return mode == down || mode == downUp || mode == downDown; }

    inline constexpr int rest = -99;
}
