#include "PresetDialogs.h"

namespace PresetDialogs
{
    void showInvalidNameMessage (const juce::String& title, juce::Component* parent)
    {
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, title,
                                                PresetFileOperations::invalidNameMessage(), {}, parent);
    }

    void showSaveDialog (juce::Component* parent, const PresetFileOperations& operations,
                         const juce::String& initialName,
                         std::function<void (const juce::String&)> save)
    {
        auto* window = new juce::AlertWindow ("Save Preset", "Enter a preset name:",
                                              juce::MessageBoxIconType::NoIcon, parent);
        window->addTextEditor ("presetNameField", initialName.isNotEmpty() ? initialName : "Default", "Name:");
        window->addButton ("Save", 1, juce::KeyPress (juce::KeyPress::returnKey));
        window->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));

        juce::Component::SafePointer<juce::Component> safeParent (parent);

        window->enterModalState (true, juce::ModalCallbackFunction::create (
            [window, operations, safeParent, save] (int result)
            {
                if (result != 1)
                    return;

                const auto decision = operations.checkSaveName (window->getTextEditorContents ("presetNameField"));

                switch (decision.check)
                {
                    case PresetFileOperations::SaveCheck::invalidName:
                        showInvalidNameMessage ("Save Preset", safeParent.getComponent());
                        break;

                    case PresetFileOperations::SaveCheck::askOverwrite:
                    {
                        const auto name = decision.name;
                        juce::AlertWindow::showOkCancelBox (
                            juce::MessageBoxIconType::WarningIcon, "Overwrite Preset",
                            "A preset named \"" + name + "\" already exists.\n\nOverwrite it?",
                            "Overwrite", "Cancel", safeParent.getComponent(),
                            juce::ModalCallbackFunction::create ([name, save] (int confirmed)
                            {
                                if (confirmed == 1 && save != nullptr)
                                    save (name);
                            }));
                        break;
                    }

                    case PresetFileOperations::SaveCheck::save:
                        if (save != nullptr)
                            save (decision.name);
                        break;
                }
            }), true);
    }

    void showRenameDialog (juce::Component* parent, const PresetFileOperations& operations,
                           const juce::String& oldName,
                           std::function<void (const juce::String&)> renamed)
    {
        auto* window = new juce::AlertWindow ("Rename Preset", "Enter a new name:",
                                              juce::MessageBoxIconType::NoIcon, parent);
        window->addTextEditor ("name", oldName, "Name:");
        window->addButton ("Rename", 1, juce::KeyPress (juce::KeyPress::returnKey));
        window->addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));

        juce::Component::SafePointer<juce::Component> safeParent (parent);

        window->enterModalState (true, juce::ModalCallbackFunction::create (
            [window, operations, safeParent, oldName, renamed] (int result)
            {
                if (result != 1)
                    return;

                const auto typed = window->getTextEditorContents ("name");

                switch (operations.renamePreset (oldName, typed))
                {
                    case PresetFileOperations::RenameResult::invalidName:
                        showInvalidNameMessage ("Rename Preset", safeParent.getComponent());
                        break;

                    case PresetFileOperations::RenameResult::exists:
                        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                                                "Preset Exists",
                                                                "A preset with that name already exists.",
                                                                {}, safeParent.getComponent());
                        break;

                    case PresetFileOperations::RenameResult::renamed:
                        if (renamed != nullptr)
                            renamed (PresetFileOperations::cleanName (typed));
                        break;

                    case PresetFileOperations::RenameResult::unchanged:
                    case PresetFileOperations::RenameResult::failed:
                        break;
                }
            }), true);
    }

    void showDeleteDialog (juce::Component* parent, const PresetFileOperations& operations,
                           const juce::String& name, std::function<void()> deleted)
    {
        juce::AlertWindow::showOkCancelBox (
            juce::MessageBoxIconType::WarningIcon, "Delete Preset",
            "Delete preset \"" + name + "\"?", "Delete", "Cancel", parent,
            juce::ModalCallbackFunction::create ([operations, name, deleted] (int result)
            {
                if (result != 1)
                    return;

                operations.deletePreset (name);

                if (deleted != nullptr)
                    deleted();
            }));
    }
}
