#pragma once

#include "PresetFileOperations.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The editor's asynchronous preset dialogs. Each asks, checks the answer with
// PresetFileOperations and reports what happened through its callback; the
// actual preset write stays with the processor (the save callback).
namespace PresetDialogs
{
    // "Save Preset": calls save (cleanName) once the name is accepted and, for an
    // existing preset, "Overwrite" was confirmed.
    void showSaveDialog (juce::Component* parent, const PresetFileOperations& operations,
                         const juce::String& initialName,
                         std::function<void (const juce::String& name)> save);

    // "Rename Preset": moves the file and calls renamed (new name) when it moved.
    void showRenameDialog (juce::Component* parent, const PresetFileOperations& operations,
                           const juce::String& oldName,
                           std::function<void (const juce::String& newName)> renamed);

    // "Delete Preset": deletes the file after confirmation, then calls deleted.
    void showDeleteDialog (juce::Component* parent, const PresetFileOperations& operations,
                           const juce::String& name, std::function<void()> deleted);

    void showInvalidNameMessage (const juce::String& title, juce::Component* parent);
}
