#include "PresetFlowController.h"

#include "PresetDialogs.h"

PresetFlowController::PresetFlowController (PresetBrowserComponent& browserToUse, const juce::File& presetFolder)
    : browser (browserToUse), operations (presetFolder)
{
    browser.setPresetFolder (presetFolder);

    browser.onLoadPreset = [this] (const juce::String& name)
    {
        if (onLoadPreset != nullptr)
            onLoadPreset (name);
    };

    browser.onClose = [this] { browser.setVisible (false); };

    browser.onRenamePreset = [this] (const juce::String& oldName)
    {
        juce::WeakReference<PresetFlowController> self (this);
        PresetDialogs::showRenameDialog (dialogParent, operations, oldName, [self, oldName] (const juce::String& newName)
        {
            if (self != nullptr)
                self->presetRenamed (oldName, newName);
        });
    };

    browser.onDeletePreset = [this] (const juce::String& name)
    {
        juce::WeakReference<PresetFlowController> self (this);
        PresetDialogs::showDeleteDialog (dialogParent, operations, name, [self]
        {
            if (self != nullptr)
                self->presetDeleted();
        });
    };
}

PresetFlowController::~PresetFlowController()
{
    browser.onLoadPreset = nullptr;
    browser.onClose = nullptr;
    browser.onRenamePreset = nullptr;
    browser.onDeletePreset = nullptr;
}

void PresetFlowController::showName (const juce::String& name)
{
    if (onPresetNameShown != nullptr)
        onPresetNameShown (name);
}

void PresetFlowController::initialise (const juce::String& processorPresetName)
{
    browser.refreshPresetList();
    browser.setCurrentPresetName (orDefault (processorPresetName));
    browser.setVisible (false);
}

void PresetFlowController::toggleBrowser (const juce::String& processorPresetName)
{
    if (browser.isVisible())
    {
        browser.setVisible (false);
        return;
    }

    browser.setVisible (true);
    browser.refreshPresetList();
    browser.setCurrentPresetName (orDefault (processorPresetName));
    browser.toFront (false);
}

void PresetFlowController::showSaveDialog (const juce::String& processorPresetName)
{
    juce::WeakReference<PresetFlowController> self (this);
    PresetDialogs::showSaveDialog (dialogParent, operations, orDefault (processorPresetName), [self] (const juce::String& name)
    {
        if (self == nullptr)
            return;

        if (self->onWritePreset != nullptr)
            self->onWritePreset (name);

        self->presetSaved (name);
    });
}

void PresetFlowController::presetSaved (const juce::String& name)
{
    browser.refreshPresetList();
    browser.setCurrentPresetName (name);
    showName (name);
}

void PresetFlowController::presetRenamed (const juce::String& oldName, const juce::String& newName)
{
    browser.refreshPresetList();

    // The old name has no file any more; keep the selection on the same preset.
    if (browser.getSelectedPresetName() == oldName)
        browser.selectPreset (newName);

    browser.setCurrentPresetName (newName);
    showName (newName);
}

void PresetFlowController::presetDeleted()
{
    browser.refreshPresetList();
}
