#include "Parameters.h"

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
{
    using Range = juce::NormalisableRange<float>;
    std::vector<std::unique_ptr<juce::RangedAudioParameter>> params;

    auto addFloat = [&params] (const char* paramID, const char* name, Range range, float defaultValue)
    {
        params.push_back (std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { paramID, 1 }, name, range, defaultValue));
    };
    auto addInt = [&params] (const char* paramID, const char* name, int min, int max, int defaultValue)
    {
        params.push_back (std::make_unique<juce::AudioParameterInt> (juce::ParameterID { paramID, 1 }, name, min, max, defaultValue));
    };
    auto addBool = [&params] (const char* paramID, const char* name)
    {
        params.push_back (std::make_unique<juce::AudioParameterBool> (juce::ParameterID { paramID, 1 }, name, false));
    };

    namespace id = ParameterIDs;
    addFloat (id::launchPos,   "Launch Position", Range (0.0f, 1.0f), 0.05f);
    addFloat (id::topWidth,    "Top Width",       Range (0.5f, 8.0f), 5.0f);
    addFloat (id::bottomWidth, "Bottom Width",    Range (0.5f, 8.0f), 1.2f);
    // Skews put 9.8 and 0.5 at the middle of their knobs.
    addFloat (id::gravity,     "Gravity",         Range (0.0f, 196.0f, 0.02f, 0.2313782f), 9.8f);
    addFloat (id::bounce,      "Bounce",          Range (0.5f, 1.0f), 0.85f);
    addFloat (id::velocity,    "Velocity",        Range (0.0f, 127.0f), 113.0f);
    addFloat (id::decay,       "Decay",           Range (0.2f, 1.0f, 0.01f), 0.84f);
    addFloat (id::time,        "Time",            Range (0.1f, 2.0f, 0.01f, 0.4448542f), 1.27f);
    addInt   (id::arpType,     "Arpeggiator", 0, 8, 3);
    addInt   (id::rootKey,     "Root Key",    0, 11, 1);
    addInt   (id::scale,       "Scale",       0, 6, 0);
    addInt   (id::mod,         "Mod Wheel",   0, 5, 0);
    addInt   (id::maxBounces,  "Max Bounces", 0, 8, 8);
    addBool  (id::collision,   "Collision");
    addBool  (id::dynamic,     "Dynamic");
    addBool  (id::decayAfterRelease, "Decay_after_release");
    addBool  (id::mono,        "mono");
    addBool  (id::panic,       "Panic");

    return { params.begin(), params.end() };
}
