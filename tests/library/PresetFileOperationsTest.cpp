#include "library/PresetFileOperations.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    struct NameCase
    {
        const char* name;
        bool valid;
    };

    void PrintTo (const NameCase& c, std::ostream* os)
    {
        // Test names must stay printable.
        std::string shown;
        for (const auto* p = c.name; *p != 0; ++p)
            shown += (*p >= 0x20 && *p < 0x7f) ? *p : '?';
        *os << (c.valid ? "valid " : "invalid ") << shown;
    }

    class PresetNameRuleTest : public testing::TestWithParam<NameCase> {};

    TEST_P (PresetNameRuleTest, RefusesNamesThatLeaveTheFolderOrMakeNoFileName)
    {
        const auto c = GetParam();
        EXPECT_EQ (PresetFileOperations::isValidPresetName (juce::String::fromUTF8 (c.name)), c.valid) << c.name;
    }

    INSTANTIATE_TEST_SUITE_P (Cases, PresetNameRuleTest, testing::Values (
        NameCase { "", false },
        NameCase { "   ", false },
        NameCase { ".", false },
        NameCase { "..", false },
        NameCase { " .. ", false },
        NameCase { "../outside", false },
        NameCase { "sub/name", false },
        NameCase { "back\\slash", false },
        NameCase { "line\nbreak", false },
        NameCase { "tab\there", false },
        NameCase { "bell\x07", false },
        NameCase { "My Preset", true },
        NameCase { "..dots..", true },
        NameCase { "Caf\xc3\xa9 1.2", true }));

    class PresetFileOperationsTest : public testing::Test
    {
    protected:
        PresetFileOperationsTest()
        {
            folder.createDirectory();
        }

        juce::File write (const juce::String& fileName, const juce::String& text) const
        {
            const auto file = folder.getChildFile (fileName);
            file.replaceWithText (text);
            return file;
        }

        rebondo::test::ScopedFreshHome home;
        juce::File folder { home.folder().getChildFile ("Presets") };
        PresetFileOperations operations { folder };
    };

    TEST_F (PresetFileOperationsTest, SaveDropsATrailingXmlInAnyCaseAndAsksBeforeReplacing)
    {
        auto decision = operations.checkSaveName ("  Night Drive.XML ");
        EXPECT_EQ (decision.check, PresetFileOperations::SaveCheck::save);
        EXPECT_EQ (decision.name, "Night Drive");
        EXPECT_EQ (operations.fileFor (decision.name), folder.getChildFile ("Night Drive.xml"));

        write ("Night Drive.xml", "<PARAMETERS/>");
        decision = operations.checkSaveName ("Night Drive.xml");
        EXPECT_EQ (decision.check, PresetFileOperations::SaveCheck::askOverwrite);
        EXPECT_EQ (decision.name, "Night Drive");
    }

    TEST_F (PresetFileOperationsTest, SaveRefusesNamesTheRuleRejects)
    {
        for (const auto* typed : { "", "  ", ".xml", "..", "../escape", "a/b.xml", "x\\y" })
        {
            const auto decision = operations.checkSaveName (typed);
            EXPECT_EQ (decision.check, PresetFileOperations::SaveCheck::invalidName) << typed;
        }

        EXPECT_EQ (PresetFileOperations::invalidNameMessage(),
                   "A preset name cannot be empty, \".\" or \"..\", or contain / or \\.");
    }

    TEST_F (PresetFileOperationsTest, RenameOntoAnExistingNameRefusesAndLeavesBothFiles)
    {
        const auto first = write ("First.xml", "first");
        const auto second = write ("Second.xml", "second");

        EXPECT_EQ (operations.renamePreset ("First", "Second"), PresetFileOperations::RenameResult::exists);
        EXPECT_EQ (first.loadFileAsString(), "first");
        EXPECT_EQ (second.loadFileAsString(), "second");
    }

    TEST_F (PresetFileOperationsTest, RenameMovesTheFileWithinTheFolder)
    {
        write ("Old.xml", "old");

        EXPECT_EQ (operations.renamePreset ("Old", " New.xml "), PresetFileOperations::RenameResult::renamed);
        EXPECT_FALSE (folder.getChildFile ("Old.xml").exists());
        EXPECT_EQ (folder.getChildFile ("New.xml").loadFileAsString(), "old");

        EXPECT_EQ (operations.renamePreset ("New", "New"), PresetFileOperations::RenameResult::unchanged);
        EXPECT_EQ (operations.renamePreset ("Gone", "Other"), PresetFileOperations::RenameResult::failed);
        EXPECT_FALSE (folder.getChildFile ("Other.xml").exists());
    }

    TEST_F (PresetFileOperationsTest, NothingOutsideTheFolderIsEverMovedOrDeleted)
    {
        const auto outside = home.folder().getChildFile ("victim.xml");
        outside.replaceWithText ("keep");
        write ("Inside.xml", "inside");

        EXPECT_EQ (operations.renamePreset ("Inside", "../moved"), PresetFileOperations::RenameResult::invalidName);
        EXPECT_EQ (operations.renamePreset ("../victim", "Taken"), PresetFileOperations::RenameResult::invalidName);
        EXPECT_EQ (operations.deletePreset ("../victim"), PresetFileOperations::DeleteResult::refused);

        EXPECT_EQ (outside.loadFileAsString(), "keep");
        EXPECT_FALSE (home.folder().getChildFile ("moved.xml").exists());
        EXPECT_FALSE (folder.getChildFile ("Taken.xml").exists());
        EXPECT_EQ (folder.getChildFile ("Inside.xml").loadFileAsString(), "inside");
    }

    TEST_F (PresetFileOperationsTest, TheDefaultPresetCannotBeDeletedInAnyCase)
    {
        const auto upper = write ("Default.xml", "d");
        const auto lower = write ("default.xml", "d");
        const auto other = write ("Other.xml", "o");

        EXPECT_EQ (operations.deletePreset ("Default"), PresetFileOperations::DeleteResult::refused);
        EXPECT_EQ (operations.deletePreset ("default"), PresetFileOperations::DeleteResult::refused);
        EXPECT_EQ (operations.deletePreset ("DEFAULT.xml"), PresetFileOperations::DeleteResult::refused);
        EXPECT_TRUE (upper.existsAsFile());
        EXPECT_TRUE (lower.existsAsFile());

        EXPECT_EQ (operations.deletePreset ("Other"), PresetFileOperations::DeleteResult::deleted);
        EXPECT_FALSE (other.exists());
        EXPECT_EQ (operations.deletePreset ("Other"), PresetFileOperations::DeleteResult::failed);
    }
}
