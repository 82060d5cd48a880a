#include "library/FactoryContent.h"
#include "library/PatternManager.h"
#include "support/CaptureStderr.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    juce::String libraryDocument (const juce::String& children, const juce::String& rootTag = "PATTERNS")
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<" + rootTag + " version=\"1\">\r\n"
             + children + "</" + rootTag + ">\r\n";
    }

    // A library read from a file of our own making in a fresh home.
    class PatternLibraryFile : public ::testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        juce::File folder = home.folder().getChildFile ("presets");
        PatternManager manager;

        void SetUp() override
        {
            folder.createDirectory();
            manager.patternFile = folder.getChildFile ("user.patterns");
        }

        void loadText (const juce::String& text)
        {
            ASSERT_TRUE (manager.patternFile.replaceWithText (text));
            const rebondo::test::CaptureStderr quiet;
            manager.loadPatternsFromDisk();
        }

        void loadLibrary (std::initializer_list<std::pair<const char*, const char*>> entries)
        {
            juce::String children;
            for (const auto& [name, steps] : entries)
                children << "  <PATTERN name=\"" << name << "\" steps=\"" << steps << "\"/>\r\n";
            loadText (libraryDocument (children));
        }

        std::vector<juce::String> names() const
        {
            std::vector<juce::String> result;
            for (const auto& pattern : manager.patterns)
                result.push_back (pattern.name);
            return result;
        }

        // What a fresh manager reads back from the file.
        std::vector<juce::String> namesOnDisk() const
        {
            PatternManager reader;
            reader.patternFile = manager.patternFile;
            const rebondo::test::CaptureStderr quiet;
            reader.loadPatternsFromDisk();
            std::vector<juce::String> result;
            for (const auto& pattern : reader.patterns)
                result.push_back (pattern.name);
            return result;
        }
    };

    struct StepsCase
    {
        const char* text;
        std::vector<int> expected;
    };

    class LibraryStepsText : public PatternLibraryFile, public ::testing::WithParamInterface<StepsCase> {};
}

TEST_P (LibraryStepsText, ReadsWithTheLibraryLimits)
{
    const auto& param = GetParam();
    loadLibrary ({ { "P", param.text } });

    if (param.expected.empty())
    {
        EXPECT_TRUE (manager.patterns.empty());
    }
    else
    {
        ASSERT_EQ (manager.patterns.size(), 1u);
        EXPECT_EQ (manager.patterns[0].steps, param.expected);
    }
}

INSTANTIATE_TEST_SUITE_P (Cases, LibraryStepsText, ::testing::Values (
    StepsCase { "0,,4", { 0, 0, 4 } },
    StepsCase { " 3 ,  -5 ,7 ", { 3, -5, 7 } },
    StepsCase { "x,5", { 0, 5 } },
    StepsCase { "7abc,-2x", { 7, -2 } },
    StepsCase { "0,60,-99,4", { 0, -99, 4 } },
    StepsCase { "48,-48,49,-49,-98,-100", { 48, -48 } },
    StepsCase { "+5,-0", { 5, 0 } },
    StepsCase { "99999999999999999999,1", { 1 } },
    StepsCase { "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20", { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 } },
    StepsCase { "60,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17", { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 } },
    StepsCase { ",", { 0, 0 } },
    StepsCase { "", {} },
    StepsCase { "60,-60", {} }));

TEST_F (PatternLibraryFile, SkipsNamelessEntriesAndTrimsNames)
{
    loadText (libraryDocument ("  <PATTERN name=\"  Spaced  \" steps=\"1\"/>\r\n"
                               "  <PATTERN name=\"   \" steps=\"1\"/>\r\n"
                               "  <PATTERN steps=\"1\"/>\r\n"
                               "  <OTHER name=\"Other\" steps=\"1\"/>\r\n"
                               "  <pattern name=\"Lower\" steps=\"2\"/>\r\n"
                               "  <PATTERN name=\"NoSteps\"/>\r\n"));

    EXPECT_EQ (names(), (std::vector<juce::String> { "Spaced", "Lower" }));
}

TEST_F (PatternLibraryFile, ReadsNothingFromAWrongRootOrABrokenFile)
{
    const juce::String cases[] = {
        libraryDocument ("  <PATTERN name=\"A\" steps=\"1\"/>\r\n", "PRESETS"),
        "<PATTERNS><PATTERN name=\"A\" steps=\"1\"/>",
        "not xml at all",
        "",
    };

    for (const auto& text : cases)
    {
        manager.patterns = { { "Stale", { 1 } } };
        loadText (text);
        EXPECT_TRUE (manager.patterns.empty()) << text;
    }

    // Lower-case root: accepted.
    loadText (libraryDocument ("  <PATTERN name=\"A\" steps=\"1\"/>\r\n", "patterns"));
    EXPECT_EQ (manager.patterns.size(), 1u);
}

TEST_F (PatternLibraryFile, ReportsWhereItReads)
{
    manager.patternFile = folder.getChildFile ("missing.patterns");
    const rebondo::test::CaptureStderr captured;
    manager.loadPatternsFromDisk();
    EXPECT_EQ (captured.text(), "Loading patterns from: " + manager.patternFile.getFullPathName().toStdString() + "\n");
}

TEST_F (PatternLibraryFile, FindsTrimmedNamesIgnoringCaseFirstMatchWins)
{
    loadLibrary ({ { "Major Triad", "0,4,7" }, { "MAJOR TRIAD", "0,3" }, { "Fifth", "0,7" } });

    const auto* found = manager.findPatternByName ("  major triad ");
    ASSERT_NE (found, nullptr);
    EXPECT_EQ (found->name, "Major Triad");
    EXPECT_EQ (found->steps, (std::vector<int> { 0, 4, 7 }));
    EXPECT_EQ (manager.findPatternByName ("Fift"), nullptr);
    EXPECT_EQ (manager.findPatternByName (""), nullptr);
}

TEST_F (PatternLibraryFile, SavesEveryEntryInOrderWithNegativeSteps)
{
    manager.patterns = { { "Down", { 0, -3, -5 } }, { "Rest & Go", { 0, -99, 12 } } };
    ASSERT_TRUE (manager.savePatternsToDisk());

    const auto text = manager.patternFile.loadFileAsString();
    EXPECT_EQ (text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n"
                     "<PATTERNS version=\"1\">\r\n"
                     "  <PATTERN name=\"Down\" steps=\"0,-3,-5\"/>\r\n"
                     "  <PATTERN name=\"Rest &amp; Go\" steps=\"0,-99,12\"/>\r\n"
                     "</PATTERNS>\r\n");

    // Nothing but the library itself is left in the folder.
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"), 1);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}

TEST_F (PatternLibraryFile, SaveFailsWithoutAUsableFile)
{
    manager.patterns = { { "A", { 1 } } };

    manager.patternFile = juce::File();
    EXPECT_FALSE (manager.savePatternsToDisk());

    const auto blocker = folder.getChildFile ("blocker");
    ASSERT_TRUE (blocker.replaceWithText ("a file, not a folder"));
    manager.patternFile = blocker.getChildFile ("user.patterns");
    EXPECT_FALSE (manager.savePatternsToDisk());
    EXPECT_EQ (blocker.loadFileAsString(), "a file, not a folder");

    manager.patternFile = folder.getChildFile ("a folder");
    manager.patternFile.createDirectory();
    EXPECT_FALSE (manager.savePatternsToDisk());
    EXPECT_TRUE (manager.patternFile.isDirectory());
}

TEST_F (PatternLibraryFile, AWriteThatFailsHalfwayKeepsThePreviousFile)
{
    loadLibrary ({ { "Fifth", "0,7" } });
    const auto before = manager.patternFile.loadFileAsString();

    {
        const rebondo::test::ScopedFileSizeLimit limit (40);
        EXPECT_FALSE (manager.addOrUpdatePattern ("Longer Name", { 0, 1, 2, 3, 4, 5, 6, 7 }, false));
    }

    // The list in memory has the entry; the file does not.
    EXPECT_EQ (names(), (std::vector<juce::String> { "Fifth", "Longer Name" }));
    EXPECT_EQ (manager.patternFile.loadFileAsString(), before);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}

TEST_F (PatternLibraryFile, AddsAppendsOverwritesOrRefuses)
{
    loadLibrary ({ { "Fifth", "0,7" } });
    const auto before = manager.patternFile.loadFileAsString();

    EXPECT_FALSE (manager.addOrUpdatePattern ("FIFTH", { 1 }, false));
    EXPECT_FALSE (manager.addOrUpdatePattern ("   ", { 1 }, true));
    EXPECT_FALSE (manager.addOrUpdatePattern ("New", {}, true));
    EXPECT_EQ (manager.patternFile.loadFileAsString(), before);
    EXPECT_EQ (manager.patterns[0].steps, (std::vector<int> { 0, 7 }));

    EXPECT_TRUE (manager.addOrUpdatePattern ("  fifth ", { 0, -99, 60 }, true));
    ASSERT_EQ (manager.patterns.size(), 1u);
    EXPECT_EQ (manager.patterns[0].name, "Fifth");
    EXPECT_EQ (manager.patterns[0].steps, (std::vector<int> { 0, -99, 60 }));

    EXPECT_TRUE (manager.addOrUpdatePattern ("  Brand New ", { 2 }, false));
    EXPECT_EQ (names(), (std::vector<juce::String> { "Fifth", "Brand New" }));
    EXPECT_EQ (namesOnDisk(), names());
    EXPECT_TRUE (manager.patternFile.loadFileAsString().contains ("steps=\"0,-99,60\""));
}

TEST_F (PatternLibraryFile, RenamesAllowingACaseChangeButNoClash)
{
    loadLibrary ({ { "Fourth", "0,5" }, { "Fifth", "0,7" } });

    EXPECT_TRUE (manager.renamePattern ("Fifth", "FIFTH"));
    EXPECT_EQ (names(), (std::vector<juce::String> { "Fourth", "FIFTH" }));

    EXPECT_FALSE (manager.renamePattern ("fifth", "fourth"));
    EXPECT_FALSE (manager.renamePattern ("Missing", "Other"));
    EXPECT_FALSE (manager.renamePattern ("Fourth", "  "));
    EXPECT_EQ (names(), (std::vector<juce::String> { "Fourth", "FIFTH" }));

    EXPECT_TRUE (manager.renamePattern (" fourth ", "  Quarta  "));
    EXPECT_EQ (names(), (std::vector<juce::String> { "Quarta", "FIFTH" }));
    EXPECT_EQ (namesOnDisk(), names());
}

TEST_F (PatternLibraryFile, DeletesKeepingTheOrderOfTheRest)
{
    loadLibrary ({ { "A", "1" }, { "B", "2" }, { "C", "3" } });

    EXPECT_FALSE (manager.deletePattern ("D"));
    EXPECT_TRUE (manager.deletePattern (" b "));
    EXPECT_EQ (names(), (std::vector<juce::String> { "A", "C" }));
    EXPECT_EQ (namesOnDisk(), names());

    // Deleting survives a failed write in memory only.
    manager.patternFile = juce::File();
    EXPECT_FALSE (manager.deletePattern ("A"));
    EXPECT_EQ (names(), (std::vector<juce::String> { "C" }));
}

//==============================================================================
namespace
{
    class PatternLibrarySeeding : public ::testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        juce::File folder = home.folder().getChildFile ("Audio/Presets/Orvanta/Rebondo");

        PatternManager initialised()
        {
            PatternManager manager;
            const rebondo::test::CaptureStderr quiet;
            manager.initialise (folder);
            return manager;
        }
    };
}

TEST_F (PatternLibrarySeeding, SeedsAMissingFileFromTheFactoryList)
{
    auto manager = initialised();

    const auto file = folder.getChildFile ("user.patterns");
    EXPECT_EQ (manager.patternFile, file);
    ASSERT_EQ (manager.patterns.size(), 36u);
    EXPECT_EQ (manager.patterns.front().name, "Unison");
    EXPECT_EQ (manager.patterns.back().name, "Triumph");

    juce::MemoryBlock written;
    ASSERT_TRUE (file.loadFileAsData (written));
    const auto factory = FactoryContent::patternList();
    EXPECT_EQ (written, juce::MemoryBlock (factory.data, factory.size));
}

TEST_F (PatternLibrarySeeding, RestoresADeletedFileButKeepsAnEmptiedOrBrokenOne)
{
    {
        auto manager = initialised();
        while (! manager.patterns.empty())
            ASSERT_TRUE (manager.deletePattern (manager.patterns.front().name));
    }
    EXPECT_TRUE (initialised().patterns.empty());

    const auto file = folder.getChildFile ("user.patterns");
    ASSERT_TRUE (file.replaceWithText ("broken <"));
    EXPECT_TRUE (initialised().patterns.empty());
    EXPECT_EQ (file.loadFileAsString(), "broken <");

    ASSERT_TRUE (file.deleteFile());
    EXPECT_EQ (initialised().patterns.size(), 36u);
}

TEST_F (PatternLibrarySeeding, ReportsAFolderThatCannotBeCreated)
{
    ASSERT_TRUE (home.folder().getChildFile ("Audio").replaceWithText ("in the way"));

    PatternManager manager;
    const rebondo::test::CaptureStderr captured;
    manager.initialise (folder);

    EXPECT_TRUE (captured.hasLine ("Failed to create preset folder: " + folder.getFullPathName().toStdString()));
    EXPECT_TRUE (captured.hasLine ("Loading patterns from: " + folder.getChildFile ("user.patterns").getFullPathName().toStdString()));
    EXPECT_TRUE (manager.patterns.empty());
}
