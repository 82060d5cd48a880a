#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

// One preset file found in the preset folder.
struct PresetInfo
{
    juce::String name;   // file name without extension
    juce::File file;
    juce::Colour colour { 0xff20b2aa };
};

// A preset in the grid: a rounded swatch in the preset's colour, ringed
// when it is the current (or selected) one.
class PresetButton : public juce::Button
{
public:
    explicit PresetButton (const juce::String& name);

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

    juce::Colour colour { 0xff20b2aa };
    bool isCurrent = false;
    std::function<void()> onDoubleClick;

    // Shared with the pattern buttons, which draw the same way.
    static void paintSwatch (juce::Graphics&, juce::Rectangle<float> bounds, juce::Colour colour,
                             bool isCurrent, const juce::String& text, juce::Colour textColour);
    // Black on light colours, white on dark ones.
    static juce::Colour textColourFor (juce::Colour background);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetButton)
};

// Opens a colour group in the grid: an empty 2-pixel strip that also ends the row.
class ColourDividerComponent : public juce::Component
{
public:
    explicit ColourDividerComponent (juce::Colour groupColour) : colour (groupColour) {}
    void paint (juce::Graphics&) override {}

    juce::Colour colour;
};

// The preset panel: every preset in the folder as a coloured button, grouped by
// colour, with Load, Rename and Delete for the selected one. It only scans the
// folder; loading, renaming and deleting are asked of the owner through on...
class PresetBrowserComponent : public juce::Component
{
public:
    struct LayoutItem
    {
        bool isButton = false;
        juce::Component* component = nullptr;
    };

    PresetBrowserComponent();
    ~PresetBrowserComponent() override;

    std::function<void (const juce::String&)> onLoadPreset;
    std::function<void (const juce::String&)> onRenamePreset;
    std::function<void (const juce::String&)> onDeletePreset;
    std::function<void()> onClose;

    void setPresetFolder (const juce::File& folder) { presetFolder = folder; }
    const juce::File& getPresetFolder() const noexcept { return presetFolder; }

    void refreshPresetList();
    void rebuildPresetButtons();
    void setCurrentPresetName (const juce::String& name);

    void paint (juce::Graphics&) override;
    void resized() override;

    // Read by the owner and by tests.
    const juce::String& getCurrentPresetName() const noexcept { return currentPresetName; }
    const juce::String& getSelectedPresetName() const noexcept { return selectedPresetName; }
    const std::vector<PresetInfo>& getPresets() const noexcept { return presets; }
    const std::vector<LayoutItem>& getLayoutItems() const noexcept { return layoutItems; }
    const std::vector<std::unique_ptr<PresetButton>>& getPresetButtons() const noexcept { return presetButtons; }
    PresetButton* findButton (const juce::String& name) const;

    // What a preset button's click does.
    void selectPreset (const juce::String& name);

    // Sorting key: colour text (case-sensitive), then name ignoring case.
    static bool comesBefore (const PresetInfo& a, const PresetInfo& b);
    static juce::Colour readPresetColour (const juce::File& file);

    juce::Viewport viewport;
    juce::Component content;
    juce::Label titleLabel;
    juce::TextButton loadButton { "Load" }, renameButton { "Rename" }, deleteButton { "Delete" }, closeButton { "X" };

private:
    void updateHighlights();
    void updateButtonStates();
    void layoutGrid();

    juce::File presetFolder;
    juce::String currentPresetName;
    juce::String selectedPresetName;
    std::vector<PresetInfo> presets;
    std::vector<std::unique_ptr<PresetButton>> presetButtons;
    std::vector<std::unique_ptr<ColourDividerComponent>> dividers;
    std::vector<LayoutItem> layoutItems;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetBrowserComponent)
};
