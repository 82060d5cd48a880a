#include "NoteSetKeyboardComponent.h"

#include <algorithm>

namespace
{
    const char* const keyNames[12] = { "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" };

    struct ScaleEntry
    {
        const char* name;
        int mask;
    };

    // Masks relative to the root: bit k is k semitones above it.
    const ScaleEntry scaleMasks[NoteSetKeyboardComponent::numScales] = {
        { "Major", 0xAB5 }, { "Minor", 0x5AD }, { "Harmonic", 0x9AD }, { "Melodic", 0xAAD },
        { "Major Pent", 0x295 }, { "Minor Pent", 0x4A9 }, { "Blues", 0x4E9 }, { "Whole", 0x555 },
        { "Diminished", 0xB6D }, { "Chromatic", 0xFFF }
    };

    // Left edges of the black keys: centred on the boundary after each white key.
    float blackKeyLeft (int pitchClass) noexcept
    {
        const int boundaryIndex = pitchClass < 5 ? (pitchClass + 1) / 2 : (pitchClass + 2) / 2;
        return NoteSetKeyboardComponent::whiteKeyWidth * ((float) boundaryIndex - 0.28f);
    }
}

NoteSetKeyboardComponent::NoteSetKeyboardComponent()
{
    comboLookAndFeel.accentColour.setSource (&accentColour);

    for (int i = 0; i < 12; ++i)
        keyBox.addItem (keyNames[i], i + 1);
    keyBox.setSelectedId (1, juce::dontSendNotification);

    for (int i = 0; i < numScales; ++i)
        scaleBox.addItem (scaleMasks[i].name, i + 1);
    scaleBox.addSeparator();
    scaleBox.addItem ("Custom", customScaleId);
    scaleBox.setItemEnabled (customScaleId, false);
    scaleBox.setSelectedId (1, juce::dontSendNotification);

    for (auto* box : { &keyBox, &scaleBox })
    {
        box->setColour (juce::ComboBox::outlineColourId, accentColour);
        box->setColour (juce::ComboBox::textColourId, accentColour);
        box->setColour (juce::ComboBox::backgroundColourId, juce::Colours::transparentBlack);
        box->setLookAndFeel (&comboLookAndFeel);
        box->onChange = [this] { handleBoxChange(); };
        addAndMakeVisible (*box);
    }
}

NoteSetKeyboardComponent::~NoteSetKeyboardComponent()
{
    keyBox.setLookAndFeel (nullptr);
    scaleBox.setLookAndFeel (nullptr);
}

int NoteSetKeyboardComponent::scaleMaskForId (int scaleId) noexcept
{
    if (scaleId >= 1 && scaleId <= numScales)
        return scaleMasks[scaleId - 1].mask;
    return scaleMasks[0].mask;
}

float NoteSetKeyboardComponent::headerHeight() const noexcept
{
    return (float) juce::jmin (getHeight(), 26);
}

void NoteSetKeyboardComponent::computeKeyRects()
{
    const float header = headerHeight();
    const float keyHeight = (float) getHeight() - header;

    for (size_t j = 0; j < whiteKeyOrder.size(); ++j)
        keyRects[(size_t) whiteKeyOrder[j]] = { whiteKeyWidth * (float) j, header, whiteKeyWidth, keyHeight };

    for (auto pitchClass : blackKeyOrder)
        keyRects[(size_t) pitchClass] = { blackKeyLeft (pitchClass), header, blackKeyWidth, 0.62f * keyHeight };
}

void NoteSetKeyboardComponent::resized()
{
    computeKeyRects();

    const int blockWidth = juce::jmin (getWidth(), 154);
    const int x = getWidth() - blockWidth;
    const int keyWidth = juce::jmin (blockWidth, 72);
    const int gap = juce::jmin (blockWidth - keyWidth, 10);
    const int scaleWidth = juce::jmin (blockWidth - keyWidth - gap, 72);
    const int boxHeight = juce::jmin (getHeight(), 22);

    keyBox.setBounds (x, 0, keyWidth, boxHeight);
    scaleBox.setBounds (x + keyWidth + gap, 0, scaleWidth, boxHeight);
}

int NoteSetKeyboardComponent::getSelectedNoteMask() const noexcept
{
    int mask = 0;
    for (int k = 0; k < 12; ++k)
        if (selectedNotes[(size_t) k])
            mask |= 1 << k;
    return mask;
}

void NoteSetKeyboardComponent::reportNoteMask()
{
    if (onNoteMaskChanged)
    {
        const int mask = getSelectedNoteMask();
        onNoteMaskChanged (mask != 0 ? mask : 1);
    }
}

void NoteSetKeyboardComponent::setSelectedNoteMask (int mask)
{
    const int m = (mask & 0xFFE) != 0 ? (mask & 0xFFF) : 1;

    for (int k = 0; k < 12; ++k)
        selectedNotes[(size_t) k] = ((m >> k) & 1) != 0;

    repaint();
    reportNoteMask();
}

int NoteSetKeyboardComponent::selectedRoot() const noexcept
{
    return juce::jlimit (0, 11, keyBox.getSelectedId() - 1);
}

void NoteSetKeyboardComponent::applyKeyAndScaleSelection()
{
    const int root = selectedRoot();
    const int scale = scaleMaskForId (scaleBox.getSelectedId());

    int mask = 0;
    for (int k = 0; k < 12; ++k)
        if ((scale >> k) & 1)
            mask |= 1 << ((root + k) % 12);

    setSelectedNoteMask (mask);
    updatePatternMarks();
    repaint();
}

void NoteSetKeyboardComponent::handleBoxChange()
{
    applyKeyAndScaleSelection();

    if (onRootScaleChanged)
        onRootScaleChanged (keyBox.getSelectedItemIndex(), scaleBox.getSelectedItemIndex());
}

void NoteSetKeyboardComponent::syncFromPreset (int rootIndex, int scaleIndex, int mask, bool custom)
{
    setSelectedNoteMask (mask);

    // Out-of-range indices give item ID 0: no selection.
    keyBox.setSelectedId (keyBox.getItemId (rootIndex), juce::dontSendNotification);

    if (custom)
        scaleBox.setSelectedId (customScaleId, juce::dontSendNotification);
    else
        scaleBox.setSelectedId (scaleBox.getItemId (scaleIndex), juce::dontSendNotification);

    repaint();
}

void NoteSetKeyboardComponent::setPatternSteps (const std::vector<int>& steps)
{
    patternSteps = steps;
    updatePatternMarks();
    repaint();
}

void NoteSetKeyboardComponent::updatePatternMarks()
{
    patternMarks.fill (false);
    const int root = selectedRoot();

    for (auto step : patternSteps)
    {
        if (step == -99)
            continue;

        int p = (root + step) % 12;
        if (p < 0)
            p += 12;
        patternMarks[(size_t) p] = true;
    }
}

void NoteSetKeyboardComponent::mouseDown (const juce::MouseEvent& event)
{
    const auto position = event.position;
    int hit = -1;

    for (auto pitchClass : blackKeyOrder)
        if (keyRects[(size_t) pitchClass].contains (position)) { hit = pitchClass; break; }

    if (hit < 0)
        for (auto pitchClass : whiteKeyOrder)
            if (keyRects[(size_t) pitchClass].contains (position)) { hit = pitchClass; break; }

    if (hit < 0)
        return;

    auto& flag = selectedNotes[(size_t) hit];
    flag = ! flag;

    if (getSelectedNoteMask() == 0)
        flag = true; // the last selected key stays on

    repaint();
    reportNoteMask();
}

void NoteSetKeyboardComponent::drawKey (juce::Graphics& g, int pitchClass, juce::Colour fill, juce::Colour outline,
                                        juce::Colour labelColour, float labelFontHeight, float labelAreaHeight) const
{
    const auto key = keyRects[(size_t) pitchClass];

    g.setColour (fill);
    g.fillRoundedRectangle (key, 3.0f);
    g.setColour (outline);
    g.drawRoundedRectangle (key, 3.0f, 1.0f);

    const float labelHeight = juce::jmin (key.getHeight(), labelAreaHeight);
    g.setColour (labelColour);
    g.setFont (labelFontHeight);
    g.drawText (keyNames[pitchClass], key.withTrimmedTop (key.getHeight() - labelHeight),
                juce::Justification::centred, true);
}

void NoteSetKeyboardComponent::drawWhiteKeys (juce::Graphics& g) const
{
    const auto accent = accentColour;

    for (auto pitchClass : whiteKeyOrder)
    {
        if (selectedNotes[(size_t) pitchClass])
            drawKey (g, pitchClass, accent.brighter (0.35f), accent.brighter (0.75f), juce::Colours::black, 12.0f, 20.0f);
        else
            drawKey (g, pitchClass, juce::Colours::darkgrey.darker (0.35f), juce::Colours::black.brighter (0.2f),
                     juce::Colours::white.darker (0.35f), 12.0f, 20.0f);
    }
}

void NoteSetKeyboardComponent::drawBlackKeys (juce::Graphics& g) const
{
    const auto accent = accentColour;

    for (auto pitchClass : blackKeyOrder)
    {
        if (selectedNotes[(size_t) pitchClass])
            drawKey (g, pitchClass, accent.darker (0.3f), accent.brighter (0.45f), juce::Colours::white, 10.0f, 18.0f);
        else
            drawKey (g, pitchClass, juce::Colours::black.brighter (0.08f), juce::Colours::black.brighter (0.35f),
                     juce::Colours::darkgrey.brighter (0.1f), 10.0f, 18.0f);
    }
}

void NoteSetKeyboardComponent::paint (juce::Graphics& g)
{
    computeKeyRects();

    g.fillAll (juce::Colours::transparentBlack);
    drawWhiteKeys (g);
    drawBlackKeys (g);

    for (int p = 0; p < 12; ++p)
    {
        if (! patternMarks[(size_t) p])
            continue;

        const auto key = keyRects[(size_t) p];
        const bool black = std::find (blackKeyOrder.begin(), blackKeyOrder.end(), p) != blackKeyOrder.end();
        const float d = black ? 6.0f : 7.0f;
        const float left = key.getX() + key.getWidth() / 2.0f - d / 2.0f;
        const float top = key.getY() + (black ? 8.0f : 10.0f);

        g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 115));
        g.fillEllipse (left - 1.5f, top - 1.5f, d + 3.0f, d + 3.0f);
        g.setColour (juce::Colours::orange.brighter (0.15f));
        g.fillEllipse (left, top, d, d);
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 166));
        g.drawEllipse (left, top, d, d, 1.0f);
    }

    const float header = headerHeight();
    const float keyHeight = (float) getHeight() - header;
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 64));
    g.drawRoundedRectangle (0.5f, header + 0.5f, juce::jmax (0.0f, (float) getWidth() - 1.0f),
                            juce::jmax (0.0f, keyHeight - 1.0f), 4.0f, 1.0f);
}
