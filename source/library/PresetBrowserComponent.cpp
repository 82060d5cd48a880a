#include "PresetBrowserComponent.h"
#include "BrowserHeader.h"

#include <algorithm>
#include <cmath>

namespace
{
    const juce::Colour fallbackColour { 0xff20b2aa };

    constexpr int margin = 12;
    constexpr int buttonHeight = 36;
    constexpr int rowPitch = 37;
    constexpr int columnGap = 8;
    constexpr int dividerHeight = 2;
    constexpr int scrollBarRoom = 18;
}

//==============================================================================
PresetButton::PresetButton (const juce::String& name)
    : juce::Button (name)
{
    setButtonText (name);
}

juce::Colour PresetButton::textColourFor (juce::Colour background)
{
    const auto r = background.getFloatRed();
    const auto g = background.getFloatGreen();
    const auto b = background.getFloatBlue();
    const auto brightness = std::sqrt (0.241f * r * r + 0.691f * g * g + 0.068f * b * b);
    return brightness > 0.45f ? juce::Colours::black : juce::Colours::white;
}

void PresetButton::paintSwatch (juce::Graphics& g, juce::Rectangle<float> bounds, juce::Colour swatchColour,
                                bool current, const juce::String& text, juce::Colour textColour)
{
    const auto w = bounds.getWidth();
    const auto h = bounds.getHeight();

    if (current)
    {
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0xf2));
        g.drawRoundedRectangle (1.5f, 1.5f, w - 3.0f, h - 3.0f, 9.0f, 3.0f);
        g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 0xd9));
        g.drawRoundedRectangle (4.5f, 4.5f, w - 9.0f, h - 9.0f, 7.0f, 2.0f);
    }

    g.setColour (swatchColour.withAlpha ((juce::uint8) 0xf7));
    g.fillRoundedRectangle (7.5f, 7.5f, w - 15.0f, h - 15.0f, 7.0f);

    g.setColour (textColour);
    g.setFont (juce::Font (13.0f, juce::Font::bold));
    g.drawFittedText (text, 14, 10,
                      std::max (0, juce::roundToInt (w - 15.0f) - 12),
                      std::max (0, juce::roundToInt (h - 15.0f) - 4),
                      juce::Justification::centred, 1);
}

void PresetButton::paintButton (juce::Graphics& g, bool, bool)
{
    paintSwatch (g, getLocalBounds().toFloat(), colour, isCurrent, getButtonText(), textColourFor (colour));
}

void PresetButton::mouseDoubleClick (const juce::MouseEvent&)
{
    if (onDoubleClick != nullptr)
        onDoubleClick();
}

//==============================================================================
PresetBrowserComponent::PresetBrowserComponent()
{
    viewport.setViewedComponent (&content, false);
    viewport.setScrollBarsShown (true, false);
    addAndMakeVisible (viewport);

    titleLabel.setText ("PRESETS", juce::dontSendNotification);
    titleLabel.setFont (juce::Font (15.0f, juce::Font::bold));
    titleLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    addAndMakeVisible (titleLabel);

    for (auto* button : { &loadButton, &renameButton, &deleteButton, &closeButton })
        addAndMakeVisible (button);

    loadButton.onClick = [this]
    {
        if (selectedPresetName.isEmpty())
            return;

        if (onLoadPreset != nullptr)
            onLoadPreset (selectedPresetName);

        if (onClose != nullptr)
            onClose();
    };

    renameButton.onClick = [this]
    {
        if (selectedPresetName.isNotEmpty() && onRenamePreset != nullptr)
            onRenamePreset (selectedPresetName);
    };

    deleteButton.onClick = [this]
    {
        if (selectedPresetName.isNotEmpty() && onDeletePreset != nullptr)
            onDeletePreset (selectedPresetName);
    };

    closeButton.onClick = [this]
    {
        if (onClose != nullptr)
            onClose();
    };

    updateButtonStates();
}

PresetBrowserComponent::~PresetBrowserComponent()
{
    content.removeAllChildren();
}

juce::Colour PresetBrowserComponent::readPresetColour (const juce::File& file)
{
    const auto xml = juce::XmlDocument::parse (file);

    if (xml == nullptr)
        return fallbackColour;

    const juce::XmlElement* element = xml.get();

    if (! xml->getTagName().equalsIgnoreCase ("PARAMETERS"))
    {
        for (auto* child : xml->getChildIterator())
        {
            if (child->getTagName().equalsIgnoreCase ("PARAMETERS"))
            {
                element = child;
                break;
            }
        }
    }

    const auto text = element->getStringAttribute ("ui_colour");
    return text.isNotEmpty() ? juce::Colour::fromString (text) : fallbackColour;
}

bool PresetBrowserComponent::comesBefore (const PresetInfo& a, const PresetInfo& b)
{
    const auto order = a.colour.toString().compare (b.colour.toString());

    if (order != 0)
        return order < 0;

    return a.name.compareIgnoreCase (b.name) < 0;
}

void PresetBrowserComponent::refreshPresetList()
{
    presets.clear();

    if (presetFolder.isDirectory())
    {
        for (const auto& file : presetFolder.findChildFiles (juce::File::findFiles, false, "*.xml"))
            presets.push_back ({ file.getFileNameWithoutExtension(), file, readPresetColour (file) });
    }

    std::sort (presets.begin(), presets.end(), comesBefore);
    rebuildPresetButtons();
}

void PresetBrowserComponent::rebuildPresetButtons()
{
    layoutItems.clear();
    content.removeAllChildren();
    presetButtons.clear();
    dividers.clear();

    juce::String previousColourText;

    for (const auto& preset : presets)
    {
        const auto colourText = preset.colour.toString();

        if (previousColourText.isNotEmpty() && previousColourText != colourText)
        {
            auto divider = std::make_unique<ColourDividerComponent> (preset.colour);
            content.addAndMakeVisible (*divider);
            layoutItems.push_back ({ false, divider.get() });
            dividers.push_back (std::move (divider));
        }

        previousColourText = colourText;

        auto button = std::make_unique<PresetButton> (preset.name);
        button->colour = preset.colour;

        const auto name = preset.name;
        button->onClick = [this, name] { selectPreset (name); };
        button->onDoubleClick = [this, name]
        {
            selectPreset (name);

            if (onLoadPreset != nullptr)
                onLoadPreset (name);

            if (onClose != nullptr)
                onClose();
        };

        content.addAndMakeVisible (*button);
        layoutItems.push_back ({ true, button.get() });
        presetButtons.push_back (std::move (button));
    }

    updateHighlights();
    updateButtonStates();
    resized();
    repaint();
}

void PresetBrowserComponent::setCurrentPresetName (const juce::String& name)
{
    currentPresetName = name;

    if (selectedPresetName.isEmpty())
        selectedPresetName = name;

    updateHighlights();
    updateButtonStates();
}

void PresetBrowserComponent::selectPreset (const juce::String& name)
{
    selectedPresetName = name;
    updateHighlights();
    updateButtonStates();
}

PresetButton* PresetBrowserComponent::findButton (const juce::String& name) const
{
    for (const auto& button : presetButtons)
        if (button->getButtonText() == name)
            return button.get();

    return nullptr;
}

void PresetBrowserComponent::updateHighlights()
{
    const auto& reference = selectedPresetName.isNotEmpty() ? selectedPresetName : currentPresetName;

    for (const auto& button : presetButtons)
    {
        button->isCurrent = button->getButtonText() == reference;
        button->repaint();
    }
}

void PresetBrowserComponent::updateButtonStates()
{
    const auto hasSelection = selectedPresetName.isNotEmpty();
    loadButton.setEnabled (hasSelection);
    renameButton.setEnabled (hasSelection);
    deleteButton.setEnabled (hasSelection && ! selectedPresetName.equalsIgnoreCase ("Default"));
}

void PresetBrowserComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha ((juce::uint8) 0x80));
    g.setColour (fallbackColour.withAlpha ((juce::uint8) 0xcc));
    g.drawRoundedRectangle (getLocalBounds().toFloat().reduced (1.0f), 8.0f, 1.5f);
}

void PresetBrowserComponent::resized()
{
    const auto iw = std::max (getWidth() - 2 * margin, 0);
    const auto ih = std::max (getHeight() - 2 * margin, 0);
    const auto hh = std::min (ih, 28);

    BrowserHeader::layout ({ loadButton, renameButton, deleteButton, closeButton, titleLabel }, margin, iw, hh);

    const auto gap = std::min (ih - hh, 8);
    viewport.setBounds (margin, margin + hh + gap, iw, ih - hh - gap);

    layoutGrid();
}

void PresetBrowserComponent::layoutGrid()
{
    const auto gridWidth = std::max (getWidth() - 2 * margin, 118);
    const auto contentWidth = gridWidth - scrollBarRoom;
    const auto columns = std::max (1, contentWidth / 130);
    const auto buttonWidth = (gridWidth - columnGap * columns - 10) / columns;

    int x = 0, y = 0, column = 0, lastRowTop = 0;

    for (const auto& item : layoutItems)
    {
        if (item.isButton)
        {
            item.component->setBounds (x, y, buttonWidth, buttonHeight);
            lastRowTop = y;
            x += buttonWidth + columnGap;

            if (++column == columns)
            {
                column = 0;
                x = 0;
                y += rowPitch;
            }
        }
        else
        {
            if (column > 0)
            {
                column = 0;
                x = 0;
                y += rowPitch;
            }

            item.component->setBounds (0, y, contentWidth, dividerHeight);
            y += dividerHeight;
        }
    }

    content.setSize (contentWidth, std::max (lastRowTop + 41, viewport.getHeight()));
}
