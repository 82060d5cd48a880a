#pragma once

#include "PatternManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

// Stores the step editor's pattern in the library under a new name or, after
// a second click on "Overwrite", over an existing one.
class SavePatternDialogComponent : public juce::Component,
                                   private juce::TextEditor::Listener
{
public:
    // Library lookup by name (ignoring case); the editor passes
    // PatternManager::findPatternByName.
    using FindPattern = std::function<const PatternDefinition* (const juce::String&)>;
    using SaveCallback = std::function<void (const juce::String& name, const std::vector<int>& steps, bool overwrite)>;

    SavePatternDialogComponent (FindPattern findPattern, const juce::String& initialName,
                                std::vector<int> stepsToSave, SaveCallback onSave);
    ~SavePatternDialogComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    // The buttons' actions.
    void saveClicked();
    void cancelClicked();

    // Called with the result (1 saved, 0 cancelled) when the dialog closes;
    // the enclosing DialogWindow, if any, leaves its modal state too.
    std::function<void (int)> onDismissed;

    bool isOverwriteArmed() const noexcept { return overwriteArmed; }
    const juce::String& getPendingOverwriteName() const noexcept { return pendingOverwriteName; }

    juce::Label titleLabel;
    juce::TextEditor nameEditor;
    juce::Label messageLabel;
    juce::TextButton cancelButton { "Cancel" }, saveButton { "Save" };

private:
    void textEditorTextChanged (juce::TextEditor&) override;
    void dismiss (int result);

    FindPattern find;
    std::vector<int> steps;
    SaveCallback save;
    bool overwriteArmed = false;
    juce::String pendingOverwriteName;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SavePatternDialogComponent)
};

// Opens the dialog asynchronously, centred around parent; nothing happens when
// steps is empty.
void launchSavePatternDialog (juce::Component* parent, SavePatternDialogComponent::FindPattern findPattern,
                              const juce::String& name, const std::vector<int>& steps,
                              SavePatternDialogComponent::SaveCallback onSave);
