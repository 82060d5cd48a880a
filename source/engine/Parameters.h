#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <array>

// Parameter IDs, the layout of the parameter tree and the choice tables
// that give the integer parameters their meaning.
namespace ParameterIDs
{
    inline constexpr const char* launchPos         = "launch_pos";
    inline constexpr const char* topWidth          = "top_width";
    inline constexpr const char* bottomWidth       = "bottom_width";
    inline constexpr const char* gravity           = "gravity";
    inline constexpr const char* bounce            = "bounce";
    inline constexpr const char* velocity          = "velocity";
    inline constexpr const char* decay             = "decay";
    inline constexpr const char* time              = "time";
    inline constexpr const char* arpType           = "arp_type";
    inline constexpr const char* rootKey           = "root_key";
    inline constexpr const char* scale             = "scale";
    inline constexpr const char* mod               = "mod";
    inline constexpr const char* maxBounces        = "max_bounces";
    inline constexpr const char* collision         = "collision";
    inline constexpr const char* dynamic           = "dynamic";
    inline constexpr const char* decayAfterRelease = "decay_after_release";
    inline constexpr const char* mono              = "mono";
    inline constexpr const char* panic             = "panic";

    // All eighteen, in the order the tree creates them.
    inline constexpr std::array<const char*, 18> all {
        launchPos, topWidth, bottomWidth, gravity, bounce, velocity, decay, time,
        arpType, rootKey, scale, mod, maxBounces, collision, dynamic,
        decayAfterRelease, mono, panic
    };
}

// Bounce limits selected by max_bounces (the last one is shown as "999").
inline constexpr std::array<int, 9> maxBounceValues { 2, 3, 4, 5, 6, 7, 8, 12, 100 };

inline int bounceLimitForIndex (int maxBouncesIndex) noexcept
{
    return maxBounceValues[(size_t) juce::jlimit (0, 8, maxBouncesIndex)];
}

enum class ModWheelMode { off = 0, wallTop, wallBottom, gravity, decay, time };

inline const juce::StringArray& arpeggiatorModeNames()
{
    static const juce::StringArray names { "none", "UP", "DOWN", "UP-DN", "DN-UP", "UP UP", "DN DN", "UP2 DN1", "RND" };
    return names;
}

inline const juce::StringArray& modWheelModeNames()
{
    static const juce::StringArray names { "Off", "Wall Top", "Wall Bottom", "Gravity", "Decay", "Time" };
    return names;
}

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();
