// The editor's pop-ups on a real (virtual) display: the normal run skips
// them, and the rebondo_display_tests entry reruns them under xvfb-run.
#include "EditorTestFixture.h"

#include "editor/AccentColour.h"
#include "editor/PalettePopupComponent.h"
#include "support/GuiTestHelpers.h"
#include "support/TestEnvironment.h"

namespace
{
    juce::AlertWindow* topAlert()
    {
        auto* manager = juce::ModalComponentManager::getInstance();
        return manager->getNumModalComponents() > 0 ? dynamic_cast<juce::AlertWindow*> (manager->getModalComponent (0))
                                                    : nullptr;
    }

    juce::AlertWindow* awaitAlert()
    {
        rebondo::test::dispatchUntil ([] { return topAlert() != nullptr; }, 5000);
        return topAlert();
    }

    void answer (juce::AlertWindow& alert, int result)
    {
        alert.exitModalState (result);
        rebondo::test::dispatchFor (50);
    }

    struct FreshHomeFirst
    {
        rebondo::test::ScopedFreshHome home;
    };

    class DialogsOnDisplayEditor : public FreshHomeFirst, public rebondo::test::EditorFixture
    {
    protected:
        void SetUp() override
        {
            if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
                GTEST_SKIP() << "needs an X display (rebondo_display_tests runs these under xvfb-run)";

            createEditor();
            editor->setVisible (true);
            editor->addToDesktop (0);
        }

        void TearDown() override
        {
            juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
            rebondo::test::dispatchFor (50);
            EditorFixture::TearDown();
        }

        void click (const char* id)
        {
            auto* button = child<juce::Button> (id);
            ASSERT_NE (button, nullptr) << id;
            rebondo::test::clickButton (*button);
        }
    };

    TEST_F (DialogsOnDisplayEditor, PaletteButtonOpensTheSwatchesAndAClickRecolours)
    {
        click ("paletteButton");

        PalettePopupComponent* popup = nullptr;
        rebondo::test::dispatchUntil ([this, &popup]
        {
            for (auto* c : editor->getChildren())
                if (auto* box = dynamic_cast<juce::CallOutBox*> (c))
                    for (auto* content : box->getChildren())
                        if (auto* p = dynamic_cast<PalettePopupComponent*> (content))
                            popup = p;
            return popup != nullptr;
        }, 2000);
        ASSERT_NE (popup, nullptr) << "the palette opens over the editor";

        const auto& entries = popup->paletteEntries;
        const auto it = std::find_if (entries.begin(), entries.end(), [] (const auto& e) { return e.name == "cornflowerblue"; });
        ASSERT_NE (it, entries.end());
        const int index = (int) std::distance (entries.begin(), it);

        juce::Point<int> target { -1, -1 };
        for (int y = 0; y < popup->getHeight() && target.x < 0; y += 2)
            for (int x = 0; x < popup->getWidth() && target.x < 0; x += 2)
                if (popup->entryAt (x, y) == index)
                    target = { x, y };
        ASSERT_GE (target.x, 0);

        popup->mouseDown (rebondo::test::mouseEventAt (*popup, (float) target.x, (float) target.y));
        rebondo::test::dispatchFor (100);

        EXPECT_EQ (editor->accentColour, juce::Colour (0xff6495ed));
        EXPECT_EQ (processor.getStandaloneProperties()->getValue (AccentColour::settingsKey), "ff6495ed");
    }

    TEST_F (DialogsOnDisplayEditor, SaveButtonWritesThePresetAndAsksBeforeOverwriting)
    {
        processor.currentPresetName = "Start";
        const auto file = CaromelAudioProcessor::getPresetFile ("Night");
        ASSERT_FALSE (file.existsAsFile());

        click ("saveButton");
        auto* alert = awaitAlert();
        ASSERT_NE (alert, nullptr);
        EXPECT_EQ (alert->getName(), "Save Preset");
        auto* field = alert->getTextEditor ("presetNameField");
        ASSERT_NE (field, nullptr);
        EXPECT_EQ (field->getText(), "Start");
        field->setText ("Night.XML");
        answer (*alert, 1);

        EXPECT_TRUE (file.existsAsFile());
        EXPECT_EQ (child<juce::Button> ("presetNameButton")->getButtonText(), "Night");
        EXPECT_EQ (processor.currentPresetName, "Start") << "saving does not change the processor's preset";

        // The same name again: nothing is written until "Overwrite".
        file.setLastModificationTime (juce::Time (2000, 0, 1, 0, 0));
        const auto before = file.getLastModificationTime();
        click ("saveButton");
        alert = awaitAlert();
        ASSERT_NE (alert, nullptr);
        alert->getTextEditor ("presetNameField")->setText ("Night");
        answer (*alert, 1);

        alert = awaitAlert();
        ASSERT_NE (alert, nullptr);
        EXPECT_EQ (alert->getName(), "Overwrite Preset");
        EXPECT_EQ (file.getLastModificationTime(), before);
        answer (*alert, 1);
        EXPECT_NE (file.getLastModificationTime(), before);
    }
}
