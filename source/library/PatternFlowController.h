#pragma once

#include "PatternBrowserComponent.h"
#include "PatternManager.h"
#include "SavePatternDialogComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

class CaromelAudioProcessor;

// The editor's side of the pattern browser: opening with an audition snapshot,
// previews and choices made current in the processor, the restore on close,
// MIDI entry, and the save, rename and delete flows with their dialogs.
// The editor owns one, declared after its pattern browser. Message thread only.
class PatternFlowController
{
public:
    // The library operations the flows need; PatternManagerLibrary below is
    // the one the editor uses.
    struct Library
    {
        virtual ~Library() = default;
        virtual const std::vector<PatternDefinition>& getPatterns() const = 0;
        virtual const PatternDefinition* findPatternByName (const juce::String& name) const = 0;
        virtual bool addOrUpdatePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite) = 0;
        virtual bool renamePattern (const juce::String& oldName, const juce::String& newName) = 0;
        virtual bool deletePattern (const juce::String& name) = 0;
    };

    // Sets every callback of the browser.
    PatternFlowController (CaromelAudioProcessor&, PatternBrowserComponent&, Library&);
    ~PatternFlowController();

    // The editor's displays: the pattern name button's text, and the note-set
    // keyboard's pattern highlight (empty steps clear it).
    std::function<void (const juce::String& name)> onPatternNameShown;
    std::function<void (const std::vector<int>& steps)> onPatternStepsShown;

    // Dialogs are centred on / attached to this component (the editor).
    juce::Component* dialogParent = nullptr;

    void openBrowser();
    void refreshPatternBrowser();
    void refreshPatternDisplayFromProcessor();

    // Install as the processor's onPatternInputNote.
    void handlePatternInputNote (int noteNumber);

    // The work behind the dialogs; false when the library refused or could not write.
    bool renamePattern (const juce::String& oldName, const juce::String& newName);
    bool deletePattern (const juce::String& name);
    bool savePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite);

    void showRenameDialog (const juce::String& oldName);
    void showDeleteDialog (const juce::String& name);
    void showSaveDialog (const juce::String& name, const std::vector<int>& steps);

    bool isAuditionOpen() const noexcept { return auditionOpen; }
    bool isPatternChosen() const noexcept { return patternChosen; }

    static inline const juce::String fallbackPatternName { "Major Triad Oct" };
    static inline const std::vector<int> fallbackPatternSteps { 0, 4, 7, 12 };

private:
    void previewPattern (const juce::String& name);
    void choosePattern (const juce::String& name);
    void builderPatternChanged (const juce::String& name, const std::vector<int>& steps);
    void midiEntryChanged (bool on);
    void closeBrowser();
    void showName (const juce::String& name);
    void showSteps (const std::vector<int>& steps);

    CaromelAudioProcessor& processor;
    PatternBrowserComponent& browser;
    Library& library;

    juce::String snapshotName;
    std::vector<int> snapshotSteps;
    bool auditionOpen = false;
    bool patternChosen = false;

    JUCE_DECLARE_WEAK_REFERENCEABLE (PatternFlowController)
    JUCE_DECLARE_NON_COPYABLE (PatternFlowController)
};

// The processor's pattern library as the flows see it.
class PatternManagerLibrary : public PatternFlowController::Library
{
public:
    explicit PatternManagerLibrary (PatternManager& managerToUse) : manager (managerToUse) {}

    const std::vector<PatternDefinition>& getPatterns() const override { return manager.getPatterns(); }
    const PatternDefinition* findPatternByName (const juce::String& name) const override { return manager.findPatternByName (name); }
    bool addOrUpdatePattern (const juce::String& name, const std::vector<int>& steps, bool overwrite) override
    {
        return manager.addOrUpdatePattern (name, steps, overwrite);
    }
    bool renamePattern (const juce::String& oldName, const juce::String& newName) override
    {
        return manager.renamePattern (oldName, newName);
    }
    bool deletePattern (const juce::String& name) override { return manager.deletePattern (name); }

private:
    PatternManager& manager;
};
