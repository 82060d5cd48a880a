// The real asynchronous dialogs. They need an X display: the normal run skips
// them, and the rebondo_display_tests entry reruns them under xvfb-run.
#include "engine/PluginProcessor.h"
#include "library/PatternFlowController.h"
#include "library/PresetDialogs.h"
#include "support/TestEnvironment.h"
#include "LibraryTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    juce::Component* topModal()
    {
        auto* manager = juce::ModalComponentManager::getInstance();
        return manager->getNumModalComponents() > 0 ? manager->getModalComponent (0) : nullptr;
    }

    juce::AlertWindow* topAlert()
    {
        return dynamic_cast<juce::AlertWindow*> (topModal());
    }

    // Waits for a dialog to come up.
    void awaitModal()
    {
        rebondo::test::pumpUntil ([] { return topModal() != nullptr; });
    }

    // Clicks a dialog button and lets the dialog's callback run.
    void answer (juce::AlertWindow& alert, int result)
    {
        alert.exitModalState (result);
        rebondo::test::flushMessages();
    }

    class DialogsOnDisplay : public testing::Test
    {
    protected:
        void SetUp() override
        {
            if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
                GTEST_SKIP() << "needs an X display (rebondo_display_tests runs these under xvfb-run)";

            folder.createDirectory();
            for (const auto* name : { "Default", "Space" })
                folder.getChildFile (juce::String (name) + ".xml").replaceWithText (name);
        }

        void TearDown() override
        {
            juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
            rebondo::test::pumpUntil ([] { return topModal() == nullptr; });
            rebondo::test::pumpMessages (20);
        }

        rebondo::test::ScopedFreshHome home;
        juce::File folder { home.folder().getChildFile ("Presets") };
        PresetFileOperations operations { folder };
        juce::StringArray saved;
    };

    TEST_F (DialogsOnDisplay, SavePresetRefusesABadNameWithAWarning)
    {
        PresetDialogs::showSaveDialog (nullptr, operations, "", [this] (const juce::String& n) { saved.add (n); });
        awaitModal();

        auto* alert = topAlert();
        ASSERT_NE (alert, nullptr);
        EXPECT_EQ (alert->getName(), "Save Preset");
        EXPECT_EQ (alert->getTextEditorContents ("presetNameField"), "Default");
        EXPECT_EQ (alert->getNumButtons(), 2);

        alert->getTextEditor ("presetNameField")->setText ("../outside");
        answer (*alert, 1);

        alert = topAlert();
        ASSERT_NE (alert, nullptr);
        EXPECT_EQ (alert->getName(), "Save Preset");
        EXPECT_TRUE (alert->getDescription().endsWith (PresetFileOperations::invalidNameMessage()));
        answer (*alert, 0);

        EXPECT_TRUE (saved.isEmpty());
        EXPECT_FALSE (home.folder().getChildFile ("outside.xml").exists());
    }

    TEST_F (DialogsOnDisplay, SavePresetAsksBeforeOverwriting)
    {
        PresetDialogs::showSaveDialog (nullptr, operations, "Space", [this] (const juce::String& n) { saved.add (n); });
        awaitModal();
        ASSERT_NE (topAlert(), nullptr);
        topAlert()->getTextEditor ("presetNameField")->setText ("Space.XML");
        answer (*topAlert(), 1);

        auto* confirm = topAlert();
        ASSERT_NE (confirm, nullptr);
        EXPECT_EQ (confirm->getName(), "Overwrite Preset");
        EXPECT_TRUE (confirm->getDescription().endsWith ("A preset named \"Space\" already exists.\n\nOverwrite it?"));
        answer (*confirm, 1);

        EXPECT_EQ (saved.joinIntoString (","), "Space");
    }

    TEST_F (DialogsOnDisplay, RenamePresetOntoAnExistingNameWarnsAndKeepsBoth)
    {
        juce::StringArray renamed;
        PresetDialogs::showRenameDialog (nullptr, operations, "Space", [&renamed] (const juce::String& n) { renamed.add (n); });
        awaitModal();
        ASSERT_NE (topAlert(), nullptr);
        EXPECT_EQ (topAlert()->getName(), "Rename Preset");
        topAlert()->getTextEditor ("name")->setText ("Default");
        answer (*topAlert(), 1);

        ASSERT_NE (topAlert(), nullptr);
        EXPECT_EQ (topAlert()->getName(), "Preset Exists");
        EXPECT_TRUE (topAlert()->getDescription().endsWith ("A preset with that name already exists."));
        answer (*topAlert(), 0);

        EXPECT_TRUE (renamed.isEmpty());
        EXPECT_EQ (folder.getChildFile ("Space.xml").loadFileAsString(), "Space");
        EXPECT_EQ (folder.getChildFile ("Default.xml").loadFileAsString(), "Default");
    }

    TEST_F (DialogsOnDisplay, DeletePresetOnlyAfterConfirmation)
    {
        int refreshed = 0;
        PresetDialogs::showDeleteDialog (nullptr, operations, "Space", [&refreshed] { ++refreshed; });
        awaitModal();
        ASSERT_NE (topAlert(), nullptr);
        EXPECT_EQ (topAlert()->getName(), "Delete Preset");
        answer (*topAlert(), 0);
        EXPECT_TRUE (folder.getChildFile ("Space.xml").exists());

        PresetDialogs::showDeleteDialog (nullptr, operations, "Space", [&refreshed] { ++refreshed; });
        awaitModal();
        ASSERT_NE (topAlert(), nullptr);
        answer (*topAlert(), 1);
        EXPECT_FALSE (folder.getChildFile ("Space.xml").exists());
        EXPECT_EQ (refreshed, 1);
    }

    class EmptyLibrary : public PatternFlowController::Library
    {
    public:
        const std::vector<PatternDefinition>& getPatterns() const override { return patterns; }
        const PatternDefinition* findPatternByName (const juce::String& name) const override
        {
            for (const auto& p : patterns)
                if (p.name.equalsIgnoreCase (name.trim()))
                    return &p;
            return nullptr;
        }
        bool addOrUpdatePattern (const juce::String& name, const std::vector<int>& steps, bool) override
        {
            patterns.push_back ({ name, steps, false });
            return true;
        }
        bool renamePattern (const juce::String&, const juce::String&) override { return false; }
        bool deletePattern (const juce::String&) override { return false; }

        std::vector<PatternDefinition> patterns { { "Fifth", { 0, 7 }, false } };
    };

    TEST_F (DialogsOnDisplay, PatternDialogsReportRefusals)
    {
        CaromelAudioProcessor processor;
        PatternBrowserComponent browser;
        EmptyLibrary library;
        PatternFlowController flows (processor, browser, library);

        flows.showRenameDialog ("Fifth");
        awaitModal();
        ASSERT_NE (topAlert(), nullptr);
        EXPECT_EQ (topAlert()->getName(), "Rename Pattern");
        EXPECT_EQ (topAlert()->getTextEditorContents ("newName"), "Fifth");
        topAlert()->getTextEditor ("newName")->setText ("Quinte");
        answer (*topAlert(), 1);
        ASSERT_NE (topAlert(), nullptr);
        EXPECT_TRUE (topAlert()->getDescription().endsWith (
            "Could not rename \"Fifth\" to \"Quinte\".\n\nA pattern with that name may already exist."));
        answer (*topAlert(), 0);

        flows.showDeleteDialog ("Fifth");
        awaitModal();
        ASSERT_NE (topAlert(), nullptr);
        EXPECT_TRUE (topAlert()->getDescription().endsWith ("Delete pattern \"Fifth\"?\n\nThis cannot be undone."));
        answer (*topAlert(), 1);
        ASSERT_NE (topAlert(), nullptr);
        EXPECT_TRUE (topAlert()->getDescription().endsWith ("Could not delete pattern \"Fifth\"."));
        answer (*topAlert(), 0);
    }

    TEST_F (DialogsOnDisplay, SavePatternDialogSavesThroughTheLibrary)
    {
        CaromelAudioProcessor processor;
        PatternBrowserComponent browser;
        EmptyLibrary library;
        PatternFlowController flows (processor, browser, library);

        flows.showSaveDialog ("Mine", {});
        rebondo::test::pumpMessages (50);
        EXPECT_EQ (topModal(), nullptr) << "nothing to save";

        flows.showSaveDialog ("Mine", { 0, 5 });
        awaitModal();
        auto* window = dynamic_cast<juce::DialogWindow*> (topModal());
        ASSERT_NE (window, nullptr);
        auto* dialog = dynamic_cast<SavePatternDialogComponent*> (window->getContentComponent());
        ASSERT_NE (dialog, nullptr);
        EXPECT_EQ (dialog->nameEditor.getText(), "Mine");

        dialog->saveClicked();
        EXPECT_TRUE (rebondo::test::pumpUntil ([] { return topModal() == nullptr; }));
        ASSERT_EQ (library.patterns.size(), 2u);
        EXPECT_EQ (library.patterns[1].name, "Mine");
        EXPECT_NE (browser.findButton ("Mine"), nullptr);
    }
}
