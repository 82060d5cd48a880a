#pragma once

#include "engine/PhysicsWorld.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>

// The mapping between world units (y up) and the editor's pixels below
// physicsTop, and the ball colouring of the physics view.
struct PhysicsViewMapping
{
    static constexpr float physicsTop = 160.0f;

    float width = 0.0f, height = 0.0f;

    juce::Point<float> toScreen (float x, float y) const noexcept
    {
        const float sx = (x - PhysicsWorld::viewLeft) / (PhysicsWorld::viewRight - PhysicsWorld::viewLeft) * width;
        const float sy = physicsTop + (1.0f - (y - PhysicsWorld::viewBottom) / (PhysicsWorld::viewTop - PhysicsWorld::viewBottom))
                                          * (height - physicsTop);
        return { sx, sy };
    }

    // Horizontal scale only, so that balls stay round.
    float toScreenRadius (float r) const noexcept
    {
        return r / (PhysicsWorld::viewRight - PhysicsWorld::viewLeft) * width;
    }

    float worldXFromScreen (float mx) const noexcept
    {
        return PhysicsWorld::viewLeft + (mx / width) * (PhysicsWorld::viewRight - PhysicsWorld::viewLeft);
    }

    // Clamped to the view: above the view counts as its top, below as its bottom.
    float worldYFromScreen (float my) const noexcept
    {
        if (height <= physicsTop)
            return PhysicsWorld::viewBottom;

        const float m = (my - physicsTop) / (height - physicsTop);
        const float factor = m < 0.0f ? 1.0f : 1.0f - std::min (m, 1.0f);
        return PhysicsWorld::viewBottom + factor * (PhysicsWorld::viewTop - PhysicsWorld::viewBottom);
    }
};

namespace PhysicsView
{
    // The colour of a ball whose last note is the given one (white for negative notes).
    juce::Colour colourForNote (int lastNote);
    // Opacity from a note velocity: sqrt of velocity / 127, at least 0.18.
    float opacityForVelocity (float noteVelocity) noexcept;
}
