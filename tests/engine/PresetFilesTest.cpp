#include "engine/PluginProcessor.h"
#include "library/FactoryContent.h"
#include "support/CaptureStderr.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
    using rebondo::test::CaptureStderr;

    std::unique_ptr<CaromelAudioProcessor> makeProcessor()
    {
        const CaptureStderr quiet;
        return std::make_unique<CaromelAudioProcessor>();
    }

    float valueOf (CaromelAudioProcessor& processor, const char* id)
    {
        return processor.parameters.getRawParameterValue (id)->load();
    }

    void setValue (CaromelAudioProcessor& processor, const char* id, float realValue)
    {
        auto* parameter = processor.parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (realValue));
    }

    juce::String presetDocument (const juce::String& rootAttributes, const juce::String& children)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<PARAMETERS " + rootAttributes + ">\r\n"
             + children + "</PARAMETERS>\r\n";
    }

    // A processor in a fresh home: its first run has written the factory
    // presets and the library there.
    class PresetFiles : public ::testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        std::unique_ptr<CaromelAudioProcessor> processor = makeProcessor();
        juce::File folder = CaromelAudioProcessor::getPresetFolder();

        void writePreset (const juce::String& fileName, const juce::String& text)
        {
            ASSERT_TRUE (folder.getChildFile (fileName).replaceWithText (text));
        }

        CaromelAudioProcessor::PresetLoadResult load (const juce::String& name)
        {
            const CaptureStderr quiet;
            return processor->loadPresetByName (name);
        }

        juce::String currentPattern() const
        {
            return processor->getCurrentPatternName() + ":" + PatternManager::stepsToText (processor->getCurrentPatternSteps());
        }

        // Every file below the home folder, as relative paths.
        juce::StringArray filesInHome() const
        {
            juce::StringArray files;
            for (const auto& entry : juce::RangedDirectoryIterator (home.folder(), true, "*", juce::File::findFilesAndDirectories))
                files.add (entry.getFile().getRelativePathFrom (home.folder()));
            files.sort (false);
            return files;
        }
    };
}

//==============================================================================
TEST_F (PresetFiles, FolderIsBelowTheApplicationDataFolder)
{
    EXPECT_EQ (folder, juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
                           .getChildFile ("Audio/Presets/Orvanta/Rebondo"));
    EXPECT_TRUE (folder.getFullPathName().startsWith (home.folder().getFullPathName()));
}

TEST_F (PresetFiles, FirstRunWritesTheFactoryPresetsAndStartsOnTheDefault)
{
    for (const auto& preset : FactoryContent::presets())
    {
        juce::MemoryBlock written;
        ASSERT_TRUE (folder.getChildFile (juce::String (preset.name) + ".xml").loadFileAsData (written)) << preset.name;
        EXPECT_EQ (written, juce::MemoryBlock (preset.data, preset.size)) << preset.name;
    }
    EXPECT_TRUE (folder.getChildFile ("user.patterns").existsAsFile());

    // The parameters follow the embedded default, not the layout defaults.
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::launchPos), 0.5f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::bounce), 0.95f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::arpType), 1.0f);
    EXPECT_NEAR (valueOf (*processor, ParameterIDs::velocity), 113.04f, 1.0e-4f);
    EXPECT_NEAR (valueOf (*processor, ParameterIDs::gravity), 85.52f, 1.0e-3f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::rootKey), 1.0f); // not in the preset
    EXPECT_EQ (processor->parameters.state.getProperty ("pattern_name").toString(), "Major Triad");

    // ... and so does the engine.
    EXPECT_NEAR (processor->launchStrength.load(), 113.04f, 1.0e-4f);
    EXPECT_FLOAT_EQ (processor->decayFactor.load(), 0.84f);
    EXPECT_NEAR (processor->ballRestitution.load(), 0.95, 1.0e-6);

    EXPECT_EQ (currentPattern(), "Major Triad Oct:0,4,7,12");
    EXPECT_EQ (processor->currentPresetName, "Default");
    EXPECT_EQ (processor->noteMask.load(), 2741);
}

TEST_F (PresetFiles, RestartRewritesADeletedFactoryPresetAndKeepsAnEditedOne)
{
    ASSERT_TRUE (folder.getChildFile ("Space.xml").deleteFile());
    ASSERT_TRUE (folder.getChildFile ("Horror.xml").replaceWithText ("edited"));

    processor = makeProcessor();

    EXPECT_EQ (folder.getChildFile ("Space.xml").getSize(), 814);
    EXPECT_EQ (folder.getChildFile ("Horror.xml").loadFileAsString(), "edited");
}

TEST_F (PresetFiles, StartingPatternComesFromTheLibraryWhenItHasOne)
{
    ASSERT_TRUE (folder.getChildFile ("user.patterns").replaceWithText (
        "<PATTERNS version=\"1\"><PATTERN name=\"major triad oct\" steps=\"0,-12,24\"/></PATTERNS>"));

    processor = makeProcessor();
    EXPECT_EQ (currentPattern(), "major triad oct:0,-12,24");
}

TEST_F (PresetFiles, ConstructionGoesOnWhenThePresetFolderCannotBeMade)
{
    processor.reset();
    folder.deleteRecursively();
    ASSERT_TRUE (folder.getParentDirectory().getParentDirectory().deleteRecursively());
    ASSERT_TRUE (folder.getParentDirectory().getParentDirectory().replaceWithText ("in the way"));

    const CaptureStderr captured;
    processor = std::make_unique<CaromelAudioProcessor>();

    EXPECT_TRUE (captured.hasLine ("Failed to create preset folder: " + folder.getFullPathName().toStdString()));
    EXPECT_EQ (currentPattern(), "Major Triad Oct:0,4,7,12");
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::launchPos), 0.5f);
}

//==============================================================================
TEST_F (PresetFiles, SavesTheDocumentInItsLayout)
{
    processor->setCurrentPattern ("Down", { 0, -3, -5 });
    processor->noteMask = 661;
    processor->noteSetRoot = 2;
    processor->noteSetScale = 4;
    setValue (*processor, ParameterIDs::bounce, 0.92f);
    setValue (*processor, ParameterIDs::maxBounces, 8.0f);

    const CaptureStderr captured;
    ASSERT_TRUE (processor->savePresetToFile ("Mine", juce::Colour (0xff102030)));
    EXPECT_EQ (captured.text(), "");

    const auto text = folder.getChildFile ("Mine.xml").loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n"
                                  "<PARAMETERS pattern_name=\"Down\" pattern_steps=\"0,-3,-5\" ui_colour=\"ff102030\"\r\n"
                                  "            note_mask=\"661\" root=\"2\" scale=\"4\">\r\n"
                                  "  <PARAM id=\"bounce\" value=\"0.9200000166893005\"/>\r\n"))
        << text;
    EXPECT_TRUE (text.contains ("  <PARAM id=\"max_bounces\" value=\"8.0\"/>\r\n"));
    EXPECT_TRUE (text.endsWith ("  <PARAM id=\"launch_pos\" value=\"0.5\"/>\r\n</PARAMETERS>\r\n"));

    const auto xml = juce::parseXML (text);
    ASSERT_NE (xml, nullptr);
    juce::StringArray ids;
    for (auto* child : xml->getChildIterator())
        ids.add (child->getStringAttribute ("id"));
    EXPECT_EQ (ids.joinIntoString (","),
               "bounce,decay,velocity,gravity,time,arp_type,dynamic,collision,max_bounces,mod,mono,"
               "decay_after_release,bottom_width,top_width,launch_pos");
}

TEST_F (PresetFiles, SavingAgainReplacesAndAnXmlEndingIsKept)
{
    ASSERT_TRUE (processor->savePresetToFile ("Twice", juce::Colour (0xff000001)));
    ASSERT_TRUE (processor->savePresetToFile ("Twice", juce::Colour (0xff000002)));
    EXPECT_TRUE (folder.getChildFile ("Twice.xml").loadFileAsString().contains ("ui_colour=\"ff000002\""));

    ASSERT_TRUE (processor->savePresetToFile ("Upper.XML", juce::Colour (0xff000003)));
    EXPECT_TRUE (folder.getChildFile ("Upper.XML").existsAsFile());
    EXPECT_FALSE (folder.getChildFile ("Upper.XML.xml").exists());

    // Only the presets: no temporary files are left behind.
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 13 + 1 + 2);
}

TEST_F (PresetFiles, AFailedWriteIsReportedAndLeavesTheFolderAlone)
{
    // A folder where the file should go cannot be replaced by a preset.
    ASSERT_TRUE (folder.getChildFile ("Blocked.xml").createDirectory());

    const CaptureStderr captured;
    EXPECT_FALSE (processor->savePresetToFile ("Blocked", juce::Colour (0xff000001)));
    EXPECT_EQ (captured.text(), "Failed to write preset file to disk: " + folder.getChildFile ("Blocked.xml").getFullPathName().toStdString() + "\n");
    EXPECT_TRUE (folder.getChildFile ("Blocked.xml").isDirectory());
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 13 + 1 + 1);
}

TEST_F (PresetFiles, AWriteThatFailsHalfwayKeepsThePreviousFile)
{
    const auto file = folder.getChildFile ("Kept.xml");
    ASSERT_TRUE (file.replaceWithText ("previous"));

    {
        const rebondo::test::ScopedFileSizeLimit limit (100);
        const CaptureStderr captured;
        EXPECT_FALSE (processor->savePresetToFile ("Kept", juce::Colour (0xff000001)));
        EXPECT_EQ (captured.text(), "Failed to write preset file to disk: " + file.getFullPathName().toStdString() + "\n");
    }

    EXPECT_EQ (file.loadFileAsString(), "previous");
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 13 + 1 + 1);
}

TEST_F (PresetFiles, SavingCreatesAMissingFolderOrReportsIt)
{
    ASSERT_TRUE (folder.deleteRecursively());
    ASSERT_TRUE (processor->savePresetToFile ("Fresh", juce::Colour (0xff000001)));
    EXPECT_TRUE (folder.getChildFile ("Fresh.xml").existsAsFile());

    ASSERT_TRUE (folder.deleteRecursively());
    ASSERT_TRUE (folder.replaceWithText ("in the way"));
    const CaptureStderr captured;
    EXPECT_FALSE (processor->savePresetToFile ("Fresh", juce::Colour (0xff000001)));
    EXPECT_EQ (captured.text(), "Failed to create preset folder: " + folder.getFullPathName().toStdString() + "\n");
    EXPECT_EQ (folder.loadFileAsString(), "in the way");
}

TEST_F (PresetFiles, HostileNamesReachNoFileOutsideTheFolder)
{
    ASSERT_TRUE (processor->savePresetToFile ("Victim", juce::Colour (0xff000001)));
    const auto before = filesInHome();

    const juce::String names[] = { "", "   ", ".", "..", " .. ", "../../x", "../Rebondo2", "/tmp/x", "a/b",
                                   "a\\b", "..\\x", "line\nbreak", juce::String ("tab\tname"), juce::String ("del") + juce::String::charToString (0x7f) };

    for (const auto& name : names)
    {
        SCOPED_TRACE (name.toStdString());
        {
            const CaptureStderr captured;
            EXPECT_FALSE (processor->savePresetToFile (name, juce::Colour (0xff000001)));
            EXPECT_EQ (captured.text(), "Invalid preset name: " + name.toStdString() + "\n");
        }

        processor->currentPresetName = "Victim";
        const CaptureStderr captured;
        EXPECT_FALSE (processor->loadPresetByName (name).loaded);
        EXPECT_TRUE (juce::String (captured.text()).startsWith ("Preset file not found: "));
        EXPECT_EQ (processor->currentPresetName, "Victim");
    }

    EXPECT_EQ (filesInHome(), before);
    EXPECT_FALSE (juce::File ("/tmp/x.xml").exists());

    // A leading "~" is an ordinary character, not a home folder.
    ASSERT_TRUE (processor->savePresetToFile ("~root", juce::Colour (0xff000001)));
    EXPECT_TRUE (juce::File (folder.getFullPathName() + "/~root.xml").existsAsFile());
    EXPECT_TRUE (processor->loadPresetByName ("~root").loaded);
}

//==============================================================================
TEST_F (PresetFiles, LoadingTakesColourMaskParametersAndName)
{
    processor->noteMask = 2741;
    setValue (*processor, ParameterIDs::rootKey, 5.0f);

    const auto result = load ("Space.xml");
    ASSERT_TRUE (result.loaded);
    EXPECT_TRUE (result.patternChanged);

    EXPECT_EQ (processor->currentPresetName, "Space");
    EXPECT_EQ (processor->uiColour, juce::Colour (0xffffffff));
    EXPECT_EQ (processor->noteMask.load(), 1365);
    EXPECT_TRUE (processor->noteSetCustom);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::arpType), 8.0f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::time), 0.25f);
    EXPECT_NEAR (valueOf (*processor, ParameterIDs::launchPos), 0.15f, 1.0e-6f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::rootKey), 5.0f); // not in a preset

    // The library's "Minor 11", not the preset's own steps.
    EXPECT_EQ (currentPattern(), "Minor 11:0,3,7,10,17");
    EXPECT_NEAR (processor->launchStrength.load(), 104.24f, 1.0e-3f);
}

TEST_F (PresetFiles, APatternMissingFromTheLibraryKeepsThePresetsSteps)
{
    const CaptureStderr captured;
    ASSERT_TRUE (processor->loadPresetByName ("Forever").loaded);
    EXPECT_EQ (currentPattern(), "Fanfare:0,7,4,7,12");
    EXPECT_TRUE (captured.hasLine ("Loaded preset pattern: Fanfare steps: 0,7,4,7,12"));
    EXPECT_TRUE (captured.hasLine ("Loaded param: bounce = 0.97"));
    EXPECT_FALSE (processor->noteSetCustom); // 2741 again
}

namespace
{
    struct PatternCase
    {
        const char* label;
        const char* attributes;
        const char* expected; // name:steps after loading
        bool changed;
    };

    class PresetPattern : public PresetFiles, public ::testing::WithParamInterface<PatternCase> {};
}

TEST_P (PresetPattern, ResolvesAgainstTheLibrary)
{
    const auto& param = GetParam();
    processor->setCurrentPattern ("Before", { 1, 2 });
    writePreset ("Case.xml", presetDocument (param.attributes, ""));

    const auto result = load ("Case");
    ASSERT_TRUE (result.loaded);
    EXPECT_EQ (result.patternChanged, param.changed);
    EXPECT_EQ (currentPattern(), param.expected);
}

INSTANTIATE_TEST_SUITE_P (Cases, PresetPattern, ::testing::Values (
    PatternCase { "degrees", "pattern_name=\"Mine\" pattern_degrees=\"0,5,9\"", "Mine:0,5,9", true },
    PatternCase { "degreesWhenStepsEmpty", "pattern_steps=\"\" pattern_degrees=\"0,-3,8\"", "Custom:0,-3,8", true },
    PatternCase { "stepsBeforeDegrees", "pattern_steps=\"0,1\" pattern_degrees=\"0,-3,8\"", "Custom:0,1", true },
    PatternCase { "stepMatch", "pattern_name=\"Unknown\" pattern_steps=\"0, 4 ,7\"", "Major Triad:0,4,7", true },
    PatternCase { "degreesStepMatch", "pattern_degrees=\"0,4,7\"", "Major Triad:0,4,7", true },
    PatternCase { "nameIsCaseSensitive", "pattern_name=\"major triad\" pattern_steps=\"0,1\"", "major triad:0,1", true },
    PatternCase { "nameWinsOverSteps", "pattern_name=\"Fifth\" pattern_steps=\"0,4,7\"", "Fifth:0,7", true },
    PatternCase { "nameWithoutSteps", "pattern_name=\"Fifth\"", "Fifth:0,7", true },
    PatternCase { "noRangeLimitHere", "pattern_steps=\"0,60,-99,,-70\"", "Custom:0,60,-99,-70", true },
    PatternCase { "unknownNameNoSteps", "pattern_name=\"Nowhere\"", "Before:1,2", false },
    PatternCase { "stepsWithoutNumbers", "pattern_name=\"Empty\" pattern_steps=\" , ,\"", "Before:1,2", false },
    PatternCase { "nothing", "ui_colour=\"ff000000\"", "Before:1,2", false }),
    [] (const auto& testInfo) { return std::string (testInfo.param.label); });

namespace
{
    struct MaskCase
    {
        const char* label;
        const char* attributes;
        int previous;
        int expectedMask;
        bool expectedCustom;
    };

    class PresetNoteMask : public PresetFiles, public ::testing::WithParamInterface<MaskCase> {};
}

TEST_P (PresetNoteMask, LoadsTheMaskAndFlagsACustomSet)
{
    const auto& param = GetParam();
    processor->noteMask = param.previous;
    processor->noteSetCustom = true;
    writePreset ("Mask.xml", presetDocument (param.attributes, ""));

    ASSERT_TRUE (load ("Mask").loaded);
    EXPECT_EQ (processor->noteMask.load(), param.expectedMask);
    EXPECT_EQ (processor->noteSetCustom, param.expectedCustom);
}

INSTANTIATE_TEST_SUITE_P (Cases, PresetNoteMask, ::testing::Values (
    MaskCase { "zeroLoadsAsOne", "note_mask=\"0\"", 2741, 1, true },
    MaskCase { "sameMask", "note_mask=\"2741\"", 2741, 2741, false },
    MaskCase { "otherMask", "note_mask=\"661\"", 2741, 661, true },
    MaskCase { "lowTwelveBits", "note_mask=\"8853\"", 661, 661, false },
    MaskCase { "textAfterDigits", "note_mask=\"1365abc\"", 2741, 1365, true },
    MaskCase { "absentKeepsMask", "pattern_name=\"x\"", 661, 661, false }),
    [] (const auto& testInfo) { return std::string (testInfo.param.label); });

TEST_F (PresetFiles, ParametersAreClampedAndUnknownIdsReported)
{
    setValue (*processor, ParameterIDs::panic, 1.0f);
    ASSERT_TRUE (processor->panicMode.load());

    writePreset ("Odd.xml", presetDocument ("pattern_name=\"x\"",
        "  <PARAM id=\"velocity\" value=\"500\"/>\r\n"
        "  <PARAM id=\"gravity\" value=\"-3\"/>\r\n"
        "  <PARAM id=\"nope\" value=\"1\"/>\r\n"
        "  <param id=\"arp_type\" value=\"6.6\"/>\r\n"
        "  <PARAM id=\"decay\"/>\r\n"
        "  <PARAM value=\"1\"/>\r\n"
        "  <OTHER id=\"mono\" value=\"1\"/>\r\n"
        "  <PARAM id=\"top_width\" value=\"8\"/>\r\n"
        "  <PARAM id=\"bottom_width\" value=\"1e999\"/>\r\n"
        "  <PARAM id=\"collision\" value=\"1\"/>\r\n"));

    const auto decayBefore = valueOf (*processor, ParameterIDs::decay);

    const CaptureStderr captured;
    ASSERT_TRUE (processor->loadPresetByName ("Odd").loaded);

    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::velocity), 127.0f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::gravity), 0.0f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::arpType), 7.0f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::decay), decayBefore);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::mono), 0.0f);
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::bottomWidth), 8.0f);
    EXPECT_TRUE (captured.hasLine ("Preset parameter not found: nope"));
    EXPECT_TRUE (captured.hasLine ("Loaded param: velocity = 500"));
    EXPECT_TRUE (captured.hasLine ("Loaded param: gravity = -3"));

    // Panic mode is left, the panic switch itself is not touched.
    EXPECT_FALSE (processor->panicMode.load());
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::panic), 1.0f);

    // The engine takes the widths inside the view.
    EXPECT_FLOAT_EQ (processor->topWidth.load(), PhysicsWorld::maxWidth());
    EXPECT_FLOAT_EQ (processor->bottomWidth.load(), PhysicsWorld::maxWidth());
    EXPECT_NEAR (PhysicsWorld::maxWidth(), 7.2f, 1.0e-5f);
    EXPECT_TRUE (processor->funnelGeometryDirty.load());
    EXPECT_TRUE (processor->collisionEnabled.load());
}

TEST_F (PresetFiles, AMissingOrBrokenFileChangesNothing)
{
    writePreset ("Broken.xml", "<PARAMETERS pattern_name=\"x\" note_mask=\"1\"><PARAM id=\"velocity\" value=\"1\"/>");
    const auto velocity = valueOf (*processor, ParameterIDs::velocity);
    const auto pattern = currentPattern();

    {
        const CaptureStderr captured;
        EXPECT_FALSE (processor->loadPresetByName ("Broken").loaded);
        EXPECT_EQ (captured.text(), "Could not parse preset XML: " + folder.getChildFile ("Broken.xml").getFullPathName().toStdString() + "\n");
    }
    {
        const CaptureStderr captured;
        EXPECT_FALSE (processor->loadPresetByName ("Absent").loaded);
        EXPECT_EQ (captured.text(), "Preset file not found: " + folder.getChildFile ("Absent.xml").getFullPathName().toStdString() + "\n");
    }

    EXPECT_EQ (valueOf (*processor, ParameterIDs::velocity), velocity);
    EXPECT_EQ (currentPattern(), pattern);
    EXPECT_EQ (processor->noteMask.load(), 2741);
    EXPECT_EQ (processor->currentPresetName, "Default");
}

TEST_F (PresetFiles, ANestedParameterElementIsFound)
{
    writePreset ("Nested.xml", "<WRAPPER><OTHER/><PARAMETERS pattern_name=\"Fifth\" ui_colour=\"ff00ff00\">"
                               "<PARAM id=\"velocity\" value=\"12\"/></PARAMETERS></WRAPPER>");

    ASSERT_TRUE (load ("Nested").loaded);
    EXPECT_EQ (processor->uiColour, juce::Colour (0xff00ff00));
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::velocity), 12.0f);
    EXPECT_EQ (currentPattern(), "Fifth:0,7");
}

TEST_F (PresetFiles, SaveThenLoadRestoresTheSound)
{
    processor->setCurrentPattern ("Own", { 0, -99, 5 });
    processor->noteMask = 1365;
    setValue (*processor, ParameterIDs::decay, 0.5f);
    setValue (*processor, ParameterIDs::mono, 1.0f);
    ASSERT_TRUE (processor->savePresetToFile ("Round", juce::Colour (0xff123456)));

    processor->setCurrentPattern ("Other", { 1 });
    processor->noteMask = 2741;
    setValue (*processor, ParameterIDs::decay, 0.9f);
    setValue (*processor, ParameterIDs::mono, 0.0f);
    processor->monoMode = false;

    ASSERT_TRUE (load ("Round").loaded);
    EXPECT_EQ (currentPattern(), "Own:0,-99,5");
    EXPECT_EQ (processor->noteMask.load(), 1365);
    EXPECT_EQ (processor->uiColour, juce::Colour (0xff123456));
    EXPECT_FLOAT_EQ (valueOf (*processor, ParameterIDs::decay), 0.5f);
    EXPECT_TRUE (processor->monoMode.load());
    EXPECT_EQ (processor->currentPresetName, "Round");
}

//==============================================================================
TEST (PatternText, ParsesWithAtoiRulesAndNoLimits)
{
    struct Case { const char* text; std::vector<int> steps; };
    const Case cases[] = {
        { "0,-3,-5", { 0, -3, -5 } },
        { " 0 ,, 4 ,", { 0, 4 } },
        { "x,7y,+2", { 0, 7, 2 } },
        { "100,-200", { 100, -200 } },
        { "", {} },
        { " , ", {} },
    };

    for (const auto& c : cases)
        EXPECT_EQ (CaromelAudioProcessor::patternStringToVector (c.text), c.steps) << c.text;

    EXPECT_EQ (PatternManager::stepsToText ({ 0, -3, -99, 12 }), "0,-3,-99,12");
}

TEST (PresetXml, SetParameterValueUpdatesTheFirstMatchOrAppends)
{
    juce::XmlElement xml ("PARAMETERS");
    xml.createNewChildElement ("OTHER")->setAttribute ("id", "decay");
    xml.createNewChildElement ("param")->setAttribute ("id", "decay");

    CaromelAudioProcessor::setXmlParameterValue (xml, "decay", 0.92f);
    CaromelAudioProcessor::setXmlParameterValue (xml, "velocity", 8.0f);

    EXPECT_EQ (xml.getNumChildElements(), 3);
    EXPECT_FALSE (xml.getChildElement (0)->hasAttribute ("value"));
    EXPECT_EQ (xml.getChildElement (1)->getStringAttribute ("value"), "0.9200000166893005");
    EXPECT_EQ (xml.getChildElement (2)->getTagName(), "PARAM");
    EXPECT_EQ (xml.getChildElement (2)->getAttributeName (0), "id");
    EXPECT_EQ (xml.getChildElement (2)->getStringAttribute ("value"), "8.0");
}
