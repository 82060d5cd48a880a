#pragma once

#include <atomic>
#include <cstdint>

// Settings written on the message thread (the editor, and the processor's own
// parameter listener) and read by the audio thread. Each is read and written
// whole; there is no ordering between different settings.
struct EngineSettings
{
    std::atomic<float> topWidth { 5.0f };
    std::atomic<float> bottomWidth { 1.2f };
    std::atomic<bool> funnelGeometryDirty { false };

    std::atomic<double> ballRestitution { 0.7 };
    std::atomic<float> decayFactor { 0.7f };
    std::atomic<float> launchStrength { 100.0f };
    std::atomic<float> timeScale { 1.0f };

    std::atomic<bool> collisionEnabled { false };
    std::atomic<uint16_t> wallCategoryBits { 0x0001 };
    std::atomic<uint16_t> ballCategoryBits { 0x0002 };

    std::atomic<int> dynamicLaunch { 0 };
    std::atomic<bool> monoMode { false };
    std::atomic<bool> panicMode { false };

    std::atomic<bool> splitLeft { true };
    std::atomic<bool> splitRight { true };
};

static_assert (std::atomic<double>::is_always_lock_free, "engine settings must be lock-free");
static_assert (std::atomic<float>::is_always_lock_free, "engine settings must be lock-free");
