#include "library/PresetBrowserComponent.h"
#include "library/PresetFileOperations.h"
#include "support/TestEnvironment.h"
#include "LibraryTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    class PresetBrowserTest : public testing::Test
    {
    protected:
        PresetBrowserTest()
        {
            folder.createDirectory();
            browser.setPresetFolder (folder);
            browser.onLoadPreset = [this] (const juce::String& name) { events.add ("load " + name); };
            browser.onRenamePreset = [this] (const juce::String& name) { events.add ("rename " + name); };
            browser.onDeletePreset = [this] (const juce::String& name) { events.add ("delete " + name); };
            browser.onClose = [this] { events.add ("close"); };
        }

        void writePreset (const juce::String& name, const juce::String& colour) const
        {
            const auto attribute = colour.isNotEmpty() ? " ui_colour=\"" + colour + "\"" : juce::String();
            folder.getChildFile (name + ".xml")
                .replaceWithText ("<?xml version=\"1.0\"?>\n<PARAMETERS pattern_name=\"x\"" + attribute + "/>");
        }

        std::vector<juce::String> layoutNames() const
        {
            std::vector<juce::String> names;

            for (const auto& item : browser.getLayoutItems())
                names.push_back (item.isButton ? static_cast<juce::Button*> (item.component)->getButtonText()
                                               : juce::String ("|"));
            return names;
        }

        rebondo::test::ScopedFreshHome home;
        juce::File folder { home.folder().getChildFile ("Presets") };
        PresetBrowserComponent browser;
        juce::StringArray events;
    };

    TEST_F (PresetBrowserTest, GroupsByColourTextThenSortsNamesIgnoringCase)
    {
        writePreset ("beta", "ffadff2f");
        writePreset ("Alpha", "ffadff2f");
        writePreset ("zed", "ff00bfff");
        writePreset ("Apple", "ff00bfff");
        writePreset ("Default", "ff20b2aa");
        writePreset ("nocolour", "");
        folder.getChildFile ("broken.xml").replaceWithText ("<PARAMETERS ui_colour=");
        folder.getChildFile ("Wrapped.xml").replaceWithText ("<ROOT><PARAMETERS ui_colour=\"ff00bfff\"/></ROOT>");
        folder.getChildFile ("notes.txt").replaceWithText ("not a preset");

        browser.setBounds (0, 0, 700, 450);
        browser.refreshPresetList();

        const std::vector<juce::String> expected { "Apple", "Wrapped", "zed", "|",
                                                   "broken", "Default", "nocolour", "|",
                                                   "Alpha", "beta" };
        EXPECT_EQ (layoutNames(), expected);

        // Each group starts a row at x 0, right below a 2-pixel divider that spans the content.
        const auto& items = browser.getLayoutItems();
        const auto contentWidth = browser.content.getWidth();
        EXPECT_EQ (contentWidth, 676 - 18);
        EXPECT_EQ (items[3].component->getBounds(), juce::Rectangle<int> (0, 37, contentWidth, 2));
        EXPECT_EQ (items[4].component->getBounds().getPosition(), juce::Point<int> (0, 39));
        EXPECT_EQ (items[7].component->getBounds(), juce::Rectangle<int> (0, 76, contentWidth, 2));
        EXPECT_EQ (items[8].component->getBounds().getPosition(), juce::Point<int> (0, 78));
        EXPECT_EQ (items[9].component->getBounds().getPosition(), juce::Point<int> (133, 78));
        EXPECT_EQ (browser.content.getHeight(), browser.viewport.getHeight());
    }

    struct GridCase
    {
        int panelWidth;
        int columns;
        int buttonWidth;
    };

    void PrintTo (const GridCase& c, std::ostream* os) { *os << c.panelWidth << "px"; }

    class PresetGridTest : public PresetBrowserTest,
                           public testing::WithParamInterface<GridCase> {};

    TEST_P (PresetGridTest, ColumnsAndButtonWidthFollowThePanelWidth)
    {
        const auto c = GetParam();

        for (int i = 0; i < 12; ++i)
            writePreset ("Preset " + juce::String (i).paddedLeft ('0', 2), "ff20b2aa");

        browser.setBounds (0, 0, c.panelWidth, 450);
        browser.refreshPresetList();

        const auto& buttons = browser.getPresetButtons();
        ASSERT_EQ (buttons.size(), 12u);

        for (size_t i = 0; i < buttons.size(); ++i)
        {
            const auto column = (int) i % c.columns;
            const auto row = (int) i / c.columns;
            EXPECT_EQ (buttons[i]->getBounds(),
                       juce::Rectangle<int> (column * (c.buttonWidth + 8), row * 37, c.buttonWidth, 36)) << i;
        }

        const auto lastRowTop = ((12 - 1) / c.columns) * 37;
        EXPECT_EQ (browser.content.getHeight(), std::max (lastRowTop + 41, browser.viewport.getHeight()));
    }

    INSTANTIATE_TEST_SUITE_P (Widths, PresetGridTest, testing::Values (
        GridCase { 700, 5, 125 },
        GridCase { 100, 1, 100 },
        GridCase { 720, 5, 129 }));

    TEST_F (PresetBrowserTest, HeaderButtonsSitRightToLeftAndShrinkWhenNarrow)
    {
        browser.setBounds (0, 0, 700, 450);
        EXPECT_EQ (browser.closeButton.getBounds(), juce::Rectangle<int> (688 - 28, 12, 28, 28));
        EXPECT_EQ (browser.deleteButton.getBounds(), juce::Rectangle<int> (688 - 28 - 6 - 70, 12, 70, 28));
        EXPECT_EQ (browser.renameButton.getRight(), browser.deleteButton.getX() - 6);
        EXPECT_EQ (browser.loadButton.getWidth(), 62);
        EXPECT_EQ (browser.titleLabel.getBounds(), juce::Rectangle<int> (12, 12, browser.loadButton.getX() - 12, 28));
        EXPECT_EQ (browser.viewport.getBounds(), juce::Rectangle<int> (12, 48, 676, 390));

        browser.setBounds (0, 0, 100, 60);
        EXPECT_EQ (browser.closeButton.getWidth(), 28);
        EXPECT_EQ (browser.deleteButton.getWidth(), 76 - 28 - 6);
        EXPECT_EQ (browser.renameButton.getWidth(), 0);
        EXPECT_EQ (browser.viewport.getHeight(), 36 - 28 - 8);
    }

    TEST_F (PresetBrowserTest, SelectionDrivesHighlightAndButtonStates)
    {
        writePreset ("Default", "ff20b2aa");
        writePreset ("default", "ff20b2aa");
        writePreset ("Space", "ffffffff");
        browser.setBounds (0, 0, 700, 450);
        browser.refreshPresetList();

        EXPECT_FALSE (browser.loadButton.isEnabled());
        EXPECT_FALSE (browser.renameButton.isEnabled());
        EXPECT_FALSE (browser.deleteButton.isEnabled());

        browser.setCurrentPresetName ("Space");
        EXPECT_EQ (browser.getSelectedPresetName(), "Space");
        EXPECT_TRUE (browser.findButton ("Space")->isCurrent);
        EXPECT_TRUE (browser.deleteButton.isEnabled());

        for (const auto* name : { "Default", "default" })
        {
            browser.findButton (name)->onClick();
            EXPECT_TRUE (browser.loadButton.isEnabled()) << name;
            EXPECT_TRUE (browser.renameButton.isEnabled()) << name;
            EXPECT_FALSE (browser.deleteButton.isEnabled()) << name;
            EXPECT_TRUE (browser.findButton (name)->isCurrent);
            EXPECT_FALSE (browser.findButton ("Space")->isCurrent);
        }

        // A later report of the current preset keeps the user's selection.
        browser.setCurrentPresetName ("Space");
        EXPECT_EQ (browser.getSelectedPresetName(), "default");
        EXPECT_FALSE (browser.findButton ("Space")->isCurrent);
    }

    TEST_F (PresetBrowserTest, PanelButtonsAskTheOwnerWithTheSelection)
    {
        writePreset ("Horror", "ffff7f50");
        browser.setBounds (0, 0, 700, 450);
        browser.refreshPresetList();

        browser.loadButton.onClick();
        browser.renameButton.onClick();
        browser.deleteButton.onClick();
        EXPECT_TRUE (events.isEmpty()) << "nothing selected yet";

        browser.closeButton.onClick();
        browser.findButton ("Horror")->onClick();
        browser.renameButton.onClick();
        browser.deleteButton.onClick();
        browser.loadButton.onClick();
        EXPECT_EQ (events.joinIntoString (","), "close,rename Horror,delete Horror,load Horror,close");
    }

    TEST_F (PresetBrowserTest, LoadAfterDeletingTheSelectionStillAsksForTheMissingPreset)
    {
        writePreset ("Temporary", "ff20b2aa");
        writePreset ("Default", "ff20b2aa");
        browser.setBounds (0, 0, 700, 450);
        browser.refreshPresetList();
        browser.findButton ("Temporary")->onClick();

        PresetFileOperations operations (folder);
        ASSERT_EQ (operations.deletePreset ("Temporary"), PresetFileOperations::DeleteResult::deleted);
        browser.refreshPresetList();

        EXPECT_EQ (browser.findButton ("Temporary"), nullptr);
        EXPECT_EQ (browser.getSelectedPresetName(), "Temporary");
        EXPECT_TRUE (browser.loadButton.isEnabled());

        browser.loadButton.onClick();
        EXPECT_EQ (events.joinIntoString (","), "load Temporary,close");
        EXPECT_FALSE (operations.presetExists ("Temporary"));
    }

    TEST_F (PresetBrowserTest, DoubleClickLoadsAndCloses)
    {
        writePreset ("Wonder", "ff90ee90");
        writePreset ("Popcorn", "fff0e68c");
        browser.setBounds (0, 0, 700, 450);
        browser.refreshPresetList();
        browser.setCurrentPresetName ("Popcorn");

        auto* button = browser.findButton ("Wonder");
        button->mouseDoubleClick (rebondo::test::mouseEventAt (*button, { 20.0f, 10.0f }, { 20.0f, 10.0f }, 2));

        EXPECT_EQ (events.joinIntoString (","), "load Wonder,close");
        EXPECT_EQ (browser.getSelectedPresetName(), "Wonder");
    }

    TEST_F (PresetBrowserTest, MissingFolderGivesAnEmptyGrid)
    {
        browser.setPresetFolder (folder.getChildFile ("absent"));
        browser.setBounds (0, 0, 700, 450);
        browser.refreshPresetList();
        EXPECT_TRUE (browser.getPresets().empty());
        EXPECT_EQ (browser.content.getNumChildComponents(), 0);
    }

    TEST (PresetButtonPaint, RingOnlyWhenCurrentAndReadableText)
    {
        EXPECT_EQ (PresetButton::textColourFor (juce::Colour (0xffffffff)), juce::Colours::black);
        EXPECT_EQ (PresetButton::textColourFor (juce::Colour (0xfff0e68c)), juce::Colours::black);
        EXPECT_EQ (PresetButton::textColourFor (juce::Colour (0xff00008b)), juce::Colours::white);
        EXPECT_EQ (PresetButton::textColourFor (juce::Colour (0xffff69b4)), juce::Colours::black);
        EXPECT_EQ (PresetButton::textColourFor (juce::Colour (0xff8b0000)), juce::Colours::white);

        PresetButton button ("");
        button.setBounds (0, 0, 125, 36);
        button.colour = juce::Colour (0xff00bfff);

        auto image = rebondo::test::snapshotOf (button);
        EXPECT_EQ (image.getPixelAt (2, 18).getAlpha(), 0) << "no ring";
        const auto fill = image.getPixelAt (60, 18);
        EXPECT_NEAR (fill.getRed(), 0x00, 3);
        EXPECT_NEAR (fill.getGreen(), 0xbf, 3);
        EXPECT_NEAR (fill.getBlue(), 0xff, 3);

        button.isCurrent = true;
        image = rebondo::test::snapshotOf (button);
        const auto ring = image.getPixelAt (1, 18);
        EXPECT_GT (ring.getAlpha(), 0xc0);
        EXPECT_GT (ring.getBrightness(), 0.9f);
        EXPECT_LT (image.getPixelAt (4, 18).getBrightness(), 0.2f);
    }
}
