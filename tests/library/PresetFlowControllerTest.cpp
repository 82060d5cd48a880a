#include "library/PresetFlowController.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    class PresetFlowTest : public testing::Test
    {
    protected:
        PresetFlowTest()
        {
            folder.createDirectory();
            for (const auto* name : { "Default", "Space", "Horror" })
                folder.getChildFile (juce::String (name) + ".xml").replaceWithText ("<PARAMETERS ui_colour=\"ff20b2aa\"/>");

            browser.setBounds (40, 70, 720, 450);
            flows.onLoadPreset = [this] (const juce::String& name) { events.add ("load " + name); };
            flows.onPresetNameShown = [this] (const juce::String& name) { events.add ("shown " + name); };
        }

        rebondo::test::ScopedFreshHome home;
        juce::File folder { home.folder().getChildFile ("Presets") };
        PresetBrowserComponent browser;
        PresetFlowController flows { browser, folder };
        juce::StringArray events;
    };

    TEST_F (PresetFlowTest, InitialiseScansAndStaysHidden)
    {
        browser.setVisible (true);
        flows.initialise ("");
        EXPECT_FALSE (browser.isVisible());
        EXPECT_EQ (browser.getPresetButtons().size(), 3u);
        EXPECT_EQ (browser.getCurrentPresetName(), "Default");
        EXPECT_FALSE (browser.deleteButton.isEnabled());
    }

    TEST_F (PresetFlowTest, TheNameButtonTogglesAndEachOpeningRescans)
    {
        flows.initialise ("Space");
        folder.getChildFile ("Later.xml").replaceWithText ("<PARAMETERS/>");

        flows.toggleBrowser ("Space");
        EXPECT_TRUE (browser.isVisible());
        EXPECT_NE (browser.findButton ("Later"), nullptr);

        flows.toggleBrowser ("Space");
        EXPECT_FALSE (browser.isVisible());

        flows.toggleBrowser ("Space");
        browser.closeButton.onClick();
        EXPECT_FALSE (browser.isVisible());
    }

    TEST_F (PresetFlowTest, LoadGoesToTheEditorAndCloses)
    {
        flows.initialise ("Default");
        flows.toggleBrowser ("Default");
        browser.findButton ("Horror")->onClick();
        browser.loadButton.onClick();
        EXPECT_EQ (events.joinIntoString (","), "load Horror");
        EXPECT_FALSE (browser.isVisible());
    }

    TEST_F (PresetFlowTest, AfterSaveAndRenameTheBrowserAndNameButtonFollow)
    {
        flows.initialise ("Default");
        folder.getChildFile ("Fresh.xml").replaceWithText ("<PARAMETERS/>");
        flows.presetSaved ("Fresh");
        EXPECT_NE (browser.findButton ("Fresh"), nullptr);
        EXPECT_EQ (browser.getCurrentPresetName(), "Fresh");

        browser.findButton ("Space")->onClick();
        ASSERT_EQ (flows.getOperations().renamePreset ("Space", "Cosmos"), PresetFileOperations::RenameResult::renamed);
        flows.presetRenamed ("Space", "Cosmos");
        EXPECT_EQ (browser.getSelectedPresetName(), "Cosmos");
        EXPECT_TRUE (browser.findButton ("Cosmos")->isCurrent);
        EXPECT_EQ (events.joinIntoString (","), "shown Fresh,shown Cosmos");

        ASSERT_EQ (flows.getOperations().deletePreset ("Horror"), PresetFileOperations::DeleteResult::deleted);
        flows.presetDeleted();
        EXPECT_EQ (browser.findButton ("Horror"), nullptr);
        EXPECT_EQ (browser.getSelectedPresetName(), "Cosmos");
    }
}
