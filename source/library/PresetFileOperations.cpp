#include "PresetFileOperations.h"

#include "engine/PluginProcessor.h"

PresetFileOperations::PresetFileOperations (juce::File folderToUse)
    : folder (std::move (folderToUse))
{
}

bool PresetFileOperations::isValidPresetName (const juce::String& name)
{
    // One rule for every preset file, the processor's.
    return CaromelAudioProcessor::isValidPresetName (name);
}

juce::String PresetFileOperations::invalidNameMessage()
{
    return "A preset name cannot be empty, \".\" or \"..\", or contain / or \\.";
}

juce::String PresetFileOperations::cleanName (const juce::String& typedName)
{
    auto name = typedName.trim();

    if (name.endsWithIgnoreCase (".xml"))
        name = name.dropLastCharacters (4);

    return name;
}

bool PresetFileOperations::isDeletable (const juce::String& name)
{
    return name.isNotEmpty() && ! name.equalsIgnoreCase ("Default");
}

juce::File PresetFileOperations::fileFor (const juce::String& name) const
{
    if (! isValidPresetName (name))
        return {};

    const auto fileName = name.endsWithIgnoreCase (".xml") ? name : name + ".xml";
    const auto file = folder.getChildFile (fileName);

    return isInsideFolder (file) ? file : juce::File();
}

bool PresetFileOperations::presetExists (const juce::String& name) const
{
    const auto file = fileFor (name);
    return file != juce::File() && file.existsAsFile();
}

PresetFileOperations::SaveDecision PresetFileOperations::checkSaveName (const juce::String& typedName) const
{
    const auto name = cleanName (typedName);

    if (! isValidPresetName (name) || fileFor (name) == juce::File())
        return { SaveCheck::invalidName, name };

    return { presetExists (name) ? SaveCheck::askOverwrite : SaveCheck::save, name };
}

PresetFileOperations::RenameResult PresetFileOperations::renamePreset (const juce::String& oldName,
                                                                       const juce::String& typedNewName) const
{
    const auto newName = cleanName (typedNewName);

    if (newName == oldName)
        return RenameResult::unchanged;

    const auto source = fileFor (oldName);
    const auto target = fileFor (newName);

    if (source == juce::File() || target == juce::File())
        return RenameResult::invalidName;

    if (target.existsAsFile())
        return RenameResult::exists;

    if (! source.existsAsFile())
        return RenameResult::failed;

    return source.moveFileTo (target) ? RenameResult::renamed : RenameResult::failed;
}

PresetFileOperations::DeleteResult PresetFileOperations::deletePreset (const juce::String& name) const
{
    const auto file = fileFor (name);

    if (file == juce::File() || ! isDeletable (cleanName (name)))
        return DeleteResult::refused;

    if (! file.existsAsFile())
        return DeleteResult::failed;

    return file.deleteFile() ? DeleteResult::deleted : DeleteResult::failed;
}

bool PresetFileOperations::isInsideFolder (const juce::File& file) const
{
    return folder != juce::File() && file.getParentDirectory() == folder;
}
