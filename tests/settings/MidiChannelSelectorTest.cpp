#include "engine/PluginProcessor.h"
#include "settings/MidiChannelSelectorComponent.h"
#include "settings/StandaloneSettings.h"
#include "support/GuiTestHelpers.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    using Rect = juce::Rectangle<int>;

    class ChannelSelectorTest : public testing::Test
    {
    protected:
        MidiChannelSelectorComponent selector;
        std::vector<uint16_t> reports;

        void SetUp() override
        {
            selector.onChannelMaskChanged = [this] (uint16_t mask) { reports.push_back (mask); };
        }
    };

    TEST_F (ChannelSelectorTest, SetChannelMaskShowsEachBitAndNeverReports)
    {
        for (uint16_t mask : { (uint16_t) 0x0005, (uint16_t) 0x8000, (uint16_t) 0, (uint16_t) 0xFFFF })
        {
            selector.setChannelMask (mask);
            for (size_t i = 0; i < 16; ++i)
                EXPECT_EQ (selector.channelButtons[i].getToggleState(), ((mask >> i) & 1) != 0)
                    << "mask " << mask << " channel " << i + 1;
            EXPECT_EQ (selector.getChannelMask(), mask);
        }

        EXPECT_TRUE (reports.empty());
    }

    TEST_F (ChannelSelectorTest, ClicksReportTheNewMask)
    {
        EXPECT_EQ (selector.getChannelMask(), 0xFFFF);

        rebondo::test::clickButton (selector.channelButtons[1]);
        rebondo::test::clickButton (selector.noneButton);
        rebondo::test::clickButton (selector.channelButtons[15]);
        rebondo::test::clickButton (selector.channelButtons[15]); // last allowed channel off: 0
        rebondo::test::clickButton (selector.allButton);

        EXPECT_EQ (reports, (std::vector<uint16_t> { 0xFFFD, 0, 0x8000, 0, 0xFFFF }));
    }

    TEST (ChannelSelectorPluginWiring, NoneShowsAllOffWhileTheProcessorKeepsEveryChannel)
    {
        rebondo::test::ScopedFreshHome home;
        CaromelAudioProcessor processor;
        processor.setAllowedMidiChannelMask (0x0003);

        MidiChannelSelectorComponent selector;
        connectChannelSelector (selector, processor);
        EXPECT_EQ (selector.getChannelMask(), 0x0003);

        rebondo::test::clickButton (selector.channelButtons[4]);
        EXPECT_EQ (processor.allowedMidiChannelMask.load(), 0x0013);

        rebondo::test::clickButton (selector.noneButton);
        EXPECT_EQ (selector.getChannelMask(), 0);
        EXPECT_EQ (processor.allowedMidiChannelMask.load(), 0xFFFF);
    }

    TEST_F (ChannelSelectorTest, LayoutAtThePluginPanelSize)
    {
        selector.setSize (352, 98);

        EXPECT_EQ (selector.titleLabel.getBounds(), Rect (6, 6, 214, 28));
        EXPECT_EQ (selector.allButton.getBounds(), Rect (222, 8, 52, 24));
        EXPECT_EQ (selector.noneButton.getBounds(), Rect (278, 8, 62, 24));
        EXPECT_EQ (selector.channelButtons[0].getBounds(), Rect (8, 40, 38, 23));
        EXPECT_EQ (selector.channelButtons[8].getBounds(), Rect (8, 67, 38, 23));

        for (size_t k = 0; k < 8; ++k)
        {
            const int width = k < 4 ? 38 : 39;
            EXPECT_EQ (selector.channelButtons[k].getWidth(), width) << k;
            EXPECT_EQ (selector.channelButtons[k + 8].getX(), selector.channelButtons[k].getX()) << k;
            EXPECT_EQ (selector.channelButtons[k + 8].getWidth(), width) << k;
        }
        EXPECT_EQ (selector.channelButtons[7].getRight(), 344);
    }

    TEST_F (ChannelSelectorTest, NarrowWidthKeepsTheTitleAt120)
    {
        selector.setSize (200, 98);
        EXPECT_EQ (selector.titleLabel.getBounds(), Rect (6, 6, 120, 28));
        // Only 68 pixels remain for the buttons: "None" is clamped.
        EXPECT_EQ (selector.allButton.getBounds(), Rect (128, 8, 52, 24));
        EXPECT_EQ (selector.noneButton.getBounds(), Rect (184, 8, 8, 24));
    }
}
