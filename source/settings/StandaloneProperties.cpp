#include "engine/PluginProcessor.h"
#include "settings/StandaloneSettings.h"

juce::PropertiesFile::Options standalonePropertiesOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Rebondo";
    options.filenameSuffix = "settings";
    options.folderName = "Orvanta/Rebondo";
    options.osxLibrarySubFolder = "Application Support";
    return options;
}

juce::PropertiesFile* CaromelAudioProcessor::getStandaloneProperties()
{
    if (standaloneProperties == nullptr)
        standaloneProperties = std::make_unique<juce::PropertiesFile> (standalonePropertiesOptions());

    return standaloneProperties.get();
}
