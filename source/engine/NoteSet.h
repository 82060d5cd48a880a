#pragma once

// The note set: a 12-bit mask of allowed pitch classes (bit 0 = C ... bit 11 = B),
// absolute rather than relative to a root. 0 means all twelve.
namespace NoteSet
{
    inline constexpr int cMajorMask = 2741; // 0xAB5
    inline constexpr int allPitchClasses = 0xFFF;

    // Folds a note onto the nearest allowed pitch class (ties go to the lower note);
    // the result always lies in 0..127.
    int quantize (int note, int mask) noexcept;

    // What the editor's setter stores: the low 12 bits, and C alone when
    // none of C#..B is set.
    int sanitiseMask (int mask) noexcept;
}
