#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// One entry of the pattern library: semitone steps, -99 for a rest.
struct PatternDefinition
{
    juce::String name;
    std::vector<int> steps;
    bool isFactory = false; // carried along; nothing sets it yet
};

// The pattern library kept in user.patterns beside the presets.
// Message thread only.
class PatternManager
{
public:
    static constexpr int maxSteps = 16;
    static constexpr int minStep = -48;
    static constexpr int maxStep = 48;

    const PatternDefinition* findPatternByName (const juce::String& name) const;
    bool savePatternsToDisk();
    void loadPatternsFromDisk();
    bool addOrUpdatePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite);
    bool renamePattern (const juce::String& oldName, const juce::String& newName);
    bool deletePattern (const juce::String& name);

    // Writes the factory list into folder/user.patterns when it is missing,
    // then reads the library from there.
    void initialise (const juce::File& presetFolder);

    const std::vector<PatternDefinition>& getPatterns() const noexcept { return patterns; }

    juce::File patternFile;
    std::vector<PatternDefinition> patterns;
};
