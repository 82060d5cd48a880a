#pragma once

#include "PatternBuilderComponent.h"
#include "PatternManager.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

// The browser keeps its own copy of the library entries.
using PatternInfo = PatternDefinition;

// Harmonic complexity of a pattern: log2 of the least common multiple of the
// just ratios between every pair of its notes (rests ignored); 0 for fewer
// than two notes.
double patternComplexity (const std::vector<int>& steps);
// 0.16 for the simplest patterns up to 0.78 at log2 (1440) and beyond.
float patternHue (const std::vector<int>& steps);
// The button colour built from that hue.
juce::Colour patternColour (const std::vector<int>& steps);

// A library pattern in the grid; drawn like a preset button, always white text.
class PatternButton : public juce::Button
{
public:
    explicit PatternButton (const juce::String& name);

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

    juce::Colour colour { 0xff20b2aa };
    bool isCurrent = false;
    std::function<void()> onDoubleClick;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternButton)
};

// The pattern panel: library patterns to audition and choose, the step editor
// and the library actions. It never touches the processor or the library
// itself; every change is asked of the owner through on... callbacks.
class PatternBrowserComponent : public juce::Component
{
public:
    struct LayoutItem
    {
        bool isButton = false;
        juce::Component* component = nullptr;
    };

    PatternBrowserComponent();
    ~PatternBrowserComponent() override;

    std::function<void (bool)> onMidiEntryChanged;
    std::function<void (const juce::String&)> onPatternChosen;
    std::function<void (const juce::String&)> onRenamePattern;
    std::function<void (const juce::String&)> onDeletePattern;
    std::function<void (const juce::String&, const std::vector<int>&)> onBuilderPatternChanged;
    std::function<void()> onClose;
    std::function<void (const juce::String&)> onPatternPreview;
    std::function<void (const juce::String&, const std::vector<int>&)> onSavePattern;

    // Takes a copy of the library (in library order) and rebuilds the grid.
    void setPatterns (const std::vector<PatternInfo>& library);
    void rebuildPatternButtons();

    void setCurrentPatternName (const juce::String& name);
    void setBuilderPattern (const juce::String& name, const std::vector<int>& steps);
    void markBuilderAsCustom();
    void loadSelectedPattern();
    void updateManagementButtons();

    // After the owner made the step editor's pattern current: show it as the
    // current and selected one without reloading the step editor.
    void showBuilderPatternAsCurrent (const juce::String& name);

    // A note from the MIDI keyboard while entry is on; ignored while the panel
    // is hidden or the pattern is full.
    bool addNoteFromMidi (int noteNumber);

    // The panel buttons' actions.
    void newPattern();
    void undo();
    void skip();
    void closePanel();
    void clickPattern (const juce::String& name);
    void doubleClickPattern (const juce::String& name);

    static juce::String helpText();

    void paint (juce::Graphics&) override;
    void resized() override;

    const juce::String& getCurrentPatternName() const noexcept { return currentPatternName; }
    const juce::String& getSelectedPatternName() const noexcept { return selectedPatternName; }
    juce::String getTitleText() const { return titleLabel.getText(); }
    const std::vector<PatternInfo>& getPatterns() const noexcept { return patterns; }
    const std::vector<std::unique_ptr<PatternButton>>& getPatternButtons() const noexcept { return patternButtons; }
    const std::vector<LayoutItem>& getLayoutItems() const noexcept { return layoutItems; }
    PatternButton* findButton (const juce::String& name) const;

    bool builderIsCustom = false;

    juce::TextButton newButton { "New" }, undoButton { "Undo" }, skipButton { "Skip" },
                     saveButton { "Save" }, closeButton { "X" }, helpButton { "i" };
    PatternBuilderComponent builder;
    juce::Label builderLabel;
    juce::Label titleLabel;
    juce::TextButton loadButton { "Load" }, renameButton { "Rename" }, deleteButton { "Delete" };
    juce::Viewport viewport;
    juce::Component content;

private:
    void updateHighlights();
    void setTitleText (const juce::String& name);
    bool isFactoryPattern (const juce::String& name) const;
    void layoutGrid();

    juce::String currentPatternName;
    juce::String selectedPatternName;
    std::vector<PatternInfo> patterns;
    std::vector<std::unique_ptr<PatternButton>> patternButtons;
    std::vector<LayoutItem> layoutItems;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PatternBrowserComponent)
};
