#include "engine/PluginProcessor.h"
#include "settings/StandaloneSettings.h"
#include "settings/StandaloneSetupComponent.h"
#include "support/GuiTestHelpers.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    using Rect = juce::Rectangle<int>;

    // A device layer that records what the panel asks of it.
    class FakeMidiDevices : public MidiDeviceAccess
    {
    public:
        juce::AudioDeviceManager::AudioDeviceSetup setup;
        juce::String setupError;
        int setupCalls = 0;

        juce::Array<juce::MidiDeviceInfo> inputs, outputs;
        juce::StringArray enableLog; // "+id" enabled, "-id" disabled
        juce::String defaultOutput;
        int defaultOutputCalls = 0;

        juce::AudioDeviceManager::AudioDeviceSetup getAudioDeviceSetup() const override { return setup; }

        juce::String setAudioDeviceSetup (const juce::AudioDeviceManager::AudioDeviceSetup& s, bool) override
        {
            ++setupCalls;
            if (setupError.isEmpty())
                setup = s;
            return setupError;
        }

        void setMidiInputDeviceEnabled (const juce::String& id, bool enabled) override
        {
            enableLog.add ((enabled ? "+" : "-") + id);
        }

        void setDefaultMidiOutputDevice (const juce::String& id) override
        {
            defaultOutput = id;
            ++defaultOutputCalls;
        }

        juce::Array<juce::MidiDeviceInfo> getAvailableMidiInputs() override { return inputs; }
        juce::Array<juce::MidiDeviceInfo> getAvailableMidiOutputs() override { return outputs; }
    };

    juce::Array<juce::MidiDeviceInfo> devices (std::initializer_list<std::pair<const char*, const char*>> list)
    {
        juce::Array<juce::MidiDeviceInfo> result;
        for (auto [name, id] : list)
            result.add (juce::MidiDeviceInfo (name, id));
        return result;
    }

    //==========================================================================
    struct DefaultOutputCase
    {
        const char* label;
        juce::Array<juce::MidiDeviceInfo> outputs;
        const char* expected; // empty: none chosen
    };

    void PrintTo (const DefaultOutputCase& c, std::ostream* os) { *os << c.label; }

    class DefaultOutputTest : public testing::TestWithParam<DefaultOutputCase> {};

    TEST_P (DefaultOutputTest, PicksTheFirstIacOutputIgnoringCase)
    {
        const auto& c = GetParam();
        FakeMidiDevices fake;
        fake.outputs = c.outputs;
        StandaloneSetupComponent panel (fake);
        EXPECT_EQ (fake.defaultOutputCalls, 0) << "construction only shows devices";

        juce::StringArray reported;
        panel.onMidiOutputChanged = [&reported] (const juce::String& id) { reported.add (id); };
        panel.refreshMidiDevices (true);

        EXPECT_EQ (fake.defaultOutput, juce::String (c.expected));
        EXPECT_EQ (panel.currentOutputId, juce::String (c.expected));
        if (juce::String (c.expected).isNotEmpty())
        {
            EXPECT_EQ (reported, juce::StringArray (c.expected));
            for (const auto& d : c.outputs)
            {
                if (d.identifier == c.expected)
                {
                    EXPECT_EQ (panel.midiOutputBox.getText(), d.name);
                }
            }
        }
        else
        {
            EXPECT_TRUE (reported.isEmpty());
            EXPECT_EQ (panel.midiOutputBox.getSelectedId(), 1);
        }
    }

    INSTANTIATE_TEST_SUITE_P (Cases, DefaultOutputTest, testing::Values (
        DefaultOutputCase { "lowerCaseName", devices ({ { "Synth", "s1" }, { "my iac bus", "o2" } }), "o2" },
        DefaultOutputCase { "identifierOnly", devices ({ { "Synth", "s1" }, { "Bus 1", "com.apple.iacdriver.1" } }), "com.apple.iacdriver.1" },
        DefaultOutputCase { "firstOfTwo", devices ({ { "Synth", "s1" }, { "IAC Driver Bus 2", "i2" }, { "IAC Driver Bus 1", "i1" } }), "i2" },
        DefaultOutputCase { "noIac", devices ({ { "Synth", "s1" }, { "Through", "t1" } }), "" },
        DefaultOutputCase { "noDevices", devices ({}), "" },
        DefaultOutputCase { "namelessDeviceBefore", devices ({ { "", "x0" }, { "IAC Bus", "i1" } }), "i1" }));

    //==========================================================================
    class StandaloneSetupTest : public testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        FakeMidiDevices fake;

        void SetUp() override
        {
            fake.inputs = devices ({ { "Keys A", "in-a" }, { "Keys B", "in-b" } });
            fake.outputs = devices ({ { "Synth", "out-s" }, { "IAC Driver Bus 1", "out-iac" } });
        }

        static void choose (juce::ComboBox& box, const juce::String& name)
        {
            for (int i = 0; i < box.getNumItems(); ++i)
                if (box.getItemText (i) == name)
                    box.setSelectedId (box.getItemId (i), juce::sendNotificationSync);
        }
    };

    TEST_F (StandaloneSetupTest, ConstructionEnablesStereoOutAndGreets)
    {
        StandaloneSetupComponent panel (fake);

        EXPECT_EQ (fake.setupCalls, 1);
        EXPECT_TRUE (fake.setup.outputChannels[0] && fake.setup.outputChannels[1]);
        EXPECT_EQ (panel.statusLabel.getText(), "Select IAC Driver Bus 1 for DAW.");
        EXPECT_EQ (panel.midiInputBox.getNumItems(), 3);
        EXPECT_EQ (panel.midiInputBox.getItemText (0), "Select MIDI Input...");
        EXPECT_EQ (panel.midiOutputBox.getItemText (0), "Select MIDI Output...");
        EXPECT_EQ (panel.midiOutputBox.getSelectedId(), 1);
        EXPECT_TRUE (fake.enableLog.isEmpty());

        // Already enabled: the set-up is left alone.
        StandaloneSetupComponent second (fake);
        EXPECT_EQ (fake.setupCalls, 1);
    }

    TEST_F (StandaloneSetupTest, AudioSetupErrorIsShownAndThePanelWorksOn)
    {
        fake.setupError = "no device";
        StandaloneSetupComponent panel (fake);
        EXPECT_EQ (panel.statusLabel.getText(), "Audio setup error: no device");

        choose (panel.midiInputBox, "Keys A");
        EXPECT_EQ (fake.enableLog, juce::StringArray ("+in-a"));
    }

    TEST_F (StandaloneSetupTest, ChoosingInputBDisablesInputAButTheSameInputAgainDoesNot)
    {
        StandaloneSetupComponent panel (fake);
        juce::StringArray reported;
        panel.onMidiInputChanged = [&reported] (const juce::String& id) { reported.add (id); };

        choose (panel.midiInputBox, "Keys A");
        EXPECT_EQ (panel.statusLabel.getText(), "Set MIDI input: Keys A");
        choose (panel.midiInputBox, "Keys B");
        EXPECT_EQ (fake.enableLog, juce::StringArray ({ "+in-a", "-in-a", "+in-b" }));
        EXPECT_EQ (panel.currentInputId, "in-b");

        // A refresh chooses the same input again: enabled, never disabled.
        panel.refreshMidiDevices (true);
        EXPECT_EQ (fake.enableLog, juce::StringArray ({ "+in-a", "-in-a", "+in-b", "+in-b" }));
        EXPECT_EQ (reported, juce::StringArray ({ "in-a", "in-b", "in-b" }));

        // The placeholder does nothing.
        panel.midiInputBox.setSelectedId (1, juce::sendNotificationSync);
        EXPECT_EQ (fake.enableLog.size(), 4);
        EXPECT_EQ (panel.currentInputId, "in-b");
    }

    TEST_F (StandaloneSetupTest, MissingSavedDevicesChangeNothing)
    {
        StandaloneSetupComponent panel (fake);
        choose (panel.midiInputBox, "Keys A");

        panel.restoreMidiInput ("gone");
        EXPECT_TRUE (panel.currentInputId.isEmpty());
        EXPECT_EQ (fake.enableLog, juce::StringArray ("+in-a")) << "nothing is disabled";

        panel.restoreMidiOutput ("gone");
        rebondo::test::dispatchFor (50);
        EXPECT_EQ (fake.defaultOutputCalls, 0);
        EXPECT_TRUE (panel.currentOutputId.isEmpty());
    }

    TEST_F (StandaloneSetupTest, RefreshReenablesTheInputAtOnceAndTheOutputLater)
    {
        StandaloneSetupComponent panel (fake);
        choose (panel.midiInputBox, "Keys B");
        choose (panel.midiOutputBox, "Synth");
        ASSERT_EQ (fake.defaultOutputCalls, 1);

        rebondo::test::clickButton (panel.refreshButton);
        // clickButton dispatches messages; check the order through the logs instead.
        EXPECT_EQ (fake.enableLog, juce::StringArray ({ "+in-b", "+in-b" }));
        rebondo::test::dispatchUntil ([&] { return fake.defaultOutputCalls == 2; }, 2000);
        EXPECT_EQ (fake.defaultOutput, "out-s");
        EXPECT_EQ (panel.statusLabel.getText(), "Set MIDI output: Synth");
    }

    TEST_F (StandaloneSetupTest, RefreshStatusComesBeforeTheAsynchronousOutputText)
    {
        StandaloneSetupComponent panel (fake);
        choose (panel.midiInputBox, "Keys B");
        choose (panel.midiOutputBox, "Synth");

        panel.refreshMidiDevices (true);
        EXPECT_EQ (fake.enableLog.size(), 2) << "input re-enabled synchronously";
        EXPECT_EQ (fake.defaultOutputCalls, 1) << "output not yet";
        EXPECT_EQ (panel.statusLabel.getText(), "MIDI devices refreshed.");

        rebondo::test::dispatchUntil ([&] { return fake.defaultOutputCalls == 2; }, 2000);
        EXPECT_EQ (panel.statusLabel.getText(), "Set MIDI output: Synth");
    }

    TEST_F (StandaloneSetupTest, RefreshWithoutRestoreOnlyShowsTheDevices)
    {
        StandaloneSetupComponent panel (fake);
        choose (panel.midiInputBox, "Keys B");
        choose (panel.midiOutputBox, "Synth");
        const auto enables = fake.enableLog.size();

        // A box press reloads the lists before they open.
        fake.inputs.insert (0, juce::MidiDeviceInfo ("Keys New", "in-new"));
        panel.mouseDown (rebondo::test::mouseEventAt (panel.midiInputBox, 5.0f, 5.0f));

        EXPECT_EQ (fake.enableLog.size(), enables);
        EXPECT_EQ (fake.defaultOutputCalls, 1);
        EXPECT_EQ (panel.midiInputBox.getNumItems(), 4);
        EXPECT_EQ (panel.midiInputBox.getText(), "Keys B");
        EXPECT_EQ (panel.midiOutputBox.getText(), "Synth");
        EXPECT_EQ (panel.statusLabel.getText(), "MIDI devices refreshed.");

        // A vanished device shows the placeholder.
        fake.inputs.remove (2);
        panel.refreshMidiDevices (false);
        EXPECT_EQ (panel.midiInputBox.getSelectedId(), 1);
        EXPECT_EQ (panel.currentInputId, "in-b");
    }

    TEST_F (StandaloneSetupTest, NamelessDevicesDoNotShiftTheOthers)
    {
        fake.inputs = devices ({ { "", "in-blank" }, { "Keys B", "in-b" } });
        StandaloneSetupComponent panel (fake);
        EXPECT_EQ (panel.midiInputBox.getNumItems(), 2);

        choose (panel.midiInputBox, "Keys B");
        EXPECT_EQ (fake.enableLog, juce::StringArray ("+in-b"));

        panel.refreshMidiDevices (false);
        EXPECT_EQ (panel.midiInputBox.getText(), "Keys B");
    }

    TEST_F (StandaloneSetupTest, PanicReportsAndCallsOnPanic)
    {
        StandaloneSetupComponent panel (fake);
        int panics = 0;
        panel.onPanic = [&panics] { ++panics; };

        rebondo::test::clickButton (panel.panicButton);
        EXPECT_EQ (panics, 1);
        EXPECT_EQ (panel.statusLabel.getText(), "Panic button pressed.");
        EXPECT_TRUE (fake.enableLog.isEmpty());
        EXPECT_EQ (fake.defaultOutputCalls, 0);
    }

    TEST_F (StandaloneSetupTest, LayoutAtTheSettingsPanelSize)
    {
        StandaloneSetupComponent panel (fake);
        panel.setSize (352, 263);

        EXPECT_EQ (panel.midiInputLabel.getBounds(), Rect (10, 10, 92, 28));
        EXPECT_EQ (panel.midiOutputLabel.getBounds(), Rect (10, 44, 92, 28));
        EXPECT_EQ (panel.midiInputBox.getBounds(), Rect (104, 10, 236, 28));
        EXPECT_EQ (panel.midiOutputBox.getBounds(), Rect (104, 44, 236, 28));
        EXPECT_EQ (panel.refreshButton.getBounds(), Rect (12, 80, 72, 22));
        EXPECT_EQ (panel.panicButton.getBounds(), Rect (88, 80, 66, 22));
        EXPECT_EQ (panel.statusLabel.getBounds(), Rect (10, 108, 332, 30));
        EXPECT_EQ (panel.channelSelector.getBounds(), Rect (10, 142, 332, 100));
    }

    //==========================================================================
    class StandaloneWiringTest : public StandaloneSetupTest
    {
    protected:
        std::unique_ptr<CaromelAudioProcessor> processor = std::make_unique<CaromelAudioProcessor>();

        juce::PropertiesFile& settings() { return *processor->getStandaloneProperties(); }

        // What a later run of the app reads from disk.
        juce::String storedValue (const char* key)
        {
            juce::PropertiesFile reread (standalonePropertiesOptions());
            return reread.getValue (key, "<missing>");
        }
    };

    TEST_F (StandaloneWiringTest, SavedMaskZeroShowsAllOffWhileTheProcessorPlaysOnAll)
    {
        settings().setValue (StandaloneSettingsKeys::channelMask, 0);
        StandaloneSetupComponent panel (fake);
        connectStandaloneSetup (panel, *processor, settings());

        EXPECT_EQ (panel.channelSelector.getChannelMask(), 0);
        EXPECT_EQ (processor->allowedMidiChannelMask.load(), 0xFFFF);
    }

    TEST_F (StandaloneWiringTest, MissingMaskShowsAllOnAndReportsAreStoredAsGiven)
    {
        processor->setAllowedMidiChannelMask (0x0001);
        StandaloneSetupComponent panel (fake);
        connectStandaloneSetup (panel, *processor, settings());

        EXPECT_EQ (panel.channelSelector.getChannelMask(), 0xFFFF);
        EXPECT_EQ (processor->allowedMidiChannelMask.load(), 0xFFFF);

        rebondo::test::clickButton (panel.channelSelector.noneButton);
        EXPECT_EQ (storedValue (StandaloneSettingsKeys::channelMask), "0");
        EXPECT_EQ (processor->allowedMidiChannelMask.load(), 0xFFFF);

        rebondo::test::clickButton (panel.channelSelector.channelButtons[2]);
        EXPECT_EQ (storedValue (StandaloneSettingsKeys::channelMask), "4");
        EXPECT_EQ (processor->allowedMidiChannelMask.load(), 0x0004);
    }

    TEST_F (StandaloneWiringTest, SavedDevicesAreRestoredAndChoicesRemembered)
    {
        settings().setValue (StandaloneSettingsKeys::midiInput, "in-b");
        settings().setValue (StandaloneSettingsKeys::midiOutput, "out-s");
        settings().setValue (StandaloneSettingsKeys::channelMask, 0x0005);

        StandaloneSetupComponent panel (fake);
        connectStandaloneSetup (panel, *processor, settings());
        rebondo::test::dispatchUntil ([&] { return fake.defaultOutput == "out-s"; }, 2000);

        EXPECT_EQ (fake.enableLog[0], "+in-b");
        EXPECT_FALSE (fake.enableLog.contains ("-in-b"));
        EXPECT_EQ (fake.defaultOutput, "out-s");
        EXPECT_EQ (panel.channelSelector.getChannelMask(), 0x0005);
        EXPECT_EQ (processor->allowedMidiChannelMask.load(), 0x0005);

        choose (panel.midiInputBox, "Keys A");
        EXPECT_EQ (storedValue (StandaloneSettingsKeys::midiInput), "in-a");
        choose (panel.midiOutputBox, "IAC Driver Bus 1");
        EXPECT_EQ (storedValue (StandaloneSettingsKeys::midiOutput), "out-iac");
    }

    TEST_F (StandaloneWiringTest, AMissingSavedOutputIsReplacedByTheIacDefault)
    {
        settings().setValue (StandaloneSettingsKeys::midiOutput, "unplugged");
        StandaloneSetupComponent panel (fake);
        connectStandaloneSetup (panel, *processor, settings());

        EXPECT_EQ (fake.defaultOutput, "out-iac");
        EXPECT_EQ (storedValue (StandaloneSettingsKeys::midiOutput), "out-iac");
        EXPECT_EQ (storedValue (StandaloneSettingsKeys::midiInput), "<missing>");
    }

    TEST_F (StandaloneWiringTest, PanicSilencesTheEngineAtTheNextBlock)
    {
        StandaloneSetupComponent panel (fake);
        connectStandaloneSetup (panel, *processor, settings());

        processor->prepareToPlay (44100.0, 256);
        juce::AudioBuffer<float> audio (2, 256);
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
        processor->processBlock (audio, midi);

        auto countAllNotesOff = [] (const juce::MidiBuffer& buffer)
        {
            int count = 0;
            for (const auto m : buffer)
                if (m.getMessage().isAllNotesOff())
                    ++count;
            return count;
        };
        auto countNoteOffs = [] (const juce::MidiBuffer& buffer)
        {
            int count = 0;
            for (const auto m : buffer)
                if (m.getMessage().isNoteOff())
                    ++count;
            return count;
        };

        midi.clear();
        processor->processBlock (audio, midi);
        EXPECT_EQ (countAllNotesOff (midi), 0);

        rebondo::test::clickButton (panel.panicButton);
        EXPECT_EQ (panel.statusLabel.getText(), "Panic button pressed.");

        midi.clear();
        processor->processBlock (audio, midi);
        EXPECT_EQ (countAllNotesOff (midi), 16);
        EXPECT_GE (countNoteOffs (midi), 1) << "the launched note is stopped";
    }

    TEST (StandalonePropertiesTest, OneFilePerProcessorWithTheAppOptions)
    {
        rebondo::test::ScopedFreshHome home;
        juce::File file;
        {
            CaromelAudioProcessor processor;
            auto* first = processor.getStandaloneProperties();
            ASSERT_NE (first, nullptr);
            EXPECT_EQ (processor.getStandaloneProperties(), first);

            const auto options = standalonePropertiesOptions();
            EXPECT_EQ (options.applicationName, "Rebondo");
            EXPECT_EQ (options.filenameSuffix, "settings");
            EXPECT_EQ (options.folderName, "Orvanta/Rebondo");
            EXPECT_EQ (options.osxLibrarySubFolder, "Application Support");
            EXPECT_FALSE (options.commonToAllUsers);
            EXPECT_FALSE (options.ignoreCaseOfKeyNames);
            EXPECT_EQ (options.millisecondsBeforeSaving, 3000);
            EXPECT_EQ (options.storageFormat, juce::PropertiesFile::storeAsXML);

            file = first->getFile();
            EXPECT_EQ (file, options.getDefaultFile());
            EXPECT_TRUE (file.isAChildOf (home.folder())) << file.getFullPathName();
            EXPECT_EQ (file.getFileName(), "Rebondo.settings");

            first->setValue ("selectedUiColour", "ff6495ed");
            ASSERT_TRUE (first->saveIfNeeded());
        }

        ASSERT_TRUE (file.existsAsFile());
        CaromelAudioProcessor next;
        EXPECT_EQ (next.getStandaloneProperties()->getValue ("selectedUiColour"), "ff6495ed");
    }
}

namespace
{
    TEST (StandaloneSetupRealDevicesTest, BuildsOnAnUninitialisedDeviceManager)
    {
        juce::AudioDeviceManager manager;
        StandaloneSetupComponent panel (manager);

        // Without sound hardware the set-up may fail; it is reported, not fatal.
        const auto status = panel.statusLabel.getText();
        EXPECT_TRUE (status == "Select IAC Driver Bus 1 for DAW." || status.startsWith ("Audio setup error: ")) << status;
        EXPECT_EQ (panel.midiInputBox.getItemText (0), "Select MIDI Input...");
        EXPECT_EQ (panel.midiOutputBox.getNumItems(), juce::MidiOutput::getAvailableDevices().size() + 1);
    }
}
