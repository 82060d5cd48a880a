#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

// The step editor: a 16-column piano roll of 25 visible semitone rows with a
// keyboard strip on the left, a scroll strip on the right and a toggle for
// entering steps from a MIDI keyboard. Every edit can be undone (64 levels).
class PatternBuilderComponent : public juce::Component,
                                private juce::Timer
{
public:
    static constexpr int maxSteps = 16;
    static constexpr int rest = -99;
    static constexpr int visibleRows = 25;
    static constexpr int maxViewOffset = 24;
    static constexpr int maxUndoStates = 64;
    static constexpr int longPressMs = 550;
    static constexpr float pressSlop = 8.0f;

    struct BuilderState
    {
        std::vector<int> steps;
        std::vector<int> midiEntryNotes;
        int midiRootNote = -1;
        bool midiEntryActive = false;
    };

    // Where a step is drawn.
    enum class DotShape { note, rest, triangleUp, triangleDown };

    struct Dot
    {
        juce::Point<float> centre;
        DotShape shape;
    };

    PatternBuilderComponent();
    ~PatternBuilderComponent() override;

    std::function<void()> onPatternEdited;
    std::function<void (bool)> onMidiEntryToggled;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;

    void pushUndoState();
    // Restores the newest undo state; false when there is none.
    bool restoreLastState();

    // Loads a pattern: MIDI entry state reset, undo history cleared.
    void loadPattern (const juce::String& name, const std::vector<int>& newSteps);
    // Empties the steps and ends MIDI entry; the undo history stays.
    void clearForNewPattern (const juce::String& name);
    // Appends a rest (also to the MIDI entry list while entry is active).
    bool appendRest();
    // A note from the MIDI keyboard: the first becomes the root (step 0), later
    // ones are stored relative to it. False when the pattern is full.
    bool addMidiEntryNote (int noteNumber);
    void endMidiEntry();

    bool isMidiEntryButtonOn() const { return midiEntryButton.getToggleState(); }
    void setMidiEntryButtonOn (bool on) { midiEntryButton.setToggleState (on, juce::dontSendNotification); }
    juce::DrawableButton& getMidiEntryButton() noexcept { return midiEntryButton; }

    void timerCallback() override;

    // Geometry, readable so that callers (and tests) hit what is drawn.
    juce::Rectangle<float> getKeyboardArea() const;
    juce::Rectangle<float> getGridArea() const;
    juce::Rectangle<float> getScrollStripArea() const;
    juce::Rectangle<float> getScrollTrackArea() const;
    juce::Rectangle<float> getScrollThumbArea() const;
    float getColumnWidth() const;
    float getRowHeight() const;
    int valueForRow (int row) const noexcept { return maxViewOffset - viewOffset - row; }
    // The values drawn as dots: the MIDI entry list while it mirrors the steps.
    const std::vector<int>& getDisplayedValues() const;
    std::vector<Dot> getDots() const;

    int viewOffset = 0;
    juce::String patternName;
    std::vector<int> steps;
    std::vector<int> midiEntryNotes;
    std::vector<BuilderState> undoStack;
    int midiRootNote = -1;
    bool midiEntryActive = false;

private:
    void notifyEdited();
    void clearPressState();
    int rowAt (float y) const;
    void setViewOffsetFromThumb (float y);

    int pressedColumn = -1;
    int pressAction = 0; // 1 on a note, 2 on a rest
    juce::Point<float> pressPosition;
    bool pressOnDot = false;
    bool longPressConsumed = false;
    bool draggingScrollBar = false;
    float scrollGrabOffset = 0.0f;

    juce::DrawableButton midiEntryButton { "MIDI Entry", juce::DrawableButton::ImageOnButtonBackground };
    std::unique_ptr<juce::Drawable> iconNormal, iconOver, iconOn;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternBuilderComponent)
};
