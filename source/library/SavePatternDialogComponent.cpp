#include "SavePatternDialogComponent.h"

#include <algorithm>

SavePatternDialogComponent::SavePatternDialogComponent (FindPattern findPattern, const juce::String& initialName,
                                                        std::vector<int> stepsToSave, SaveCallback onSave)
    : find (std::move (findPattern)), steps (std::move (stepsToSave)), save (std::move (onSave))
{
    titleLabel.setText ("Save Pattern", juce::dontSendNotification);
    titleLabel.setFont (juce::Font (16.0f, juce::Font::bold));
    titleLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    titleLabel.setJustificationType (juce::Justification::centredLeft);
    addAndMakeVisible (titleLabel);

    nameEditor.setText (initialName.isNotEmpty() ? initialName : "New Pattern", false);
    nameEditor.addListener (this);
    addAndMakeVisible (nameEditor);

    messageLabel.setFont (juce::Font (13.0f, juce::Font::bold));
    messageLabel.setColour (juce::Label::textColourId, juce::Colours::red);
    addAndMakeVisible (messageLabel);

    cancelButton.onClick = [this] { cancelClicked(); };
    saveButton.onClick = [this] { saveClicked(); };
    addAndMakeVisible (cancelButton);
    addAndMakeVisible (saveButton);

    setSize (360, 150);
}

SavePatternDialogComponent::~SavePatternDialogComponent()
{
    nameEditor.removeListener (this);
}

void SavePatternDialogComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha ((juce::uint8) 0xf5));
    g.setColour (juce::Colour (0xff20b2aa).withAlpha ((juce::uint8) 0xcc));
    g.drawRoundedRectangle (getLocalBounds().toFloat().reduced (1.0f), 8.0f, 1.5f);
}

void SavePatternDialogComponent::resized()
{
    const auto inner = getLocalBounds().reduced (14);

    // The buttons sit at the bottom of the whole inner area; the rest stacks from the top.
    auto buttons = inner.withTop (inner.getBottom() - std::min (28, inner.getHeight()));
    saveButton.setBounds (buttons.removeFromRight (std::min (100, buttons.getWidth())));
    buttons.removeFromRight (std::min (8, buttons.getWidth()));
    cancelButton.setBounds (buttons.removeFromRight (std::min (90, buttons.getWidth())));

    auto area = inner;
    const auto takeTop = [&area] (int wanted) { return area.removeFromTop (std::min (wanted, area.getHeight())); };
    titleLabel.setBounds (takeTop (24));
    takeTop (8);
    nameEditor.setBounds (takeTop (26));
    takeTop (8);
    messageLabel.setBounds (takeTop (34));
}

void SavePatternDialogComponent::textEditorTextChanged (juce::TextEditor&)
{
    overwriteArmed = false;
    pendingOverwriteName = {};
    messageLabel.setText ({}, juce::dontSendNotification);
    saveButton.setButtonText ("Save");
}

void SavePatternDialogComponent::cancelClicked()
{
    dismiss (0);
}

void SavePatternDialogComponent::saveClicked()
{
    const auto name = nameEditor.getText().trim();

    if (name.isEmpty())
    {
        messageLabel.setText ("Name cannot be empty.", juce::dontSendNotification);
        return;
    }

    const auto* existing = find != nullptr ? find (name) : nullptr;

    if (existing == nullptr)
    {
        if (save != nullptr)
            save (name, steps, false);

        dismiss (1);
        return;
    }

    if (existing->isFactory)
    {
        messageLabel.setText ("Factory pattern exists. Choose a new name.", juce::dontSendNotification);
        overwriteArmed = false;
        pendingOverwriteName = {};
        saveButton.setButtonText ("Save");
        return;
    }

    if (overwriteArmed && pendingOverwriteName == name)
    {
        if (save != nullptr)
            save (name, steps, true);

        dismiss (1);
        return;
    }

    overwriteArmed = true;
    pendingOverwriteName = name;
    messageLabel.setText ("Pattern exists. Click Overwrite to replace it.", juce::dontSendNotification);
    saveButton.setButtonText ("Overwrite");
}

void SavePatternDialogComponent::dismiss (int result)
{
    if (onDismissed != nullptr)
        onDismissed (result);

    if (auto* window = findParentComponentOfClass<juce::DialogWindow>())
        window->exitModalState (result);
}

void launchSavePatternDialog (juce::Component* parent, SavePatternDialogComponent::FindPattern findPattern,
                              const juce::String& name, const std::vector<int>& steps,
                              SavePatternDialogComponent::SaveCallback onSave)
{
    if (steps.empty())
        return;

    juce::DialogWindow::LaunchOptions options;
    options.dialogTitle = "Save Pattern";
    options.dialogBackgroundColour = juce::Colours::lightgrey;
    options.content.setOwned (new SavePatternDialogComponent (std::move (findPattern), name, steps, std::move (onSave)));
    options.componentToCentreAround = parent;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = false;
    options.resizable = false;
    options.launchAsync();
}
