#include "library/SavePatternDialogComponent.h"
#include "LibraryTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    struct SaveCall
    {
        juce::String name;
        std::vector<int> steps;
        bool overwrite;
    };

    class SavePatternDialogTest : public testing::Test
    {
    protected:
        SavePatternDialogTest()
        {
            dialog.onDismissed = [this] (int result) { dismissals.push_back (result); };
        }

        void typeName (const juce::String& text)
        {
            // The editor reports text changes asynchronously; a marker message
            // posted after it shows that it has been delivered.
            dialog.nameEditor.setText (text, true);
            ASSERT_TRUE (rebondo::test::flushMessages());
        }

        std::vector<PatternDefinition> library { { "Fifth", { 0, 7 }, false },
                                                 { "Unison", { 0 }, true } };
        std::vector<SaveCall> saves;
        std::vector<int> dismissals;

        SavePatternDialogComponent dialog {
            [this] (const juce::String& name) -> const PatternDefinition*
            {
                for (const auto& p : library)
                    if (p.name.equalsIgnoreCase (name.trim()))
                        return &p;
                return nullptr;
            },
            "", { 0, 3, -99 },
            [this] (const juce::String& name, const std::vector<int>& steps, bool overwrite)
            {
                saves.push_back ({ name, steps, overwrite });
            }
        };
    };

    TEST_F (SavePatternDialogTest, StartsWithNewPatternAndLaysOutItsParts)
    {
        EXPECT_EQ (dialog.nameEditor.getText(), "New Pattern");
        EXPECT_EQ (dialog.getWidth(), 360);
        EXPECT_EQ (dialog.getHeight(), 150);
        EXPECT_EQ (dialog.titleLabel.getText(), "Save Pattern");
        EXPECT_EQ (dialog.saveButton.getBounds(), juce::Rectangle<int> (346 - 100, 136 - 28, 100, 28));
        EXPECT_EQ (dialog.cancelButton.getBounds(), juce::Rectangle<int> (346 - 100 - 8 - 90, 136 - 28, 90, 28));
        EXPECT_EQ (dialog.nameEditor.getBounds(), juce::Rectangle<int> (14, 14 + 24 + 8, 332, 26));
    }

    TEST_F (SavePatternDialogTest, EmptyNameShowsAMessageAndKeepsTheDialogOpen)
    {
        typeName ("   ");
        dialog.saveClicked();
        EXPECT_EQ (dialog.messageLabel.getText(), "Name cannot be empty.");
        EXPECT_TRUE (saves.empty());
        EXPECT_TRUE (dismissals.empty());
    }

    TEST_F (SavePatternDialogTest, ANewNameSavesTrimmedAndCloses)
    {
        typeName ("  Rise Again ");
        dialog.saveClicked();
        ASSERT_EQ (saves.size(), 1u);
        EXPECT_EQ (saves[0].name, "Rise Again");
        EXPECT_EQ (saves[0].steps, (std::vector<int> { 0, 3, -99 }));
        EXPECT_FALSE (saves[0].overwrite);
        EXPECT_EQ (dismissals, (std::vector<int> { 1 }));
    }

    TEST_F (SavePatternDialogTest, ExistingNameArmsOverwriteAndTypingDisarms)
    {
        typeName ("fifth");
        dialog.saveClicked();
        EXPECT_TRUE (saves.empty());
        EXPECT_EQ (dialog.messageLabel.getText(), "Pattern exists. Click Overwrite to replace it.");
        EXPECT_EQ (dialog.saveButton.getButtonText(), "Overwrite");
        EXPECT_TRUE (dialog.isOverwriteArmed());

        typeName ("fifth ");
        EXPECT_FALSE (dialog.isOverwriteArmed());
        EXPECT_EQ (dialog.saveButton.getButtonText(), "Save");
        EXPECT_TRUE (dialog.messageLabel.getText().isEmpty());

        dialog.saveClicked(); // arms again rather than saving
        EXPECT_TRUE (saves.empty());
        EXPECT_TRUE (dialog.isOverwriteArmed());

        dialog.saveClicked();
        ASSERT_EQ (saves.size(), 1u);
        EXPECT_EQ (saves[0].name, "fifth");
        EXPECT_TRUE (saves[0].overwrite);
        EXPECT_EQ (dismissals, (std::vector<int> { 1 }));
    }

    TEST_F (SavePatternDialogTest, FactoryPatternsAreNotOverwritten)
    {
        typeName ("Unison");
        dialog.saveClicked();
        dialog.saveClicked();
        EXPECT_EQ (dialog.messageLabel.getText(), "Factory pattern exists. Choose a new name.");
        EXPECT_FALSE (dialog.isOverwriteArmed());
        EXPECT_EQ (dialog.saveButton.getButtonText(), "Save");
        EXPECT_TRUE (saves.empty());
    }

    TEST_F (SavePatternDialogTest, CancelClosesWithoutSaving)
    {
        dialog.cancelClicked();
        EXPECT_TRUE (saves.empty());
        EXPECT_EQ (dismissals, (std::vector<int> { 0 }));
    }
}
