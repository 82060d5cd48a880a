#include "NoteSet.h"

#include <cstdlib>

namespace NoteSet
{
    int quantize (int note, int mask) noexcept
    {
        const int m = (mask == 0) ? allPitchClasses : mask;
        const int base = 12 * (note / 12) - 12; // division truncates toward zero

        int bestDistance = 128;
        int result = note;

        for (int octave = 0; octave <= 24; octave += 12)
        {
            for (int k = 0; k < 12; ++k)
            {
                if ((m & (1 << k)) == 0)
                    continue;

                const int candidate = base + octave + k;
                const int distance = std::abs (candidate - note);

                if (distance < bestDistance) // equal distance keeps the lower candidate
                {
                    bestDistance = distance;
                    result = candidate;
                }
            }
        }

        return result < 0 ? 0 : (result > 127 ? 127 : result);
    }

    int sanitiseMask (int mask) noexcept
    {
        const int m = mask & allPitchClasses;
        return (m & 0xFFE) == 0 ? 1 : m;
    }
}
