#include "PalettePopupComponent.h"

PalettePopupComponent::PalettePopupComponent (std::vector<PaletteColour> entries)
    : paletteEntries (std::move (entries))
{
    setSize (popupBoundsFor (paletteEntries.size()).getWidth(), popupBoundsFor (paletteEntries.size()).getHeight());
}

std::vector<PalettePopupComponent::PaletteColour> PalettePopupComponent::defaultPalette()
{
    return {
        { "lightseagreen",   juce::Colour (0xff20b2aa) },
        { "turquoise",       juce::Colour (0xff40e0d0) },
        { "mediumturquoise", juce::Colour (0xff48d1cc) },
        { "cyan",            juce::Colour (0xff00ffff) },
        { "lightcyan",       juce::Colour (0xffe0ffff) },
        { "aquamarine",      juce::Colour (0xff7fffd4) },
        { "deepskyblue",     juce::Colour (0xff00bfff) },
        { "lightskyblue",    juce::Colour (0xff87cefa) },
        { "lightblue",       juce::Colour (0xffadd8e6) },
        { "cornflowerblue",  juce::Colour (0xff6495ed) },
        { "lavender",        juce::Colour (0xffe6e6fa) },
        { "violet",          juce::Colour (0xffee82ee) },
        { "plum",            juce::Colour (0xffdda0dd) },
        { "hotpink",         juce::Colour (0xffff69b4) },
        { "lightpink",       juce::Colour (0xffffb6c1) },
        { "lightcoral",      juce::Colour (0xfff08080) },
        { "coral",           juce::Colour (0xffff7f50) },
        { "lightsalmon",     juce::Colour (0xffffa07a) },
        { "orange",          juce::Colour (0xffffa500) },
        { "gold",            juce::Colour (0xffffd700) },
        { "khaki",           juce::Colour (0xfff0e68c) },
        { "greenyellow",     juce::Colour (0xffadff2f) },
        { "limegreen",       juce::Colour (0xff32cd32) },
        { "lightgreen",      juce::Colour (0xff90ee90) },
        { "white",           juce::Colour (0xffffffff) },
    };
}

juce::Rectangle<int> PalettePopupComponent::popupBoundsFor (size_t numEntries)
{
    const auto rows = (int) ((numEntries + (size_t) columns - 1) / (size_t) columns);
    return { 0, 0, columns * cellWidth, rows * cellHeight + 20 };
}

int PalettePopupComponent::entryAt (int x, int y) const
{
    if (y < 10 || x < 0 || x >= columns * cellWidth)
        return -1;

    const int index = ((y - 10) / cellHeight) * columns + x / cellWidth;
    return index < (int) paletteEntries.size() ? index : -1;
}

void PalettePopupComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha ((juce::uint8) 0xf0));

    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x2e));
    g.drawRoundedRectangle (0.5f, 0.5f,
                            juce::jmax (0.0f, (float) getWidth() - 1.0f),
                            juce::jmax (0.0f, (float) getHeight() - 1.0f), 7.0f, 1.0f);

    for (size_t i = 0; i < paletteEntries.size(); ++i)
    {
        const auto cx = (float) (cellWidth * ((int) i % columns));
        const auto cy = (float) (cellHeight * ((int) i / columns));
        const auto colour = paletteEntries[i].colour;

        if ((int) i == hoveredIndex)
        {
            g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x29));
            g.fillRoundedRectangle (cx + 4.0f, cy + 14.0f, 64.0f, 46.0f, 5.0f);
        }

        const juce::Rectangle<float> swatch (cx + 25.0f, cy + 26.0f, 22.0f, 22.0f);

        if (colour.getAlpha() == 0)
        {
            // A transparent entry shows as a struck-through grey swatch.
            g.setColour (juce::Colours::darkgrey);
            g.fillEllipse (swatch);
            g.setColour (juce::Colours::lightgrey);
            g.drawLine (cx + 25.0f, cy + 48.0f, cx + 47.0f, cy + 26.0f, 2.0f);
        }
        else
        {
            g.setColour (colour);
            g.fillEllipse (swatch);
        }

        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x8c));
        g.drawEllipse (swatch, 1.0f);
    }
}

void PalettePopupComponent::mouseMove (const juce::MouseEvent& e)
{
    const int index = entryAt ((int) e.position.x, (int) e.position.y);

    if (index != hoveredIndex)
    {
        hoveredIndex = index;
        repaint();
    }
}

void PalettePopupComponent::mouseExit (const juce::MouseEvent&)
{
    hoveredIndex = -1;
    repaint();
}

void PalettePopupComponent::mouseDown (const juce::MouseEvent& e)
{
    const int index = entryAt ((int) e.position.x, (int) e.position.y);

    if (index < 0)
        return;

    if (onColourSelected)
    {
        const auto entry = paletteEntries[(size_t) index];
        onColourSelected (entry.name, entry.colour);
    }

    if (auto* callOut = findParentComponentOfClass<juce::CallOutBox>())
        callOut->dismiss();
}

void showPalettePopup (juce::Component& parent, juce::Rectangle<int> area,
                       std::function<void (const juce::String&, juce::Colour)> onColourSelected)
{
    auto popup = std::make_unique<PalettePopupComponent> (PalettePopupComponent::defaultPalette());
    popup->onColourSelected = std::move (onColourSelected);
    popup->hoveredIndex = -1;
    juce::CallOutBox::launchAsynchronously (std::move (popup), area, &parent);
}
