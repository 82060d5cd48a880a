#pragma once

#include "library/PatternManager.h"

#include <juce_core/juce_core.h>

#include <vector>

class CaromelAudioProcessor;

// How the renderer reaches the user's presets and pattern library: through
// the plug-in's own preset folder, name rule, library reader and preset loader.
namespace rebondo::render
{
    // The folder the plug-in keeps its presets and user.patterns in.
    juce::File presetFolder();

    // A --preset argument: an existing file given by path, or the name of a
    // preset in the preset folder (".xml" added unless present). Returns a
    // non-existent File when neither is found.
    juce::File resolvePresetFile (const juce::String& nameOrPath);

    // Reads a pattern library file the way the plug-in does: entries without a
    // name or without a usable step are skipped, steps outside -48..48 (other
    // than the -99 rest) are dropped, at most 16 steps are kept.
    std::vector<PatternDefinition> readPatternLibrary (const juce::File& file);

    // First entry whose name equals the trimmed name, ignoring case.
    const PatternDefinition* findPattern (const std::vector<PatternDefinition>& library, const juce::String& name);

    // Reads a preset file and applies it with the plug-in's own preset
    // loading (the pattern is looked up in the processor's library); false
    // with a message when the file is missing or not a valid preset.
    bool applyPresetFile (CaromelAudioProcessor& processor, const juce::File& file, juce::String& error);
}
