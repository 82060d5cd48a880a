#pragma once

#include "styles/ComboBoxLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <vector>

// One octave of keys that edits the note set (bit k = pitch class k from C),
// with a root and a scale box that replace the set by a transposed scale,
// and dots on the pitch classes the current pattern reaches from the root.
class NoteSetKeyboardComponent : public juce::Component,
                                 public juce::SettableTooltipClient
{
public:
    NoteSetKeyboardComponent();
    ~NoteSetKeyboardComponent() override;

    static constexpr int customScaleId = 1000;
    static constexpr int numScales = 10;
    static constexpr float whiteKeyWidth = 36.0f;
    static constexpr float blackKeyWidth = 20.16f;

    // The mask of a scale item ID, relative to the root (Major for unknown IDs).
    static int scaleMaskForId (int scaleId) noexcept;

    // Shows a mask (C alone when C#..B are all clear) and reports it.
    void setSelectedNoteMask (int mask);
    // Replaces the set by the chosen scale transposed to the chosen root.
    void applyKeyAndScaleSelection();
    // Shows a loaded state; reports the mask but not the root and scale.
    void syncFromPreset (int rootIndex, int scaleIndex, int mask, bool custom);
    // Marks the pitch classes the pattern reaches from the chosen root.
    void setPatternSteps (const std::vector<int>& steps);

    int getSelectedNoteMask() const noexcept;
    bool isPatternMarked (int pitchClass) const noexcept { return patternMarks[(size_t) pitchClass]; }
    juce::Rectangle<float> getKeyRect (int pitchClass) const noexcept { return keyRects[(size_t) pitchClass]; }

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    std::function<void (int)> onNoteMaskChanged;
    std::function<void (int, int)> onRootScaleChanged;

private:
    std::array<bool, 12> selectedNotes { true, false, true, false, true, true, false, true, false, true, false, true };
    std::array<juce::Rectangle<float>, 12> keyRects;
    const std::array<int, 7> whiteKeyOrder { 0, 2, 4, 5, 7, 9, 11 };
    const std::array<int, 5> blackKeyOrder { 1, 3, 6, 8, 10 };

public:
    juce::ComboBox keyBox, scaleBox;
    juce::Colour accentColour { juce::Colours::lightseagreen };

private:
    comboBoxLookAndFeel comboLookAndFeel;
    std::vector<int> patternSteps;
    std::array<bool, 12> patternMarks {};

    void computeKeyRects();
    void reportNoteMask();
    void updatePatternMarks();
    int selectedRoot() const noexcept;
    void handleBoxChange();
    void drawWhiteKeys (juce::Graphics&) const;
    void drawBlackKeys (juce::Graphics&) const;
    void drawKey (juce::Graphics&, int pitchClass, juce::Colour fill, juce::Colour outline,
                  juce::Colour labelColour, float labelFontHeight, float labelAreaHeight) const;
    float headerHeight() const noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NoteSetKeyboardComponent)
};
