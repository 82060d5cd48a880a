#include "SettingsComponent.h"

#include "engine/Parameters.h"

namespace
{
    const juce::Colour rowTextColour = juce::Colours::white.darker (0.15f);

    void colourTextButton (juce::TextButton& button, juce::Colour accent,
                           float offDarker, float onDarker, float textBrighter)
    {
        button.setColour (juce::TextButton::buttonColourId, accent.darker (offDarker));
        button.setColour (juce::TextButton::buttonOnColourId, accent.darker (onDarker));
        button.setColour (juce::TextButton::textColourOffId, accent.brighter (textBrighter));
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    }

    void colourComboBox (juce::ComboBox& box, juce::Colour accent)
    {
        box.setColour (juce::ComboBox::outlineColourId, accent);
        box.setColour (juce::ComboBox::textColourId, accent);
        box.setColour (juce::ComboBox::backgroundColourId, juce::Colours::transparentBlack);
    }
}

//==============================================================================
void SettingsComponent::SettingsComboLookAndFeel::drawComboBox (juce::Graphics& g, int, int, bool,
                                                               int, int, int, int, juce::ComboBox& box)
{
    const auto colour = accent != nullptr ? *accent : juce::Colours::lightseagreen;
    box.setColour (juce::ComboBox::textColourId, colour);

    const auto w = (float) box.getWidth();
    const auto h = (float) box.getHeight();
    g.setColour (colour.darker (0.65f));
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 3.0f);
    g.setColour (colour.brighter (0.25f));
    g.drawRoundedRectangle (0.5f, 0.5f, juce::jmax (0.0f, w - 1.0f), juce::jmax (0.0f, h - 1.0f), 3.0f, 1.0f);
}

void SettingsComponent::SettingsComboLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (4, 0, box.getWidth() - 8, box.getHeight());

    if (label.getJustificationType() != juce::Justification::centred)
    {
        label.setJustificationType (juce::Justification::centred);
        label.repaint();
    }
}

//==============================================================================
SettingsComponent::SettingsComponent (juce::AudioProcessorValueTreeState& parameterTree)
    : parameters (parameterTree)
{
    comboLookAndFeel.accent = &accentColour;

    for (auto* button : { &splitLeftButton, &splitRightButton, &collisionButton, &closeButton })
        button->setClickingTogglesState (false);

    titleLabel.setText ("Settings", juce::dontSendNotification);
    titleLabel.setJustificationType (juce::Justification::centredLeft);
    titleLabel.setColour (juce::Label::textColourId, accentColour);
    titleLabel.setFont (juce::Font (15.0f, juce::Font::bold));
    addAndMakeVisible (titleLabel);

    splitLabel.setText ("Split", juce::dontSendNotification);
    splitLabel.setJustificationType (juce::Justification::centred);
    splitLabel.setColour (juce::Label::textColourId, rowTextColour);
    splitLabel.setFont (juce::Font (13.0f, juce::Font::plain));
    addAndMakeVisible (splitLabel);

    const std::pair<juce::Label*, const char*> rowLabels[] {
        { &modWheelLabel, "Assign Mod Wheel" },
        { &maxBouncesLabel, "Max Bounces" },
        { &collisionLabel, "Ball Collisions" },
    };
    for (const auto& [label, text] : rowLabels)
    {
        label->setText (text, juce::dontSendNotification);
        label->setJustificationType (juce::Justification::centredRight);
        label->setColour (juce::Label::textColourId, rowTextColour);
        label->setFont (juce::Font (13.0f, juce::Font::plain));
        addAndMakeVisible (*label);
    }

    modWheelBox.addItemList (modWheelModeNames(), 1);
    maxBouncesBox.addItemList ({ "2", "3", "4", "5", "6", "7", "8", "12", "999" }, 1);
    for (auto* box : { &modWheelBox, &maxBouncesBox })
    {
        box->setLookAndFeel (&comboLookAndFeel);
        colourComboBox (*box, accentColour);
        addAndMakeVisible (*box);
    }
    modWheelAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ComboBoxAttachment> (
        parameters, ParameterIDs::mod, modWheelBox);
    maxBouncesAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ComboBoxAttachment> (
        parameters, ParameterIDs::maxBounces, maxBouncesBox);

    colourTextButton (collisionButton, accentColour, 0.7f, 0.2f, 0.35f);
    colourTextButton (closeButton, accentColour, 0.7f, 0.2f, 0.35f);
    addAndMakeVisible (collisionButton);
    addAndMakeVisible (closeButton);

    refreshFromParameters();

    collisionButton.onClick = [this] { collisionClicked(); };
    closeButton.onClick = [this]
    {
        if (onClose)
            onClose();
    };

    colourTextButton (splitLeftButton, accentColour, 0.78f, 0.25f, 0.2f);
    colourTextButton (splitRightButton, accentColour, 0.78f, 0.25f, 0.2f);
    addAndMakeVisible (splitLeftButton);
    addAndMakeVisible (splitRightButton);
    showSplitStates();
    splitLeftButton.onClick = [this] { splitClicked (true); };
    splitRightButton.onClick = [this] { splitClicked (false); };
}

SettingsComponent::~SettingsComponent()
{
    modWheelBox.setLookAndFeel (nullptr);
    maxBouncesBox.setLookAndFeel (nullptr);
    maxBouncesAttachment.reset();
    modWheelAttachment.reset();
}

//==============================================================================
void SettingsComponent::showCollisionState()
{
    const juce::String text = collisionOn ? "On" : "Off";

    if (collisionButton.getButtonText() != text)
        collisionButton.setButtonText (text);

    collisionButton.repaint();
}

void SettingsComponent::refreshFromParameters()
{
    if (auto* value = parameters.getRawParameterValue (ParameterIDs::collision))
        collisionOn = value->load() > 0.5f;

    showCollisionState();
}

void SettingsComponent::collisionClicked()
{
    collisionOn = ! collisionOn;
    showCollisionState();

    if (auto* parameter = parameters.getParameter (ParameterIDs::collision))
    {
        const auto target = parameter->convertTo0to1 (collisionOn ? 1.0f : 0.0f);

        if (parameter->getValue() != target)
            parameter->setValueNotifyingHost (target);
    }

    if (onCollisionChanged)
        onCollisionChanged (collisionOn);
}

void SettingsComponent::showSplitState (juce::TextButton& button, bool on)
{
    button.setToggleState (on, juce::dontSendNotification);
    button.setAlpha (on ? 1.0f : 0.35f);
    button.repaint();
}

void SettingsComponent::showSplitStates()
{
    showSplitState (splitLeftButton, splitLeftOn);
    showSplitState (splitRightButton, splitRightOn);
}

void SettingsComponent::splitClicked (bool leftClicked)
{
    // Never both off: switching off the only sounding side turns the other on.
    if (leftClicked)
    {
        splitLeftOn = ! splitLeftOn;
        if (! splitLeftOn && ! splitRightOn)
            splitRightOn = true;
    }
    else
    {
        splitRightOn = ! splitRightOn;
        if (! splitLeftOn && ! splitRightOn)
            splitLeftOn = true;
    }

    showSplitStates();

    if (onSplitChanged)
        onSplitChanged (splitLeftOn, splitRightOn);
}

void SettingsComponent::applyControlColours()
{
    titleLabel.setColour (juce::Label::textColourId, accentColour);

    for (auto* box : { &modWheelBox, &maxBouncesBox })
    {
        box->setColour (juce::ComboBox::outlineColourId, accentColour);
        box->setColour (juce::ComboBox::textColourId, accentColour);
        box->repaint();
    }

    colourTextButton (collisionButton, accentColour, 0.7f, 0.2f, 0.35f);
    colourTextButton (closeButton, accentColour, 0.7f, 0.2f, 0.35f);
    colourTextButton (splitLeftButton, accentColour, 0.78f, 0.25f, 0.2f);
    colourTextButton (splitRightButton, accentColour, 0.78f, 0.25f, 0.2f);
    splitLabel.setColour (juce::Label::textColourId, rowTextColour);
}

void SettingsComponent::setAccentColour (juce::Colour colour)
{
    accentColour = colour;
    applyControlColours();
    showSplitStates();
    repaint();
}

//==============================================================================
void SettingsComponent::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();

    g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 235));
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 8.0f);
    g.setColour (accentColour.withAlpha ((juce::uint8) 217));
    g.drawRoundedRectangle (0.5f, 0.5f, juce::jmax (0.0f, w - 1.0f), juce::jmax (0.0f, h - 1.0f), 8.0f, 1.0f);
}

void SettingsComponent::resized()
{
    auto area = getLocalBounds().reduced (14);

    auto header = area.removeFromTop (24);
    titleLabel.setBounds (header.removeFromLeft (140));
    closeButton.setBounds (header.removeFromRight (52).withHeight (22));

    area.removeFromTop (10);
    auto controls = area.removeFromTop (87);

    auto left = controls.removeFromLeft (204);
    const std::pair<juce::Label*, juce::Component*> rows[] {
        { &modWheelLabel, &modWheelBox },
        { &collisionLabel, &collisionButton },
        { &maxBouncesLabel, &maxBouncesBox },
    };
    bool firstRow = true;
    for (const auto& [label, control] : rows)
    {
        if (! firstRow)
            left.removeFromTop (5);
        firstRow = false;

        auto row = left.removeFromTop (24);
        label->setBounds (row.removeFromLeft (92));
        row.removeFromLeft (8);
        control->setBounds (row.removeFromLeft (104).reduced (0, 2));
    }

    controls.removeFromLeft (40);
    auto split = controls.removeFromLeft (66);
    splitLabel.setBounds (split.removeFromTop (18));
    split.removeFromTop (4);
    auto switches = split.removeFromTop (24);
    splitLeftButton.setBounds (switches.removeFromLeft (30).reduced (1, 2));
    switches.removeFromLeft (6);
    splitRightButton.setBounds (switches.removeFromLeft (30).reduced (1, 2));

    area.removeFromTop (10);
    if (standaloneSetup != nullptr)
        standaloneSetup->setBounds (area.reduced (0, 4));
    else if (channelSelector != nullptr)
        channelSelector->setBounds (area.removeFromTop (98));
}
