#include "styles/ButtonCustomStyle.h"
#include "styles/ComboBoxLookAndFeel.h"
#include "styles/NoArrowLookAndFeel.h"
#include "styles/SimpleKnobStyle.h"

#include <gtest/gtest.h>

namespace
{
    // Paints a component alone (no children) on an opaque black ground.
    juce::Image paintOnBlack (juce::Component& component)
    {
        juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::black);
        component.paintEntireComponent (g, false);
        return image;
    }

    juce::Colour overBlack (juce::Colour c)
    {
        return juce::Colours::black.overlaidWith (c);
    }

    void expectColourNear (juce::Colour actual, juce::Colour expected, int tolerance, const char* what)
    {
        EXPECT_NEAR (actual.getRed(), expected.getRed(), tolerance) << what;
        EXPECT_NEAR (actual.getGreen(), expected.getGreen(), tolerance) << what;
        EXPECT_NEAR (actual.getBlue(), expected.getBlue(), tolerance) << what;
    }

    int maxAlpha (const juce::Image& image)
    {
        int result = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                result = juce::jmax (result, (int) image.getPixelAt (x, y).getAlpha());
        return result;
    }
}

TEST (ComboBoxStylesTest, FillOutlineAndTextFollowTheOwnersAccent)
{
    juce::Colour accent (0xff3080c0);

    comboBoxLookAndFeel dark;
    NoArrowLookAndFeel translucent;
    dark.accentColour.setSource (&accent);
    translucent.accentColour.setSource (&accent);

    juce::ComboBox darkBox, translucentBox;
    darkBox.setLookAndFeel (&dark);
    translucentBox.setLookAndFeel (&translucent);

    for (int round = 0; round < 2; ++round)
    {
        darkBox.setBounds (0, 0, 60, 20);
        translucentBox.setBounds (0, 0, 60, 20);

        const auto darkImage = paintOnBlack (darkBox);
        const auto translucentImage = paintOnBlack (translucentBox);

        // Inside, away from the text: the fill. On the top edge: the outline.
        expectColourNear (darkImage.getPixelAt (2, 10), accent.darker (0.65f), 1, "dark fill");
        expectColourNear (darkImage.getPixelAt (30, 0), accent.brighter (0.25f), 3, "dark outline");
        // The translucent fill and outline overlap on the edge, inside only the fill shows.
        expectColourNear (translucentImage.getPixelAt (2, 10), overBlack (accent.withAlpha ((juce::uint8) 64)), 2, "translucent fill");

        EXPECT_EQ (darkBox.findColour (juce::ComboBox::textColourId), accent);
        EXPECT_EQ (translucentBox.findColour (juce::ComboBox::textColourId), accent);

        accent = juce::Colour (0xffe0a020); // recolour the owner only
    }

    darkBox.setLookAndFeel (nullptr);
    translucentBox.setLookAndFeel (nullptr);
}

TEST (ComboBoxStylesTest, TextSitsCentredInsideAFourPixelMarginAndZeroSizeDraws)
{
    juce::Colour accent (juce::Colours::lightseagreen);
    comboBoxLookAndFeel style;
    style.accentColour.setSource (&accent);

    juce::ComboBox box;
    box.setLookAndFeel (&style);
    box.setBounds (0, 0, 80, 24);

    juce::Label label;
    label.setJustificationType (juce::Justification::centredLeft);
    style.positionComboBoxText (box, label);
    EXPECT_EQ (label.getBounds(), juce::Rectangle<int> (4, 0, 72, 24));
    EXPECT_EQ (label.getJustificationType(), juce::Justification::centred);

    box.setBounds (0, 0, 0, 0);
    juce::Image image (juce::Image::ARGB, 4, 4, true);
    {
        juce::Graphics g (image);
        style.drawComboBox (g, 0, 0, false, 0, 0, 0, 0, box);
    }
    EXPECT_EQ (maxAlpha (image), 0);

    box.setLookAndFeel (nullptr);
}

TEST (ButtonCustomStyleTest, FillColourByState)
{
    const juce::Colour a (0xff20b2aa);
    struct Case { bool on, highlighted, down; juce::Colour expected; };
    const Case cases[] = {
        { false, false, false, a.withAlpha ((juce::uint8) 31) },
        { true, false, false, a.withAlpha ((juce::uint8) 191) },
        { true, false, true, a.darker (0.15f).withAlpha ((juce::uint8) 191) },
        { false, true, false, a.brighter (0.12f).withAlpha ((juce::uint8) 31) },
        { true, true, true, a.brighter (0.12f).darker (0.15f).withAlpha ((juce::uint8) 191) },
    };

    for (const auto& c : cases)
        EXPECT_EQ (ButtonCustomStyle::fillColourFor (a, c.on, c.highlighted, c.down).getARGB(), c.expected.getARGB())
            << "on " << c.on << " highlighted " << c.highlighted << " down " << c.down;
}

TEST (ButtonCustomStyleTest, DrawsBackgroundAndOutlineInTheAccent)
{
    juce::Colour accent (0xff4060ff);
    ButtonCustomStyle style;
    style.accentColour.setSource (&accent);

    juce::TextButton button;
    button.setLookAndFeel (&style);
    button.setBounds (0, 0, 60, 24);
    button.setToggleState (true, juce::dontSendNotification);

    auto image = paintOnBlack (button);
    expectColourNear (image.getPixelAt (3, 12), overBlack (accent.withAlpha ((juce::uint8) 191)), 2, "on fill");
    // The 1.5-pixel outline covers the left column more than the fill does.
    expectColourNear (image.getPixelAt (0, 12), overBlack (accent.brighter (0.45f).withMultipliedAlpha (0.9f)), 40, "on outline");

    button.setToggleState (false, juce::dontSendNotification);
    image = paintOnBlack (button);
    expectColourNear (image.getPixelAt (3, 12), overBlack (accent.withAlpha ((juce::uint8) 31)), 2, "off fill");

    button.setLookAndFeel (nullptr);
}

TEST (ButtonCustomStyleTest, TextOpacityForDisabledAndPressedButtons)
{
    juce::Colour accent (0xffffffff);
    ButtonCustomStyle style;
    style.accentColour.setSource (&accent);

    juce::TextButton button ("MMMM");
    button.setBounds (0, 0, 120, 40);

    const auto textAlpha = [&] (bool down)
    {
        juce::Image image (juce::Image::ARGB, 120, 40, true);
        juce::Graphics g (image);
        style.drawButtonText (g, button, false, down);
        return maxAlpha (image);
    };

    const int normal = textAlpha (false);
    EXPECT_NEAR (normal, 191, 2);
    EXPECT_NEAR (textAlpha (true), 191 * 0.75, 3);

    button.setEnabled (false);
    EXPECT_NEAR (textAlpha (false), 191 * 0.4, 3);
    EXPECT_NEAR (textAlpha (true), 191 * 0.4, 3); // disabled wins over pressed

    // A disabled parent disables the text too.
    button.setEnabled (true);
    juce::Component parent;
    parent.addAndMakeVisible (button);
    parent.setEnabled (false);
    EXPECT_NEAR (textAlpha (false), 191 * 0.4, 3);
}

TEST (SimpleKnobStyleTest, ValueArcFollowsPositionAndAccent)
{
    juce::Colour accent (0xffff0000);
    SimpleKnobStyle style;
    style.accentColour.setSource (&accent);

    juce::Slider knob (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
    knob.setLookAndFeel (&style);
    knob.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::blue);
    knob.setColour (juce::Slider::rotarySliderOutlineColourId, juce::Colours::darkgrey);
    knob.setRange (0.0, 1.0);
    knob.setBounds (0, 0, 100, 100);

    const float start = juce::MathConstants<float>::pi * 1.2f;
    const float end = juce::MathConstants<float>::pi * 2.8f;
    knob.setRotaryParameters (start, end, true);

    // The top of the ring (angle 2 pi) lies on the value arc at the end
    // position and on the remaining arc at the start position.
    const auto drawAt = [&] (float position)
    {
        juce::Image image (juce::Image::ARGB, 100, 100, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::black);
        style.drawRotarySlider (g, 0, 0, 100, 100, position, start, end, knob);
        return image.getPixelAt (50, 4); // r = 46 from the centre at 50
    };

    const auto atEnd = drawAt (1.0f);
    expectColourNear (atEnd, accent, 30, "value arc at the end position");

    const auto atStart = drawAt (0.0f);
    EXPECT_LT (atStart.getRed(), 120) << "no value arc at the start position";
    EXPECT_EQ (knob.findColour (juce::Slider::thumbColourId), accent);

    accent = juce::Colour (0xff00ff00);
    const auto recoloured = drawAt (1.0f);
    expectColourNear (recoloured, accent, 30, "recoloured value arc");

    knob.setLookAndFeel (nullptr);
}
