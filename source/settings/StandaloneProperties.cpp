#include "engine/PluginProcessor.h"

juce::PropertiesFile* CaromelAudioProcessor::getStandaloneProperties()
{
    if (standaloneProperties == nullptr)
    {
        juce::PropertiesFile::Options options;
        options.applicationName = "Rebondo";
        options.filenameSuffix = "settings";
        options.folderName = "Orvanta/Rebondo";
        options.osxLibrarySubFolder = "Application Support";
        standaloneProperties = std::make_unique<juce::PropertiesFile> (options);
    }

    return standaloneProperties.get();
}
