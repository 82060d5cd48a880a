#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "BallRecords.h"
#include "EngineSettings.h"
#include "KeyboardNoteQueue.h"
#include "NoteScheduler.h"
#include "Parameters.h"
#include "PhysicsWorld.h"
#include "WorldChanges.h"
#include "library/PatternManager.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

// The plug-in's processor: owns the parameters, the note set, the current
// pattern, the physics world with its balls and the outgoing note queues.
// The engine settings (EngineSettings) are written on the message thread and
// read by the audio thread; changes to the live world go through worldChanges.
class CaromelAudioProcessor : public juce::AudioProcessor,
                              public juce::AudioProcessorValueTreeState::Listener,
                              public EngineSettings
{
public:
    CaromelAudioProcessor();
    ~CaromelAudioProcessor() override;

    //==========================================================================
    const juce::String getName() const override { return "Rebondo"; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }
    bool isMidiEffect() const override { return false; }
    double getTailLengthSeconds() const override { return 0.0; }

    bool hasEditor() const override { return true; }
    juce::AudioProcessorEditor* createEditor() override;

    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}

    bool isBusesLayoutSupported (const BusesLayout&) const override;
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    // Copies automatable parameters into the engine settings, so that the
    // engine follows automation, presets and host state with no editor open.
    void parameterChanged (const juce::String& parameterID, float newValue) override;

    //==========================================================================
    // Parameters and persistent selections
    juce::AudioProcessorValueTreeState parameters;
    juce::String currentPresetName { "Default" };
    PatternManager patternManager;

    juce::String currentPatternName { "Default" };
    std::vector<int> currentPatternSteps { 0, 4, 7, 12 };
    mutable std::mutex patternLock;

    std::atomic<int> noteMask { 2741 };
    int noteSetRoot = 0;
    int noteSetScale = 0;
    bool noteSetCustom = false;
    juce::Colour uiColour { 0xff20b2aa };
    std::atomic<uint16_t> allowedMidiChannelMask { 0xFFFF };

    // Message thread. Empty steps leave the pattern as it is.
    void setCurrentPattern (const juce::String& name, const std::vector<int>& steps);
    std::vector<int> getCurrentPatternSteps() const;
    juce::String getCurrentPatternName() const;

    // Message thread: stores mask & 0xFFF, C alone when C#..B are all clear.
    void setNoteMask (int mask);
    // Channel selector and standalone settings: 0 is stored as all channels.
    void setAllowedMidiChannelMask (int mask);

    int quantizeToScale (int note) const noexcept;

    //==========================================================================
    // Presets and host state (message thread, except the host state methods,
    // which the host may call from its own thread)

    // userApplicationDataDirectory/Audio/Presets/Orvanta/Rebondo; not created here.
    static juce::File getPresetFolder();

    // A name can become a preset file only if, once trimmed, it is not empty,
    // "." or "..", and it holds no "/", "\\" or control character.
    static bool isValidPresetName (const juce::String& presetName);

    // The preset's file in the preset folder: the name as it is, plus ".xml"
    // unless it already ends in ".xml" (any case). An invalid name gives
    // juce::File(): nothing outside the folder can be reached by name.
    static juce::File getPresetFile (const juce::String& presetName);

    // The preset name shown for a name or file name: without a trailing ".xml".
    static juce::String presetNameWithoutExtension (const juce::String& name);

    // Writes the current pattern, note set, the given colour and fifteen
    // parameters to the preset file, replacing an existing one. Failures are
    // reported on stderr and leave any previous file as it was; returns
    // whether the file was written.
    bool savePresetToFile (const juce::String& presetName, juce::Colour colourToStore);

    // Applies the PARAM children (id, value in real units) to the parameters,
    // each clamped to its range and set through a host-notifying gesture.
    void applyPresetXmlParameters (const juce::XmlElement& presetXml);

    // Sets the value of the PARAM child with this id, or appends one.
    static void setXmlParameterValue (juce::XmlElement& presetXml, const juce::String& parameterId, float value);

    // The pattern text form as a list: pieces between commas, blanks trimmed,
    // empty pieces skipped, each read with C atoi rules. No range check.
    static std::vector<int> patternStringToVector (const juce::String& stepsText);

    // What loadPresetByName did, so that the editor knows what to refresh.
    struct PresetLoadResult
    {
        // False: the file was missing, unreadable or the name invalid, and
        // nothing changed. True: parameters, note mask, colour, pattern (see
        // below), panic mode, engine settings and currentPresetName may all
        // have changed; the editor refreshes every view of them.
        bool loaded = false;
        // True when the current pattern was replaced.
        bool patternChanged = false;
    };

    // Loads the preset file named presetName (".xml" added unless present):
    // colour, note mask, pattern (matched against the library), parameters,
    // panic mode off, engine settings and currentPresetName. Everything but
    // refreshing the editor, which the caller does when result.loaded is set.
    PresetLoadResult loadPresetByName (const juce::String& presetName);

    // The same from a preset document already in memory; sourcePath only
    // names it in the diagnostics.
    PresetLoadResult loadPresetDocument (const juce::String& presetName, const void* data, size_t numBytes,
                                         const juce::String& sourcePath);

    //==========================================================================
    // The physics world
    float getLaunchHandleX() const;
    void updatePanicMode (bool on);
    void updateFunnelGeometry();
    // Editor-side world changes; they reach the world at the next block.
    void setWorldGravity (float value);
    void setBallRestitution (double restitution);
    void setCollisionEnabled (bool enabled);

    PhysicsWorld physics;
    WorldChanges worldChanges;

    //==========================================================================
    // Balls and notes (audio thread)
    std::vector<BallUserData*> balls;
    std::array<std::array<b2Body*, 128>, 17> ballByInputNote {};
    NoteScheduler scheduler;
    std::vector<b2Body*> bodiesToDestroy;
    std::atomic<uint64_t> noteIdCounter { 1 };

    // Any thread: at the next block every ball stops its notes and leaves the
    // world, every sounding note gets its note-off, and All Notes Off goes out
    // on all sixteen channels.
    void requestPanic() noexcept { panicRequested = true; }

    // Seeds the "RND" arpeggiator so that a run can be repeated exactly.
    // Call before playback starts.
    void setRandomSeed (juce::int64 seed);

    //==========================================================================
    // Editor exchange
    std::vector<BallSnapshot> ballSnapshots; // guarded by snapshotLock
    juce::SpinLock snapshotLock;

    // While set, played notes go to onPatternInputNote (called on the message
    // thread) instead of launching balls.
    std::atomic<bool> patternInputEnabled { false };
    std::function<void (int)> onPatternInputNote; // message thread only

    // Message thread: a message from the computer keyboard. It enters the next
    // block's MIDI input at position 0, before the host's events. False when
    // the queue is full or the message is longer than three bytes.
    bool enqueueKeyboardMessage (const juce::MidiMessage& message) noexcept
    {
        return keyboardNotes.push (message.getRawData(), message.getRawDataSize());
    }

    bool firstStartDone = false;
    bool updateCheckPending = true;

    // The settings file of the standalone app and of the interface colour,
    // made on first use and kept for the processor's life (message thread).
    juce::PropertiesFile* getStandaloneProperties();
    std::unique_ptr<juce::PropertiesFile> standaloneProperties;

    static constexpr int ballPoolSize = 512;

private:
    friend class BlockProcessorTestAccess;

    void copyParametersToEngineSettings();

    // Construction: factory presets, the embedded default, the library and
    // the starting pattern.
    void deployFactoryPresets();
    void seedParametersFromDefaultPreset();
    void chooseStartingPattern();
    void applyEngineSettingsAfterPresetLoad();
    void performPanic (int numSamples);
    void applyWorldChanges (uint32_t changes);

    // Steps of one block
    void handleIncomingMidi (const juce::MidiBuffer& input, int numSamples, int modMode, bool patternInput);
    void handleModWheel (int modMode, int value);
    void launchBall (int channel, int note, int velocity, int position, int numSamples);
    void releaseBall (int channel, int note, int position);
    void clearFieldForMono (int position, int numSamples);
    void processBalls (int numSamples, int arpMode, int maxBouncesIndex, bool patternInput);
    bool handleBounce (b2Body& body, BallUserData& ball, int arpMode, int maxBouncesIndex, bool patternInput);
    void stopCurrentNote (BallUserData& ball);
    void killBall (b2Body& body, BallUserData& ball);
    void removeIfFinished (b2Body& body, BallUserData& ball);
    void destroyCollectedBalls();
    void takeSnapshot();
    void onPendingNoteOffFired (uint64_t id);
    void cancelPendingNoteOffsOf (BallUserData&);
    void postPatternInputNote (int note);
    const std::vector<int>& patternForBounce();

    juce::AudioParameterFloat* launchPosParam = nullptr;
    std::atomic<float>* launchPosValue = nullptr;
    std::atomic<float>* modValue = nullptr;
    std::atomic<float>* arpTypeValue = nullptr;
    std::atomic<float>* maxBouncesValue = nullptr;
    std::atomic<float>* decayAfterReleaseValue = nullptr;

    double currentSampleRate = 0.0;
    BallPool ballPool;
    juce::MidiBuffer outputMidi;
    std::vector<int> audioPatternCopy;
    juce::Random arpRandom;
    KeyboardNoteQueue keyboardNotes;
    juce::MidiBuffer keyboardMidi; // reserved in prepareToPlay
    bool snapshotLockHeld = false;
    std::atomic<bool> panicRequested { false };

    JUCE_DECLARE_WEAK_REFERENCEABLE (CaromelAudioProcessor)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CaromelAudioProcessor)
};
