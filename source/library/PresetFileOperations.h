#pragma once

#include <juce_core/juce_core.h>

// The file side of the preset browser's flows: name checks, rename and
// delete inside one preset folder. No GUI, so the editor's dialogs call it
// and tests drive it on a temporary folder. Message thread only.
class PresetFileOperations
{
public:
    explicit PresetFileOperations (juce::File folderToUse);

    const juce::File& getFolder() const noexcept { return folder; }

    // Refuses names that could reach outside the folder or make no file name:
    // empty after trimming, "." or "..", or holding "/", "\" or a control character.
    static bool isValidPresetName (const juce::String& name);
    static juce::String invalidNameMessage();

    // What a typed name is stored as: trimmed, a trailing ".xml" (any case) dropped.
    static juce::String cleanName (const juce::String& typedName);

    // "Default" in any case is never deleted.
    static bool isDeletable (const juce::String& name);

    // The folder's file for a preset name (".xml" added unless already there);
    // an invalid name gives juce::File().
    juce::File fileFor (const juce::String& name) const;
    bool presetExists (const juce::String& name) const;

    enum class SaveCheck
    {
        invalidName,     // refused: show invalidNameMessage()
        askOverwrite,    // a preset of that name exists
        save             // write it
    };

    struct SaveDecision
    {
        SaveCheck check;
        juce::String name; // the cleaned name to save under
    };

    // What the save dialog does with the typed text.
    SaveDecision checkSaveName (const juce::String& typedName) const;

    enum class RenameResult
    {
        unchanged,    // the same name: nothing to do
        invalidName,  // refused: show invalidNameMessage()
        exists,       // another preset has the new name
        failed,       // the move did not happen (missing source, disk error)
        renamed
    };

    RenameResult renamePreset (const juce::String& oldName, const juce::String& typedNewName) const;

    enum class DeleteResult
    {
        refused,   // invalid name or the default preset
        failed,    // missing or not deletable
        deleted
    };

    DeleteResult deletePreset (const juce::String& name) const;

private:
    bool isInsideFolder (const juce::File& file) const;

    juce::File folder;
};
