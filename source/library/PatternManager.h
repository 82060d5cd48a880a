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
    static constexpr int rest = -99;

    // First entry whose name equals the trimmed name, ignoring case.
    const PatternDefinition* findPatternByName (const juce::String& name) const;

    // Writes the whole list to patternFile; false when the write failed.
    bool savePatternsToDisk();

    // Replaces the list with what patternFile holds; entries without a name
    // or without a usable step are skipped.
    void loadPatternsFromDisk();

    // Each returns false when it refused or when the file could not be written.
    bool addOrUpdatePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite);
    bool renamePattern (const juce::String& oldName, const juce::String& newName);
    bool deletePattern (const juce::String& name);

    // Creates the preset folder if needed, writes the factory list into
    // folder/user.patterns when that file is missing, then reads the library
    // from there.
    void initialise (const juce::File& presetFolder);

    const std::vector<PatternDefinition>& getPatterns() const noexcept { return patterns; }

    //==========================================================================
    // The text form of a step list: "0,-3,12".
    static juce::String stepsToText (const std::vector<int>& steps);

    // C atoi rules on a piece of text: optional blanks, sign and leading
    // digits; no digits gives 0. Saturates at the int range.
    static int parseLeadingInt (const juce::String& text);

    // The entries of a library document, with the reading rules of
    // loadPatternsFromDisk; empty for anything that is not a PATTERNS document.
    static std::vector<PatternDefinition> parsePatternList (const void* data, size_t numBytes);

    // Steps as the library file holds them: pieces between commas, each read
    // with parseLeadingInt, kept when -99 or within -48..48, at most 16.
    static std::vector<int> parseLibrarySteps (const juce::String& text);

    juce::File patternFile;
    std::vector<PatternDefinition> patterns;

private:
    int indexOf (const juce::String& name) const;
};
