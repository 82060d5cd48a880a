#include "BrandingColours.h"

namespace BrandingColours
{
    bool setSvgButtonImage (juce::DrawableButton& button, const juce::String& svgText, juce::Colour accent)
    {
        const auto svg = juce::XmlDocument::parse (svgText);

        if (svg == nullptr)
            return false;

        auto drawable = juce::Drawable::createFromSVG (*svg);

        if (drawable == nullptr)
            return false;

        drawable->replaceColour (juce::Colour (0xffffffff), accent);
        button.setImages (drawable.get());
        button.repaint();
        return true;
    }

    void updateBrandingButtonColours (const Targets& targets, juce::Colour accent)
    {
        for (const auto& [button, svgText] : targets.iconButtons)
            if (button != nullptr)
                setSvgButtonImage (*button, svgText, accent);

        if (targets.brandingLabel != nullptr)
            targets.brandingLabel->setColour (juce::Label::textColourId, accent);

        if (targets.keyboardAccent != nullptr)
            *targets.keyboardAccent = accent;

        for (auto* box : targets.keyboardSelectors)
        {
            if (box == nullptr)
                continue;

            box->setColour (juce::ComboBox::outlineColourId, accent);
            box->setColour (juce::ComboBox::textColourId, accent);
            box->repaint();
        }

        if (targets.keyboard != nullptr)
            targets.keyboard->repaint();
    }

    void stylePresetNameButton (juce::TextButton& button, juce::Colour accent)
    {
        const auto text = accent.getPerceivedBrightness() > 0.45f ? juce::Colours::black : juce::Colours::white;

        button.setColour (juce::TextButton::buttonColourId, accent.withAlpha ((juce::uint8) 0xf2));
        button.setColour (juce::TextButton::buttonOnColourId, accent.brighter (0.25f));
        button.setColour (juce::TextButton::textColourOffId, text);
        button.setColour (juce::TextButton::textColourOnId, text);
    }
}
