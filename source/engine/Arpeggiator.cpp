#include "Arpeggiator.h"

namespace Arpeggiator
{
    static int upDownIndex (int bounce, int numSteps) noexcept
    {
        if (numSteps < 2)
            return 0;

        const int period = 2 * numSteps - 2;
        const int m = bounce % period;
        return m < numSteps ? m : period - m;
    }

    Step chooseStep (int mode, int bounce, int numSteps, juce::Random& rng) noexcept
    {
        const int u = juce::jmax (1, bounce);
        const int r = juce::jmax (1, numSteps);

        switch (mode)
        {
            case up:       return { u % r, 0 };
            case down:     return { r - 1 - (u % r), 0 };
            case upDown:   return { upDownIndex (u, r), 0 };
            case downUp:   return { r < 2 ? 0 : r - 1 - upDownIndex (u, r), 0 };
            case upUp:     return { u % r, 12 * ((u / r) % 3) };
            case downDown: return { r - 1 - (u % r), -12 * ((u / r) % 3) };
            case up2Down1:
            {
                if (r < 2)
                    return { 0, 0 };
                static constexpr int wobble[] = { 0, 1, 2, 1 };
                return { (2 * (u / 4) + wobble[u % 4]) % r, 0 };
            }
            case rnd:      return { rng.nextInt (r), 0 };
            case none:
            default:       return { 0, 0 };
        }
    }
}
