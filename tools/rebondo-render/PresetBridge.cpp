#include "PresetBridge.h"

#include "engine/Diagnostics.h"
#include "engine/PluginProcessor.h"


namespace rebondo::render
{
    juce::File presetFolder()
    {
        return CaromelAudioProcessor::getPresetFolder();
    }

    juce::File resolvePresetFile (const juce::String& nameOrPath)
    {
        if (nameOrPath.trim().isEmpty())
            return {};

        // Anything that names an existing file is taken as a path.
        const auto asPath = juce::File::getCurrentWorkingDirectory().getChildFile (nameOrPath);
        if (asPath.existsAsFile())
            return asPath;

        // Otherwise it is a preset name, held to the plug-in's own name rule.
        const auto inFolder = CaromelAudioProcessor::getPresetFile (nameOrPath);
        return inFolder.existsAsFile() ? inFolder : juce::File();
    }

    std::vector<PatternDefinition> readPatternLibrary (const juce::File& file)
    {
        juce::MemoryBlock data;
        if (! file.existsAsFile() || ! file.loadFileAsData (data))
            return {};
        return PatternManager::parsePatternList (data.getData(), data.getSize());
    }

    const PatternDefinition* findPattern (const std::vector<PatternDefinition>& library, const juce::String& name)
    {
        PatternManager lookup;
        lookup.patterns = library;
        const auto* found = lookup.findPatternByName (name);
        return found == nullptr ? nullptr : &library[(size_t) (found - lookup.patterns.data())];
    }

    bool applyPresetFile (CaromelAudioProcessor& processor, const juce::File& file, juce::String& error)
    {
        juce::MemoryBlock data;
        if (! file.existsAsFile() || ! file.loadFileAsData (data))
        {
            error = "cannot read preset " + file.getFullPathName();
            return false;
        }

        const auto result = processor.loadPresetDocument (file.getFileNameWithoutExtension(), data.getData(), data.getSize(),
                                                          file.getFullPathName());
        if (! result.loaded)
            error = "not a valid preset file: " + file.getFullPathName();
        return result.loaded;
    }
}
