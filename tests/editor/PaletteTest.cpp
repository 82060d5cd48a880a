#include "editor/AccentColour.h"
#include "editor/BrandingColours.h"
#include "editor/PalettePopupComponent.h"
#include "settings/StandaloneSettings.h"
#include "support/GuiTestHelpers.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace
{
    using rebondo::test::mouseEventAt;

    TEST (PaletteEntriesTest, TwentyFiveNamedColoursInOrder)
    {
        const auto palette = PalettePopupComponent::defaultPalette();
        ASSERT_EQ (palette.size(), 25u);

        EXPECT_EQ (palette.front().name, "lightseagreen");
        EXPECT_EQ (palette[9].name, "cornflowerblue");
        EXPECT_EQ (palette[13].colour.getARGB(), 0xffff69b4u);
        EXPECT_EQ (palette.back().name, "white");

        // Every entry is JUCE's colour of that name.
        for (const auto& entry : palette)
            EXPECT_EQ (entry.colour, juce::Colours::findColourForName (entry.name, juce::Colours::transparentBlack)) << entry.name;

        EXPECT_EQ (PalettePopupComponent::popupBoundsFor (25), juce::Rectangle<int> (0, 0, 360, 290));
        EXPECT_EQ (PalettePopupComponent::popupBoundsFor (26).getHeight(), 344);
        EXPECT_EQ (PalettePopupComponent (palette).getHeight(), 290);
    }

    struct HitCase
    {
        int x, y, expected;
    };

    class PaletteHitTest : public testing::TestWithParam<HitCase> {};

    TEST_P (PaletteHitTest, MapsPointsToEntries)
    {
        const auto c = GetParam();
        PalettePopupComponent popup (PalettePopupComponent::defaultPalette());
        EXPECT_EQ (popup.entryAt (c.x, c.y), c.expected) << c.x << ", " << c.y;
    }

    INSTANTIATE_TEST_SUITE_P (Cases, PaletteHitTest, testing::Values (
        HitCase { 30, 9, -1 },      // top 10 pixels
        HitCase { 0, 10, 0 },
        HitCase { 71, 63, 0 },
        HitCase { 72, 10, 1 },
        HitCase { 359, 10, 4 },
        HitCase { 360, 10, -1 },
        HitCase { -1, 20, -1 },
        HitCase { 0, 64, 5 },
        HitCase { 100, 226, 21 },
        HitCase { 359, 279, 24 },
        HitCase { 0, 280, -1 },     // a sixth row would be entry 25
        HitCase { 200, 289, -1 }));

    class PalettePopupTest : public testing::Test
    {
    protected:
        PalettePopupComponent popup { PalettePopupComponent::defaultPalette() };
        std::vector<std::pair<juce::String, juce::Colour>> selections;

        void SetUp() override
        {
            popup.onColourSelected = [this] (const juce::String& name, juce::Colour colour) { selections.emplace_back (name, colour); };
        }

        juce::Image snapshot()
        {
            juce::Image image (juce::Image::ARGB, popup.getWidth(), popup.getHeight(), true);
            juce::Graphics g (image);
            popup.paint (g);
            return image;
        }
    };

    TEST_F (PalettePopupTest, HoverMovesTheHighlightAndExitClearsIt)
    {
        const auto plain = snapshot();
        // Inside entry 3's highlight, outside its swatch.
        const int hx = 3 * 72 + 8, hy = 18;

        popup.mouseMove (mouseEventAt (popup, (float) hx, (float) hy));
        EXPECT_EQ (popup.hoveredIndex, 3);
        const auto hovered = snapshot();
        EXPECT_NE (hovered.getPixelAt (hx, hy), plain.getPixelAt (hx, hy));
        EXPECT_EQ (hovered.getPixelAt (8, 18), plain.getPixelAt (8, 18)) << "other cells unchanged";

        popup.mouseMove (mouseEventAt (popup, 80.0f, 70.0f));
        EXPECT_EQ (popup.hoveredIndex, 6);

        popup.mouseMove (mouseEventAt (popup, 80.0f, 5.0f));
        EXPECT_EQ (popup.hoveredIndex, -1);

        popup.mouseMove (mouseEventAt (popup, 80.0f, 70.0f));
        popup.mouseExit (mouseEventAt (popup, 400.0f, 70.0f));
        EXPECT_EQ (popup.hoveredIndex, -1);
        EXPECT_EQ (snapshot().getPixelAt (hx, hy), plain.getPixelAt (hx, hy));
        EXPECT_TRUE (selections.empty());
    }

    TEST_F (PalettePopupTest, PaintsBackgroundAndSwatches)
    {
        const auto image = snapshot();
        EXPECT_EQ (image.getPixelAt (3, 8).getARGB(), 0xf0000000u);
        // Swatch centres: entry 9 (column 4, row 1) and entry 24.
        EXPECT_EQ (image.getPixelAt (4 * 72 + 36, 54 + 37), juce::Colour (0xff6495ed));
        EXPECT_EQ (image.getPixelAt (4 * 72 + 36, 4 * 54 + 37), juce::Colours::white);

        PalettePopupComponent clear ({ { "none", juce::Colours::transparentBlack } });
        juce::Image clearImage (juce::Image::ARGB, clear.getWidth(), clear.getHeight(), true);
        {
            juce::Graphics g (clearImage);
            clear.paint (g);
        }
        // A transparent entry is a dark grey disc (away from its strike line).
        EXPECT_EQ (clearImage.getPixelAt (36 - 5, 37 - 5), juce::Colours::darkgrey);
    }

    TEST_F (PalettePopupTest, ClickSelectsTheEntryAndDismissesTheCallOut)
    {
        juce::Component parent;
        parent.setSize (800, 600);
        // Not modal here: a modal call-out takes the keyboard focus, which
        // needs a window on screen.
        juce::CallOutBox callOut (popup, { 75, 2, 26, 26 }, &parent);
        ASSERT_TRUE (callOut.isVisible());

        // Misses select nothing and leave the call-out open.
        popup.mouseDown (mouseEventAt (popup, 100.0f, 5.0f));
        popup.mouseDown (mouseEventAt (popup, 100.0f, 285.0f));
        rebondo::test::dispatchFor (100);
        EXPECT_TRUE (selections.empty());
        EXPECT_TRUE (callOut.isVisible());

        popup.mouseDown (mouseEventAt (popup, 4 * 72 + 30.0f, 54 + 30.0f));
        ASSERT_EQ (selections.size(), 1u);
        EXPECT_EQ (selections[0].first, "cornflowerblue");
        EXPECT_EQ (selections[0].second.getARGB(), 0xff6495edu);
        EXPECT_TRUE (rebondo::test::dispatchUntil ([&callOut] { return ! callOut.isVisible(); }, 2000));
    }

    //==========================================================================
    class AccentColourTest : public testing::Test
    {
    protected:
        rebondo::test::ScopedFreshHome home;
        std::unique_ptr<juce::PropertiesFile> settings = std::make_unique<juce::PropertiesFile> (standalonePropertiesOptions());
        juce::Colour accent = AccentColour::defaultColour;
        juce::String accentName = AccentColour::defaultName;

        // The value a fresh editor would start with.
        juce::Colour startingAccent()
        {
            juce::PropertiesFile reread (standalonePropertiesOptions());
            return AccentColour::readStored (&reread, AccentColour::defaultColour);
        }
    };

    TEST_F (AccentColourTest, PaletteChoiceIsRememberedAndPresetColourIsNot)
    {
        EXPECT_EQ (AccentColour::toText (accent), "ff20b2aa");
        EXPECT_EQ (startingAccent(), AccentColour::defaultColour) << "nothing stored yet";

        AccentColour::choosePaletteColour (accent, accentName, "cornflowerblue", juce::Colour (0xff6495ed), settings.get());
        EXPECT_EQ (accentName, "cornflowerblue");
        EXPECT_EQ (accent.getARGB(), 0xff6495edu);
        EXPECT_EQ (settings->getValue (AccentColour::settingsKey), "ff6495ed");
        EXPECT_EQ (startingAccent().getARGB(), 0xff6495edu) << "saved at once";

        AccentColour::applyPresetColour (accent, AccentColour::fromText ("ffff69b4"));
        EXPECT_EQ (accent, juce::Colour (0xffff69b4));
        EXPECT_EQ (settings->getValue (AccentColour::settingsKey), "ff6495ed");
        EXPECT_EQ (startingAccent().getARGB(), 0xff6495edu);
    }

    TEST_F (AccentColourTest, TextFormRoundTrips)
    {
        for (auto colour : { juce::Colour (0xff20b2aa), juce::Colour (0x0000ff00), juce::Colour (0x80102030) })
            EXPECT_EQ (AccentColour::fromText (AccentColour::toText (colour)), colour) << AccentColour::toText (colour);

        EXPECT_EQ (AccentColour::toText (juce::Colour (0x0000ff00)), "ff00");
        EXPECT_EQ (AccentColour::fromText ("#ff6495ed"), juce::Colour (0xff6495ed));
    }

    //==========================================================================
    const char* const whiteIcon =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"26\" height=\"26\" viewBox=\"0 0 26 26\">"
        "<rect x=\"0\" y=\"0\" width=\"26\" height=\"26\" fill=\"#FFFFFF\"/></svg>";

    juce::Colour iconCentre (juce::DrawableButton& button)
    {
        auto* image = button.getNormalImage();
        if (image == nullptr)
            return juce::Colours::transparentBlack;

        juce::Image target (juce::Image::ARGB, 26, 26, true);
        juce::Graphics g (target);
        image->drawWithin (g, { 0.0f, 0.0f, 26.0f, 26.0f }, juce::RectanglePlacement::stretchToFit, 1.0f);
        return target.getPixelAt (13, 13);
    }

    TEST (BrandingColoursTest, IconsAreTintedAndBadSvgLeavesTheImage)
    {
        juce::DrawableButton button ("palette", juce::DrawableButton::ImageOnButtonBackground);

        ASSERT_TRUE (BrandingColours::setSvgButtonImage (button, whiteIcon, juce::Colour (0xff6495ed)));
        EXPECT_EQ (iconCentre (button), juce::Colour (0xff6495ed));

        const auto* before = button.getNormalImage();
        for (const char* bad : { "", "not xml", "<html><body/></html>" })
        {
            EXPECT_FALSE (BrandingColours::setSvgButtonImage (button, bad, juce::Colours::red)) << bad;
            EXPECT_EQ (button.getNormalImage(), before) << bad;
        }
        EXPECT_EQ (iconCentre (button), juce::Colour (0xff6495ed));
    }

    TEST (BrandingColoursTest, WhiteTintsIconsBrandingAndKeyboard)
    {
        juce::DrawableButton settingsButton ("settings", juce::DrawableButton::ImageOnButtonBackground);
        juce::DrawableButton saveButton ("save", juce::DrawableButton::ImageOnButtonBackground);
        juce::Label branding;
        juce::Component keyboard;
        juce::Colour keyboardAccent = juce::Colours::lightseagreen;
        juce::ComboBox keyBox, scaleBox;

        BrandingColours::Targets targets;
        targets.iconButtons = { { &settingsButton, whiteIcon }, { &saveButton, whiteIcon } };
        targets.brandingLabel = &branding;
        targets.keyboard = &keyboard;
        targets.keyboardAccent = &keyboardAccent;
        targets.keyboardSelectors = { &keyBox, &scaleBox };

        BrandingColours::updateBrandingButtonColours (targets, juce::Colours::hotpink);
        EXPECT_EQ (iconCentre (saveButton), juce::Colours::hotpink);

        BrandingColours::updateBrandingButtonColours (targets, juce::Colours::white);
        EXPECT_EQ (iconCentre (settingsButton), juce::Colours::white) << "re-tinted from the white original";
        EXPECT_EQ (iconCentre (saveButton), juce::Colours::white);
        EXPECT_EQ (branding.findColour (juce::Label::textColourId), juce::Colours::white);
        EXPECT_EQ (keyboardAccent, juce::Colours::white);
        for (auto* box : { &keyBox, &scaleBox })
        {
            EXPECT_EQ (box->findColour (juce::ComboBox::outlineColourId), juce::Colours::white);
            EXPECT_EQ (box->findColour (juce::ComboBox::textColourId), juce::Colours::white);
        }
    }

    struct PresetButtonCase
    {
        juce::uint32 accent, fill, on;
        bool blackText;
    };

    TEST (BrandingColoursTest, PresetNameButtonColoursFollowTheAccentOfTheMoment)
    {
        for (auto c : { PresetButtonCase { 0xff20b2aa, 0xf220b2aa, 0xff4cc1bb, true },
                        PresetButtonCase { 0xff000080, 0xf2000080, 0xff333399, false },
                        PresetButtonCase { 0xffffffff, 0xf2ffffff, 0xffffffff, true } })
        {
            juce::TextButton button;
            BrandingColours::stylePresetNameButton (button, juce::Colour (c.accent));
            const auto text = c.blackText ? juce::Colours::black : juce::Colours::white;
            EXPECT_EQ (button.findColour (juce::TextButton::buttonColourId).getARGB(), c.fill);
            EXPECT_EQ (button.findColour (juce::TextButton::buttonOnColourId).getARGB(), c.on);
            EXPECT_EQ (button.findColour (juce::TextButton::textColourOffId), text);
            EXPECT_EQ (button.findColour (juce::TextButton::textColourOnId), text);
        }
    }
}
