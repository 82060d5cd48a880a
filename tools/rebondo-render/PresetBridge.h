#pragma once

#include "library/PatternManager.h"

#include <juce_core/juce_core.h>

#include <vector>

class CaromelAudioProcessor;

// How the renderer reaches the user's presets and pattern library. Kept in
// one place so that the processor's own preset loader can replace it.
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

    // Applies a parsed preset document to the processor with the editor's
    // loading steps: pattern (resolved against the library), parameters,
    // note mask, colour, walls made solid again, engine settings refreshed.
    void applyPresetDocument (CaromelAudioProcessor& processor,
                              const juce::XmlElement& document,
                              const juce::String& presetName,
                              const std::vector<PatternDefinition>& library);

    // Reads and applies a preset file; false with a message when the file is
    // missing or not well-formed XML.
    bool applyPresetFile (CaromelAudioProcessor& processor,
                          const juce::File& file,
                          const std::vector<PatternDefinition>& library,
                          juce::String& error);
}
