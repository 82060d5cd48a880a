#include "PatternFlowController.h"

#include "engine/PluginProcessor.h"

PatternFlowController::PatternFlowController (CaromelAudioProcessor& processorToUse,
                                              PatternBrowserComponent& browserToUse,
                                              Library& libraryToUse)
    : processor (processorToUse), browser (browserToUse), library (libraryToUse)
{
    browser.onPatternPreview = [this] (const juce::String& name) { previewPattern (name); };
    browser.onPatternChosen = [this] (const juce::String& name) { choosePattern (name); };
    browser.onBuilderPatternChanged = [this] (const juce::String& name, const std::vector<int>& steps)
    {
        builderPatternChanged (name, steps);
    };
    browser.onMidiEntryChanged = [this] (bool on) { midiEntryChanged (on); };
    browser.onClose = [this] { closeBrowser(); };
    browser.onSavePattern = [this] (const juce::String& name, const std::vector<int>& steps) { showSaveDialog (name, steps); };
    browser.onRenamePattern = [this] (const juce::String& name) { showRenameDialog (name); };
    browser.onDeletePattern = [this] (const juce::String& name) { showDeleteDialog (name); };
}

PatternFlowController::~PatternFlowController()
{
    browser.onPatternPreview = nullptr;
    browser.onPatternChosen = nullptr;
    browser.onBuilderPatternChanged = nullptr;
    browser.onMidiEntryChanged = nullptr;
    browser.onClose = nullptr;
    browser.onSavePattern = nullptr;
    browser.onRenamePattern = nullptr;
    browser.onDeletePattern = nullptr;
}

void PatternFlowController::showName (const juce::String& name)
{
    if (onPatternNameShown != nullptr)
        onPatternNameShown (name);
}

void PatternFlowController::showSteps (const std::vector<int>& steps)
{
    if (onPatternStepsShown != nullptr)
        onPatternStepsShown (steps);
}

//==============================================================================
void PatternFlowController::openBrowser()
{
    snapshotName = processor.getCurrentPatternName();
    snapshotSteps = processor.getCurrentPatternSteps();
    auditionOpen = true;
    patternChosen = false;

    refreshPatternBrowser();
    browser.setCurrentPatternName (snapshotName);
    browser.setBuilderPattern (snapshotName, snapshotSteps);
    showSteps (snapshotSteps);
    browser.setVisible (true);
    browser.toFront (false);
}

void PatternFlowController::refreshPatternBrowser()
{
    browser.setPatterns (library.getPatterns());
}

void PatternFlowController::refreshPatternDisplayFromProcessor()
{
    const auto name = processor.getCurrentPatternName();
    const auto steps = processor.getCurrentPatternSteps();

    showName (name.isNotEmpty() ? name : juce::String ("Major Triad"));
    browser.setCurrentPatternName (name);

    if (! steps.empty())
        browser.setBuilderPattern (name, steps);

    showSteps (steps);
}

void PatternFlowController::handlePatternInputNote (int noteNumber)
{
    browser.addNoteFromMidi (noteNumber);
}

//==============================================================================
void PatternFlowController::previewPattern (const juce::String& name)
{
    const auto* entry = library.findPatternByName (name);

    if (entry == nullptr)
        return;

    const auto pattern = *entry;
    browser.setBuilderPattern (pattern.name, pattern.steps);
    processor.setCurrentPattern (pattern.name, pattern.steps);
    refreshPatternDisplayFromProcessor();
}

void PatternFlowController::choosePattern (const juce::String& name)
{
    const auto* entry = library.findPatternByName (name);

    if (entry == nullptr)
        return;

    const auto pattern = *entry;
    patternChosen = true;
    processor.setCurrentPattern (pattern.name, pattern.steps);
    refreshPatternDisplayFromProcessor();
}

void PatternFlowController::builderPatternChanged (const juce::String& name, const std::vector<int>& steps)
{
    if (! steps.empty())
    {
        patternChosen = true;
        processor.setCurrentPattern (name, steps);
    }

    // The step editor keeps its steps, MIDI entry state and undo history.
    showName (name);
    browser.showBuilderPatternAsCurrent (name);
    showSteps (steps);
}

void PatternFlowController::midiEntryChanged (bool on)
{
    processor.patternInputEnabled = on;
}

void PatternFlowController::closeBrowser()
{
    browser.builder.setMidiEntryButtonOn (false);
    processor.patternInputEnabled = false;

    if (auditionOpen && ! patternChosen)
    {
        processor.setCurrentPattern (snapshotName, snapshotSteps);
        refreshPatternDisplayFromProcessor();
    }

    auditionOpen = false;
    patternChosen = false;
    snapshotName = {};
    snapshotSteps.clear();
    browser.setVisible (false);
}

//==============================================================================
bool PatternFlowController::renamePattern (const juce::String& oldName, const juce::String& newName)
{
    const auto trimmed = newName.trim();

    if (trimmed.isEmpty() || trimmed == oldName)
        return true;

    if (! library.renamePattern (oldName, trimmed))
        return false;

    refreshPatternBrowser();

    if (processor.getCurrentPatternName() == oldName)
    {
        processor.setCurrentPattern (trimmed, processor.getCurrentPatternSteps());
        refreshPatternDisplayFromProcessor();
    }
    else
    {
        browser.setCurrentPatternName (processor.getCurrentPatternName());
    }

    return true;
}

bool PatternFlowController::deletePattern (const juce::String& name)
{
    if (! library.deletePattern (name))
        return false;

    refreshPatternBrowser();

    if (processor.getCurrentPatternName() == name)
    {
        if (const auto* fallback = library.findPatternByName (fallbackPatternName))
        {
            const auto pattern = *fallback;
            processor.setCurrentPattern (pattern.name, pattern.steps);
        }
        else
        {
            processor.setCurrentPattern ("Custom", fallbackPatternSteps);
        }

        refreshPatternDisplayFromProcessor();
    }

    return true;
}

bool PatternFlowController::savePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite)
{
    if (! library.addOrUpdatePattern (name, steps, overwrite))
        return false;

    refreshPatternBrowser();
    browser.setBuilderPattern (name, steps);
    browser.setCurrentPatternName (name);
    showSteps (steps);
    return true;
}

//==============================================================================
void PatternFlowController::showRenameDialog (const juce::String& oldName)
{
    if (oldName.isEmpty())
        return;

    auto* window = new juce::AlertWindow ("Rename Pattern", "Enter a new name for \"" + oldName + "\":",
                                          juce::MessageBoxIconType::QuestionIcon, dialogParent);
    window->addTextEditor ("newName", oldName, "New name:");
    window->addButton ("Rename", 1);
    window->addButton ("Cancel", 0);

    juce::WeakReference<PatternFlowController> self (this);
    juce::Component::SafePointer<juce::Component> parent (dialogParent);

    window->enterModalState (true, juce::ModalCallbackFunction::create ([window, self, parent, oldName] (int result)
    {
        if (result != 1 || self == nullptr)
            return;

        const auto newName = window->getTextEditorContents ("newName").trim();

        if (newName.isEmpty() || newName == oldName)
            return;

        if (! self->renamePattern (oldName, newName))
            juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Rename Pattern",
                                                    "Could not rename \"" + oldName + "\" to \"" + newName
                                                        + "\".\n\nA pattern with that name may already exist.",
                                                    {}, parent.getComponent());
    }), true);
}

void PatternFlowController::showDeleteDialog (const juce::String& name)
{
    juce::WeakReference<PatternFlowController> self (this);
    juce::Component::SafePointer<juce::Component> parent (dialogParent);

    juce::AlertWindow::showOkCancelBox (
        juce::MessageBoxIconType::WarningIcon, "Delete Pattern",
        "Delete pattern \"" + name + "\"?\n\nThis cannot be undone.", "Delete", "Cancel", dialogParent,
        juce::ModalCallbackFunction::create ([self, parent, name] (int result)
        {
            if (result != 1 || self == nullptr)
                return;

            if (! self->deletePattern (name))
                juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Delete Pattern",
                                                        "Could not delete pattern \"" + name + "\".",
                                                        {}, parent.getComponent());
        }));
}

void PatternFlowController::showSaveDialog (const juce::String& name, const std::vector<int>& steps)
{
    juce::WeakReference<PatternFlowController> self (this);

    launchSavePatternDialog (
        dialogParent,
        [self] (const juce::String& lookup) -> const PatternDefinition*
        {
            return self != nullptr ? self->library.findPatternByName (lookup) : nullptr;
        },
        name, steps,
        [self] (const juce::String& savedName, const std::vector<int>& savedSteps, bool overwrite)
        {
            if (self != nullptr)
                self->savePattern (savedName, savedSteps, overwrite);
        });
}
