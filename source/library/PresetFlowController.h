#pragma once

#include "PresetBrowserComponent.h"
#include "PresetFileOperations.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The editor's side of the preset browser: opening and closing it, the save,
// rename and delete dialogs and what the browser shows afterwards. Writing and
// loading a preset stay with the editor (its hooks below). The editor owns
// one, declared after its preset browser. Message thread only.
class PresetFlowController
{
public:
    // Sets every callback of the browser and its folder.
    PresetFlowController (PresetBrowserComponent&, const juce::File& presetFolder);
    ~PresetFlowController();

    // Editor hooks: load a preset by name (the editor's loadPreset); write the
    // current state as a preset (store the note-set root and scale, then
    // savePresetToFile (name, accentColour)); show a name on the preset name button.
    std::function<void (const juce::String& name)> onLoadPreset;
    std::function<void (const juce::String& name)> onWritePreset;
    std::function<void (const juce::String& name)> onPresetNameShown;

    juce::Component* dialogParent = nullptr;

    // When the editor is built: scan, mark the current preset, stay hidden.
    void initialise (const juce::String& processorPresetName);
    // The preset name button: hide if shown, otherwise rescan and show.
    void toggleBrowser (const juce::String& processorPresetName);

    // The save button.
    void showSaveDialog (const juce::String& processorPresetName);

    // What follows each dialog once its file work is done.
    void presetSaved (const juce::String& name);
    void presetRenamed (const juce::String& oldName, const juce::String& newName);
    void presetDeleted();

    const PresetFileOperations& getOperations() const noexcept { return operations; }

private:
    static juce::String orDefault (const juce::String& name) { return name.isNotEmpty() ? name : "Default"; }
    void showName (const juce::String& name);

    PresetBrowserComponent& browser;
    PresetFileOperations operations;

    JUCE_DECLARE_WEAK_REFERENCEABLE (PresetFlowController)
    JUCE_DECLARE_NON_COPYABLE (PresetFlowController)
};
