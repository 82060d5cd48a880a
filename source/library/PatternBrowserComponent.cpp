#include "PatternBrowserComponent.h"
#include "BrowserHeader.h"

#include "PresetBrowserComponent.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace
{
    const juce::Colour accent { 0xff20b2aa };
    constexpr int margin = 12;

    // Just ratios p/q for 1..11 semitones within the octave.
    constexpr int ratioNumerators[12]   = { 1, 16, 9, 6, 5, 4, 45, 3, 8, 5, 9, 15 };
    constexpr int ratioDenominators[12] = { 1, 15, 8, 5, 4, 3, 32, 2, 5, 3, 5, 8 };

    // Beyond this many octaves the ratio no longer changes the (clamped) colour.
    constexpr int maxOctaveShift = 40;

    void styleSmallButton (juce::TextButton& button)
    {
        button.setColour (juce::TextButton::buttonColourId, juce::Colours::darkslategrey.withAlpha ((juce::uint8) 0xd9));
        button.setColour (juce::TextButton::buttonOnColourId, accent.withAlpha ((juce::uint8) 0xb2));
        button.setColour (juce::TextButton::textColourOffId, juce::Colours::white.withAlpha ((juce::uint8) 0xd9));
        button.setColour (juce::TextButton::textColourOnId, juce::Colours::black);
    }
}

//==============================================================================
double patternComplexity (const std::vector<int>& steps)
{
    std::vector<int> notes;

    for (const auto step : steps)
        if (step != PatternBuilderComponent::rest)
            notes.push_back (step);

    if (notes.size() < 2)
        return 0.0;

    std::uint64_t l = 1, g = 0;

    for (size_t i = 0; i < notes.size(); ++i)
    {
        for (size_t j = i + 1; j < notes.size(); ++j)
        {
            const auto d = std::abs (notes[j] - notes[i]);
            auto p = (std::uint64_t) ratioNumerators[d % 12];
            const auto q = (std::uint64_t) ratioDenominators[d % 12];
            p <<= std::min (d / 12, maxOctaveShift);

            l = std::lcm (std::lcm (l, p), q);
            g = std::gcd (std::gcd (g, p), q);
        }
    }

    const auto ratio = (double) l / (double) std::max<std::uint64_t> (g, 1);
    return std::log2 (std::max (ratio, 1.0));
}

float patternHue (const std::vector<int>& steps)
{
    const auto e = patternComplexity (steps) / std::log2 (1440.0);
    const auto t = std::pow (std::min (e, 1.0), 1.15);
    return (float) (0.16 + 0.62 * t);
}

juce::Colour patternColour (const std::vector<int>& steps)
{
    const auto mixed = juce::Colour::fromHSV (patternHue (steps), 0.8f, 0.95f, 1.0f)
                           .withAlpha ((juce::uint8) 0xdb)
                           .interpolatedWith (accent, 0.28f);

    const auto darken = [] (juce::uint8 c) { return (juce::uint8) ((float) c * 0.8f); };
    return juce::Colour (darken (mixed.getRed()), darken (mixed.getGreen()), darken (mixed.getBlue()), mixed.getAlpha());
}

//==============================================================================
PatternButton::PatternButton (const juce::String& name)
    : juce::Button (name)
{
    setButtonText (name);
}

void PatternButton::paintButton (juce::Graphics& g, bool, bool)
{
    PresetButton::paintSwatch (g, getLocalBounds().toFloat(), colour, isCurrent, getButtonText(), juce::Colours::white);
}

void PatternButton::mouseDoubleClick (const juce::MouseEvent&)
{
    if (onDoubleClick != nullptr)
        onDoubleClick();
}

//==============================================================================
PatternBrowserComponent::PatternBrowserComponent()
{
    titleLabel.setText ("Pattern: none", juce::dontSendNotification);
    titleLabel.setFont (juce::Font (12.0f, juce::Font::bold));
    titleLabel.setColour (juce::Label::textColourId, juce::Colours::white);
    titleLabel.setJustificationType (juce::Justification::centredLeft);
    addAndMakeVisible (titleLabel);

    builderLabel.setText ("Pattern Builder", juce::dontSendNotification);
    builderLabel.setColour (juce::Label::textColourId, juce::Colours::white.withAlpha ((juce::uint8) 0x73));
    addAndMakeVisible (builderLabel);

    for (auto* button : { &newButton, &undoButton, &skipButton, &saveButton, &helpButton })
        styleSmallButton (*button);

    for (auto* button : { &newButton, &undoButton, &skipButton, &saveButton, &closeButton, &helpButton,
                          &loadButton, &renameButton, &deleteButton })
        addAndMakeVisible (button);

    addAndMakeVisible (builder);

    viewport.setViewedComponent (&content, false);
    viewport.setScrollBarsShown (true, false);
    addAndMakeVisible (viewport);

    builder.onPatternEdited = [this]
    {
        markBuilderAsCustom();
        updateManagementButtons();
    };

    builder.onMidiEntryToggled = [this] (bool on)
    {
        if (on)
            markBuilderAsCustom();

        if (onMidiEntryChanged != nullptr)
            onMidiEntryChanged (on);

        updateManagementButtons();
    };

    newButton.onClick = [this] { newPattern(); };
    undoButton.onClick = [this] { undo(); };
    skipButton.onClick = [this] { skip(); };
    saveButton.onClick = [this]
    {
        if (onSavePattern != nullptr)
            onSavePattern (selectedPatternName, builder.steps);
    };
    loadButton.onClick = [this] { loadSelectedPattern(); };
    renameButton.onClick = [this]
    {
        if (selectedPatternName.isNotEmpty() && ! isFactoryPattern (selectedPatternName) && onRenamePattern != nullptr)
            onRenamePattern (selectedPatternName);
    };
    deleteButton.onClick = [this]
    {
        if (selectedPatternName.isNotEmpty() && ! isFactoryPattern (selectedPatternName) && onDeletePattern != nullptr)
            onDeletePattern (selectedPatternName);
    };
    closeButton.onClick = [this] { closePanel(); };
    helpButton.onClick = []
    {
        juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::InfoIcon, "Pattern Builder", helpText());
    };

    updateManagementButtons();
}

PatternBrowserComponent::~PatternBrowserComponent()
{
    content.removeAllChildren();
}

juce::String PatternBrowserComponent::helpText()
{
    return "Click Edit to modify the current pattern, or New to start a new one.\n\n"
           "Add notes by clicking on the next available column on the piano roll, or tap the keyboard icon and "
           "enter notes in sequence using your MIDI device.The first note becomes the root of the pattern "
           "(the played note).The following notes define the shape of the pattern around that root. "
           "Long tap a note to delete it. Short tap coverts it to a rest note (orange dot). "
           "Replace a note by clicking a different note in the column.\n\n"
           "Undo removes the last note. Skip adds a rest. Save stores the pattern, either as a new pattern "
           "or by overwriting an existing one.";
}

//==============================================================================
void PatternBrowserComponent::setPatterns (const std::vector<PatternInfo>& library)
{
    patterns = library;
    rebuildPatternButtons();
}

void PatternBrowserComponent::rebuildPatternButtons()
{
    layoutItems.clear();
    content.removeAllChildren();
    patternButtons.clear();

    for (const auto& pattern : patterns)
    {
        auto button = std::make_unique<PatternButton> (pattern.name);
        button->colour = patternColour (pattern.steps);

        const auto name = pattern.name;
        button->onClick = [this, name] { clickPattern (name); };
        button->onDoubleClick = [this, name] { doubleClickPattern (name); };

        content.addAndMakeVisible (*button);
        layoutItems.push_back ({ true, button.get() });
        patternButtons.push_back (std::move (button));
    }

    updateHighlights();
    updateManagementButtons();
    resized();
    repaint();
}

PatternButton* PatternBrowserComponent::findButton (const juce::String& name) const
{
    for (const auto& button : patternButtons)
        if (button->getButtonText() == name)
            return button.get();

    return nullptr;
}

void PatternBrowserComponent::setCurrentPatternName (const juce::String& name)
{
    currentPatternName = name;
    updateHighlights();
    updateManagementButtons();
}

void PatternBrowserComponent::setBuilderPattern (const juce::String& name, const std::vector<int>& steps)
{
    selectedPatternName = name;
    builderIsCustom = false;
    setTitleText (name.isNotEmpty() ? name : "none");
    builder.loadPattern (name, steps);
    updateHighlights();
    updateManagementButtons();
    repaint();
}

void PatternBrowserComponent::showBuilderPatternAsCurrent (const juce::String& name)
{
    setCurrentPatternName (name);
    selectedPatternName = name;
    builderIsCustom = false;
    setTitleText (name);
    updateHighlights();
    updateManagementButtons();
}

void PatternBrowserComponent::markBuilderAsCustom()
{
    builderIsCustom = true;
    selectedPatternName = {};
    setTitleText ("Custom");

    if (! builder.steps.empty() && onBuilderPatternChanged != nullptr)
        onBuilderPatternChanged ("Custom", builder.steps);

    updateHighlights();
    updateManagementButtons();
    repaint();
}

void PatternBrowserComponent::loadSelectedPattern()
{
    if (selectedPatternName.isEmpty())
        return;

    builderIsCustom = false;
    currentPatternName = selectedPatternName;

    if (onPatternChosen != nullptr)
        onPatternChosen (selectedPatternName);

    selectedPatternName = {};
    updateHighlights();
    updateManagementButtons();

    if (onClose != nullptr)
        onClose();
}

void PatternBrowserComponent::updateManagementButtons()
{
    const auto hasSelection = selectedPatternName.isNotEmpty();
    const auto stepCount = builder.steps.size();
    const auto editable = hasSelection && ! isFactoryPattern (selectedPatternName);

    loadButton.setEnabled (hasSelection);
    undoButton.setEnabled (stepCount > 0);
    skipButton.setEnabled (stepCount < (size_t) PatternBuilderComponent::maxSteps);
    saveButton.setEnabled (stepCount > 0);
    renameButton.setEnabled (editable);
    deleteButton.setEnabled (editable);

    for (auto* button : { &newButton, &closeButton, &helpButton })
        button->setEnabled (true);
}

void PatternBrowserComponent::updateHighlights()
{
    const auto& reference = selectedPatternName.isNotEmpty() ? selectedPatternName : currentPatternName;

    for (const auto& button : patternButtons)
    {
        button->isCurrent = button->getButtonText() == reference;
        button->repaint();
    }
}

void PatternBrowserComponent::setTitleText (const juce::String& name)
{
    titleLabel.setText ("Pattern: " + name, juce::dontSendNotification);
}

bool PatternBrowserComponent::isFactoryPattern (const juce::String& name) const
{
    for (const auto& pattern : patterns)
        if (pattern.name.equalsIgnoreCase (name.trim()))
            return pattern.isFactory;

    return false;
}

bool PatternBrowserComponent::addNoteFromMidi (int noteNumber)
{
    if (! isVisible() || ! builder.addMidiEntryNote (noteNumber))
        return false;

    markBuilderAsCustom();
    updateManagementButtons();
    return true;
}

//==============================================================================
void PatternBrowserComponent::newPattern()
{
    selectedPatternName = {};
    builderIsCustom = false;
    setTitleText ("New Pattern");
    builder.clearForNewPattern ("New Pattern");
    updateHighlights();
    updateManagementButtons();
    repaint();
}

void PatternBrowserComponent::undo()
{
    const auto before = builder.steps;

    if (builder.restoreLastState() && builder.steps != before)
        markBuilderAsCustom();

    updateManagementButtons();
}

void PatternBrowserComponent::skip()
{
    if (builder.appendRest())
        markBuilderAsCustom();

    updateManagementButtons();
}

void PatternBrowserComponent::closePanel()
{
    if (builderIsCustom && ! builder.steps.empty())
    {
        currentPatternName = "Custom";

        if (onBuilderPatternChanged != nullptr)
            onBuilderPatternChanged ("Custom", builder.steps);

        builderIsCustom = false;
    }

    if (onClose != nullptr)
        onClose();
}

void PatternBrowserComponent::clickPattern (const juce::String& name)
{
    selectedPatternName = name;

    const auto inLibrary = std::any_of (patterns.begin(), patterns.end(),
                                        [&name] (const PatternInfo& p) { return p.name == name; });

    if (inLibrary)
    {
        builder.patternName = name;
        builder.repaint();

        if (onPatternPreview != nullptr)
            onPatternPreview (name);
    }

    updateHighlights();
    updateManagementButtons();
    repaint();
}

void PatternBrowserComponent::doubleClickPattern (const juce::String& name)
{
    selectedPatternName = name;
    updateHighlights();
    updateManagementButtons();

    if (onPatternPreview != nullptr)
        onPatternPreview (name);

    loadSelectedPattern();
}

//==============================================================================
void PatternBrowserComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha ((juce::uint8) 0xeb));
    g.setColour (accent.withAlpha ((juce::uint8) 0xcc));
    g.drawRoundedRectangle (getLocalBounds().toFloat().reduced (1.0f), 8.0f, 1.5f);
}

void PatternBrowserComponent::resized()
{
    const auto iw = std::max (getWidth() - 2 * margin, 0);
    const auto ih = std::max (getHeight() - 2 * margin, 0);
    const auto hh = std::min (ih, 28);

    BrowserHeader::layout ({ loadButton, renameButton, deleteButton, closeButton, titleLabel }, margin, iw, hh);

    // Second row: builder label, then New, Undo, Skip, Save and "i".
    auto remaining = ih - hh;
    const auto gap2 = std::min (remaining, 4);
    remaining -= gap2;
    const auto y2 = margin + hh + gap2;
    const auto h2 = std::min (remaining, 24);
    remaining -= h2;

    const auto labelWidth = std::min (iw, 90);
    builderLabel.setBounds (margin, y2, labelWidth, h2);
    {
        auto x = margin + labelWidth;
        auto left = std::min (std::max (iw - labelWidth, 0), 6 + 274);
        const auto bh = std::min (22, h2);
        const auto by = y2 + (h2 - bh) / 2;
        const auto place = [&x, &left, bh, by] (juce::Component* c, int gap, int wanted)
        {
            const auto g = std::min (left, gap);
            x += g;
            left -= g;
            const auto w = std::min (left, wanted);
            if (c != nullptr)
                c->setBounds (x, by, w, bh);
            x += w;
            left -= w;
        };

        place (&newButton, 6, 54);
        place (&undoButton, 6, 54);
        place (&skipButton, 6, 54);
        place (&saveButton, 6, 54);
        place (&helpButton, 12, 28);
    }

    const auto gap3 = std::min (remaining, 6);
    remaining -= gap3;
    const auto builderHeight = std::min (remaining, 180);
    remaining -= builderHeight;
    const auto builderY = y2 + h2 + gap3;
    builder.setBounds (margin, builderY, iw, builderHeight);

    const auto gap4 = std::min (remaining, 10);
    remaining -= gap4;
    viewport.setBounds (margin, builderY + builderHeight + gap4, iw, remaining);

    layoutGrid();
}

void PatternBrowserComponent::layoutGrid()
{
    const auto gridWidth = std::max (getWidth() - 2 * margin, 118);
    const auto buttonWidth = (gridWidth - 58) / 6;
    int lastRowTop = 0;

    for (size_t i = 0; i < layoutItems.size(); ++i)
    {
        const auto column = (int) (i % 6);
        lastRowTop = (int) (i / 6) * 44;
        layoutItems[i].component->setBounds (column * (buttonWidth + 8), lastRowTop, buttonWidth, 36);
    }

    content.setSize (gridWidth - 18, std::max (lastRowTop + 48, viewport.getHeight()));
}
